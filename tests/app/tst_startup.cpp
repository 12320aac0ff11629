// Starts the built program as a user would and checks the one-window-per-mode rule.
#include "app/suitelink.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <csignal>
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
    void otherUsersListenerIsNotTrusted_data();
    void otherUsersListenerIsNotTrusted();

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

namespace {

constexpr uid_t kNobody = 65534;

// Another user's process listening at `path` and answering every request with "ok", as a window of
// ours would. With `ownFolder`, the folder is made first and given to that user. Returns its id.
pid_t startForeignListener(const QByteArray &path, bool ownFolder)
{
    const pid_t child = fork();
    if (child != 0)
        return child;
    const QByteArray folder = path.left(path.lastIndexOf('/'));
    if (ownFolder && (::mkdir(folder.constData(), 0700) != 0 || ::chown(folder.constData(), kNobody, kNobody) != 0))
        _exit(2);
    // Bound before giving up root (into a folder of ours, where nobody could not), listening after:
    // the listener's credentials are those it listens with.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, path.constData(), size_t(path.size()));
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0
        || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0 || ::listen(fd, 8) != 0)
        _exit(3);
    for (;;) {
        const int client = ::accept(fd, nullptr, nullptr);
        char request[64];
        if (client >= 0 && ::read(client, request, sizeof(request)) > 0)
            (void)::write(client, "ok\n", 3);
        ::close(client);
    }
}

} // namespace

// Another user puts a listener where the viewer looks for a running window of its own (there is no
// runtime folder): at the socket's name in the temporary folder, in a folder of theirs where ours
// goes, or in our folder. The viewer trusts none of them, and its window starts.
void TestStartup::otherUsersListenerIsNotTrusted_data()
{
    QTest::addColumn<QString>("where");   // "name", "their folder" or "our folder"
    QTest::addColumn<QByteArray>("told"); // what the viewer's log says, if anything
    QTest::newRow("at the name in the temporary folder") << "name" << QByteArray();
    QTest::newRow("their folder where ours goes") << "their folder"
                                                   << QByteArray("is not a folder of this user's alone");
    QTest::newRow("their listener in our folder") << "our folder" << QByteArray("is not trusted");
}

void TestStartup::otherUsersListenerIsNotTrusted()
{
    QFETCH(QString, where);
    QFETCH(QByteArray, told);
    if (::geteuid() != 0)
        QSKIP("making another user's listener needs root");
    const QString temporary = m_scratch->filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(temporary));
    QVERIFY(QFile::setPermissions(temporary, QFileDevice::Permissions(0x7777)));
    m_environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    m_environment.insert(QStringLiteral("TMPDIR"), temporary);
    const QString folder = temporary + QStringLiteral("/qrd7700-%1").arg(::getuid());
    const QString ours = folder + QStringLiteral("/qrd7700-Viewer");
    if (where == QLatin1String("our folder"))
        QCOMPARE(::mkdir(QFile::encodeName(folder).constData(), 0700), 0);
    const QString theirs = where == QLatin1String("name") ? folder + QStringLiteral("-Viewer") : ours;
    const pid_t listener = startForeignListener(QFile::encodeName(theirs), where == QLatin1String("their folder"));
    QVERIFY(listener > 0);
    const auto stop = qScopeGuard([listener] {
        ::kill(listener, SIGKILL);
        ::waitpid(listener, nullptr, 0);
    });
    QTRY_VERIFY(QFileInfo::exists(theirs));

    QProcess *viewer = start({});
    QByteArray log;
    if (!told.isEmpty())
        QTRY_VERIFY_WITH_TIMEOUT((log += viewer->readAllStandardError()).contains(told), 20000);
    if (where != QLatin1String("their folder")) // the name is the viewer's now
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(ours).exists() && QFileInfo(ours).ownerId() == ::getuid(), 20000);
    QCOMPARE(viewer->state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
