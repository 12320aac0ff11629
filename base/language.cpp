#include "base/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

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

bool installQtTranslations(const QString &code)
{
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    if (code != QLatin1String("kr"))
        return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Korean, QLocale::SouthKorea), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}
