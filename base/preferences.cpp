#include "base/preferences.h"

#include "base/language.h"
#include "base/programsettings.h"

#include <QLocale>

bool readStoredLanguage(QString &code)
{
    code = chooseLanguage(qEnvironmentVariable(kLanguageVariable), ProgramSettings::language(), desktopLocale());
    return true;
}

// The settings editor hands back the language it read whenever it builds its controls: only a
// different one is a choice of the user's, so an environment override or the desktop's default is
// never made permanent this way.
void storeLanguage(const QString &code)
{
    QString current;
    readStoredLanguage(current);
    if (code != current && (code == QLatin1String("en") || code == QLatin1String("kr")))
        ProgramSettings::setLanguage(code);
}

bool readStoredSpeedUnit(QString &unit)
{
    unit = QStringLiteral("km");
    return true;
}

void storeSpeedUnit(const QString &)
{
}
