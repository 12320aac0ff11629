// qrd7700-cli events: the hard brakes, starts, sharp turns and impacts in a clip's or a folder's
// telemetry.
#include "tools/cli/clicommand.h"

#include "base/programsettings.h"
#include "catalogue/clipcatalogue.h"
#include "catalogue/cliplistfilter.h"
#include "telemetry/avimainheader.h"
#include "telemetry/cliptelemetry.h"
#include "telemetry/eventdetection.h"
#include "telemetry/recorderclock.h"
#include "telemetry/telemetryreader.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <vector>

namespace Cli {

namespace {

constexpr int ExitNoClips = 3; // the folder holds no clips

int runEvents(const QStringList &arguments);

} // namespace

extern const Command eventsCommand = {
    "events",
    "hard brakes, hard starts, sharp turns and impacts in a clip or folder",
    "usage: qrd7700-cli events PATH [--json] [--tz ZONE]\n"
    "       qrd7700-cli events --thresholds\n"
    "\n"
    "Finds the driving events in the telemetry of the AVI clip PATH, or of every clip the viewer\n"
    "lists for the folder PATH, oldest first. Kinds: hard-brake, hard-acceleration, sharp-turn,\n"
    "impact. Prints a table, or with --json an array of objects with clip (absolute path),\n"
    "offset_ms (from the clip's start), time_utc (ISO 8601; null when the clip's name has no\n"
    "time), kind, peak_g, speed_before_kmh and speed_after_kmh (null without GPS).\n"
    "Times are true UTC: the recorder's clock from the clip's name less the recorder's offset that\n"
    "the GPS fixes give (a clip without a fix borrows that of the nearest clip with one; without any\n"
    "fix, the zone of --tz, of [time] zone= in viewer.conf, or of this computer, said on stderr).\n"
    "Which way the recorder faces is learned from the GPS speed of all the clips given; without\n"
    "GPS, negative X is braking.\n"
    "--thresholds prints the thresholds in effect as the [events] group of\n"
    "~/.config/qrd7700/viewer.conf, where they can be changed.\n"
    "Exit codes: 0 done (with or without events), 1 a clip that cannot be read, 2 usage error,\n"
    "3 the folder holds no clips.\n",
    runEvents,
};

namespace {

struct Options
{
    QString path;
    bool json = false;
    bool thresholds = false;
    std::optional<RecorderClock::FallbackZone> zone; // --tz
};

QString parseOptions(const QStringList &arguments, Options *options)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--tz")) {
            if (++i >= arguments.size() || !(options->zone = RecorderClock::FallbackZone::fromText(arguments.at(i))))
                return QStringLiteral("--tz needs a time zone (\"+09:00\", \"Asia/Seoul\", \"UTC\")");
        } else if (argument == QLatin1String("--json"))
            options->json = true;
        else if (argument == QLatin1String("--thresholds"))
            options->thresholds = true;
        else if (argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-"))
            return QStringLiteral("unknown option '%1'").arg(argument);
        else if (!options->path.isEmpty())
            return QStringLiteral("one PATH only");
        else
            options->path = argument;
    }
    if (options->thresholds)
        return options->path.isEmpty() && !options->json ? QString() : QStringLiteral("--thresholds stands alone");
    return options->path.isEmpty() ? QStringLiteral("PATH is missing") : QString();
}

// The folder's clips as the viewer lists them, oldest first by the recording start in their names;
// clips without one keep the list's order after the others.
QStringList folderClips(const ClipCatalogue &catalogue)
{
    QList<std::pair<std::optional<qint64>, QString>> clips;
    for (const Clip *clip : ClipListFilter::visibleClips(catalogue, ClipListFilter::AllCategories,
                                                         ClipListFilter::AllCauses))
        clips.append({RecorderClock::stampFromName(clip->file().fileName()), clip->file().absoluteFilePath()});
    std::stable_sort(clips.begin(), clips.end(), [](const auto &a, const auto &b) {
        if (a.first.has_value() != b.first.has_value())
            return a.first.has_value();
        return a.first && *a.first < *b.first;
    });
    QStringList paths;
    for (const auto &clip : clips)
        paths.append(clip.second);
    return paths;
}

struct ClipTrack
{
    QString path;
    ClipSummary summary;
    EventDetection::PreparedTrack track;
};

// The tracks of the clips that have telemetry. A clip that cannot be opened is named on stderr and
// sets *failed; other clips without telemetry (MP4 clips, no AVI header) are only counted.
std::vector<ClipTrack> readTracks(const QStringList &clips, int *withoutTelemetry, bool *failed)
{
    std::vector<ClipTrack> tracks;
    for (const QString &clip : clips) {
        QFile file(clip);
        if (!file.open(QIODevice::ReadOnly)) {
            unreadable(clip, file.errorString());
            *failed = true;
            continue;
        }
        ClipTelemetry telemetry;
        if (isAviFile(clip))
            telemetry = readClipTelemetry(clip);
        if (!telemetry.samples.isEmpty())
            tracks.push_back({clip, telemetry.summary, EventDetection::PreparedTrack(telemetry.samples)});
        else
            ++*withoutTelemetry;
    }
    return tracks;
}

// The true moment each clip began (see RecorderClock), in the order of `tracks`; nothing for a
// clip without a time in its name. A card without any fix is named on stderr with the zone assumed.
QList<std::optional<qint64>> clipStarts(const std::vector<ClipTrack> &tracks, const RecorderClock::FallbackZone &zone)
{
    QList<ClipSummary> clips;
    for (const ClipTrack &clip : tracks)
        clips.append(clip.summary);
    QList<std::optional<qint64>> result;
    bool assumed = false;
    std::optional<qint64> firstStart;
    const QList<std::optional<RecorderClock::Offset>> offsets = clipOffsets(clips, zone);
    for (qsizetype i = 0; i < clips.size(); ++i) {
        const ClipSummary &clip = clips.at(i);
        const std::optional<RecorderClock::Offset> &offset = offsets.at(i);
        if (!offset) {
            result.append(std::nullopt);
            continue;
        }
        firstStart = firstStart.value_or(*clip.recorderStartMs);
        assumed = assumed || offset->source == RecorderClock::Source::Assumed;
        result.append(RecorderClock::utcOf(*clip.recorderStartMs, *offset));
    }
    if (assumed)
        err() << "qrd7700-cli: no GPS time in these clips: times assume the zone "
              << RecorderClock::offsetText(zone.offsetAt(firstStart.value_or(0))) << '\n';
    return result;
}

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toString(Qt::ISODateWithMs) : QString();
}

double roundedG(double g)
{
    return std::round(g * 100) / 100;
}

QJsonValue speedValue(const std::optional<int> &kmh)
{
    return kmh ? QJsonValue(*kmh) : QJsonValue(QJsonValue::Null);
}

void printJson(const QList<DrivingEvent> &events)
{
    QJsonArray array;
    for (const DrivingEvent &e : events) {
        const QString time = timeText(e.timeUtc);
        array.append(QJsonObject{
            {QStringLiteral("clip"), e.clip},
            {QStringLiteral("offset_ms"), e.offsetMs},
            {QStringLiteral("time_utc"), time.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(time)},
            {QStringLiteral("kind"), eventKindName(e.kind)},
            {QStringLiteral("peak_g"), roundedG(e.peakG)},
            {QStringLiteral("speed_before_kmh"), speedValue(e.speedBeforeKmh)},
            {QStringLiteral("speed_after_kmh"), speedValue(e.speedAfterKmh)},
        });
    }
    out() << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

QString speedText(const std::optional<int> &kmh)
{
    return kmh ? QString::number(*kmh) : QStringLiteral("-");
}

// One line per event under a header, then how many were found in how many clips.
void printTable(const QList<DrivingEvent> &events, int clips, int withoutTelemetry)
{
    QTextStream &stream = out();
    stream << "time_utc                  kind               peak_g  speed_kmh   offset   clip\n";
    for (const DrivingEvent &e : events) {
        const QString time = timeText(e.timeUtc);
        const QString offset = QStringLiteral("%1:%2")
                                   .arg(e.offsetMs / 60000)
                                   .arg((e.offsetMs % 60000) / 1000.0, 4, 'f', 1, QLatin1Char('0'));
        stream << (time.isEmpty() ? QStringLiteral("-") : time).leftJustified(25) << ' '
               << eventKindName(e.kind).leftJustified(18) << ' '
               << QString::number(roundedG(e.peakG), 'f', 2).leftJustified(7) << ' '
               << (speedText(e.speedBeforeKmh) + QLatin1String(" -> ") + speedText(e.speedAfterKmh)).leftJustified(11)
               << ' ' << offset.leftJustified(8) << ' ' << printable(QFileInfo(e.clip).fileName()) << '\n';
    }
    stream << events.size() << (events.size() == 1 ? " event in " : " events in ") << clips
           << (clips == 1 ? " clip" : " clips");
    if (withoutTelemetry > 0)
        stream << " (" << withoutTelemetry << " without telemetry)";
    stream << '\n';
}

int runEvents(const QStringList &arguments)
{
    Options options;
    if (const QString problem = parseOptions(arguments, &options); !problem.isEmpty())
        return usageError(eventsCommand, problem);
    const EventThresholds thresholds = thresholdsInEffect();
    if (options.thresholds) {
        out() << thresholds.settingsText();
        out().flush();
        return ExitOk;
    }

    QStringList clips;
    if (QFileInfo(options.path).isDir()) {
        const ClipCatalogue catalogue(options.path);
        if (!catalogue.hasClips()) {
            err() << "qrd7700-cli: " << printable(options.path) << ": no clips in this folder\n";
            return ExitNoClips;
        }
        clips = folderClips(catalogue);
    } else {
        if (!clipOpens(options.path))
            return ExitUnreadable;
        if (!aviHeaderDurationMs(options.path))
            return unreadable(options.path, QStringLiteral("no usable duration in an AVI main header"));
        clips = {QFileInfo(options.path).absoluteFilePath()};
    }

    int withoutTelemetry = 0;
    bool failed = false;
    const std::vector<ClipTrack> tracks = readTracks(clips, &withoutTelemetry, &failed);
    EventDetection::LongitudinalEvidence evidence;
    for (const ClipTrack &clip : tracks)
        evidence += EventDetection::longitudinalEvidence(clip.track);
    const EventDetection::Forward forward = EventDetection::forwardDirection(evidence);
    const QList<std::optional<qint64>> starts =
        clipStarts(tracks, options.zone.value_or(RecorderClock::FallbackZone::fromSetting(ProgramSettings::timeZone())));
    QList<DrivingEvent> events;
    for (std::size_t i = 0; i < tracks.size(); ++i)
        events += EventDetection::clipEvents(tracks[i].path, tracks[i].track, thresholds, forward, starts.at(qsizetype(i)));

    if (options.json)
        printJson(events);
    else
        printTable(events, int(clips.size()), withoutTelemetry);
    out().flush();
    return failed ? ExitUnreadable : ExitOk;
}

} // namespace

EventThresholds thresholdsInEffect()
{
    QStringList rejected;
    const EventThresholds thresholds = EventThresholds::withOverrides(ProgramSettings::eventThresholds(), &rejected);
    for (const QString &problem : rejected)
        err() << "qrd7700-cli: " << printable(ProgramSettings::filePath()) << ": [events] " << printable(problem)
              << "; the default is used\n";
    err().flush();
    return thresholds;
}

} // namespace Cli
