#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The exact output and exit codes of "qrd7700-cli clips".
class TestCliClips : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void clips_data();
    void clips();

private:
    void file(const QString &relative, int size = 4);

    QTemporaryDir m_dir;
};

void TestCliClips::file(const QString &relative, int size)
{
    const QString full = m_dir.path() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(full).path());
    QFile out(full);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(QByteArray(size, 'x'));
}

void TestCliClips::initTestCase()
{
    QVERIFY(m_dir.isValid());
    file(QStringLiteral("CARD/REC/REC_2012_05_14_10_20_30.mp4"));
    file(QStringLiteral("CARD/REC/REC_2012_05_14_10_21_30_M.mp4"));
    file(QStringLiteral("CARD/REC/empty.avi"), 0);
    file(QStringLiteral("CARD/EVENT/EVS_2012_05_14_10_22_00_I.mp4"));
    file(QStringLiteral("CARD/EVENT/EVS_2012_05_14_10_22_30.mp4"));
    file(QStringLiteral("CARD/MOV0001.avi"));
    file(QStringLiteral("CARD/notes.txt"));
    QVERIFY(QDir().mkpath(m_dir.path() + QStringLiteral("/nothing")));
    // A copy of a card on the disk, not listed as a card.
    file(QStringLiteral("COPY/REC/REC_2012_05_14_10_20_30.mp4"));
    file(QStringLiteral("COPY/EVENT/deep/EVS_2012_05_14_10_22_30.mp4"));
    // A name that would forge a line of its own, and a clip-named link to a file off the card.
    file(QStringLiteral("HOSTILE/EVS_x\n2\t-\tforged.mp4"));
    file(QStringLiteral("HOSTILE/REC_2012_05_14_10_00_01.mp4"));
    QVERIFY(QFile::link(QStringLiteral("/etc/passwd"),
                        m_dir.path() + QStringLiteral("/HOSTILE/REC_2012_05_14_10_00_00.mp4")));
}

void TestCliClips::clips_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected"); // "@" stands for the card's path, "#" for the folder around it
    QTest::addColumn<int>("exitCode");
    const QString evsI = QStringLiteral("2\t-\t@/EVENT/EVS_2012_05_14_10_22_00_I.mp4\n");
    const QString evs = QStringLiteral("2\t2012-05-14T10:22:30\t@/EVENT/EVS_2012_05_14_10_22_30.mp4\n");
    const QString mov = QStringLiteral("0\t-\t@/MOV0001.avi\n");
    const QString rec = QStringLiteral("1\t2012-05-14T10:20:30\t@/REC/REC_2012_05_14_10_20_30.mp4\n");
    const QString recM = QStringLiteral("1\t-\t@/REC/REC_2012_05_14_10_21_30_M.mp4\n");
    QTest::newRow("whole card") << QStringList{"@"} << evsI + evs + mov + rec + recM << 0;
    QTest::newRow("REC category") << QStringList{"@", "--category", "rec"} << rec + recM << 0;
    QTest::newRow("EVENT category, driving") << QStringList{"@", "--category=event", "--filter=driving"} << evsI
                                             << 0;
    QTest::newRow("manual filter") << QStringList{"--filter", "manual", "@"} << recM << 0;
    QTest::newRow("parking filter shows none") << QStringList{"@", "--filter", "parking"} << "" << 0;
    QTest::newRow("sub-folder of the card") << QStringList{"@/REC", "--category", "rec"} << rec + recM << 0;
    QTest::newRow("card copy on the disk")
        << QStringList{"@/../COPY"}
        << "2\t2012-05-14T10:22:30\t#/COPY/EVENT/deep/EVS_2012_05_14_10_22_30.mp4\n"
           "1\t2012-05-14T10:20:30\t#/COPY/REC/REC_2012_05_14_10_20_30.mp4\n"
        << 0;
    QTest::newRow("card copy, REC category")
        << QStringList{"@/../COPY", "--category", "rec"} << "1\t2012-05-14T10:20:30\t#/COPY/REC/REC_2012_05_14_10_20_30.mp4\n"
        << 0;
    QTest::newRow("folder without clips") << QStringList{"@/../nothing"} << "" << 3;
    QTest::newRow("control characters escaped, links skipped")
        << QStringList{"@/../HOSTILE"}
        << "2\t-\t#/HOSTILE/EVS_x\\n2\\t-\\tforged.mp4\n"
           "1\t2012-05-14T10:00:01\t#/HOSTILE/REC_2012_05_14_10_00_01.mp4\n"
        << 0;
    QTest::newRow("missing folder") << QStringList{"@/../missing"} << "" << 1;
    QTest::newRow("no folder") << QStringList{"--category", "rec"} << "" << 2;
    QTest::newRow("bad category") << QStringList{"@", "--category", "REC"} << "" << 2;
    QTest::newRow("two folders") << QStringList{"@", "@"} << "" << 2;
    QTest::newRow("unknown option") << QStringList{"@", "--sort"} << "" << 2;
}

void TestCliClips::clips()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QFETCH(int, exitCode);
    const QString card = m_dir.path() + QStringLiteral("/CARD");
    for (QString &argument : arguments)
        argument.replace(QLatin1Char('@'), card);
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QRD7700_CARDS"), card);
    cli.setProcessEnvironment(environment);
    cli.start(qEnvironmentVariable("QRD7700_BINARY_DIR") + QStringLiteral("/tools/cli/qrd7700-cli"),
              QStringList{QStringLiteral("clips")} + arguments);
    QVERIFY(cli.waitForFinished());
    expected.replace(QLatin1Char('@'), card).replace(QLatin1Char('#'), m_dir.path());
    QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()), expected);
    QCOMPARE(cli.exitCode(), exitCode);
    QCOMPARE(cli.readAllStandardError().isEmpty(), exitCode == 0 || exitCode == 3);
}

QTEST_GUILESS_MAIN(TestCliClips)
#include "tst_cliclips.moc"
