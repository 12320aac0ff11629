#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The exact output, effects and exit codes of "qrd7700-cli settings show|set".
class TestCliSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void show_data();
    void show();
    void setWritesTheCard();
    void setRefused_data();
    void setRefused();
    void hostileCard_data();
    void hostileCard();

private:
    void put(const QString &relative, const QByteArray &content);
    QByteArray contentOf(const QString &relative) const;
    // Runs the tool; returns its standard output, sets `exitCode` and `errorText`.
    QString run(const QStringList &arguments, int *exitCode, QByteArray *errorText = nullptr);
    QString card() const { return m_dir->path() + QStringLiteral("/CARD"); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCliSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    put(QStringLiteral("setting/settime.dat"), "2013-04-05-17-30-00");
}

void TestCliSettings::put(const QString &relative, const QByteArray &content)
{
    const QString full = card() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(full).path());
    QFile out(full);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(content);
}

QByteArray TestCliSettings::contentOf(const QString &relative) const
{
    QFile file(card() + QLatin1Char('/') + relative);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString TestCliSettings::run(const QStringList &arguments, int *exitCode, QByteArray *errorText)
{
    QProcess cli;
    cli.start(qEnvironmentVariable("QRD7700_BINARY_DIR") + QStringLiteral("/tools/cli/qrd7700-cli"),
              QStringList{QStringLiteral("settings")} + arguments);
    if (!cli.waitForFinished())
        return QStringLiteral("<no finish>");
    *exitCode = cli.exitCode();
    if (errorText)
        *errorText = cli.readAllStandardError();
    return QString::fromUtf8(cli.readAllStandardOutput());
}

void TestCliSettings::show_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QByteArray>("screenSaver");
    QTest::addColumn<QString>("expected");
    const QString head = QStringLiteral("resolution=1\nquality=3\nframe=1\nsound=0\nspeaker=0\nsensitivity=-1\n"
                                        "eventNum=40\nparking=0\nmotion=0\nbattery=0\nbattery2=0\nspeed=1\nhour=0\n"
                                        "securityLed=0\nrearsecurity=0\npoweroff=2\n");
    const QString clock = QStringLiteral("theme=1\nclockText=2013-04-05-17-30-00\n");
    QTest::newRow("QRD-7700 card") << QByteArray("QRD-7700 V1.01\n") << QByteArray("\x02")
                                   << head + "enterSS=2\n" + clock + "model=main\nloaded=1\n";
    QTest::newRow("card of another recorder") << QByteArray("OTHER\n") << QByteArray("\x02")
                                              << head + "enterSS=0\n" + clock + "model=none\nloaded=1\n";
}

void TestCliSettings::show()
{
    QFETCH(QByteArray, version);
    QFETCH(QByteArray, screenSaver);
    QFETCH(QString, expected);
    put(QStringLiteral("update/version.txt"), version);
    put(QStringLiteral("setting/setquality.dat"), "\x03");
    put(QStringLiteral("setting/setsensitivity.dat"), "\xff");
    put(QStringLiteral("setting/enterSS.dat"), screenSaver);
    int exitCode = -1;
    QCOMPARE(run({QStringLiteral("show"), card()}, &exitCode), expected);
    QCOMPARE(exitCode, 0);
}

void TestCliSettings::setWritesTheCard()
{
    put(QStringLiteral("update/version.txt"), "QRD-7700\n");
    int exitCode = -1;
    QCOMPARE(run({"set", card(), "quality=3", "eventNum=60", "sensitivity=-1", "clock=2014-01-02-03-04-05"},
                 &exitCode),
             QString());
    QCOMPARE(exitCode, 0);
    QCOMPARE(contentOf(QStringLiteral("setting/setquality.dat")), QByteArray("\x03"));
    QCOMPARE(contentOf(QStringLiteral("setting/seteventcnt.dat")), QByteArray("\x3c"));
    QCOMPARE(contentOf(QStringLiteral("setting/setsensitivity.dat")), QByteArray("\xff"));
    QCOMPARE(contentOf(QStringLiteral("setting/settime.dat")), QByteArray("2014-01-02-03-04-05"));
    const QString shown = run({QStringLiteral("show"), card()}, &exitCode);
    QVERIFY(shown.contains(QLatin1String("\nquality=3\n")));
    QVERIFY(shown.contains(QLatin1String("\nclockText=2014-01-02-03-04-05\n")));
}

void TestCliSettings::setRefused_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QStringList>("assignments");
    QTest::addColumn<bool>("blockQuality");
    QTest::addColumn<int>("exitCode");
    const QByteArray qrd("QRD-7700\n");
    QTest::newRow("no version file") << QByteArray() << QStringList{"quality=3"} << false << 1;
    QTest::newRow("another recorder") << QByteArray("X\n") << QStringList{"quality=3"} << false << 1;
    QTest::newRow("save fails") << qrd << QStringList{"quality=3"} << true << 1;
    QTest::newRow("unknown key") << qrd << QStringList{"colour=3"} << false << 2;
    QTest::newRow("not a number") << qrd << QStringList{"quality=high"} << false << 2;
    QTest::newRow("out of byte range") << qrd << QStringList{"quality=256"} << false << 2;
    QTest::newRow("read-only setting") << qrd << QStringList{"resolution=2"} << false << 2;
    QTest::newRow("bad clock") << qrd << QStringList{"clock=2014-01-02 03:04:05"} << false << 2;
    QTest::newRow("impossible clock") << qrd << QStringList{"clock=2014-02-30-03-04-05"} << false << 2;
    QTest::newRow("no assignment") << qrd << QStringList{} << false << 2;
    QTest::newRow("no equals sign") << qrd << QStringList{"quality"} << false << 2;
}

void TestCliSettings::setRefused()
{
    QFETCH(QByteArray, version);
    QFETCH(QStringList, assignments);
    QFETCH(bool, blockQuality);
    QFETCH(int, exitCode);
    if (!version.isEmpty())
        put(QStringLiteral("update/version.txt"), version);
    if (blockQuality)
        QVERIFY(QDir().mkpath(card() + QStringLiteral("/setting/setquality.dat")));
    int code = -1;
    QByteArray errorText;
    QCOMPARE(run(QStringList{QStringLiteral("set"), card()} + assignments, &code, &errorText), QString());
    QCOMPARE(code, exitCode);
    QVERIFY(!errorText.isEmpty());
    QCOMPARE(QDir(card() + QStringLiteral("/setting")).entryList(QDir::Files),
             QStringList{QStringLiteral("settime.dat")});
}

namespace {

// Every entry below `folder` with its kind and, for regular files, their size and first 64 KiB.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QByteArray description = it.fileInfo().isSymLink() ? "link" : it.fileInfo().isDir() ? "folder" : "special";
        QFile file(path);
        if (!it.fileInfo().isSymLink() && it.fileInfo().isFile() && file.open(QIODevice::ReadOnly))
            description = "file " + QByteArray::number(file.size()) + ' ' + file.read(1 << 16);
        entries.insert(QDir(folder).relativeFilePath(path), description);
    }
    return entries;
}

} // namespace

// Cards with entries of the wrong kind: show and set never hang, never read or write off the card,
// and a failed set names the files and exits 1 (leaving the card as it was when a file the recorder
// needs failed).
void TestCliSettings::hostileCard_data()
{
    QTest::addColumn<QString>("entry");           // below the card's root
    QTest::addColumn<QString>("kind");            // fifo, folder, link (off the card) or huge
    QTest::addColumn<QStringList>("assignments"); // empty: show
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected");        // in stdout for show, in stderr for set
    QTest::addColumn<bool>("cardUnchanged");
    const QStringList set{QStringLiteral("quality=3")};
    QTest::newRow("show: FIFO as a settings file") << "setting/setframe.dat" << "fifo" << QStringList() << 0
                                                   << "\nframe=1\n" << true;
    QTest::newRow("show: FIFO as version.txt") << "update/version.txt" << "fifo" << QStringList() << 0
                                               << "\nmodel=none\n" << true;
    QTest::newRow("show: 3 GB version.txt") << "update/version.txt" << "huge" << QStringList() << 0
                                            << "\nmodel=main\n" << true;
    QTest::newRow("show: settings file linked off the card") << "setting/setframe.dat" << "link" << QStringList()
                                                             << 0 << "\nframe=1\n" << true;
    QTest::newRow("set: FIFO as a settings file") << "setting/setframe.dat" << "fifo" << set << 1
                                                  << "setframe.dat" << true;
    QTest::newRow("set: a folder in place of a file that must be written")
        << "setting/setbattery.dat" << "folder" << set << 1 << "cannot write setbattery.dat" << true;
    QTest::newRow("set: a folder in place of the motion file") << "setting/setmotion.dat" << "folder" << set << 1
                                                               << "cannot write setmotion.dat" << false;
    QTest::newRow("set: settime.dat linked off the card")
        << "setting/settime.dat" << "link" << QStringList{QStringLiteral("clock=2014-01-02-03-04-05")} << 0 << ""
        << false;
}

void TestCliSettings::hostileCard()
{
    QFETCH(QString, entry);
    QFETCH(QString, kind);
    QFETCH(QStringList, assignments);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);
    QFETCH(bool, cardUnchanged);
    put(QStringLiteral("update/version.txt"), "QRD-7700\n");
    put(QStringLiteral("setting/setquality.dat"), "\x01");
    const QString outside = m_dir->path() + QStringLiteral("/outside");
    put(QStringLiteral("../outside/file"), "\x02 precious");
    const QString path = card() + QLatin1Char('/') + entry;
    QFile::remove(path);
    if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("link")) {
        QVERIFY(QFile::link(outside + QStringLiteral("/file"), path));
    } else {
        QFile huge(path); // sparse: takes no room on the disk
        QVERIFY(huge.open(QIODevice::WriteOnly));
        huge.write("QRD-7700 ");
        QVERIFY(huge.resize(qint64(3) << 30));
    }
    const auto cardBefore = snapshot(card());
    const auto outsideBefore = snapshot(outside);

    int code = -1;
    QByteArray errorText;
    const QStringList arguments = assignments.isEmpty() ? QStringList{QStringLiteral("show"), card()}
                                                        : QStringList{QStringLiteral("set"), card()} + assignments;
    const QString shown = run(arguments, &code, &errorText);
    QCOMPARE(code, exitCode);
    QVERIFY2((assignments.isEmpty() ? shown : QString::fromUtf8(errorText)).contains(expected), errorText);
    QCOMPARE(snapshot(outside), outsideBefore);
    if (cardUnchanged) {
        QCOMPARE(snapshot(card()), cardBefore);
        return;
    }
    if (entry.endsWith(QLatin1String("settime.dat"))) {
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(contentOf(QStringLiteral("setting/settime.dat")), QByteArray("2014-01-02-03-04-05"));
    } else {
        QCOMPARE(contentOf(QStringLiteral("setting/setquality.dat")), QByteArray("\x03"));
    }
}

QTEST_GUILESS_MAIN(TestCliSettings)
#include "tst_clisettings.moc"
