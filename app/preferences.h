#pragma once

#include <QString>

// Stored preferences. This system keeps them fixed: the language is always "kr" and the speed unit
// always "km"; the store operations accept a value and keep nothing.
bool readStoredLanguage(QString &code);
void storeLanguage(const QString &code);
bool readStoredSpeedUnit(QString &unit);
void storeSpeedUnit(const QString &unit);
