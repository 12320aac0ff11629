#include "playback/mediaframework.h"
#include "playertestclips.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

// qrd7700-cli probe, run as a process on generated clips.
class TestProbeCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void probe_data();
    void probe();

private:
    PlayerTestClips m_clips;
    QString m_cli;
};

void TestProbeCommand::initTestCase()
{
    QVERIFY(MediaFramework::initialise());
    QString error;
    QVERIFY2(m_clips.create(&error), qPrintable(error));
    m_cli = qEnvironmentVariable("QRD7700_BINARY_DIR") + QStringLiteral("/tools/cli/qrd7700-cli");
    QVERIFY2(QFileInfo(m_cli).isExecutable(), qPrintable(m_cli));
}

void TestProbeCommand::probe_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    if (m_clips.missingMp4().isEmpty()) {
        QTest::newRow("mp4, two channels")
            << PlayerTestClips::mp4Two() << 0
            << "channels=2\nsize0=320x180\nsize1=160x90\nduration_ms=2043\naudio=1\nrecipe=mp4\n";
        QTest::newRow("mp4 without sound")
            << PlayerTestClips::mp4Silent() << 0
            << "channels=1\nsize0=320x180\nsize1=0x0\nduration_ms=2000\naudio=0\nrecipe=mp4\n";
        QTest::newRow("fallback") << PlayerTestClips::mp4NamedAvi() << 0
                                  << "channels=1\nsize0=320x180\nsize1=0x0\nduration_ms=2043\naudio=1\nrecipe=fallback\n";
    }
    if (m_clips.missingAvi().isEmpty()) {
        QTest::newRow("avi, two channels")
            << PlayerTestClips::aviTwo() << 0
            << "channels=2\nsize0=320x180\nsize1=160x90\nduration_ms=2000\naudio=1\nrecipe=avi\n";
    }
    QTest::newRow("random bytes") << PlayerTestClips::randomBytes() << 1 << "";
    QTest::newRow("zero-length file") << PlayerTestClips::emptyAvi() << 1 << "";
    QTest::newRow("missing file") << QStringLiteral("nothing-here.mp4") << 1 << "";
}

void TestProbeCommand::probe()
{
    QFETCH(QString, name);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QProcess process;
    process.start(m_cli, {QStringLiteral("probe"), m_clips.path(name)});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), exitCode);
    QString out = QString::fromUtf8(process.readAllStandardOutput());
    // The AAC track's length depends on the encoder's frame padding: compare it loosely.
    if (exitCode == 0) {
        const QRegularExpression duration(QStringLiteral("duration_ms=(\\d+)"));
        const auto actual = duration.match(out);
        const auto wanted = duration.match(output);
        QVERIFY(actual.hasMatch());
        QVERIFY(qAbs(actual.captured(1).toInt() - wanted.captured(1).toInt()) <= 100);
        out.replace(actual.capturedStart(1), actual.capturedLength(1), wanted.captured(1));
    } else {
        QVERIFY(!process.readAllStandardError().isEmpty());
    }
    QCOMPARE(out, output);
}

QTEST_GUILESS_MAIN(TestProbeCommand)
#include "tst_probecommand.moc"
