// qrd7700-cli export and verify, run as a process on generated clips: what is written and said,
// the exit codes, nothing left behind on a refusal or an interruption, and verify naming a
// changed byte.
#include "playback/mediaframework.h"

#include "tests/playback/exporttestclips.h"
#include "tests/telemetry/clirun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

class TestExportCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void exports_data();
    void exports();
    void verifyNamesChangedFile();
    void verifyRefuses_data();
    void verifyRefuses();
    void interruptLeavesNothing();

private:
    CliRun cli(const QStringList &arguments) const { return runCli(arguments, QStringLiteral("UTC"), m_cache.path()); }
    QString out() const { return m_out->filePath(QStringLiteral("evidence")); }
    QStringList parentEntries() const
    {
        return QDir(m_out->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    ExportTestClips m_clips;
    QTemporaryDir m_cache;
    std::unique_ptr<QTemporaryDir> m_out;
};

void TestExportCli::initTestCase()
{
    bool skip = false;
    const QString problem = m_clips.prepare(&skip);
    if (skip)
        QSKIP(qPrintable(problem));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestExportCli::init()
{
    m_out = std::make_unique<QTemporaryDir>();
    QVERIFY(m_out->isValid());
}

void TestExportCli::exports_data()
{
    QTest::addColumn<QStringList>("arguments"); // "CLIPS" is the clips' folder, "OUT" the folder to make
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // on stdout when it worked, on stderr when not
    const QString first = ExportTestClips::aviFirst();
    const QString files = "evidence.pdf\noriginals/%1\nroute.gpx\nsegment.mkv\ntelemetry.csv\nSHA256SUMS\n";
    QTest::newRow("a clip's range") << QStringList{first, "--from", "1", "--to", "2.5", "-o", "OUT"} << 0
                                    << QString(files).arg(first);
    QTest::newRow("a drive's range across two clips")
        << QStringList{"CLIPS", "--trip", "1", "--from", "3.5", "--to", "5", "--at", "4.5", "-o", "OUT"} << 0
        << QStringLiteral("evidence.pdf\noriginals/%1\noriginals/%2\nroute.gpx\nsegment.mkv\ntelemetry.csv\nSHA256SUMS\n")
               .arg(first, ExportTestClips::aviSecond());
    QTest::newRow("end before start") << QStringList{first, "--from", "3", "--to", "2", "-o", "OUT"} << 2
                                      << "--to must lie after --from";
    QTest::newRow("no folder to make") << QStringList{first, "--from", "1", "--to", "2"} << 2 << "-o are needed";
    QTest::newRow("a negative time") << QStringList{first, "--from", "-1", "--to", "2", "-o", "OUT"} << 2
                                     << "bad or missing value for --from";
    QTest::newRow("a folder without --trip") << QStringList{"CLIPS", "--from", "1", "--to", "2", "-o", "OUT"} << 2
                                             << "a folder needs --trip N";
    QTest::newRow("no such drive") << QStringList{"CLIPS", "--trip", "9", "--from", "1", "--to", "2", "-o", "OUT"} << 1
                                   << "no trip 9";
    QTest::newRow("after the clip's end") << QStringList{first, "--from", "5", "--to", "6", "-o", "OUT"} << 1
                                          << "the range starts after the clip's end (0:04.000)";
    QTest::newRow("not a clip") << QStringList{ExportTestClips::randomBytes(), "--from", "0", "--to", "1", "-o", "OUT"}
                                << 1 << "the clip's length is unknown";
    QTest::newRow("the folder exists") << QStringList{first, "--from", "1", "--to", "2", "-o", "EXISTING"} << 1
                                       << "already exists";
}

void TestExportCli::exports()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QVERIFY(QDir(m_out->path()).mkdir(QStringLiteral("existing")));
    for (QString &argument : arguments) {
        if (argument == QLatin1String("OUT") || argument == QLatin1String("EXISTING"))
            argument = m_out->filePath(argument.toLower() == QLatin1String("out") ? "evidence" : "existing");
        else if (argument == QLatin1String("CLIPS"))
            argument = m_clips.folder();
        else if (argument.endsWith(QLatin1String(".avi")))
            argument = m_clips.path(argument);
    }
    const CliRun run = cli(QStringList{"export"} + arguments);
    QVERIFY2(run.exitCode == exitCode, qPrintable(run.err));
    if (exitCode != 0) {
        QVERIFY2(run.err.contains(said), qPrintable(run.err));
        QCOMPARE(parentEntries(), QStringList{"existing"});
        QCOMPARE(QDir(m_out->filePath("existing")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        return;
    }
    QCOMPARE(run.out, said);
    QCOMPARE(parentEntries(), (QStringList{"evidence", "existing"}));
    const CliRun verify = cli({"verify", out()});
    QCOMPARE(verify.exitCode, 0);
    QCOMPARE(verify.out.count(QStringLiteral("OK         ")), said.count('\n') - 1);
}

// One byte of an original changed after the export: verify names that file and fails.
void TestExportCli::verifyNamesChangedFile()
{
    const QString first = ExportTestClips::aviFirst();
    QCOMPARE(cli({"export", m_clips.path(first), "--from", "0", "--to", "1", "-o", out()}).exitCode, 0);
    QFile copy(out() + QStringLiteral("/originals/") + first);
    QVERIFY(copy.open(QIODevice::ReadWrite));
    QVERIFY(copy.seek(1000));
    const char byte = copy.peek(1).at(0);
    QVERIFY(copy.write(QByteArray(1, char(byte + 1))) == 1);
    copy.close();
    const CliRun verify = cli({"verify", out()});
    QCOMPARE(verify.exitCode, 1);
    QVERIFY2(verify.out.contains(QStringLiteral("CHANGED    originals/") + first + '\n'), qPrintable(verify.out));
    QVERIFY2(verify.out.contains(QStringLiteral("OK         segment.mkv\n")), qPrintable(verify.out));
}

void TestExportCli::verifyRefuses_data()
{
    QTest::addColumn<QByteArray>("sums"); // the SHA256SUMS written into an empty folder; null: none
    QTest::addColumn<QString>("said");
    const QByteArray hash(64, 'a');
    QTest::newRow("no SHA256SUMS") << QByteArray() << "no SHA256SUMS file";
    QTest::newRow("a name outside the folder") << hash + "  ../outside\n" << "line 1 names a file outside the folder";
    QTest::newRow("an absolute name") << hash + "  /etc/passwd\n" << "line 1 names a file outside the folder";
    QTest::newRow("not a checksum line") << QByteArray("hello\n") << "line 1 is no checksum line";
    QTest::newRow("an empty list") << QByteArray("") << "";
}

void TestExportCli::verifyRefuses()
{
    QFETCH(QByteArray, sums);
    QFETCH(QString, said);
    QVERIFY(QDir().mkdir(out()));
    if (!sums.isNull()) {
        QFile file(out() + QStringLiteral("/SHA256SUMS"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(sums) == sums.size());
    }
    const CliRun verify = cli({"verify", out()});
    QCOMPARE(verify.exitCode, 1);
    QVERIFY2(verify.err.contains(said), qPrintable(verify.err));
    QVERIFY2(!verify.out.contains(QStringLiteral("OK")), qPrintable(verify.out));
}

// Terminated while it renders: no folder, not even the hidden one it worked in.
void TestExportCli::interruptLeavesNothing()
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_cache.path());
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("QRD7700_BINARY_DIR") + QStringLiteral("/tools/cli/qrd7700-cli"),
                  {"export", m_clips.folder(), "--trip", "1", "--from", "0", "--to", "6", "--overlay", "-o", out()});
    QTRY_VERIFY_WITH_TIMEOUT(!parentEntries().isEmpty() || process.state() == QProcess::NotRunning, 30000);
    process.terminate();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(process.readAllStandardError().contains("interrupted; nothing was written"), "");
    QCOMPARE(parentEntries(), QStringList());
}

QTEST_GUILESS_MAIN(TestExportCli)
#include "tst_exportcli.moc"
