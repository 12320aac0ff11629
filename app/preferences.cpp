#include "app/preferences.h"

bool readStoredLanguage(QString &code)
{
    code = QStringLiteral("kr");
    return true;
}

void storeLanguage(const QString &)
{
}

bool readStoredSpeedUnit(QString &unit)
{
    unit = QStringLiteral("km");
    return true;
}

void storeSpeedUnit(const QString &)
{
}
