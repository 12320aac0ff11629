// The recorder's clock against GPS time: offsets from fixes, the zone and the clock error, the
// zone assumed without a fix, and the text that tells the user about a clock that is off.
#include "base/language.h"
#include "base/messages.h"
#include "telemetry/recorderclock.h"

#include <QtTest>

using namespace RecorderClock;
using OptionalMs = std::optional<qint64>;
Q_DECLARE_METATYPE(OptionalMs)

namespace {

constexpr qint64 kHour = 3600 * 1000;
constexpr qint64 kStart = 1751446814000; // 2025-07-02 09:00:14 on the recorder (naive)

// Fixes one second apart whose UTC lies `offsetMs` behind the recorder, each off by its jitter.
QList<FixTime> fixes(qint64 offsetMs, const QList<qint64> &jitterMs)
{
    QList<FixTime> result;
    for (int i = 0; i < jitterMs.size(); ++i)
        result.append({i * 1000, kStart + i * 1000 - offsetMs + jitterMs.at(i)});
    return result;
}

} // namespace

class TestRecorderClock : public QObject
{
    Q_OBJECT

private slots:
    void offsets_data();
    void offsets();
    void stamps_data();
    void stamps();
    void fallbackZone_data();
    void fallbackZone();
    void borrowing();
    void clockErrorText_data();
    void clockErrorText();
};

void TestRecorderClock::offsets_data()
{
    QTest::addColumn<QList<FixTime>>("fixes");
    QTest::addColumn<OptionalMs>("offset");
    QTest::addColumn<qint64>("zone");
    QTest::addColumn<qint64>("error");
    QTest::newRow("zone +9 h, recorder 75 s fast") << fixes(9 * kHour + 75000, {0, 0, 0}) << OptionalMs(9 * kHour + 75000)
                                                   << 9 * kHour << qint64(75000);
    QTest::newRow("zone -5 h, recorder 40 s slow") << fixes(-5 * kHour - 40000, {0, 0}) << OptionalMs(-5 * kHour - 40000)
                                                   << -5 * kHour << qint64(-40000);
    QTest::newRow("a quarter-hour zone (+5:45)") << fixes(20700000 + 3000, {0}) << OptionalMs(20703000)
                                                 << qint64(20700000) << qint64(3000);
    QTest::newRow("the median outvotes a wild fix")
        << fixes(kHour, {0, 400, -300, 2 * kHour, 100}) << OptionalMs(kHour) << kHour << qint64(0);
    QTest::newRow("sub-second placing rounds to the second")
        << fixes(kHour + 75000, {-100, -100, -100, -100}) << OptionalMs(kHour + 75000) << kHour << qint64(75000);
    QTest::newRow("no fixes") << QList<FixTime>() << OptionalMs() << qint64(0) << qint64(0);
}

void TestRecorderClock::offsets()
{
    QFETCH(QList<FixTime>, fixes);
    QFETCH(OptionalMs, offset);
    QFETCH(qint64, zone);
    QFETCH(qint64, error);
    QCOMPARE(offsetFromFixes(kStart, fixes), offset);
    if (!offset)
        return;
    QCOMPARE(zonePart(*offset), zone);
    QCOMPARE(clockError(*offset), error);
    const QDateTime local = localTimeOf(kStart, {*offset, Source::Gps});
    QCOMPARE(local.offsetFromUtc() * qint64(1000), zone);
    QCOMPARE(local.toMSecsSinceEpoch(), kStart - *offset);
}

void TestRecorderClock::stamps_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stamp"); // naive, empty for none
    QTest::newRow("normal AVI clip") << "REC_2025_07_02_09_00_14.avi" << "2025-07-02T09:00:14";
    QTest::newRow("event with a cause marker") << "EVS_2025_07_02_09_00_14_I.avi" << "2025-07-02T09:00:14";
    QTest::newRow("lower case, MP4") << "rec_2025_07_02_23_59_59.mp4" << "2025-07-02T23:59:59";
    QTest::newRow("hour of a spring-forward gap elsewhere") << "REC_2025_03_30_02_30_00.avi" << "2025-03-30T02:30:00";
    QTest::newRow("impossible date") << "REC_2025_02_30_09_00_00.avi" << QString();
    QTest::newRow("hour 24") << "REC_2025_07_02_24_00_00.avi" << QString();
    QTest::newRow("truncated time") << "REC_2025_07_02_09_00.avi" << QString();
    QTest::newRow("other name") << "movie.avi" << QString();
}

void TestRecorderClock::stamps()
{
    QFETCH(QString, name);
    QFETCH(QString, stamp);
    // The computer's zone plays no part in reading a stamp.
    qputenv("TZ", "Europe/Berlin");
    const OptionalMs ms = stampFromName(name);
    QCOMPARE(ms.has_value(), !stamp.isEmpty());
    if (ms)
        QCOMPARE(naiveDateTime(*ms).toString(Qt::ISODate), stamp + QLatin1Char('Z'));
}

void TestRecorderClock::fallbackZone_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("winterOffset"); // at 2025-01-15 12:00 on the recorder
    QTest::addColumn<qint64>("summerOffset"); // at 2025-07-15 12:00
    QTest::newRow("fixed offset") << "+09:00" << true << 9 * kHour << 9 * kHour;
    QTest::newRow("fixed offset without colon") << "-0530" << true << -19800000LL << -19800000LL;
    QTest::newRow("UTC with hours") << "UTC+9" << true << 9 * kHour << 9 * kHour;
    QTest::newRow("UTC") << "UTC" << true << qint64(0) << qint64(0);
    QTest::newRow("zone name with summer time") << "Europe/Berlin" << true << kHour << 2 * kHour;
    QTest::newRow("unknown name") << "Mars/Olympus" << false << qint64(0) << qint64(0);
    QTest::newRow("offset out of range") << "+25:00" << false << qint64(0) << qint64(0);
}

void TestRecorderClock::fallbackZone()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, winterOffset);
    QFETCH(qint64, summerOffset);
    const std::optional<FallbackZone> zone = FallbackZone::fromText(text);
    QCOMPARE(zone.has_value(), valid);
    if (!zone)
        return;
    QCOMPARE(zone->offsetAt(naiveMs(QDateTime(QDate(2025, 1, 15), QTime(12, 0), Qt::UTC))), winterOffset);
    QCOMPARE(zone->offsetAt(naiveMs(QDateTime(QDate(2025, 7, 15), QTime(12, 0), Qt::UTC))), summerOffset);
}

// A clip without a fix takes the offset of the clip nearest in time that has one (the earlier of
// two as near); on a card without any fix every clip takes the fallback zone's.
void TestRecorderClock::borrowing()
{
    const FallbackZone utc(QTimeZone(0));
    const QList<qint64> starts{0, 60000, 120000, 180000, 400000};
    const QList<Offset> resolved = resolveOffsets(starts, {5000, std::nullopt, 7000, std::nullopt, std::nullopt}, utc);
    QCOMPARE(resolved, (QList<Offset>{{5000, Source::Gps}, {5000, Source::Borrowed}, {7000, Source::Gps},
                                      {7000, Source::Borrowed}, {7000, Source::Borrowed}}));
    const FallbackZone seoul(QTimeZone(9 * 3600));
    QCOMPARE(resolveOffsets(starts.first(2), {std::nullopt, std::nullopt}, seoul),
             (QList<Offset>{{9 * kHour, Source::Assumed}, {9 * kHour, Source::Assumed}}));
}

void TestRecorderClock::clockErrorText_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("75 s fast") << "en" << qint64(75) << "Recorder clock 1 min 15 s fast";
    QTest::newRow("45 s slow") << "en" << qint64(-45) << "Recorder clock 45 s slow";
    QTest::newRow("whole minutes") << "en" << qint64(120) << "Recorder clock 2 min fast";
    QTest::newRow("30 s is not worth telling") << "en" << qint64(30) << QString();
    QTest::newRow("-30 s either") << "en" << qint64(-30) << QString();
    QTest::newRow("Korean") << "kr" << qint64(75) << QStringLiteral("녹화기 시계가 1분 15초 빠릅니다");
}

void TestRecorderClock::clockErrorText()
{
    QFETCH(QString, language);
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    setCurrentLanguage(language);
    QCOMPARE(Messages::recorderClockError(seconds), text);
}

QTEST_GUILESS_MAIN(TestRecorderClock)
#include "tst_recorderclock.moc"
