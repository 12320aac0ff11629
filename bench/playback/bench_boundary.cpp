// A generated trip played end to end through the viewer's playback session, as the trip view plays
// it: every picture carries its frame number and channel, counting on across the clips, so each
// seam between two clips can be checked for pictures lost (target 0) and repeated (target at most
// 1), and the longest wait between two pictures at a seam is set against the usual wait inside a
// clip (the baseline, measured in the same run). Then seeks into another clip of the trip against
// seeks inside the clip on screen (target: the picture within 300 ms). Exit code 2 when a target
// is missed.
//
//   bench_boundary [CLIPS [SECONDS [WIDTHxHEIGHT]]]   (default 5 clips of 4 s, 960x540 + half size)
#include "benchclip.h"

#include "bench/benchtiming.h"
#include "catalogue/clip.h"
#include "session/playbacksession.h"
#include "session/viewerstate.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <memory>
#include <vector>

namespace {

constexpr int kFps = 15;
constexpr int kReach = 3;             // pictures on either side of a seam that must all show
constexpr qint64 kSeekTargetMs = 300; // a seek shows its picture within this

// The frame numbers of the pictures shown, per channel, and when each came.
class MarkLog : public VideoOutput
{
public:
    struct Shown
    {
        int frame;
        qint64 atMs;
    };
    void presentPicture(int channel, const QImage &picture, quint64) override
    {
        const MediaGen::FrameMark mark = MediaGen::readFrameMark(picture);
        if (mark.isValid())
            shown[channel == 1 ? 1 : 0].push_back({mark.frame, clock.elapsed()});
    }
    void resetPictures(bool) override {}
    QList<int> frames(int channel) const
    {
        QList<int> list;
        for (const Shown &s : shown[channel])
            list << s.frame;
        return list;
    }
    int last(int channel) const { return shown[channel].empty() ? -1 : shown[channel].back().frame; }

    QElapsedTimer clock;
    std::vector<Shown> shown[2];
};

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// The longest wait between two pictures of channel 0 around the seam before `first`.
qint64 seamGapMs(const std::vector<MarkLog::Shown> &shown, int first)
{
    qint64 longest = 0;
    for (size_t i = 1; i < shown.size(); ++i) {
        if (shown[i].frame >= first && shown[i].frame <= first + 1 && shown[i - 1].frame < first + 1)
            longest = std::max(longest, shown[i].atMs - shown[i - 1].atMs);
    }
    return longest;
}

// The median wait between two pictures of channel 0 away from the seams.
double insideGapMs(const std::vector<MarkLog::Shown> &shown, int framesPerClip)
{
    std::vector<double> gaps;
    for (size_t i = 1; i < shown.size(); ++i) {
        const int inClip = shown[i].frame % framesPerClip;
        if (inClip > kReach && inClip < framesPerClip - kReach && shown[i].frame == shown[i - 1].frame + 1)
            gaps.push_back(double(shown[i].atMs - shown[i - 1].atMs));
    }
    return Bench::median(gaps);
}

// Milliseconds from a paused seek to `tripMs` until the picture of `frame` is shown on channel 0.
double seekMs(PlaybackSession &session, MarkLog &log, qint64 tripMs, int frame)
{
    QElapsedTimer timer;
    timer.start();
    session.seek(tripMs);
    if (!waitFor([&] { return log.last(0) == frame; }, 5000))
        return -1;
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (!Bench::prepare())
        return 1;
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int clips = args.size() > 1 ? std::max(2, args.at(1).toInt()) : 5;
    const int seconds = args.size() > 2 ? std::max(2, args.at(2).toInt()) : 4;
    QSize front(960, 540);
    if (args.size() > 3) {
        const QStringList wh = args.at(3).split(QLatin1Char('x'));
        front = QSize(wh.value(0).toInt(), wh.value(1).toInt());
    }
    const int framesPerClip = seconds * kFps;
    QTextStream out(stdout);
    Bench::printLoad();

    QTemporaryDir dir;
    std::vector<std::unique_ptr<Clip>> owned;
    TripPlan trip;
    for (int k = 0; k < clips; ++k) {
        MediaGen::ClipDesign design;
        design.channels = {front, front / 2};
        design.fps = kFps;
        design.frames = framesPerClip;
        design.firstFrame = k * framesPerClip;
        design.textured = true;
        const QString path = dir.filePath(QStringLiteral("part%1.avi").arg(k));
        if (!Bench::writeClip(path, design))
            return 1;
        owned.push_back(std::make_unique<Clip>(QFileInfo(path)));
        trip.parts.append({owned.back().get(), trip.lengthMs, seconds * 1000LL});
        trip.lengthMs += seconds * 1000LL;
    }

    ViewerState state;
    PlaybackSession session(state);
    MarkLog log;
    session.setOutput(0, &log);
    session.setOutput(1, &log);
    session.setDisplaySize(0, Bench::kLargeBox);
    session.setDisplaySize(1, Bench::kSmallBox);
    bool ended = false;
    QList<quint64> sound(clips, 0);
    QObject::connect(&session, &PlaybackSession::ended, [&] { ended = true; });
    QObject::connect(&session, &PlaybackSession::positionChanged, [&] {
        const int part = trip.indexOf(session.clip());
        if (part >= 0)
            sound[part] = std::max(sound[part], session.engineStatus().deliveredSound);
    });
    session.openTrip(trip);
    if (!waitFor([&] { return session.isOpen() && log.last(0) == 0; }, 20000)) {
        out << "the trip did not open" << Qt::endl;
        return 1;
    }
    log.shown[0].clear();
    log.shown[1].clear();
    log.clock.start();
    session.play();
    if (!waitFor([&] { return ended; }, int(trip.lengthMs) * 3 + 10000)) {
        out << "the trip did not play to its end" << Qt::endl;
        return 1;
    }

    bool met = true;
    const double inside = insideGapMs(log.shown[0], framesPerClip);
    out << QStringLiteral("%1 clips of %2 s, %3x%4 + %5x%6 at %7 pictures a second, textured, with sound\n")
               .arg(clips).arg(seconds).arg(front.width()).arg(front.height()).arg(front.width() / 2)
               .arg(front.height() / 2).arg(kFps);
    out << "seam  front lost/repeated  rear lost/repeated  longest wait at the seam  (against inside a clip)\n";
    for (int k = 1; k < clips; ++k) {
        const int first = k * framesPerClip;
        const MediaGen::SeamCount a = MediaGen::countAtSeam(log.frames(0), first, kReach);
        const MediaGen::SeamCount b = MediaGen::countAtSeam(log.frames(1), first, kReach);
        const qint64 gap = seamGapMs(log.shown[0], first);
        out << QStringLiteral("%1     %2/%3                  %4/%5                 %6 ms                  %7x\n")
                   .arg(k).arg(a.lost).arg(a.repeated).arg(b.lost).arg(b.repeated).arg(gap)
                   .arg(inside > 0 ? gap / inside : 0, 0, 'f', 2);
        met = met && a.lost == 0 && b.lost == 0 && a.repeated <= 1 && b.repeated <= 1;
    }
    out << "median wait between pictures inside a clip: " << inside << " ms" << Qt::endl;
    for (int k = 0; k < clips; ++k) {
        out << "clip " << k << ": " << sound[k] << " sound buffers" << Qt::endl;
        met = met && sound[k] > 0;
    }

    // Seeks, paused: within the clip on screen (the baseline) and into other clips of the trip.
    session.pause();
    std::vector<double> within;
    std::vector<double> across;
    for (int round = 0; round < 3; ++round) {
        // Every other clip, so that most seeks land beyond the clip prepared next.
        for (int step = 0; step < clips; ++step) {
            const int k = step * 2 % clips;
            const qint64 into = 1000 + round * 300;
            const qint64 tripMs = k * seconds * 1000LL + into;
            across.push_back(seekMs(session, log, tripMs, int(tripMs * kFps / 1000)));
            const qint64 again = tripMs + 1000;
            within.push_back(seekMs(session, log, again, int(again * kFps / 1000)));
        }
    }
    const double withinMs = Bench::median(within);
    const double acrossMs = Bench::median(across);
    const double worstAcross = *std::max_element(across.begin(), across.end());
    out << "seek inside the clip on screen: median " << withinMs << " ms" << Qt::endl;
    out << "seek into another clip of the trip: median " << acrossMs << " ms, longest " << worstAcross << " ms ("
        << (withinMs > 0 ? acrossMs / withinMs : 0) << "x the seek inside a clip; target " << kSeekTargetMs
        << " ms)" << Qt::endl;
    met = met && *std::min_element(across.begin(), across.end()) >= 0 && worstAcross <= kSeekTargetMs;
    out << (met ? "targets met" : "TARGET MISSED") << Qt::endl;
    return met ? 0 : 2;
}
