#pragma once

#include <QString>

// Stored preferences. The language follows QRD7700_LANG, else the choice kept in the program's own
// settings, else the desktop's locale (chooseLanguage); storing a language keeps it as the choice
// when it differs from the one that would be read. The speed unit stays fixed: always "km", and
// storing it keeps nothing.
bool readStoredLanguage(QString &code);
void storeLanguage(const QString &code);
bool readStoredSpeedUnit(QString &unit);
void storeSpeedUnit(const QString &unit);
