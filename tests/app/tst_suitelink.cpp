// Bringing the suite launcher back: a running launcher is asked to restore itself, else it is started.
#include "app/suitelink.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <mutex>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A suite launcher listening on its socket in a thread of its own, since the window asks it
// synchronously from the GUI thread. It records every request line and acknowledges it.
class FakeLauncher
{
public:
    explicit FakeLauncher(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        memcpy(address.sun_path, name.constData(), size_t(name.size()));
        m_ok = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0
               && ::listen(m_fd, 4) == 0;
        m_path = name;
        if (m_ok)
            m_thread = std::thread([this] { serve(); });
    }
    ~FakeLauncher()
    {
        ::shutdown(m_fd, SHUT_RDWR);
        ::close(m_fd);
        if (m_thread.joinable())
            m_thread.join();
        ::unlink(m_path.constData());
    }
    bool isListening() const { return m_ok; }
    QList<QByteArray> requests()
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    void serve()
    {
        for (;;) {
            const int client = ::accept(m_fd, nullptr, nullptr);
            if (client < 0)
                return;
            QByteArray line;
            char c = 0;
            while (::read(client, &c, 1) == 1 && c != '\n')
                line += c;
            {
                std::lock_guard lock(m_mutex);
                m_requests.append(line);
            }
            (void)::write(client, "ok\n", 3);
            ::close(client);
        }
    }

    int m_fd = -1;
    bool m_ok = false;
    QByteArray m_path;
    std::thread m_thread;
    std::mutex m_mutex;
    QList<QByteArray> m_requests;
};

} // namespace

class TestSuiteLink : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void runningLauncherIsRestored();
    void missingLauncherIsStarted();
    void socketPathsDifferByTitle();

private:
    QString fakeLauncherOnPath();
    QTemporaryDir m_scratch;
};

void TestSuiteLink::init()
{
    QVERIFY(m_scratch.isValid());
    const QString runtime = m_scratch.filePath(QStringLiteral("runtime-") + QTest::currentTestFunction());
    QVERIFY(QDir().mkpath(runtime));
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
}

QString TestSuiteLink::fakeLauncherOnPath()
{
    // A stand-in "qrd7700-start" on PATH that records its arguments.
    const QString bin = m_scratch.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const QString marker = m_scratch.filePath(QStringLiteral("launcher-started"));
    QFile script(bin + QStringLiteral("/qrd7700-start"));
    if (!script.open(QIODevice::WriteOnly))
        return {};
    script.write("#!/bin/sh\necho \"$@\" > '" + marker.toUtf8() + "'\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", bin.toUtf8() + ':' + qgetenv("PATH"));
    return marker;
}

void TestSuiteLink::runningLauncherIsRestored()
{
    const QString marker = fakeLauncherOnPath();
    FakeLauncher launcher(SuiteLink::socketPathForTitle(QStringLiteral("QRD-7700 Suite")));
    QVERIFY(launcher.isListening());
    SuiteLink::returnToSuite();
    QCOMPARE(launcher.requests(), QList<QByteArray>{"restore"});
    QVERIFY(!QFile::exists(marker));
}

void TestSuiteLink::missingLauncherIsStarted()
{
    const QString marker = fakeLauncherOnPath();
    SuiteLink::returnToSuite();
    // The launcher runs on its own: wait for it to have written its whole line.
    const auto written = [&marker] {
        QFile file(marker);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QTRY_COMPARE_WITH_TIMEOUT(written(), QByteArray("pop\n"), 20000);
}

void TestSuiteLink::socketPathsDifferByTitle()
{
    const QString viewer = SuiteLink::socketPathForTitle(QStringLiteral("Viewer"));
    const QString settings = SuiteLink::socketPathForTitle(QStringLiteral("QRD-7700 Setting"));
    QVERIFY(viewer != settings);
    QVERIFY(!settings.contains(QLatin1Char(' ')));
    QVERIFY(viewer.startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR")));
}

QTEST_GUILESS_MAIN(TestSuiteLink)
#include "tst_suitelink.moc"
