#pragma once

#include <QString>

class QLocale;

// The process-wide interface language code ("kr" or "en"; "en" selects English texts).
// GUI thread only.
QString currentLanguage();
void setCurrentLanguage(const QString &code);

// Environment variable that chooses the interface language for one run: "en" or "kr".
inline constexpr char kLanguageVariable[] = "QRD7700_LANG";

// The language the interface starts in: `environment` when it names one ("en" or "kr", any case,
// blanks ignored), else the choice `stored` in the program's settings, else the desktop's: "kr" for
// a Korean locale, "en" for any other.
QString chooseLanguage(const QString &environment, const QString &stored, const QLocale &desktop);

// The desktop's interface language as a locale (its first UI language).
QLocale desktopLocale();

// Gives Qt's own texts (the standard dialogs' labels and buttons) the interface language `code`:
// Korean from Qt's translations for "kr", Qt's English otherwise. False when the Korean
// translations are not installed (Debian's qt6-translations-l10n). Call once the application
// object exists.
bool installQtTranslations(const QString &code);
