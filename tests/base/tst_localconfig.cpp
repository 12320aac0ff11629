#include "base/localconfig.h"
#include "base/preferences.h"
#include "base/programsettings.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Frees this process when it is stuck opening or reading the FIFO at `path`: after a few seconds a
// writer comes and goes, which ends the blocked open and read. Remembers whether it had to.
class FifoRescue
{
public:
    explicit FifoRescue(const QString &path)
        : m_path(QFile::encodeName(path))
        , m_thread([this] { watch(); })
    {
    }
    ~FifoRescue()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    bool rescued() const { return m_rescued; }

private:
    void watch()
    {
        std::unique_lock lock(m_mutex);
        while (!m_wake.wait_for(lock, std::chrono::seconds(3), [this] { return m_done; })) {
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK); // only with a reader waiting
            if (fd >= 0) {
                m_rescued = true;
                ::close(fd);
            }
        }
    }

    QByteArray m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::atomic<bool> m_rescued = false;
    std::thread m_thread;
};

} // namespace

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
    void specialFilesAreLeftAlone_data();
    void specialFilesAreLeftAlone();

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

// A FIFO or a folder where the program keeps its own state: reading gives the defaults at once
// (nothing waits for a writer), writing leaves the entry as it is.
void TestLocalConfig::specialFilesAreLeftAlone_data()
{
    QTest::addColumn<QString>("file"); // "local.cfg" or "viewer.conf"
    QTest::addColumn<QString>("kind"); // "fifo" or "folder"
    QTest::newRow("FIFO as local.cfg") << "local.cfg" << "fifo";
    QTest::newRow("folder as local.cfg") << "local.cfg" << "folder";
    QTest::newRow("FIFO as viewer.conf") << "viewer.conf" << "fifo";
    QTest::newRow("folder as viewer.conf") << "viewer.conf" << "folder";
}

void TestLocalConfig::specialFilesAreLeftAlone()
{
    QFETCH(QString, file);
    QFETCH(QString, kind);
    const bool local = file == QLatin1String("local.cfg");
    const QString path = local ? localConfigPath() : ProgramSettings::filePath();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(QDir().mkpath(path));
    const auto remove = qScopeGuard([&path] {
        QFile::remove(path);
        QDir().rmdir(path);
    });
    const FifoRescue rescue(path);
    if (local) {
        QString folder = QStringLiteral("untouched");
        QVERIFY(!loadLastFolder(folder));
        QCOMPARE(folder, QStringLiteral("untouched"));
        saveLastFolder(QStringLiteral("/media/card"));
    } else {
        QCOMPARE(ProgramSettings::lastFolder(), QString());
        QCOMPARE(ProgramSettings::maximized(), false);
        ProgramSettings::setLastFolder(QStringLiteral("/media/card"));
        ProgramSettings::setMaximized(true);
    }
    QVERIFY2(!rescue.rescued(), "blocked on the FIFO");
    struct stat info;
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &info), 0);
    QVERIFY(kind == QLatin1String("fifo") ? S_ISFIFO(info.st_mode) : S_ISDIR(info.st_mode));
}

QTEST_GUILESS_MAIN(TestLocalConfig)
#include "tst_localconfig.moc"
