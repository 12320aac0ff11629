#include "telemetry/telemetryreader.h"
#include "generators/clipwriter/aviclipwriter.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace ClipWriter;
using Groups = QList<QList<QByteArray>>;

namespace {

// "M" chunk whose first axis carries `value`, so records show which sample they took.
QByteArray accel(int value)
{
    return accelPayload(GForce{value, -1, 2});
}

QList<QByteArray> accels(int count, int first = 0)
{
    QList<QByteArray> chunks;
    for (int i = 0; i < count; ++i)
        chunks.append(accel(first + i));
    return chunks;
}

const QDateTime kTime(QDate(2012, 5, 14), QTime(10, 20, 30), Qt::UTC);

QByteArray fixAt(double latitude, double longitude, double knots = 10)
{
    return rmcSentence(kTime, RoutePoint{latitude, longitude}, knots);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A small real clip (16×16 pictures, one frame per second) carrying `groups`, as bytes.
QByteArray clipBytes(const QString &dir, const Groups &groups, int videoStreams = 1)
{
    ClipDescription d;
    d.videoStreams = QList<VideoStream>(videoStreams, VideoStream{QSize(16, 16), {}, 50, 1});
    d.framesPerSecond = 1;
    d.durationMs = int(std::max<qsizetype>(1, groups.size())) * 1000;
    d.audioSampleRate = 1000;
    d.telemetryChunks = groups.isEmpty() ? Groups{{}} : groups;
    const QString path = dir + QStringLiteral("/clip.avi");
    return writeAviClip(path, d) ? fileBytes(path) : QByteArray();
}

void putU32At(QByteArray &bytes, qsizetype offset, quint32 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

quint32 u32At(const QByteArray &bytes, qsizetype offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

// Where the index chunk of a generated clip starts (the writer puts it last).
qsizetype indexAt(const QByteArray &clip)
{
    return clip.lastIndexOf("idx1");
}

// The index entries (16 bytes each) of a generated clip, and the clip with other entries.
QList<QByteArray> indexEntries(const QByteArray &clip)
{
    const qsizetype at = indexAt(clip);
    QList<QByteArray> entries;
    for (qsizetype i = at + 8; i + 16 <= clip.size(); i += 16)
        entries.append(clip.mid(i, 16));
    return entries;
}

QByteArray withIndex(const QByteArray &clip, const QList<QByteArray> &entries)
{
    QByteArray result = clip.left(indexAt(clip) + 8);
    for (const QByteArray &entry : entries)
        result += entry;
    putU32At(result, indexAt(clip) + 4, quint32(result.size() - indexAt(clip) - 8));
    putU32At(result, 4, quint32(result.size() - 8));
    return result;
}

QString describe(const RawTelemetryRecord &r)
{
    return QStringLiteral("%1/%2/%3 %4%5 %6%7 %8")
        .arg(r.accelX).arg(r.accelY).arg(r.accelZ)
        .arg(r.latMicro).arg(r.latHemisphere ? QChar(r.latHemisphere) : QChar('0'))
        .arg(r.lonMicro).arg(r.lonHemisphere ? QChar(r.lonHemisphere) : QChar('0'))
        .arg(r.speedKmh);
}

} // namespace

class TestTelemetryReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sampleSelection_data();
    void sampleSelection();
    void positions_data();
    void positions();
    void notAviFiles_data();
    void notAviFiles();
    void damagedFiles_data();
    void damagedFiles();
    void moreThanSixtyFiveSecondsKeepsTheFirst650();
    void survivesRandomAndMutatedInput();
    void indexAndWalkAgree_data();
    void indexAndWalkAgree();
    void randomIndexDamageNeverChangesTheRecords();

private:
    int read(const QByteArray &bytes, TelemetryRecords &records,
             TelemetryReadMethod method = TelemetryReadMethod::Auto, TelemetryReadMethod *used = nullptr);
    QString write(const QByteArray &bytes);
    QTemporaryDir m_dir;
};

void TestTelemetryReader::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TestTelemetryReader::write(const QByteArray &bytes)
{
    // A fresh file each time: rewriting a truncated file makes the file system flush it on close.
    const QString path = m_dir.filePath(QStringLiteral("input.avi"));
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

int TestTelemetryReader::read(const QByteArray &bytes, TelemetryRecords &records, TelemetryReadMethod method,
                              TelemetryReadMethod *used)
{
    const QString path = write(bytes);
    return path.isEmpty() ? -1 : readTelemetryFile(path, records, method, used);
}

void TestTelemetryReader::sampleSelection_data()
{
    QTest::addColumn<Groups>("groups");
    QTest::addColumn<QList<int>>("taken"); // first axis of each record
    const QByteArray fix = fixAt(37.39, 127.03);
    QTest::newRow("three samples repeated") << Groups{accels(3) << fix} << QList<int>{0, 0, 0, 0, 1, 1, 1, 2, 2, 2};
    QTest::newRow("70 samples, only the first 60 count")
        << Groups{accels(70) << fix} << QList<int>{0, 3, 9, 15, 21, 27, 33, 39, 45, 51};
    QTest::newRow("twenty samples") << Groups{accels(20) << fix} << QList<int>{0, 1, 3, 5, 7, 9, 11, 13, 15, 17};
    QTest::newRow("sentence without samples writes nothing")
        << Groups{{fix}, accels(1, 7) << fix} << QList<int>(10, 7);
    QTest::newRow("other sentence keeps the samples for the next one")
        << Groups{accels(5) << "$GPGGA,102030.000,,,,,0,00,,,M,,M,," << accels(5, 5) << fix}
        << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("trailing samples become one more second")
        << Groups{accels(10) << fix, accels(2, 50)}
        << (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9} + QList<int>{50, 50, 50, 50, 50, 51, 51, 51, 51, 51});
    QTest::newRow("samples without any sentence give nothing") << Groups{accels(30)} << QList<int>();
    QTest::newRow("other sentences only give nothing")
        << Groups{accels(5) << "$GPGGA,1" << "G$GPGSA,1" << "$GPRMC2,1,A"} << QList<int>();
    QTest::newRow("short M chunk reads missing bytes as zero") << Groups{{"M", fix}} << QList<int>(10, 128);
    QTest::newRow("unknown chunk kinds are ignored")
        << Groups{accels(1, 3) << "X123" << QByteArray() << "m999" << fix} << QList<int>(10, 3);
}

void TestTelemetryReader::sampleSelection()
{
    QFETCH(Groups, groups);
    QFETCH(QList<int>, taken);
    TelemetryRecords records{};
    const int count = read(clipBytes(m_dir.path(), groups), records);
    QList<int> firstAxis;
    for (int i = 0; i < count; ++i)
        firstAxis.append(records[i].accelX);
    QCOMPARE(firstAxis, taken);
    if (count > 0 && taken.first() != 128) {
        QCOMPARE(records[0].accelY, qint16(-1));
        QCOMPARE(records[0].accelZ, qint16(2));
    }
}

void TestTelemetryReader::positions_data()
{
    QTest::addColumn<QByteArray>("clip");
    QTest::addColumn<QStringList>("records"); // one description per second (ten equal positions)
    const QString dir = m_dir.path();
    QTest::newRow("fix, lost fix by V, lost fix by T")
        << clipBytes(dir, {accels(1) << fixAt(-37.390945, -127.03539, 100),
                           accels(1, 1) << rmcSentence(kTime, std::nullopt, 5), accels(1, 2) << "T"})
        << QStringList{"0/-1/2 37390944S 127035390W 185", "1/-1/2 0N 0E 0", "2/-1/2 0N 0E 0"};
    QTest::newRow("G variant, two channels (03tx)")
        << clipBytes(dir, {accels(1) << "G" + fixAt(45.5, 0.5, 1)}, 2)
        << QStringList{"0/-1/2 45500000N 500000E 2"};
    QTest::newRow("empty hemisphere fields kept as zero")
        << clipBytes(dir, {accels(1) << "$GPRMC,1,A,3723.4567,,12702.1234,,1"})
        << QStringList{"0/-1/2 37390944" + QStringLiteral("0") + " 127035390" + QStringLiteral("0") + " 2"};
    TelemetryRoute odd;
    odd.positions = {{10.5, 20.25}};
    odd.accelSamplesPerSecond = 3;
    odd.oddSizedChunks = true;
    odd.otherSentences = true;
    QTest::newRow("odd-sized chunks and their pad bytes")
        << clipBytes(dir, synthesizeTelemetry(odd, 2))
        << QStringList{"0/0/0 10500000N 20250000E 0", "0/0/0 10500000N 20250000E 0"};
    // A chunk with both identifiers in one file: rename the first "02tx" of a one-channel clip.
    QByteArray mixed = clipBytes(dir, {accels(1) << fixAt(1.5, 2.5), accels(1) << fixAt(3.5, 4.5)});
    mixed.replace(mixed.indexOf("02tx"), 4, "03tx");
    QTest::newRow("02tx and 03tx mixed") << mixed
                                         << QStringList{"0/-1/2 1500000N 2500000E 19", "0/-1/2 3500000N 4500000E 19"};
}

void TestTelemetryReader::positions()
{
    QFETCH(QByteArray, clip);
    QFETCH(QStringList, records);
    TelemetryRecords read{};
    const int count = this->read(clip, read);
    QCOMPARE(count, int(records.size()) * 10);
    for (int i = 0; i < count; ++i)
        QCOMPARE(describe(read[i]), records.at(i / 10));
}

void TestTelemetryReader::notAviFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray mp4("\0\0\0\x18" "ftypmp42\0\0\0\0mp42isom", 24);
    QTest::newRow("MP4") << mp4;
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("eleven bytes") << QByteArray("RIFF\0\0\0\0AVI", 11);
    QByteArray wave = clipBytes(m_dir.path(), {accels(1) << fixAt(1, 1)});
    wave.replace(8, 4, "WAVE");
    QTest::newRow("RIFF of form WAVE") << wave;
    QByteArray rifx = clipBytes(m_dir.path(), {accels(1) << fixAt(1, 1)});
    rifx.replace(0, 4, "RIFX");
    QTest::newRow("not RIFF") << rifx;
}

void TestTelemetryReader::notAviFiles()
{
    QFETCH(QByteArray, bytes);
    TelemetryRecords records{};
    for (RawTelemetryRecord &r : records)
        r = RawTelemetryRecord{1, 2, 3, 4, 'N', 5, 'E', 6, {}};
    QCOMPARE(read(bytes, records), 0);
    for (const RawTelemetryRecord &r : records) {
        QCOMPARE(r.latHemisphere, char(0));
        QCOMPARE(r.lonHemisphere, char(0));
    }
    QCOMPARE(readTelemetryFile(m_dir.filePath(QStringLiteral("missing.avi")), records), 0);
    QCOMPARE(readTelemetryFile(m_dir.path(), records), 0);
}

void TestTelemetryReader::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("indexedCount"); // through the index, where the index is whole
    const QByteArray clip = clipBytes(m_dir.path(), {accels(2) << fixAt(1, 1), accels(2) << fixAt(2, 2)});
    const qsizetype secondSentence = clip.indexOf("$GPRMC", clip.indexOf("$GPRMC") + 1);
    QTest::newRow("truncated inside the last sentence, used as read")
        << clip.left(secondSentence + 40) << 20 << 20;
    QTest::newRow("truncated before the sentence's status") << clip.left(secondSentence + 10) << 20 << 20;
    QTest::newRow("truncated inside a chunk header") << clip.left(secondSentence - 4) << 20 << 20;
    // The walk ends at a picture whose size runs past the file; the index, whole, reads past it.
    QByteArray hugeVideo = clip;
    putU32At(hugeVideo, clip.indexOf("00dc", clip.indexOf("movi")) + 4, 0xfffffff0u);
    QTest::newRow("huge picture size ends the walk") << hugeVideo << 0 << 20;
    QByteArray hugeTelemetry = clip;
    putU32At(hugeTelemetry, secondSentence - 4, 0xffffffffu);
    QTest::newRow("huge sentence size reads to the end") << hugeTelemetry << 20 << 20;
    QByteArray hugeList = clip;
    putU32At(hugeList, 16, 0xffffffffu);
    QTest::newRow("list sizes are never used") << hugeList << 20 << 20;
    QTest::newRow("list type cut off") << clip.left(clip.indexOf("hdrl")) << 0 << 0;
    QByteArray noIndex = clip.left(clip.indexOf("idx1"));
    QTest::newRow("no index") << noIndex << 20 << 20;
}

void TestTelemetryReader::damagedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    QFETCH(int, indexedCount);
    TelemetryRecords records{};
    QCOMPARE(read(bytes, records, TelemetryReadMethod::Walk), count);
    QCOMPARE(read(bytes, records), indexedCount);
}

void TestTelemetryReader::moreThanSixtyFiveSecondsKeepsTheFirst650()
{
    Groups groups;
    for (int second = 0; second < 70; ++second)
        groups.append(accels(1, second) << fixAt(1, 1));
    TelemetryRecords records{};
    QCOMPARE(read(clipBytes(m_dir.path(), groups), records), kTelemetryCapacity);
    QCOMPARE(records[0].accelX, qint16(0));
    QCOMPARE(records[kTelemetryCapacity - 1].accelX, qint16(64));
}

void TestTelemetryReader::survivesRandomAndMutatedInput()
{
    TelemetryRoute route;
    route.positions = {{37.5, 127.0}};
    route.accelSamplesPerSecond = 4;
    route.oddSizedChunks = true;
    const QByteArray clip = clipBytes(m_dir.path(), synthesizeTelemetry(route, 3), 2);
    QRandomGenerator random(20121214);
    for (int round = 0; round < 1500; ++round) {
        QByteArray input;
        switch (round % 4) {
        case 0: // random bytes behind a valid file start
            input = QByteArray("RIFF\0\0\0\0AVI ", 12);
            for (int i = random.bounded(200); i > 0; --i)
                input.append(char(random.bounded(256)));
            break;
        case 1: // flipped bytes
            input = clip;
            for (int i = random.bounded(1, 20); i > 0; --i)
                input[random.bounded(input.size())] = char(random.bounded(256));
            break;
        case 2: // a random size field anywhere, then truncated
            input = clip;
            putU32At(input, random.bounded(12, int(input.size()) - 4), random.generate());
            input.truncate(random.bounded(int(input.size())));
            break;
        default: // chunks of the clip repeated in random order
            input = clip.left(12);
            for (int i = random.bounded(50); i > 0; --i)
                input += clip.mid(random.bounded(12, int(input.size())), random.bounded(1, 64));
            break;
        }
        TelemetryRecords records{};
        const int count = read(input, records);
        QVERIFY2(count >= 0 && count <= kTelemetryCapacity && count % 10 == 0,
                 qPrintable(QStringLiteral("round %1 gave %2").arg(round).arg(count)));
    }
}

// Whatever the index says, the records are those of the walk: the index is used only when it
// accounts for every chunk of the movie list, and the reader falls back to the walk otherwise.
void TestTelemetryReader::indexAndWalkAgree_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("indexed"); // the index is expected to be used
    TelemetryRoute route;
    route.positions = {{37.5, 127.0}, {37.5001, 127.0002}, {37.5003, 127.0004}};
    route.speedKnots = {10, 20, 30};
    route.gForces = {{1, 2, 3}, {-4, 5, -6}, {7, 0, 1}};
    route.accelSamplesPerSecond = 7;
    route.lostFixSeconds = {1};
    const QByteArray clip = clipBytes(m_dir.path(), synthesizeTelemetry(route, 3), 2);
    QTest::newRow("index lists every chunk") << clip << true;
    route.oddSizedChunks = true;
    route.otherSentences = true;
    route.trailingAccelSamples = true;
    QTest::newRow("odd sizes, other sentences, trailing samples")
        << clipBytes(m_dir.path(), synthesizeTelemetry(route, 3), 1) << true;
    Groups longGroups;
    for (int second = 0; second < 70; ++second)
        longGroups.append(accels(1, second) << fixAt(1, 1));
    QTest::newRow("more than the records can hold") << clipBytes(m_dir.path(), longGroups) << true;

    const QList<QByteArray> entries = indexEntries(clip);
    QTest::newRow("no index") << clip.left(indexAt(clip)) << false;
    QTest::newRow("index cut short") << withIndex(clip, entries.first(entries.size() - 3)) << false;
    QTest::newRow("empty index") << withIndex(clip, {}) << false;
    QList<QByteArray> withoutTelemetry;
    for (const QByteArray &entry : entries) {
        if (!entry.startsWith("03tx"))
            withoutTelemetry.append(entry);
    }
    QTest::newRow("index without the telemetry chunks") << withIndex(clip, withoutTelemetry) << false;
    QList<QByteArray> swapped = entries;
    swapped.swapItemsAt(4, 5);
    QTest::newRow("index out of order") << withIndex(clip, swapped) << false;
    QList<QByteArray> shifted = entries;
    putU32At(shifted[7], 8, u32At(shifted[7], 8) + 2);
    QTest::newRow("index entry at a wrong offset") << withIndex(clip, shifted) << false;
    QList<QByteArray> resized = entries;
    qsizetype firstTelemetry = 0;
    while (!entries.at(firstTelemetry).startsWith("03tx"))
        ++firstTelemetry;
    putU32At(resized[firstTelemetry], 12, u32At(resized[firstTelemetry], 12) + 2);
    putU32At(resized[firstTelemetry + 1], 8, u32At(resized[firstTelemetry + 1], 8) + 2);
    QTest::newRow("telemetry entry with a wrong size") << withIndex(clip, resized) << false;
    QList<QByteArray> misnamed = entries;
    misnamed[firstTelemetry].replace(0, 4, "13tx");
    QTest::newRow("telemetry entry of another stream number") << withIndex(clip, misnamed) << false;
    misnamed = entries;
    misnamed[firstTelemetry].replace(2, 2, "db");
    QTest::newRow("telemetry entry of another kind") << withIndex(clip, misnamed) << false;
    QList<QByteArray> absolute = entries;
    const quint32 movieType = quint32(clip.indexOf("movi"));
    for (QByteArray &entry : absolute)
        putU32At(entry, 8, u32At(entry, 8) + movieType);
    QTest::newRow("index with offsets from the start of the file") << withIndex(clip, absolute) << true;
    QByteArray hugeIndex = clip;
    putU32At(hugeIndex, indexAt(clip) + 4, 0xfffffff0u);
    QTest::newRow("index size past the end of the file") << hugeIndex << false;
    QByteArray renamed = clip;
    const qsizetype sentence = renamed.indexOf("$GPRMC") - 8;
    renamed.replace(sentence, 4, "03dc");
    QTest::newRow("telemetry chunk whose header the index misnames") << renamed << false;
    QByteArray appended = clip;
    const QByteArray late = "03tx" + QByteArray("\x0a\0\0\0", 4) + accels(1, 90).first() + QByteArray(6, '\0');
    appended += late + "03tx" + QByteArray("\x05\0\0\0", 4) + QByteArray("T\0\0\0\0\0", 6);
    putU32At(appended, 4, quint32(appended.size() - 8));
    QTest::newRow("telemetry appended after the index") << appended << true;
    QByteArray movieTooLong = clip;
    const qsizetype movieList = clip.indexOf("movi") - 8;
    putU32At(movieTooLong, movieList + 4, u32At(clip, movieList + 4) + 16);
    QTest::newRow("movie list longer than its chunks") << movieTooLong << false;
}

void TestTelemetryReader::indexAndWalkAgree()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, indexed);
    const QString path = write(bytes);
    QVERIFY(!path.isEmpty());
    auto walked = std::make_unique<TelemetryRecords>();
    auto found = std::make_unique<TelemetryRecords>();
    TelemetryReadMethod used = TelemetryReadMethod::Auto;
    const int walkCount = readTelemetryFile(path, *walked, TelemetryReadMethod::Walk);
    const int count = readTelemetryFile(path, *found, TelemetryReadMethod::Auto, &used);
    QVERIFY(walkCount > 0);
    QCOMPARE(count, walkCount);
    for (int i = 0; i < count; ++i)
        QVERIFY2((*found)[i] == (*walked)[i], qPrintable(QStringLiteral("record %1: %2 vs %3").arg(i).arg(
                                                  describe((*found)[i]), describe((*walked)[i]))));
    QCOMPARE(used, indexed ? TelemetryReadMethod::Index : TelemetryReadMethod::Walk);
    QVERIFY(std::any_of(found->begin(), found->begin() + count, [](const RawTelemetryRecord &r) { return r.fixUtcMs; }));
}

void TestTelemetryReader::randomIndexDamageNeverChangesTheRecords()
{
    TelemetryRoute route;
    route.positions = {{-12.5, 45.25}, {-12.5002, 45.2501}};
    route.accelSamplesPerSecond = 5;
    route.oddSizedChunks = true;
    const QByteArray clip = clipBytes(m_dir.path(), synthesizeTelemetry(route, 4), 2);
    const qsizetype index = indexAt(clip);
    QRandomGenerator random(20250702);
    auto walked = std::make_unique<TelemetryRecords>();
    auto found = std::make_unique<TelemetryRecords>();
    const QString path = write(clip);
    const int expected = readTelemetryFile(path, *walked, TelemetryReadMethod::Walk);
    QCOMPARE(expected, 40);
    int indexedRounds = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray input = clip;
        for (int i = random.bounded(1, 4); i > 0; --i)
            input[random.bounded(int(index), int(input.size()))] = char(random.bounded(256));
        TelemetryReadMethod used = TelemetryReadMethod::Auto;
        const int count = read(input, *found, TelemetryReadMethod::Auto, &used);
        QCOMPARE(count, expected);
        for (int i = 0; i < count; ++i)
            QVERIFY2((*found)[i] == (*walked)[i], qPrintable(QStringLiteral("round %1, record %2").arg(round).arg(i)));
        indexedRounds += used == TelemetryReadMethod::Index ? 1 : 0;
    }
    // Flips in entry flags leave the index usable, flips elsewhere in it do not.
    QVERIFY(indexedRounds > 0 && indexedRounds < 300);
}

QTEST_GUILESS_MAIN(TestTelemetryReader)
#include "tst_telemetryreader.moc"
