#include "base/language.h"

#include <QLocale>

namespace {

QString &languageCode()
{
    static QString code;
    return code;
}

// "en" or "kr" when `value` names one of them, empty otherwise.
QString knownCode(const QString &value)
{
    const QString code = value.trimmed().toLower();
    return code == QLatin1String("en") || code == QLatin1String("kr") ? code : QString();
}

} // namespace

QString currentLanguage()
{
    return languageCode();
}

void setCurrentLanguage(const QString &code)
{
    languageCode() = code;
}

QString chooseLanguage(const QString &environment, const QString &stored, const QLocale &desktop)
{
    if (const QString code = knownCode(environment); !code.isEmpty())
        return code;
    if (const QString code = knownCode(stored); !code.isEmpty())
        return code;
    return desktop.language() == QLocale::Korean ? QStringLiteral("kr") : QStringLiteral("en");
}

QLocale desktopLocale()
{
    const QStringList languages = QLocale::system().uiLanguages();
    return languages.isEmpty() ? QLocale::system() : QLocale(languages.first());
}
