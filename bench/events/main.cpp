// Writes a card of 1,200 one-minute clips with generated drives (brakes, starts, turns, bumps, a
// tilted recorder, clips without GPS) into a temporary folder, then goes through it as the command
// line does, timing apart reading the telemetry of every clip and finding the events in it (each
// clip prepared, the direction of X over the whole card, then the events of each clip). Prints
// both and the share the detection adds; exit code 2 when it is 5 % or more.
// The clips have the recorder's layout of chunks with tiny pictures; both are timed with the card
// in the page cache, where reading is cheapest.
// Usage: bench_events [CLIPS] [ROUNDS]
#include "bench/benchtiming.h"
#include "generators/clipwriter/aviclipwriter.h"
#include "generators/clipwriter/drivesynthesis.h"
#include "telemetry/eventdetection.h"
#include "telemetry/cliptelemetry.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace ClipWriter;

namespace {

constexpr double kTargetShare = 0.05;

// One minute of driving with a few pushes at random moments; some clips without GPS.
DriveScenario minuteOfDriving(QRandomGenerator &random)
{
    DriveScenario scenario;
    scenario.seconds = 60;
    scenario.startKmh = random.bounded(20, 110);
    scenario.pitchDegrees = 6;
    scenario.rollDegrees = -3;
    scenario.seed = random.generate();
    for (int i = random.bounded(4); i > 0; --i) {
        const double at = random.bounded(55.0);
        switch (random.bounded(4)) {
        case 0:
            scenario.pushes.append({at, 1 + random.bounded(3.0), -0.3 - random.bounded(0.4)});
            break;
        case 1:
            scenario.pushes.append({at, 1 + random.bounded(2.0), 0.2 + random.bounded(0.3)});
            break;
        case 2:
            scenario.pushes.append({at, 0.5 + random.bounded(1.5), 0, random.bounded(1.0) - 0.5});
            break;
        default:
            scenario.pushes.append({at, 0.1, 0, 0, 0.5 + random.bounded(0.5)});
            break;
        }
    }
    return scenario;
}

bool writeCard(const QString &root, int clips, QString *error)
{
    if (!QDir().mkpath(root + QStringLiteral("/REC")))
        return false;
    QRandomGenerator random(7700);
    const QDateTime first(QDate(2024, 6, 1), QTime(8, 0));
    for (int i = 0; i < clips; ++i) {
        ClipDescription d;
        // The recorder's layout: two channels at 30 pictures a second with sound. The pictures
        // are tiny, since the reader skips them by position whatever their size.
        const VideoStream stream{QSize(8, 8), {}, 10, 1};
        d.videoStreams = {stream, stream};
        d.framesPerSecond = 30;
        d.durationMs = 60000;
        d.audioSampleRate = 1000;
        d.route = routeOf(synthesizeDrive(minuteOfDriving(random)), random.bounded(10) > 0);
        const QString name = first.addSecs(qint64(i) * 60).toString(QStringLiteral("'REC_'yyyy_MM_dd_hh_mm_ss'.avi'"));
        if (!writeAviClip(root + QStringLiteral("/REC/") + name, d, error))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int clips = std::max(1, args.size() > 1 ? args[1].toInt() : 1200);
    const int rounds = std::max(1, args.size() > 2 ? args[2].toInt() : 5);
    QTextStream out(stdout);

    QTemporaryDir dir;
    const QString card = dir.path() + QStringLiteral("/CARD");
    QString error;
    QElapsedTimer writing;
    writing.start();
    if (!dir.isValid() || !writeCard(card, clips, &error)) {
        out << "cannot write the card in " << dir.path() << ": " << error << '\n';
        return 1;
    }
    QStringList paths;
    qint64 bytes = 0;
    for (const QFileInfo &info : QDir(card + QStringLiteral("/REC")).entryInfoList(QDir::Files, QDir::Name)) {
        paths.append(info.filePath());
        bytes += info.size();
    }
    out << "card: " << paths.size() << " clips of one minute (two channels at 30 fps, sound, telemetry), "
        << QString::number(bytes / 1e6, 'f', 1)
        << " MB, written in " << QString::number(writing.elapsed() / 1000.0, 'f', 1) << " s\n";
    out.flush();

    // One round goes through the card as the command line does: each clip's telemetry is read
    // and prepared for the detection at once (while it is fresh in the processor's caches), then
    // the direction of X comes from the whole card and each clip's events are found. Reading and
    // detection are timed apart; the first round also brings the card into the page cache, so
    // every round reads it warm. Each round reports its sums, the medians are printed.
    const EventThresholds thresholds;
    qsizetype events = 0;
    qsizetype samples = 0;
    const auto round = [&](double *readMs, double *detectMs) {
        std::vector<EventDetection::PreparedTrack> prepared;
        prepared.reserve(size_t(paths.size()));
        EventDetection::LongitudinalEvidence evidence;
        *readMs = *detectMs = 0;
        samples = 0;
        for (const QString &path : paths) {
            QList<TelemetrySample> track;
            *readMs += Bench::elapsedMs([&] { track = readClipTelemetry(path).samples; });
            samples += track.size();
            *detectMs += Bench::elapsedMs([&] {
                prepared.emplace_back(track);
                evidence += EventDetection::longitudinalEvidence(prepared.back());
            });
        }
        *detectMs += Bench::elapsedMs([&] {
            const EventDetection::Forward forward = EventDetection::forwardDirection(evidence);
            events = 0;
            for (qsizetype i = 0; i < paths.size(); ++i)
                events += EventDetection::clipEvents(paths.at(i), prepared[size_t(i)], thresholds, forward, 0).size();
            prepared.clear();
        });
    };
    double readMs = 0;
    double detectMs = 0;
    round(&readMs, &detectMs);
    std::vector<double> readTimes, detectTimes;
    for (int i = 0; i < rounds; ++i) {
        round(&readMs, &detectMs);
        readTimes.push_back(readMs);
        detectTimes.push_back(detectMs);
    }
    readMs = Bench::median(readTimes);
    detectMs = Bench::median(detectTimes);
    const double share = detectMs / readMs;
    out << samples << " samples, " << events << " events found\n";
    out << QStringLiteral("reading the telemetry: %1 ms (median of %2)\n").arg(readMs, 0, 'f', 1).arg(rounds);
    out << QStringLiteral("finding the events:    %1 ms (median of %2)\n").arg(detectMs, 0, 'f', 1).arg(rounds);
    out << QStringLiteral("ratio: the detection costs %1 % of reading (target: under %2 %)\n")
               .arg(share * 100, 0, 'f', 2)
               .arg(kTargetShare * 100, 0, 'f', 0);
    if (samples == 0) {
        out << "no telemetry was read\n";
        return 1;
    }
    return share < kTargetShare ? 0 : 2;
}
