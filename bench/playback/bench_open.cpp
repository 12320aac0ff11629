// How long the viewer's event loop stalls while its playback session opens a clip: a valid
// one-minute 1080p AVI, a file that is not a clip, and a clip that fails while it prerolls. A 5 ms
// timer measures the gaps of the event loop; the longest gap is the stall a user would feel. For
// the valid clip it also prints the time from the click to the first picture on screen.
#include "benchclip.h"

#include "catalogue/clip.h"
#include "session/playbacksession.h"
#include "session/viewerstate.h"
#include "viewer/videoview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <functional>

namespace {

// Records the longest gap between the ticks of a 5 ms timer.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longest = qMax(m_longest, m_sinceTick.restart());
        });
    }
    void start()
    {
        m_longest = 0;
        m_sinceTick.start();
        m_timer.start();
    }
    qint64 stop()
    {
        m_timer.stop();
        return qMax(m_longest, m_sinceTick.elapsed());
    }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};

struct OpenResult
{
    bool opened = false;
    qint64 longestStallMs = 0;
    qint64 firstPictureMs = -1;
};

// Passes channel 0's pictures on to the view and notes when the first one arrives.
class FirstPicture : public VideoOutput
{
public:
    explicit FirstPicture(VideoView &view) : m_view(view) {}
    void presentPicture(int channel, const QImage &picture, quint64 serial) override
    {
        m_view.presentPicture(channel, picture, serial);
        if (onPicture)
            onPicture();
    }
    void resetPictures(bool opening) override { m_view.resetPictures(opening); }
    std::function<void()> onPicture;

private:
    VideoView &m_view;
};

// Opens `path` through the session, as a click on a list row does, and waits for the answer (and
// for the first picture of an opened clip) while the meter runs.
OpenResult openOnce(PlaybackSession &session, FirstPicture &pictures, const QString &path)
{
    OpenResult result;
    Clip clip{QFileInfo(path)};
    QEventLoop loop;
    QElapsedTimer clock;
    bool answered = false;
    bool shown = false;
    auto finishWhenShown = [&] {
        if (result.opened && shown && result.firstPictureMs < 0) {
            result.firstPictureMs = clock.elapsed();
            loop.quit();
        }
    };
    pictures.onPicture = [&] {
        shown = true;
        finishWhenShown();
    };
    const auto c1 = QObject::connect(&session, &PlaybackSession::opened, &loop, [&] {
        answered = true;
        result.opened = true;
        finishWhenShown();
    });
    const auto c2 = QObject::connect(&session, &PlaybackSession::openFailed, &loop, [&] {
        answered = true;
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    StallMeter meter;
    meter.start();
    clock.start();
    session.open(&clip);
    if (!answered)
        loop.exec();
    result.longestStallMs = meter.stop();
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    pictures.onPicture = nullptr;
    session.close();
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    if (!Bench::prepare())
        return 1;
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const int fps = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    QTemporaryDir dir;

    const QString valid = dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30.avi"));
    MediaGen::ClipDesign design;
    design.channels = {QSize(1920, 1080)};
    design.fps = fps;
    design.frames = 60 * fps;
    design.audio = true;
    design.telemetry = true;
    if (!Bench::writeClip(valid, design))
        return 1;
    const QString garbage = dir.filePath(QStringLiteral("REC_2012_05_14_10_21_30.avi"));
    QFile junk(garbage);
    if (!junk.open(QIODevice::WriteOnly) || junk.write(QByteArray(1 << 20, 'x')) != 1 << 20)
        return 1;
    junk.close();
    // An MP4 whose first picture claims 2 GiB: the demuxer fails while the clip prerolls.
    const QString failing = dir.filePath(QStringLiteral("REC_2012_05_14_10_22_30.mp4"));
    MediaGen::ClipDesign small;
    small.channels = {QSize(320, 180)};
    if (!Bench::writeClip(failing, small))
        return 1;
    QFile clipFile(failing);
    if (!clipFile.open(QIODevice::ReadWrite))
        return 1;
    const QByteArray broken = MediaGen::withHugeSample(clipFile.readAll(), 0);
    if (broken.isEmpty() || !clipFile.seek(0) || clipFile.write(broken) != broken.size())
        return 1;
    clipFile.close();

    VideoView view1;
    VideoView view2;
    view1.resize(640, 360);
    view2.resize(320, 180);
    view1.show();
    view2.show();
    ViewerState state;
    PlaybackSession session(state);
    view1.showChannel(&session, 0);
    view2.showChannel(&session, 1);
    FirstPicture pictures(view1);
    session.setOutput(0, &pictures);
    Bench::printLoad();
    openOnce(session, pictures, valid); // the first open loads the plugins

    struct Case
    {
        const char *name;
        QString path;
        bool opens;
    };
    const Case cases[] = {{"valid 1-minute 1080p AVI", valid, true},
                          {"garbage under a clip's name", garbage, false},
                          {"clip failing in preroll", failing, false}};
    qint64 worstStall = 0;
    qint64 firstPicture = -1;
    bool asExpected = true;
    for (const Case &c : cases) {
        qint64 stall = 0;
        qint64 picture = -1;
        for (int round = 0; round < 3; ++round) {
            const OpenResult result = openOnce(session, pictures, c.path);
            asExpected = asExpected && result.opened == c.opens;
            stall = qMax(stall, result.longestStallMs);
            if (result.firstPictureMs >= 0)
                picture = picture < 0 ? result.firstPictureMs : qMin(picture, result.firstPictureMs);
        }
        out << QStringLiteral("%1: %2, longest event-loop stall %3 ms")
                   .arg(QLatin1String(c.name), c.opens ? QStringLiteral("opened") : QStringLiteral("refused"))
                   .arg(stall);
        if (picture >= 0)
            out << QStringLiteral(", click to first picture %1 ms").arg(picture);
        out << Qt::endl;
        worstStall = qMax(worstStall, stall);
        if (c.opens)
            firstPicture = picture;
    }
    out << QStringLiteral("longest stall %1 ms (target <= 50), click to first picture %2 ms (target <= 150)")
               .arg(worstStall).arg(firstPicture)
        << Qt::endl;
    return asExpected && worstStall <= 50 && firstPicture >= 0 && firstPicture <= 150 ? 0 : 2;
}
