// qrd7700-cli trips, and gpx/kml/track of a trip, run as a user would on a generated card: three
// drives (a 2 s gap joined, a 4 s gap cut, one across midnight), a recorder 75 s fast in +09:00, an
// event inside a drive and one outside, a file of garbage; and a card without any fix.
#include "cardfixture.h"
#include "clirun.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using CardFixture::ClipPlan;

namespace {

using Run = CliRun;

const QDateTime kMorning(QDate(2025, 7, 2), QTime(9, 0, 14), Qt::UTC);
constexpr qint64 kSeoulFast = 9 * 3600 + 75;

ClipPlan plan(const QDateTime &start, std::optional<qint64> offset, double latitude)
{
    ClipPlan s;
    s.recorderStart = start;
    s.offsetSeconds = offset;
    s.latitude = latitude;
    return s;
}

ClipPlan eventClip(const QDateTime &start, const QString &marker)
{
    ClipPlan s = plan(start, kSeoulFast, 36.0);
    s.folder = QStringLiteral("EVENT");
    s.prefix = QStringLiteral("EVS");
    s.suffix = marker + QStringLiteral(".avi");
    return s;
}

QJsonObject trip(const char *start, const char *end, const QStringList &clips, const QStringList &events,
                 double duration, qint64 distance, const QJsonValue &maxSpeed, qint64 offset, const QJsonValue &error)
{
    return {{"start_utc", start}, {"end_utc", end}, {"clips", QJsonArray::fromStringList(clips)},
            {"events", QJsonArray::fromStringList(events)}, {"duration_s", duration}, {"distance_m", distance},
            {"max_speed_kmh", maxSpeed}, {"utc_offset_s", offset}, {"recorder_clock_error_s", error}};
}

} // namespace

class TestTripsCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tripsAsJson();
    void tripsAsTable();
    void tripExports();
    void cardWithoutAnyFix();
    void damagedCacheChangesNothing();

private:
    Run run(const QStringList &arguments);
    QTemporaryDir m_dir;
    QString m_card;
};

Run TestTripsCli::run(const QStringList &arguments)
{
    return runCli(arguments, QStringLiteral("America/New_York"), m_dir.filePath(QStringLiteral("cache")));
}

void TestTripsCli::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("QRD7700_BINARY_DIR"))
        QSKIP("QRD7700_BINARY_DIR is not set: run this test through ctest");
    QVERIFY(m_dir.isValid());
    m_card = m_dir.filePath(QStringLiteral("card"));
    const QDateTime midnight(QDate(2025, 7, 2), QTime(23, 59, 55), Qt::UTC);
    for (const ClipPlan &clip : {plan(kMorning, kSeoulFast, 37.5), plan(kMorning.addSecs(12), kSeoulFast, 37.501),
                                 plan(kMorning.addSecs(22), kSeoulFast, 37.502), plan(kMorning.addSecs(36), kSeoulFast, 37.6),
                                 plan(midnight, kSeoulFast, 37.7), plan(midnight.addSecs(10), kSeoulFast, 37.701),
                                 eventClip(kMorning.addSecs(16), QStringLiteral("_I")),
                                 eventClip(kMorning.addSecs(-3600), QStringLiteral("_P"))})
        QVERIFY(!CardFixture::writeClip(m_card, clip).isEmpty());
    QFile garbage(m_card + QStringLiteral("/REC/REC_2025_07_02_12_00_00.avi"));
    QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(3000, 'x')) == 3000);
}

void TestTripsCli::tripsAsJson()
{
    const Run result = run({QStringLiteral("trips"), m_card, QStringLiteral("--json")});
    QCOMPARE(result.err, QString());
    QCOMPARE(result.exitCode, 0);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out.toUtf8(), &error);
    QVERIFY2(document.isArray(), qPrintable(error.errorString()));
    const QJsonArray expected{
        trip("2025-07-01T23:58:59Z", "2025-07-01T23:59:31Z",
             {"REC_2025_07_02_09_00_14.avi", "REC_2025_07_02_09_00_26.avi", "REC_2025_07_02_09_00_36.avi"},
             {"EVS_2025_07_02_09_00_30_I.avi"}, 30, 322, 37, 32400, 75),
        trip("2025-07-01T23:59:35Z", "2025-07-01T23:59:45Z", {"REC_2025_07_02_09_00_50.avi"}, {}, 10, 100, 37, 32400, 75),
        trip("2025-07-02T14:58:40Z", "2025-07-02T14:59:00Z",
             {"REC_2025_07_02_23_59_55.avi", "REC_2025_07_03_00_00_05.avi"}, {}, 20, 211, 37, 32400, 75),
    };
    QCOMPARE(document.array(), expected);
}

void TestTripsCli::tripsAsTable()
{
    const Run result = run({QStringLiteral("trips"), m_card});
    QCOMPARE(result.exitCode, 0);
    const QStringList lines = result.out.trimmed().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines.at(1).contains(QRegularExpression(
                 QStringLiteral("^ +1  2025-07-01T23:58:59Z  2025-07-01T23:59:31Z +0:00:30 +0\\.3 km +37 km/h +3 +1  \\+09:00 +\\+75 s$"))),
             qPrintable(lines.at(1)));
}

// A trip as one track: one segment while the fix lasts across the boundaries, times in UTC from
// each clip's own start, time_ms along the whole trip.
void TestTripsCli::tripExports()
{
    const Run gpx = run({QStringLiteral("gpx"), m_card, QStringLiteral("--trip"), QStringLiteral("1")});
    QCOMPARE(gpx.exitCode, 0);
    QXmlStreamReader xml(gpx.out);
    int tracks = 0, segments = 0, points = 0;
    QStringList times;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        tracks += xml.name() == QLatin1String("trk");
        segments += xml.name() == QLatin1String("trkseg");
        points += xml.name() == QLatin1String("trkpt");
        if (xml.name() == QLatin1String("time"))
            times << xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(tracks, 1);
    QCOMPARE(segments, 1);
    QCOMPARE(points, 30); // one per GPS fix: ten seconds of each of the three clips
    QCOMPARE(times.first(), QStringLiteral("2025-07-01T23:58:59.000Z"));
    QCOMPARE(times.at(10), QStringLiteral("2025-07-01T23:59:11.000Z")); // the second clip's own start

    const Run csv = run({QStringLiteral("track"), m_card, QStringLiteral("--trip"), QStringLiteral("3")});
    QCOMPARE(csv.exitCode, 0);
    const QStringList lines = csv.out.trimmed().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 201);
    QVERIFY2(lines.at(101).startsWith(QLatin1String("10000,")) && lines.at(101).endsWith(QLatin1String(",2025-07-02T14:58:50.000Z")),
             qPrintable(lines.at(101)));

    const Run kml = run({QStringLiteral("kml"), m_card, QStringLiteral("--trip"), QStringLiteral("2")});
    QCOMPARE(kml.exitCode, 0);
    QVERIFY(kml.out.contains(QLatin1String("<begin>2025-07-01T23:59:35.000Z</begin>")));

    const Run missing = run({QStringLiteral("gpx"), m_card, QStringLiteral("--trip"), QStringLiteral("4")});
    QCOMPARE(missing.exitCode, 1);
    QCOMPARE(missing.out, QString());
    QCOMPARE(missing.err, "qrd7700-cli: " + m_card + ": no trip 4: the card has 3\n");
}

void TestTripsCli::cardWithoutAnyFix()
{
    const QString card = m_dir.filePath(QStringLiteral("nofix"));
    QVERIFY(!CardFixture::writeClip(card, plan(kMorning, std::nullopt, 0)).isEmpty());
    QVERIFY(!CardFixture::writeClip(card, plan(kMorning.addSecs(10), std::nullopt, 0)).isEmpty());
    const Run result = run({QStringLiteral("trips"), card, QStringLiteral("--json"), QStringLiteral("--tz"), QStringLiteral("+02:00")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, "qrd7700-cli: " + card + ": no GPS time on this card: times assume the zone +02:00\n");
    const QJsonArray expected{trip("2025-07-02T07:00:14Z", "2025-07-02T07:00:34Z",
                                   {"REC_2025_07_02_09_00_14.avi", "REC_2025_07_02_09_00_24.avi"}, {}, 20, 0,
                                   QJsonValue(), 7200, QJsonValue())};
    QCOMPARE(QJsonDocument::fromJson(result.out.toUtf8()).array(), expected);
    const Run gpx = run({QStringLiteral("gpx"), card, QStringLiteral("--trip"), QStringLiteral("1")});
    QCOMPARE(gpx.exitCode, 1);
    QCOMPARE(gpx.err, "qrd7700-cli: " + card + ": no positions in trip 1\n");
    QCOMPARE(run({QStringLiteral("trips"), m_dir.filePath(QStringLiteral("cache"))}).exitCode, 3); // no clips there
}

// The cache under XDG_CACHE_HOME is read on the next run; a damaged one is rebuilt, with the same answer.
void TestTripsCli::damagedCacheChangesNothing()
{
    const QString before = run({QStringLiteral("trips"), m_card, QStringLiteral("--json")}).out;
    const QFileInfoList caches =
        QDir(m_dir.filePath(QStringLiteral("cache/qrd7700/cards"))).entryInfoList({QStringLiteral("*.index")}, QDir::Files);
    QVERIFY(!caches.isEmpty());
    for (const QFileInfo &cache : caches) {
        QFile file(cache.filePath());
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(cache.size() / 2);
        file.write("damage");
    }
    QCOMPARE(run({QStringLiteral("trips"), m_card, QStringLiteral("--json")}).out, before);
}

QTEST_GUILESS_MAIN(TestTripsCli)
#include "tst_tripscli.moc"
