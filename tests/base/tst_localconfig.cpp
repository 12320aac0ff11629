#include "base/localconfig.h"
#include "base/preferences.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestLocalConfig : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void firstRunCreatesFolder();
    void laterRunSamePath();
    void missingKey();
    void emptyValueIsStillStored();
    void roundTripKeepsUnicode();
    void noDocumentsFolderMeansNoConfig();
    void fixedSpeedUnit();

private:
    QString documentsFolder() const;
    QTemporaryDir m_home;
};

void TestLocalConfig::initTestCase()
{
    // A home of our own, so the documents folder is a scratch folder and the user's is untouched.
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    QVERIFY(documentsFolder().startsWith(m_home.path()));
}

QString TestLocalConfig::documentsFolder() const
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void TestLocalConfig::init()
{
    QDir(documentsFolder() + QStringLiteral("/QRD-7700")).removeRecursively();
}

void TestLocalConfig::firstRunCreatesFolder()
{
    const QString folder = documentsFolder() + QStringLiteral("/QRD-7700");
    QVERIFY(!QDir(folder).exists());
    QCOMPARE(localConfigPath(), folder + QStringLiteral("/local.cfg"));
    QVERIFY(QDir(folder).exists());
}

void TestLocalConfig::laterRunSamePath()
{
    const QString first = localConfigPath();
    QVERIFY(!first.isEmpty());
    QCOMPARE(localConfigPath(), first);
}

void TestLocalConfig::missingKey()
{
    QString path = QStringLiteral("untouched");
    QVERIFY(!loadLastFolder(path));
    QCOMPARE(path, QStringLiteral("untouched"));

    // A file holding other keys only still has no last folder.
    QFile file(localConfigPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[other]\nkey=value\n");
    file.close();
    QVERIFY(!loadLastFolder(path));
    QCOMPARE(path, QStringLiteral("untouched"));
}

void TestLocalConfig::emptyValueIsStillStored()
{
    saveLastFolder(QString());
    QString path = QStringLiteral("untouched");
    QVERIFY(loadLastFolder(path));
    QVERIFY(path.isEmpty());
}

void TestLocalConfig::roundTripKeepsUnicode()
{
    const QString folder = QStringLiteral("/media/카드/REC folder=1;x");
    saveLastFolder(folder);
    QString path;
    QVERIFY(loadLastFolder(path));
    QCOMPARE(path, folder);

    QFile file(localConfigPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("[storage]"));
}

void TestLocalConfig::noDocumentsFolderMeansNoConfig()
{
    // A file where the QRD-7700 folder should be: the folder cannot be made, so there is no
    // configuration, and saving and loading quietly do nothing.
    const QString blocker = documentsFolder() + QStringLiteral("/QRD-7700");
    QVERIFY(QDir().mkpath(documentsFolder()));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    auto removeBlocker = qScopeGuard([&] { QFile::remove(blocker); });
    QVERIFY(localConfigPath().isEmpty());
    saveLastFolder(QStringLiteral("/somewhere"));
    QString path;
    QVERIFY(!loadLastFolder(path));
}

void TestLocalConfig::fixedSpeedUnit()
{
    QString unit;
    QVERIFY(readStoredSpeedUnit(unit));
    QCOMPARE(unit, QStringLiteral("km"));
    storeSpeedUnit(QStringLiteral("mph"));
    QVERIFY(readStoredSpeedUnit(unit));
    QCOMPARE(unit, QStringLiteral("km"));
}

QTEST_GUILESS_MAIN(TestLocalConfig)
#include "tst_localconfig.moc"
