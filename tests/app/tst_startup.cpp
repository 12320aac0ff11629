// Starts the built program as a user would and checks the one-window-per-mode rule.
#include "app/suitelink.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void secondStartEndsWithZero_data();
    void secondStartEndsWithZero();
    void modesDoNotSeeEachOther();
    void staleSocketDoesNotBlock();
    void busyInstanceKeepsItsSocket();
    void fifoAsOwnSettingsFile();

private:
    QProcess *start(const QStringList &arguments);
    bool isListening(const QString &title) const;
    // A socket bound at the viewer's name by this process, as an instance would; -1 on failure.
    static int bindViewerSocket();

    std::unique_ptr<QTemporaryDir> m_scratch;
    QProcessEnvironment m_environment;
    QList<QProcess *> m_processes;
};

void TestStartup::init()
{
    m_scratch = std::make_unique<QTemporaryDir>();
    QVERIFY(m_scratch->isValid());
    const QString runtime = m_scratch->filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    m_environment.insert(QStringLiteral("HOME"), m_scratch->filePath(QStringLiteral("home")));
    m_environment.insert(QStringLiteral("QRD7700_CARDS"), QString());
    // This process looks for the same sockets as the children.
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
}

void TestStartup::cleanup()
{
    for (QProcess *process : std::as_const(m_processes)) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
        delete process;
    }
    m_processes.clear();
    m_scratch.reset();
}

QProcess *TestStartup::start(const QStringList &arguments)
{
    auto *process = new QProcess;
    m_processes.append(process);
    process->setProcessEnvironment(m_environment);
    process->start(QStringLiteral(QRD7700_EXECUTABLE), arguments);
    return process;
}

bool TestStartup::isListening(const QString &title) const
{
    QLocalSocket socket;
    socket.connectToServer(SuiteLink::socketPathForTitle(title));
    return socket.waitForConnected(200);
}

int TestStartup::bindViewerSocket()
{
    const QByteArray path = QFile::encodeName(SuiteLink::socketPathForTitle(QStringLiteral("Viewer")));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (fd < 0 || size_t(path.size()) >= sizeof(address.sun_path))
        return -1;
    memcpy(address.sun_path, path.constData(), size_t(path.size()));
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void TestStartup::secondStartEndsWithZero_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("title");
    QTest::newRow("viewer") << QStringList{} << "Viewer";
    QTest::newRow("viewer from the suite") << QStringList{"pop"} << "Viewer";
    QTest::newRow("settings") << QStringList{"setup"} << "QRD-7700 Setting";
    QTest::newRow("settings from the suite") << QStringList{"pop", "x"} << "QRD-7700 Setting";
}

void TestStartup::secondStartEndsWithZero()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, title);

    QProcess *first = start(arguments);
    QVERIFY(first->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(isListening(title), 20000);

    QProcess *second = start(arguments);
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);

    QCOMPARE(first->state(), QProcess::Running);
    QByteArray log;
    QTRY_VERIFY_WITH_TIMEOUT((log += first->readAllStandardError()).contains("focus requested"), 5000);
}

void TestStartup::modesDoNotSeeEachOther()
{
    QProcess *viewer = start({});
    QTRY_VERIFY_WITH_TIMEOUT(isListening(QStringLiteral("Viewer")), 20000);
    QProcess *settings = start({QStringLiteral("setup")});
    QTRY_VERIFY_WITH_TIMEOUT(isListening(QStringLiteral("QRD-7700 Setting")), 20000);
    QCOMPARE(viewer->state(), QProcess::Running);
    QCOMPARE(settings->state(), QProcess::Running);
}

void TestStartup::staleSocketDoesNotBlock()
{
    // A socket file left by an instance that crashed: bound, then abandoned without unlinking.
    const QByteArray path = QFile::encodeName(SuiteLink::socketPathForTitle(QStringLiteral("Viewer")));
    const int fd = bindViewerSocket();
    QVERIFY(fd >= 0);
    ::close(fd);
    QVERIFY(QFile::exists(QFile::decodeName(path)));
    QVERIFY(!isListening(QStringLiteral("Viewer")));

    QProcess *first = start({});
    QTRY_VERIFY_WITH_TIMEOUT(isListening(QStringLiteral("Viewer")), 20000);
    QCOMPARE(first->state(), QProcess::Running);

    QProcess *second = start({});
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);
}

// A running instance that does not answer in time (its window busy) still holds its socket: a second
// start leaves it there and ends instead of starting a second window.
void TestStartup::busyInstanceKeepsItsSocket()
{
    const QByteArray path = QFile::encodeName(SuiteLink::socketPathForTitle(QStringLiteral("Viewer")));
    const int fd = bindViewerSocket();
    QVERIFY(fd >= 0);
    QCOMPARE(::listen(fd, 8), 0); // listening, never answering
    QProcess *second = start({});
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(QFile::exists(QFile::decodeName(path)));
    QVERIFY(isListening(QStringLiteral("Viewer")));
    ::close(fd);
}

// A FIFO where the program keeps its own settings: the viewer starts on its defaults instead of
// waiting for a writer that never comes.
void TestStartup::fifoAsOwnSettingsFile()
{
    const QString config = m_scratch->filePath(QStringLiteral("config"));
    QVERIFY(QDir().mkpath(config + QStringLiteral("/qrd7700")));
    QCOMPARE(::mkfifo(QFile::encodeName(config + QStringLiteral("/qrd7700/viewer.conf")).constData(), 0600), 0);
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    QProcess *viewer = start({});
    QTRY_VERIFY_WITH_TIMEOUT(isListening(QStringLiteral("Viewer")), 20000);
    QCOMPARE(viewer->state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
