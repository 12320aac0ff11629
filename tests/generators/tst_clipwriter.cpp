#include "generators/clipwriter/aviclipwriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace ClipWriter;

namespace {

struct Chunk
{
    QByteArray id;
    qint64 offset = 0; // of the chunk header
    QByteArray payload;
};

// Flat list of the chunks of a RIFF file, descending into every LIST.
QList<Chunk> chunksOf(const QByteArray &file, qint64 from, qint64 to)
{
    QList<Chunk> chunks;
    qint64 pos = from;
    while (pos + 8 <= to) {
        Chunk c{file.mid(pos, 4), pos, {}};
        const quint32 size = qFromLittleEndian<quint32>(file.constData() + pos + 4);
        if (c.id == "LIST") {
            chunks.append({file.mid(pos + 8, 4), pos, {}});
            chunks += chunksOf(file, pos + 12, pos + 8 + size);
        } else {
            c.payload = file.mid(pos + 8, size);
            chunks.append(c);
        }
        pos += 8 + size + (size % 2);
    }
    return chunks;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 u32At(const QByteArray &bytes, qint64 offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

// Plays the file through avidemux to the end: each video stream decoded into one file per
// picture, the sound into one file. Returns the picture count per stream ("v0", "v1") and the
// sound bytes ("a0"), or {"failed": 1}.
QMap<QString, int> playThrough(const QString &path, int videoStreams, bool audio, const QString &outDir)
{
    QStringList args{QStringLiteral("-q"), QStringLiteral("filesrc"), QStringLiteral("location=") + path,
                     QStringLiteral("!"), QStringLiteral("avidemux"), QStringLiteral("name=d")};
    for (int i = 0; i < videoStreams; ++i)
        args += QStringLiteral("d.video_%1 ! queue ! jpegdec ! multifilesink sync=false location=%2/v%1-%05d").arg(i).arg(outDir).split(' ');
    if (audio)
        args += QStringLiteral("d.audio_0 ! queue ! filesink sync=false location=%1/a0").arg(outDir).split(' ');
    QProcess gst;
    gst.start(QStringLiteral("gst-launch-1.0"), args);
    if (!gst.waitForFinished(60000) || gst.exitStatus() != QProcess::NormalExit || gst.exitCode() != 0)
        return {{QStringLiteral("failed"), 1}};
    const QDir dir(outDir);
    return {{QStringLiteral("v0"), int(dir.entryList({QStringLiteral("v0-*")}, QDir::Files).size())},
            {QStringLiteral("v1"), int(dir.entryList({QStringLiteral("v1-*")}, QDir::Files).size())},
            {QStringLiteral("a0"), int(QFileInfo(dir.filePath(QStringLiteral("a0"))).size())}};
}

} // namespace

class TestClipWriter : public QObject
{
    Q_OBJECT

private slots:
    void structure_data();
    void structure();
    void playsWithAvidemux_data();
    void playsWithAvidemux();
    void telemetrySpreadOverFrames();
    void rejectsInvalidDescriptions_data();
    void rejectsInvalidDescriptions();
    void coordinates_data();
    void coordinates();
    void sentences();
    void synthesisOptions();

private:
    QTemporaryDir m_dir;
};

void TestClipWriter::structure_data()
{
    QTest::addColumn<int>("videoStreams");
    QTest::addColumn<bool>("audio");
    QTest::addColumn<bool>("telemetry");
    QTest::addColumn<QByteArray>("telemetryId");
    QTest::newRow("one channel with telemetry") << 1 << true << true << QByteArray("02tx");
    QTest::newRow("two channels with telemetry") << 2 << true << true << QByteArray("03tx");
    QTest::newRow("one channel, pictures only") << 1 << false << false << QByteArray();
}

void TestClipWriter::structure()
{
    QFETCH(int, videoStreams);
    QFETCH(bool, audio);
    QFETCH(bool, telemetry);
    QFETCH(QByteArray, telemetryId);
    ClipDescription d;
    d.videoStreams = QList<VideoStream>(videoStreams);
    d.audio = audio;
    d.durationMs = 1500;
    if (telemetry)
        d.route = TelemetryRoute();
    const QString path = m_dir.filePath(QStringLiteral("structure.avi"));
    QString error;
    QVERIFY2(writeAviClip(path, d, &error), qPrintable(error));
    const QByteArray file = readAll(path);
    QCOMPARE(file.left(4), QByteArray("RIFF"));
    QCOMPARE(u32At(file, 4), quint32(file.size() - 8));
    QCOMPARE(file.mid(8, 4), QByteArray("AVI "));
    const QList<Chunk> chunks = chunksOf(file, 12, file.size());
    QCOMPARE(chunks.first().id, QByteArray("hdrl"));
    const QByteArray &mainHeader = chunks.at(1).payload;
    QCOMPARE(u32At(mainHeader, 0), 100000u);  // µs per frame at 10 fps
    QCOMPARE(u32At(mainHeader, 16), 15u);     // frames
    QCOMPARE(u32At(mainHeader, 24), quint32(videoStreams + (audio ? 1 : 0) + (telemetry ? 1 : 0)));

    // Every index entry points at a chunk of its identifier and size, relative to "movi".
    const qint64 movi = file.indexOf("movi");
    const Chunk index = chunks.last();
    QCOMPARE(index.id, QByteArray("idx1"));
    int moviChunks = 0;
    for (const Chunk &c : chunks)
        moviChunks += c.offset > movi && c.id != "idx1" ? 1 : 0;
    QCOMPARE(index.payload.size(), moviChunks * 16);
    for (qsizetype e = 0; e < index.payload.size(); e += 16) {
        const qint64 at = movi + u32At(index.payload, e + 8);
        QCOMPARE(file.mid(at, 4), index.payload.mid(e, 4));
        QCOMPARE(u32At(file, at + 4), u32At(index.payload, e + 12));
    }
    int telemetryChunks = 0;
    int videoChunks = 0;
    for (const Chunk &c : chunks) {
        telemetryChunks += c.id == telemetryId ? 1 : 0;
        videoChunks += c.id.endsWith("dc") ? 1 : 0;
    }
    QCOMPARE(videoChunks, 15 * videoStreams);
    QCOMPARE(telemetryChunks, telemetry ? 2 * 21 : 0);
    if (telemetry)
        QCOMPARE(telemetryChunkId(d), telemetryId);
}

void TestClipWriter::playsWithAvidemux_data()
{
    QTest::addColumn<int>("videoStreams");
    QTest::addColumn<bool>("audio");
    QTest::newRow("one channel, sound and telemetry") << 1 << true;
    QTest::newRow("two channels, sound and telemetry") << 2 << true;
    QTest::newRow("one channel, telemetry without sound") << 1 << false;
}

void TestClipWriter::playsWithAvidemux()
{
    QFETCH(int, videoStreams);
    QFETCH(bool, audio);
    if (QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0")).isEmpty())
        QSKIP("gst-launch-1.0 is not installed");
    ClipDescription d;
    d.videoStreams = QList<VideoStream>(videoStreams);
    d.audio = audio;
    d.durationMs = 2000;
    d.framesPerSecond = 5;
    TelemetryRoute route;
    route.positions = {{37.39, 127.03}, {37.3901, 127.0301}};
    route.oddSizedChunks = true;
    d.route = route;
    const QString path = m_dir.filePath(QStringLiteral("play.avi"));
    QVERIFY(writeAviClip(path, d));
    QTemporaryDir out;
    const QMap<QString, int> counts = playThrough(path, videoStreams, audio, out.path());
    QVERIFY2(!counts.contains(QStringLiteral("failed")), "the pipeline did not play to the end");
    QCOMPARE(counts.value(QStringLiteral("v0")), 10);
    QCOMPARE(counts.value(QStringLiteral("v1")), videoStreams == 2 ? 10 : 0);
    QCOMPARE(counts.value(QStringLiteral("a0")), audio ? 2 * 8000 * 2 : 0); // 2 s of 16-bit mono
}

void TestClipWriter::telemetrySpreadOverFrames()
{
    // Explicit payloads keep their order; a group past the last frame goes to the end of the movie.
    ClipDescription d;
    d.durationMs = 1000;
    d.framesPerSecond = 4;
    d.telemetryChunks = {{"a", "b", "c", "d", "e", "f"}, {"g", "h"}};
    const QString path = m_dir.filePath(QStringLiteral("spread.avi"));
    QVERIFY(writeAviClip(path, d));
    const QByteArray file = readAll(path);
    QByteArray order;
    QList<int> framesBefore;
    int frames = 0;
    for (const Chunk &c : chunksOf(file, 12, file.size())) {
        frames += c.id == "00dc" ? 1 : 0;
        if (c.id == "02tx") {
            order += c.payload;
            framesBefore.append(frames);
        }
    }
    QCOMPARE(order, QByteArray("abcdefgh"));
    QCOMPARE(framesBefore, (QList<int>{1, 2, 2, 3, 4, 4, 4, 4}));
}

void TestClipWriter::rejectsInvalidDescriptions_data()
{
    QTest::addColumn<ClipDescription>("description");
    ClipDescription none;
    none.videoStreams.clear();
    QTest::newRow("no video stream") << none;
    ClipDescription three;
    three.videoStreams = QList<VideoStream>(3);
    QTest::newRow("three video streams") << three;
    ClipDescription empty;
    empty.videoStreams.first().size = QSize(0, 10);
    QTest::newRow("empty picture") << empty;
    ClipDescription fps;
    fps.framesPerSecond = 0;
    QTest::newRow("zero frame rate") << fps;
    ClipDescription negative;
    negative.durationMs = -1;
    QTest::newRow("negative duration") << negative;
}

void TestClipWriter::rejectsInvalidDescriptions()
{
    QFETCH(ClipDescription, description);
    const QString path = m_dir.filePath(QStringLiteral("invalid.avi"));
    QString error;
    QVERIFY(!writeAviClip(path, description, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(path));
}

void TestClipWriter::coordinates_data()
{
    QTest::addColumn<double>("degrees");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("latitude") << 37.3909450 << 2 << QByteArray("3723.4567");
    QTest::newRow("southern latitude keeps magnitude") << -37.3909450 << 2 << QByteArray("3723.4567");
    QTest::newRow("longitude") << 127.0353900 << 3 << QByteArray("12702.1234");
    QTest::newRow("minutes rounding up to a whole degree") << 44.99999999 << 2 << QByteArray("4500.0000");
    QTest::newRow("zero") << 0.0 << 3 << QByteArray("00000.0000");
}

void TestClipWriter::coordinates()
{
    QFETCH(double, degrees);
    QFETCH(int, digits);
    QFETCH(QByteArray, text);
    QCOMPARE(nmeaCoordinate(degrees, digits), text);
}

void TestClipWriter::sentences()
{
    const QDateTime time(QDate(2012, 5, 14), QTime(10, 20, 30), Qt::UTC);
    const QByteArray fixed = rmcSentence(time, RoutePoint{-37.390945, -127.03539}, 100);
    QCOMPARE(fixed.left(fixed.indexOf('*')),
             QByteArray("$GPRMC,102030.000,A,3723.4567,S,12702.1234,W,100.00,0.00,140512,,,A"));
    quint8 sum = 0;
    for (qsizetype i = 1; i < fixed.indexOf('*'); ++i)
        sum ^= quint8(fixed.at(i));
    QCOMPARE(fixed.mid(fixed.indexOf('*') + 1).toUInt(nullptr, 16), uint(sum));
    QVERIFY(rmcSentence(time, std::nullopt, 5).startsWith("$GPRMC,102030.000,V,,,,,,,140512"));
}

void TestClipWriter::synthesisOptions()
{
    TelemetryRoute route;
    route.accelSamplesPerSecond = 3;
    route.gForces = {{1, -2, 128}, {-127, 0, 0}};
    route.lostFixSeconds = {1, 2};
    route.otherSentences = true;
    route.gPrefixedSentences = true;
    route.trailingAccelSamples = true;
    QList<QList<QByteArray>> groups = synthesizeTelemetry(route, 3);
    QCOMPARE(groups.size(), 4);
    QCOMPARE(groups.at(0).size(), 5);
    QCOMPARE(groups.at(0).at(0), QByteArray("M\x7f\x82\x00", 4));
    QCOMPARE(groups.at(0).at(1), QByteArray("M\xff\x80\x80", 4));
    QVERIFY(groups.at(0).at(3).startsWith("$GPGGA,"));
    QVERIFY(groups.at(0).at(4).startsWith("G$GPRMC,102030.000,A,"));
    QVERIFY(groups.at(1).at(4).startsWith("G$GPRMC,102031.000,V,"));
    QCOMPARE(groups.at(3).size(), 3);
    QCOMPARE(groups.at(3).at(0), QByteArray("M\xff\x80\x80", 4)); // samples keep cycling

    route.lostFixAsMarker = true;
    route.oddSizedChunks = true;
    groups = synthesizeTelemetry(route, 3);
    QCOMPARE(groups.at(2).at(4), QByteArray("T"));
    for (const QList<QByteArray> &group : groups)
        for (const QByteArray &payload : group)
            QVERIFY2(payload.size() % 2 == 1, payload.constData());
}

QTEST_GUILESS_MAIN(TestClipWriter)
#include "tst_clipwriter.moc"
