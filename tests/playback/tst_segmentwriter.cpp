// The lossless segment on generated clips, read back: streams and length by GStreamer's
// discoverer, and the pictures by the frame numbers they carry (the cut, the join, nothing lost).
#include "playback/mediaframework.h"
#include "playback/segmentwriter.h"

#include "exporttestclips.h"
#include "mediareadback.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(QList<MediaPart>)

namespace {

QList<int> range(int first, int last)
{
    QList<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers << n;
    return numbers;
}

} // namespace

class TestSegmentWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void writes_data();
    void writes();
    void refuses_data();
    void refuses();
    void cancelLeavesNothing_data();
    void cancelLeavesNothing();

private:
    QList<MediaPart> parts(const QList<std::tuple<QString, qint64, qint64>> &ranges) const;
    // Runs `writer` to its end; true when it finished.
    static bool run(SegmentWriter &writer);
    // The files of the output folder (hidden ones too).
    QStringList outputFiles() const;

    ExportTestClips m_clips;
    std::unique_ptr<QTemporaryDir> m_out;
};

void TestSegmentWriter::initTestCase()
{
    bool skip = false;
    const QString problem = m_clips.prepare(&skip);
    if (skip)
        QSKIP(qPrintable(problem));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestSegmentWriter::init()
{
    m_out = std::make_unique<QTemporaryDir>();
    QVERIFY(m_out->isValid());
}

QList<MediaPart> TestSegmentWriter::parts(const QList<std::tuple<QString, qint64, qint64>> &ranges) const
{
    QList<MediaPart> result;
    for (const auto &[name, from, to] : ranges)
        result << MediaPart{m_clips.path(name), from, to};
    return result;
}

bool TestSegmentWriter::run(SegmentWriter &writer)
{
    QSignalSpy finished(&writer, &SegmentWriter::finished);
    QSignalSpy failed(&writer, &SegmentWriter::failed);
    if (!writer.start())
        return false;
    [&] { QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty() || !failed.isEmpty(), 60000); }();
    return !finished.isEmpty();
}

QStringList TestSegmentWriter::outputFiles() const
{
    return QDir(m_out->path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

void TestSegmentWriter::writes_data()
{
    QTest::addColumn<QList<MediaPart>>("ranges");
    QTest::addColumn<QStringList>("videoCaps");
    QTest::addColumn<int>("audioStreams");
    QTest::addColumn<QList<int>>("frames");
    const int fps = ExportTestClips::Fps;
    const QStringList twoJpeg{"image/jpeg", "image/jpeg"};
    QTest::newRow("avi: inside one clip")
        << parts({{ExportTestClips::aviFirst(), 1000, 3000}}) << twoJpeg << 1 << range(fps, 3 * fps - 1);
    QTest::newRow("avi: across two clips of a drive")
        << parts({{ExportTestClips::aviFirst(), 3000, 4000}, {ExportTestClips::aviSecond(), 0, 1000}}) << twoJpeg << 1
        << range(3 * fps, 4 * fps - 1) + range(0, fps - 1);
    // H.264 with a key frame every second: 1.5 s starts on the key frame at 1 s.
    QTest::newRow("mp4: from the key frame before the start")
        << parts({{ExportTestClips::mp4Two(), 1500, 3000}}) << QStringList{"video/x-h264", "video/x-h264"} << 1
        << range(fps, 3 * fps - 1);
    QTest::newRow("mp4: one channel without sound")
        << parts({{ExportTestClips::mp4Mono(), 0, 2000}}) << QStringList{"video/x-h264"} << 0 << range(0, 2 * fps - 1);
}

void TestSegmentWriter::writes()
{
    QFETCH(QList<MediaPart>, ranges);
    QFETCH(QStringList, videoCaps);
    QFETCH(int, audioStreams);
    QFETCH(QList<int>, frames);
    const QString output = m_out->filePath(QStringLiteral("segment.mkv"));
    SegmentWriter writer(ranges, output);
    QSignalSpy progress(&writer, &SegmentWriter::progressChanged);
    QVERIFY2(run(writer), qPrintable(writer.errorString()));
    QCOMPARE(outputFiles(), QStringList{"segment.mkv"});
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().first().toDouble(), 1.0);

    const MediaReadback::Discovered found = MediaReadback::discover(output);
    QVERIFY2(found.ok, qPrintable(found.error));
    QCOMPARE(found.container, QStringLiteral("video/x-matroska"));
    QCOMPARE(found.videoCaps, videoCaps);
    QCOMPARE(found.audioCaps.size(), audioStreams);
    const qint64 expectedMs = qint64(frames.size()) * 1000 / ExportTestClips::Fps;
    QVERIFY2(qAbs(found.durationMs - expectedMs) <= 1000 / ExportTestClips::Fps + 5,
             qPrintable(QStringLiteral("%1 ms, expected %2").arg(found.durationMs).arg(expectedMs)));
    for (int stream = 0; stream < videoCaps.size(); ++stream)
        QCOMPARE(MediaReadback::frameNumbers(MediaReadback::pictures(output, stream)), frames);
}

void TestSegmentWriter::refuses_data()
{
    QTest::addColumn<QList<MediaPart>>("ranges");
    QTest::addColumn<bool>("startsAtAll");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no parts") << QList<MediaPart>() << false << "nothing to export";
    QTest::newRow("missing clip") << QList<MediaPart>{{m_clips.path("nothing.avi"), 0, 1000}} << false << "no such file";
    QTest::newRow("random bytes") << parts({{ExportTestClips::randomBytes(), 0, 1000}}) << false
                                  << "not an AVI or MP4 clip";
    QTest::newRow("a folder") << QList<MediaPart>{{m_clips.folder(), 0, 1000}} << false << "not a regular file";
    QTest::newRow("empty range") << parts({{ExportTestClips::aviFirst(), 2000, 2000}}) << false << "empty range";
    QTest::newRow("AVI header, then noise") << parts({{ExportTestClips::brokenAvi(), 0, 1000}}) << true << "";
    QTest::newRow("range past the clip's end")
        << parts({{ExportTestClips::aviFirst(), 9000, 10000}}) << true << "the range holds no pictures";
    QTest::newRow("second clip broken")
        << parts({{ExportTestClips::aviFirst(), 3000, 4000}, {ExportTestClips::brokenAvi(), 0, 1000}}) << true << "";
}

void TestSegmentWriter::refuses()
{
    QFETCH(QList<MediaPart>, ranges);
    QFETCH(bool, startsAtAll);
    QFETCH(QString, reason);
    SegmentWriter writer(ranges, m_out->filePath(QStringLiteral("segment.mkv")));
    QSignalSpy failed(&writer, &SegmentWriter::failed);
    QSignalSpy finished(&writer, &SegmentWriter::finished);
    QCOMPARE(writer.start(), startsAtAll);
    if (startsAtAll)
        QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty() || !finished.isEmpty(), 60000);
    QVERIFY(finished.isEmpty());
    QVERIFY(!writer.errorString().isEmpty());
    QVERIFY2(writer.errorString().contains(reason), qPrintable(writer.errorString()));
    QCOMPARE(outputFiles(), QStringList());
}

// Cancelled, or gone, while it runs: no file is left, not even the temporary one.
void TestSegmentWriter::cancelLeavesNothing_data()
{
    QTest::addColumn<bool>("destroyed");
    QTest::newRow("cancel()") << false;
    QTest::newRow("destroyed") << true;
}

void TestSegmentWriter::cancelLeavesNothing()
{
    QFETCH(bool, destroyed);
    const QList<MediaPart> ranges = parts({{ExportTestClips::aviFirst(), 0, 4000}, {ExportTestClips::aviSecond(), 0, 2000}});
    auto writer = std::make_unique<SegmentWriter>(ranges, m_out->filePath(QStringLiteral("segment.mkv")));
    QSignalSpy finished(writer.get(), &SegmentWriter::finished);
    QSignalSpy failed(writer.get(), &SegmentWriter::failed);
    QVERIFY(writer->start());
    QCOMPARE(outputFiles().size(), 1); // the temporary file
    if (destroyed) {
        writer.reset();
    } else {
        writer->cancel();
        QVERIFY(!writer->isRunning());
    }
    QTest::qWait(100); // nothing queued may still arrive
    QVERIFY(finished.isEmpty() && failed.isEmpty());
    QCOMPARE(outputFiles(), QStringList());
}

QTEST_GUILESS_MAIN(TestSegmentWriter)
#include "tst_segmentwriter.moc"
