// The interface language at start-up (environment, stored choice, desktop locale) and the program's
// own settings file that keeps the choice and the viewer's state.
#include "base/language.h"
#include "base/preferences.h"
#include "base/programsettings.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestLanguage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void rule_data();
    void rule();
    void storedChoiceRoundTrip();
    void settingsDefaultsAreNotWritten();
    void garbageSettingsFile();
    void unwritableConfigFolder();

private:
    QTemporaryDir m_config;
};

void TestLanguage::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    QVERIFY(ProgramSettings::filePath().startsWith(m_config.path()));
}

void TestLanguage::init()
{
    QFile::remove(ProgramSettings::filePath());
    qunsetenv(kLanguageVariable);
}

void TestLanguage::cleanup()
{
    qunsetenv(kLanguageVariable);
}

void TestLanguage::rule_data()
{
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Korean desktop stays Korean") << "" << "" << "ko_KR" << "kr";
    QTest::newRow("English desktop") << "" << "" << "en_US" << "en";
    QTest::newRow("German desktop gets English") << "" << "" << "de_DE" << "en";
    QTest::newRow("C locale gets English") << "" << "" << "C" << "en";
    QTest::newRow("stored choice over the desktop") << "" << "en" << "ko_KR" << "en";
    QTest::newRow("stored Korean on an English desktop") << "" << "kr" << "en_GB" << "kr";
    QTest::newRow("environment over the stored choice") << "kr" << "en" << "en_US" << "kr";
    QTest::newRow("environment in capitals with blanks") << " EN " << "kr" << "ko_KR" << "en";
    QTest::newRow("unknown environment value ignored") << "de" << "" << "ko_KR" << "kr";
    QTest::newRow("locale name in environment ignored") << "ko_KR" << "en" << "ko_KR" << "en";
    QTest::newRow("garbage stored value ignored") << "" << "klingon" << "en_US" << "en";
}

void TestLanguage::rule()
{
    QFETCH(QString, environment);
    QFETCH(QString, stored);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QCOMPARE(chooseLanguage(environment, stored, QLocale(locale)), expected);
}

// A choice different from the language in effect is kept; handing back the language that was read
// (as the settings editor does when it builds) keeps nothing, so an environment override or the
// desktop's default never becomes permanent.
void TestLanguage::storedChoiceRoundTrip()
{
    QString code;
    const QString desktop = chooseLanguage(QString(), QString(), desktopLocale());
    QVERIFY(readStoredLanguage(code));
    QCOMPARE(code, desktop);
    storeLanguage(code);
    QVERIFY(!QFile::exists(ProgramSettings::filePath()));

    const QString other = desktop == QLatin1String("en") ? QStringLiteral("kr") : QStringLiteral("en");
    storeLanguage(other);
    QVERIFY(readStoredLanguage(code));
    QCOMPARE(code, other);
    QCOMPARE(ProgramSettings::language(), other);

    qputenv(kLanguageVariable, desktop.toUtf8());
    QVERIFY(readStoredLanguage(code));
    QCOMPARE(code, desktop);
    storeLanguage(code);
    QCOMPARE(ProgramSettings::language(), other);
    storeLanguage(QStringLiteral("fr"));
    QCOMPARE(ProgramSettings::language(), other);
}

void TestLanguage::settingsDefaultsAreNotWritten()
{
    ProgramSettings::setMaximized(false);
    ProgramSettings::setLastFolder(QString());
    QVERIFY(!QFile::exists(ProgramSettings::filePath()));
    ProgramSettings::setLastFolder(QStringLiteral("/media/카드/폴더"));
    ProgramSettings::setMaximized(true);
    ProgramSettings::setLanguage(QStringLiteral("kr"));
    QCOMPARE(ProgramSettings::lastFolder(), QStringLiteral("/media/카드/폴더"));
    QVERIFY(ProgramSettings::maximized());
    QCOMPARE(ProgramSettings::language(), QStringLiteral("kr"));

    ProgramSettings::setMaximized(false);
    ProgramSettings::setLastFolder(QString());
    ProgramSettings::setLanguage(QString());
    const QSettings file(ProgramSettings::filePath(), QSettings::IniFormat);
    QVERIFY(file.allKeys().isEmpty());
}

void TestLanguage::garbageSettingsFile()
{
    QVERIFY(QDir().mkpath(QFileInfo(ProgramSettings::filePath()).path()));
    QFile file(ProgramSettings::filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\x00\xff[interface\nlanguage=\x01xx\n[viewer]\nmaximized=perhaps\nlastFolder\n", 60);
    file.close();
    QCOMPARE(ProgramSettings::language(), QString());
    QString code;
    QVERIFY(readStoredLanguage(code));
    QVERIFY(code == QLatin1String("en") || code == QLatin1String("kr"));
    ProgramSettings::setLanguage(QStringLiteral("en"));
    QCOMPARE(ProgramSettings::language(), QStringLiteral("en"));
}

// A file where the program's configuration folder belongs: nothing is kept, nothing breaks.
void TestLanguage::unwritableConfigFolder()
{
    const QString folder = QFileInfo(ProgramSettings::filePath()).path();
    QDir(folder).removeRecursively();
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ProgramSettings::setMaximized(true);
    ProgramSettings::setLanguage(QStringLiteral("en"));
    QVERIFY(!ProgramSettings::maximized());
    QCOMPARE(ProgramSettings::language(), QString());
    QVERIFY(QFile::remove(folder));
}

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
