// qrd7700-cli trips: the drives on a card, and one drive as a track for gpx, kml and track.
#include "tools/cli/clicommand.h"

#include "base/messages.h"
#include "telemetry/cardindex.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Cli {

namespace {

constexpr int ExitNoClips = 3; // the folder holds no clips

int runTrips(const QStringList &arguments);

} // namespace

extern const Command tripsCommand = {
    "trips",
    "the drives on a card, from its clips",
    "usage: qrd7700-cli trips DIR [--json] [--tz ZONE]\n"
    "\n"
    "Puts the clips of DIR (scanned as the viewer does) together into drives: normal clips in the\n"
    "order of the recorder's clock, a clip continuing the drive when it starts at most 3 s after the\n"
    "previous one ends; event clips belong to the drive during which they started. Times are true\n"
    "UTC from the GPS; the recorder's offset from it splits into the time zone and the recorder's\n"
    "clock error. On a card without any GPS fix the times assume the computer's zone, or ZONE\n"
    "(\"+09:00\", \"UTC\", \"Asia/Seoul\"), and a note on stderr says so. The clips' telemetry is\n"
    "cached under $XDG_CACHE_HOME/qrd7700/cards/.\n"
    "Prints one line per drive, oldest first, or with --json an array of objects with start_utc,\n"
    "end_utc, clips, events (file names), duration_s, distance_m, max_speed_kmh, utc_offset_s and\n"
    "recorder_clock_error_s (null when the drive has no fix).\n"
    "gpx, kml and track take DIR --trip N (from 1) to write drive N as one track.\n"
    "Exit codes: 0 done, 1 DIR is no folder, 2 usage error, 3 the folder holds no clips.\n",
    runTrips,
};

namespace {

struct TripArguments
{
    QString folder;
    bool json = false;
    std::optional<RecorderClock::FallbackZone> zone;
};

QString parseTripArguments(const QStringList &arguments, TripArguments *parsed)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--json")) {
            parsed->json = true;
        } else if (argument == QLatin1String("--tz")) {
            if (++i >= arguments.size() || !(parsed->zone = RecorderClock::FallbackZone::fromText(arguments.at(i))))
                return QStringLiteral("--tz takes a zone such as +09:00, UTC or Asia/Seoul");
        } else if (argument.startsWith(QLatin1String("--")) || !parsed->folder.isNull()) {
            return QStringLiteral("unexpected argument '%1'").arg(argument);
        } else {
            parsed->folder = argument;
        }
    }
    return parsed->folder.isEmpty() ? QStringLiteral("DIR is missing") : QString();
}

// Says on stderr when the times rest on an assumed zone.
void noteAssumedZone(const QString &folder, const QList<Trip> &trips)
{
    if (!trips.isEmpty() && trips.first().clockSource == RecorderClock::Source::Assumed)
        note(folder, QStringLiteral("no GPS time on this card: times assume the zone %1")
                         .arg(RecorderClock::offsetText(trips.first().zoneMs)));
}

QJsonArray clipNames(const QList<TripClip> &parts)
{
    QJsonArray names;
    for (const TripClip &part : parts)
        names.append(part.clip.name);
    return names;
}

QJsonObject tripObject(const Trip &trip)
{
    return {
        {QStringLiteral("start_utc"), RecorderClock::isoUtc(trip.startUtcMs)},
        {QStringLiteral("end_utc"), RecorderClock::isoUtc(trip.endUtcMs)},
        {QStringLiteral("clips"), clipNames(trip.clips)},
        {QStringLiteral("events"), clipNames(trip.events)},
        {QStringLiteral("duration_s"), trip.durationMs / 1000.0},
        {QStringLiteral("distance_m"), qRound64(trip.distanceM)},
        {QStringLiteral("max_speed_kmh"), trip.maxSpeedKmh ? QJsonValue(*trip.maxSpeedKmh) : QJsonValue()},
        {QStringLiteral("utc_offset_s"), trip.zoneMs / 1000},
        {QStringLiteral("recorder_clock_error_s"),
         trip.clockErrorMs ? QJsonValue(*trip.clockErrorMs / 1000) : QJsonValue()},
    };
}

QString durationText(qint64 ms)
{
    const qint64 seconds = (ms + 500) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString tripLine(int number, const Trip &trip)
{
    const QString clock = trip.clockErrorMs ? QStringLiteral("%1%2 s").arg(*trip.clockErrorMs > 0 ? "+" : "")
                                                  .arg(*trip.clockErrorMs / 1000)
                                            : QStringLiteral("?");
    return QStringLiteral("%1  %2  %3  %4  %5 km  %6  %7  %8  %9  %10")
        .arg(number, 3)
        .arg(RecorderClock::isoUtc(trip.startUtcMs), RecorderClock::isoUtc(trip.endUtcMs))
        .arg(durationText(trip.durationMs), 8)
        .arg(trip.distanceM / 1000.0, 7, 'f', 1)
        .arg(trip.maxSpeedKmh ? QStringLiteral("%1 km/h").arg(*trip.maxSpeedKmh) : QStringLiteral("-"), 8)
        .arg(trip.clips.size(), 5)
        .arg(trip.events.size(), 6)
        .arg(RecorderClock::offsetText(trip.zoneMs))
        .arg(clock, 7);
}

int runTrips(const QStringList &arguments)
{
    TripArguments args;
    if (const QString problem = parseTripArguments(arguments, &args); !problem.isEmpty())
        return usageError(tripsCommand, problem);
    if (!QFileInfo(args.folder).isDir())
        return unreadable(args.folder, QStringLiteral("not a folder"));
    const CardIndex index = cardIndex(args.folder);
    if (index.isEmpty())
        return ExitNoClips;
    const QList<Trip> trips = index.trips(args.zone.value_or(RecorderClock::FallbackZone()));
    noteAssumedZone(args.folder, trips);
    if (args.json) {
        QJsonArray array;
        for (const Trip &trip : trips)
            array.append(tripObject(trip));
        out() << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
    } else {
        out() << "  #  start (UTC)           end (UTC)             duration   distance  top speed  clips  events"
                 "  zone    clock\n";
        for (int i = 0; i < trips.size(); ++i)
            out() << tripLine(i + 1, trips.at(i)) << '\n';
    }
    out().flush();
    return ExitOk;
}

} // namespace

CardIndex cardIndex(const QString &folder)
{
    CardIndex::BuildOptions options;
    options.cacheFile = CardIndex::defaultCacheFile(folder);
    return CardIndex::build(folder, options);
}

std::optional<QByteArray> tripDocument(const Command &command, TrackExport::Format format, const QString &folder,
                                       std::optional<int> trip, const std::optional<RecorderClock::FallbackZone> &zone,
                                       int *exitCode)
{
    if (!trip || !QFileInfo(folder).isDir()) {
        *exitCode = usageError(command, trip ? QStringLiteral("--trip takes a folder (a card)")
                                             : QStringLiteral("a folder needs --trip N"));
        return std::nullopt;
    }
    const CardIndex index = cardIndex(folder);
    const QList<Trip> trips = index.trips(zone.value_or(RecorderClock::FallbackZone()));
    if (*trip > trips.size()) {
        *exitCode = unreadable(folder, QStringLiteral("no trip %1: the card has %2").arg(*trip).arg(trips.size()));
        return std::nullopt;
    }
    const Trip &chosen = trips.at(*trip - 1);
    const QList<TrackExport::Piece> pieces = index.pieces(chosen);
    if (format != TrackExport::Format::Csv && !TrackExport::hasPositions(pieces)) {
        *exitCode = unreadable(folder, QStringLiteral("no positions in trip %1").arg(*trip));
        return std::nullopt;
    }
    noteAssumedZone(folder, {chosen});
    const QString name = QStringLiteral("Trip %1, %2").arg(*trip).arg(RecorderClock::isoUtc(chosen.startUtcMs));
    return TrackExport::document(format, pieces, name);
}

} // namespace Cli
