// The overlay video on generated clips, read back: its streams and size by GStreamer's discoverer,
// each tile's picture by the frame number it carries, and the caption band of every picture
// compared with the caption of its moment as the renderer draws it.
#include "playback/mediaframework.h"
#include "playback/overlayrenderer.h"

#include "exporttestclips.h"
#include "mediareadback.h"

#include "generators/mediagen/mediagen.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(QList<MediaPart>)

namespace {

// A caption that changes with every picture: the part and the exact moment.
QStringList testCaption(int part, qint64 clipMs)
{
    return {QStringLiteral("PART %1").arg(part), QStringLiteral("CLIP %1 MS").arg(clipMs)};
}

QList<int> marks(const QList<QImage> &frames, const QRect &tile, int channel)
{
    QList<int> numbers;
    for (const QImage &frame : frames) {
        const MediaGen::FrameMark mark = MediaGen::readFrameMark(frame.copy(tile));
        numbers << (mark.isValid() && mark.channel == channel ? mark.frame : -1);
    }
    return numbers;
}

QList<int> sequence(int first, int count)
{
    QList<int> numbers;
    for (int i = 0; i < count; ++i)
        numbers << first + i;
    return numbers;
}

} // namespace

class TestOverlayRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void renders_data();
    void renders();
    void failsCleanly();

private:
    QList<MediaPart> parts(const QList<std::tuple<QString, qint64, qint64>> &ranges) const;

    ExportTestClips m_clips;
};

void TestOverlayRenderer::initTestCase()
{
    bool skip = false;
    const QString problem = m_clips.prepare(&skip);
    if (skip)
        QSKIP(qPrintable(problem));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

QList<MediaPart> TestOverlayRenderer::parts(const QList<std::tuple<QString, qint64, qint64>> &ranges) const
{
    QList<MediaPart> result;
    for (const auto &[name, from, to] : ranges)
        result << MediaPart{m_clips.path(name), from, to};
    return result;
}

void TestOverlayRenderer::renders_data()
{
    QTest::addColumn<QList<MediaPart>>("ranges");
    QTest::addColumn<int>("channels");
    QTest::addColumn<bool>("sound");
    QTest::addColumn<QList<int>>("frames"); // of the front channel; the rear shows the same numbers
    const int fps = ExportTestClips::Fps;
    QTest::newRow("avi, two channels, inside one clip")
        << parts({{ExportTestClips::aviFirst(), 1000, 3000}}) << 2 << true << sequence(fps, 2 * fps);
    QTest::newRow("avi, across two clips of a drive")
        << parts({{ExportTestClips::aviFirst(), 3000, 4000}, {ExportTestClips::aviSecond(), 0, 1000}}) << 2 << true
        << sequence(3 * fps, fps) + sequence(0, fps);
    // The cut is exact: 1.5 s lies in the picture shown from 1.467 s, though the key frame is at 1 s.
    QTest::newRow("mp4, from the picture at the start")
        << parts({{ExportTestClips::mp4Two(), 1500, 3000}}) << 2 << true << sequence(22, 23);
    QTest::newRow("mp4, one channel without sound")
        << parts({{ExportTestClips::mp4Mono(), 0, 2000}}) << 1 << false << sequence(0, 2 * fps);
}

void TestOverlayRenderer::renders()
{
    QFETCH(QList<MediaPart>, ranges);
    QFETCH(int, channels);
    QFETCH(bool, sound);
    QFETCH(QList<int>, frames);
    QTemporaryDir out;
    const QString output = out.filePath(QStringLiteral("overlay.mp4"));
    OverlayRenderer renderer(ranges, output, &testCaption);
    QSignalSpy finished(&renderer, &OverlayRenderer::finished);
    QSignalSpy failed(&renderer, &OverlayRenderer::failed);
    QVERIFY2(renderer.start(), qPrintable(renderer.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty() || !failed.isEmpty(), 120000);
    QVERIFY2(failed.isEmpty(), qPrintable(renderer.errorString()));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"overlay.mp4"});

    const MediaReadback::Discovered found = MediaReadback::discover(output);
    QVERIFY2(found.ok, qPrintable(found.error));
    QCOMPARE(found.container, QStringLiteral("video/quicktime"));
    QCOMPARE(found.videoCaps, QStringList{"video/x-h264"});
    QCOMPARE(found.videoSizes, QList<QSize>{OverlayRenderer::outputSize(channels)});
    QCOMPARE(found.audioCaps, sound ? QStringList{"audio/mpeg"} : QStringList());
    QVERIFY2(qAbs(found.durationMs - totalLengthMs(ranges)) <= 1000 / ExportTestClips::Fps + 5,
             qPrintable(QString::number(found.durationMs)));

    const QList<QImage> pictures = MediaReadback::pictures(output, 0);
    QCOMPARE(pictures.size(), frames.size());
    const QRect band = OverlayRenderer::captionBand(channels);
    const int tileWidth = channels > 1 ? band.width() / 2 : band.width();
    for (int channel = 0; channel < channels; ++channel)
        QCOMPARE(marks(pictures, QRect(channel * tileWidth, 0, tileWidth, band.top()), channel), frames);
    for (int i = 0; i < pictures.size(); ++i) {
        const PartPosition at = partPosition(ranges, qint64(i) * 1000 / ExportTestClips::Fps);
        const MediaReadback::CaptionReading reading = MediaReadback::readCaption(
            pictures.at(i).copy(band), testCaption(at.part, at.clipMs), testCaption(at.part + 1, at.clipMs + 1000));
        QVERIFY2(reading.readsRight(),
                 qPrintable(QStringLiteral("picture %1: %2 of the telling pixels agree, mean difference %3")
                                .arg(i).arg(reading.agreement).arg(reading.meanDifference)));
    }
}

// A clip that breaks after its header fails the run, and nothing is left in the folder.
void TestOverlayRenderer::failsCleanly()
{
    QTemporaryDir out;
    OverlayRenderer renderer(parts({{ExportTestClips::brokenAvi(), 0, 1000}}), out.filePath("overlay.mp4"), &testCaption);
    QSignalSpy failed(&renderer, &OverlayRenderer::failed);
    QVERIFY(renderer.start());
    QVERIFY(failed.wait(30000));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_MAIN(TestOverlayRenderer)
#include "tst_overlayrenderer.moc"
