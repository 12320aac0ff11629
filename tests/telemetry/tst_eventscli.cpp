#include "generators/clipwriter/drivesynthesis.h"
#include "clirun.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace ClipWriter;

namespace {

using Run = CliRun;

struct Found
{
    const char *kind;
    const char *clip;
    double atSeconds;
    double peakG;
    int speedBefore; // km/h, checked to ±3
    int speedAfter;
};

const char kFirst[] = "REC_2012_05_14_10_20_30.avi";
const char kSecond[] = "REC_2012_05_14_10_21_30.avi";

// The recorder's clock in a clip's name, read as a wall clock.
QDateTime nameTime(const QString &fileName)
{
    QDateTime time = QDateTime::fromString(fileName.mid(4, 19), QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    time.setTimeSpec(Qt::UTC);
    return time;
}

// A 30 s clip of a drive seen by a recorder mounted backwards and tilted 10°, with the noise
// of `seed`. The recorder's clock runs on Seoul time (+09:00); the GPS gives true UTC.
bool writeDrive(const QString &path, const QList<Push> &pushes, quint32 seed)
{
    DriveScenario scenario;
    scenario.seconds = 30;
    scenario.pushes = pushes;
    scenario.pitchDegrees = 10;
    scenario.mountedBackwards = true;
    scenario.seed = seed;
    return writeDriveClip(path, synthesizeDrive(scenario), nameTime(QFileInfo(path).fileName()).addSecs(-9 * 3600));
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

Q_DECLARE_METATYPE(QList<Found>)

// "qrd7700-cli events" on a generated card: which events, in which order, with which times, and
// how it refuses what it cannot read.
class TestEventsCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void events_data();
    void events();
    void table();
    void thresholdsInEffect();
    void failures_data();
    void failures();

private:
    Run run(const QStringList &arguments, const QByteArray &settings = {});
    QTemporaryDir m_dir;
    QString m_card;
};

// Runs the tool on a computer in New York (−05:00), with `settings` as its viewer.conf: the times
// must come from the clips' GPS, not from this computer's zone.
Run TestEventsCli::run(const QStringList &arguments, const QByteArray &settings)
{
    QTemporaryDir config;
    if (!writeBytes(config.filePath(QStringLiteral("qrd7700/viewer.conf")), settings))
        return {};
    return runCli(arguments, QStringLiteral("EST5"), m_dir.filePath(QStringLiteral("cache")), config.path());
}

// A copy of a card: two drives with two events each, an event clip without any, an MP4 clip, a clip
// of random bytes and one cut off in the middle.
void TestEventsCli::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("QRD7700_BINARY_DIR"))
        QSKIP("QRD7700_BINARY_DIR is not set: run this test through ctest");
    QVERIFY(m_dir.isValid());
    m_card = m_dir.filePath(QStringLiteral("CARD"));
    QVERIFY(QDir().mkpath(m_card + QStringLiteral("/REC")) && QDir().mkpath(m_card + QStringLiteral("/EVENT")));
    // The second clip is written first: the list is ordered by the times in the names.
    QVERIFY(writeDrive(m_card + "/REC/" + kSecond, {{10, 3, -0.5}, {20, 1, 0, 0.5}}, 2));
    QVERIFY(writeDrive(m_card + "/REC/" + kFirst, {{12.5, 0.1, 0.9}, {20, 2, 0.4}}, 1));
    const QString steady = m_card + QStringLiteral("/EVENT/EVS_2012_05_14_10_22_30_I.avi");
    QVERIFY(writeDrive(steady, {}, 3));
    QVERIFY(writeBytes(m_card + QStringLiteral("/REC/REC_2012_05_14_10_23_00.mp4"), QByteArray(4096, '\0')));
    QByteArray noise(8192, Qt::Uninitialized);
    QRandomGenerator(77).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    QVERIFY(writeBytes(m_card + QStringLiteral("/REC/REC_2012_05_14_10_24_00.avi"), noise));
    QFile whole(steady);
    QVERIFY(whole.open(QIODevice::ReadOnly));
    QVERIFY(writeBytes(m_card + QStringLiteral("/REC/REC_2012_05_14_10_25_00.avi"), whole.read(whole.size() / 2)));
}

void TestEventsCli::events_data()
{
    QTest::addColumn<QStringList>("arguments"); // "@" stands for the card
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QList<Found>>("found");
    QTest::addColumn<QString>("errorPart");

    // Cruising at 80 km/h: the impact adds 3 km/h and the start 28; the brake takes 53.
    const QList<Found> card = {{"impact", kFirst, 12.5, 0.9, 80, 83},
                               {"hard-acceleration", kFirst, 20, 0.4, 83, 111},
                               {"hard-brake", kSecond, 10, 0.5, 80, 27},
                               {"sharp-turn", kSecond, 20, 0.5, 27, 27}};
    QTest::newRow("the card, oldest first") << QStringList{"@", "--json"} << QByteArray() << card << QString();
    QTest::newRow("one clip") << QStringList{QStringLiteral("--json"), QStringLiteral("@/REC/") + kSecond}
                              << QByteArray() << card.mid(2) << QString();
    QTest::newRow("raised thresholds in viewer.conf")
        << QStringList{"@", "--json"} << QByteArray("[events]\nimpact=1.5\nhard-brake=0.9\nhard-brake-speed-drop=40\n")
        << QList<Found>{card.at(1), card.at(3)} << QString();
    QTest::newRow("a threshold that is no number is named and left at its default")
        << QStringList{"@", "--json"} << QByteArray("[events]\nimpact=strong\n") << card
        << QStringLiteral("[events] impact=strong: not a number from 0.1 to 2; the default is used\n");
}

void TestEventsCli::events()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, settings);
    QFETCH(QList<Found>, found);
    QFETCH(QString, errorPart);

    arguments.replaceInStrings(QStringLiteral("@"), m_card);
    const Run result = run(QStringList{QStringLiteral("events")} + arguments, settings);
    QCOMPARE(result.exitCode, 0);
    if (errorPart.isEmpty())
        QCOMPARE(result.err, QString());
    else
        QVERIFY2(result.err.contains(errorPart), qPrintable(result.err));
    QJsonParseError error;
    const QJsonArray events = QJsonDocument::fromJson(result.out.toUtf8(), &error).array();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(events.size(), found.size());
    for (qsizetype i = 0; i < found.size(); ++i) {
        const QJsonObject event = events.at(i).toObject();
        const QString context = QString::fromUtf8(QJsonDocument(event).toJson(QJsonDocument::Compact));
        QCOMPARE(event.size(), 7);
        QCOMPARE(event.value("kind").toString(), QLatin1String(found.at(i).kind));
        QCOMPARE(event.value("clip").toString(), m_card + QStringLiteral("/REC/") + found.at(i).clip);
        const qint64 offset = event.value("offset_ms").toInteger(-1);
        QVERIFY2(std::abs(offset - found.at(i).atSeconds * 1000) <= 1000, qPrintable(context));
        // The recorder's time in the name, 10:20:30 at +09:00, plus the offset, in UTC.
        const QDateTime start = nameTime(QLatin1String(found.at(i).clip));
        QCOMPARE(event.value("time_utc").toString(),
                 start.addSecs(-9 * 3600).addMSecs(offset).toString("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'"));
        QVERIFY2(std::abs(event.value("peak_g").toDouble() - found.at(i).peakG) <= 0.12, qPrintable(context));
        QVERIFY2(std::abs(event.value("speed_before_kmh").toInt(-99) - found.at(i).speedBefore) <= 3,
                 qPrintable(context));
        QVERIFY2(std::abs(event.value("speed_after_kmh").toInt(-99) - found.at(i).speedAfter) <= 3,
                 qPrintable(context));
    }
}

void TestEventsCli::table()
{
    const Run result = run({QStringLiteral("events"), m_card});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QString());
    const QStringList lines = result.out.split('\n');
    QVERIFY2(lines.size() == 7, qPrintable(result.out));
    QCOMPARE(lines.first(),
             QStringLiteral("time_utc                  kind               peak_g  speed_kmh   offset   clip"));
    const QString row =
        QStringLiteral("^2012-05-14T01:2\\d:\\d\\d\\.\\d{3}Z +%1 +[01]\\.\\d\\d +\\d+ -> \\d+ +0:\\d\\d\\.\\d +%2$");
    QVERIFY2(QRegularExpression(row.arg("impact", kFirst)).match(lines.at(1)).hasMatch(), qPrintable(lines.at(1)));
    QVERIFY2(QRegularExpression(row.arg("hard-brake", kSecond)).match(lines.at(3)).hasMatch(), qPrintable(lines.at(3)));
    QCOMPARE(lines.at(5), QStringLiteral("4 events in 6 clips (2 without telemetry)"));
    QCOMPARE(lines.at(6), QString());
}

void TestEventsCli::thresholdsInEffect()
{
    const Run result =
        run({QStringLiteral("events"), QStringLiteral("--thresholds")}, "[events]\nsharp-turn=0.5\nimpact=-1\n");
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.startsWith(QLatin1String("[events]\n")));
    QVERIFY(result.out.contains(QLatin1String("\nsharp-turn=0.5\n")));
    QVERIFY(result.out.contains(QLatin1String("\nimpact=0.8\n")));
    QVERIFY(result.out.contains(QLatin1String("\nhard-brake-speed-drop=15\n")));
    QVERIFY(result.err.contains(QLatin1String("impact=-1")));
    // What it prints reads back as the same thresholds.
    const Run again = run({QStringLiteral("events"), QStringLiteral("--thresholds")}, result.out.toUtf8());
    QCOMPARE(again.err, QString());
    QCOMPARE(again.out, result.out);
}

void TestEventsCli::failures_data()
{
    QTest::addColumn<QStringList>("arguments"); // "@" stands for the card, "#" for an empty folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("errorStart");

    QTest::newRow("no path") << QStringList() << 2 << QStringLiteral("qrd7700-cli events: PATH is missing");
    QTest::newRow("two paths") << QStringList{"@", "@"} << 2 << QStringLiteral("qrd7700-cli events: one PATH only");
    QTest::newRow("unknown option") << QStringList{"@", "--csv"} << 2
                                    << QStringLiteral("qrd7700-cli events: unknown option '--csv'");
    QTest::newRow("thresholds with a path") << QStringList{"--thresholds", "@"} << 2
                                            << QStringLiteral("qrd7700-cli events: --thresholds stands alone");
    QTest::newRow("missing clip") << QStringList{"@/REC/REC_2012_05_14_11_00_00.avi"} << 1
                                  << QStringLiteral("qrd7700-cli: @/REC/REC_2012_05_14_11_00_00.avi: ");
    QTest::newRow("an MP4 clip") << QStringList{"@/REC/REC_2012_05_14_10_23_00.mp4"} << 1
                                 << QStringLiteral("qrd7700-cli: @/REC/REC_2012_05_14_10_23_00.mp4: not an AVI clip");
    QTest::newRow("random bytes") << QStringList{"@/REC/REC_2012_05_14_10_24_00.avi", "--json"} << 1
                                  << QStringLiteral("qrd7700-cli: @/REC/REC_2012_05_14_10_24_00.avi: not an AVI clip");
    QTest::newRow("a folder without clips") << QStringList{"#"} << 3
                                            << QStringLiteral("qrd7700-cli: #: no clips in this folder\n");
}

void TestEventsCli::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, errorStart);

    const QString empty = m_dir.filePath(QStringLiteral("empty"));
    QVERIFY(QDir().mkpath(empty + QStringLiteral("/EVENT")));
    arguments.replaceInStrings(QStringLiteral("#"), empty);
    arguments.replaceInStrings(QStringLiteral("@"), m_card);
    errorStart.replace(QLatin1Char('#'), empty).replace(QLatin1Char('@'), m_card);
    const Run result = run(QStringList{QStringLiteral("events")} + arguments);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.out, QString());
    QVERIFY2(result.err.startsWith(errorStart), qPrintable(result.err));
}

QTEST_GUILESS_MAIN(TestEventsCli)
#include "tst_eventscli.moc"
