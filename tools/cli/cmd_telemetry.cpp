// Subcommands on the telemetry engine: records, track, at, gpx, kml.
#include "tools/cli/clicommand.h"

#include "base/messages.h"
#include "telemetry/avimainheader.h"
#include "telemetry/cliptelemetry.h"
#include "telemetry/exportfile.h"
#include "telemetry/recorderclock.h"
#include "telemetry/telemetryreader.h"
#include "telemetry/telemetrytrack.h"
#include "telemetry/trackexport.h"

#include <QFile>
#include <QFileInfo>

#include <memory>
#include <optional>

namespace {

// The command line of one subcommand: the clip and the options it allows.
struct Arguments
{
    QString clip;
    std::optional<qint64> durationMs;
    std::optional<qint32> positionMs;
    QString output;
    std::optional<RecorderClock::FallbackZone> zone; // --tz
    std::optional<int> trip;                         // --trip, from 1
};

// Parses `arguments` allowing the options named in `allowed`; returns the problem, empty if none.
QString parseArguments(const QStringList &arguments, const QStringList &allowed, Arguments *parsed)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            if (!parsed->clip.isEmpty())
                return QStringLiteral("one clip only");
            parsed->clip = argument;
            continue;
        }
        if (!allowed.contains(argument))
            return QStringLiteral("unknown option '%1'").arg(argument);
        if (i + 1 >= arguments.size())
            return QStringLiteral("%1 needs a value").arg(argument);
        const QString value = arguments.at(++i);
        bool ok = false;
        if (argument == QLatin1String("--duration-ms")) {
            // Within the player's range, as positions are: beyond it the track would be cut silently.
            parsed->durationMs = value.toInt(&ok);
            ok = ok && *parsed->durationMs >= 0;
        } else if (argument == QLatin1String("--position-ms")) {
            parsed->positionMs = value.toInt(&ok);
        } else if (argument == QLatin1String("--tz")) {
            parsed->zone = RecorderClock::FallbackZone::fromText(value);
            ok = parsed->zone.has_value();
        } else if (argument == QLatin1String("--trip")) {
            parsed->trip = value.toInt(&ok);
            ok = ok && *parsed->trip >= 1;
        } else {
            parsed->output = value;
            ok = !value.isEmpty();
        }
        if (!ok)
            return QStringLiteral("bad value '%1' for %2").arg(value, argument);
    }
    return parsed->clip.isEmpty() ? QStringLiteral("no clip given") : QString();
}

// Writes the document to `path`: a new or regular file is replaced whole (atomically, keeping the
// replaced file's mode and owner), anything else (a FIFO, a device such as /dev/null) is written in
// place, as a shell redirection would; it is never replaced by a regular file.
bool writeOutput(const QString &path, const QByteArray &document, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isFile() || info.isDir())
        return writeExportFile(path, document, error);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(document) == document.size())
        return true;
    *error = file.errorString();
    return false;
}

QString hemisphere(char letter)
{
    if (letter == 0)
        return QString();
    if (letter > ' ' && letter < 0x7f && letter != '"')
        return QString(QLatin1Char(letter));
    return QStringLiteral("\\x%1").arg(quint8(letter), 2, 16, QLatin1Char('0'));
}

QString degrees(double value)
{
    const QString text = QString::number(value, 'f', 6);
    return text == QLatin1String("-0.000000") ? QStringLiteral("0.000000") : text;
}

QString sampleLine(const TelemetrySample &s)
{
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7")
        .arg(s.timeMs).arg(s.accelX).arg(s.accelY).arg(s.accelZ)
        .arg(degrees(s.latitude), degrees(s.longitude)).arg(s.speedKmh);
}

int runRecords(const QStringList &arguments)
{
    Arguments args;
    if (const QString problem = parseArguments(arguments, {}, &args); !problem.isEmpty())
        return Cli::usageError(Cli::recordsCommand, problem);
    if (!Cli::clipOpens(args.clip))
        return Cli::ExitUnreadable;
    auto records = std::make_unique<TelemetryRecords>();
    const int count = readTelemetryFile(args.clip, *records);
    QTextStream &out = Cli::out();
    out << "accel_x,accel_y,accel_z,lat_micro,lat_hemisphere,lon_micro,lon_hemisphere,speed_kmh\n";
    for (int i = 0; i < count; ++i) {
        const RawTelemetryRecord &r = (*records)[i];
        out << r.accelX << ',' << r.accelY << ',' << r.accelZ << ',' << r.latMicro << ','
            << hemisphere(r.latHemisphere) << ',' << r.lonMicro << ',' << hemisphere(r.lonHemisphere) << ','
            << r.speedKmh << '\n';
    }
    out.flush();
    return Cli::ExitOk;
}

// Writes an exported document to the -o file, or to stdout without one.
int writeDocument(const QString &output, const QByteArray &document)
{
    if (output.isEmpty()) {
        QTextStream &out = Cli::out();
        out << QString::fromUtf8(document);
        out.flush();
        return Cli::ExitOk;
    }
    QString error;
    if (!writeOutput(output, document, &error))
        return Cli::unreadable(output, error);
    return Cli::ExitOk;
}

// The clip's track as one piece of an export, with its true start; *assumedZone tells the zone
// the start rests on when the clip has no GPS time. Nothing (and the problem reported) when the
// clip has no length.
std::optional<TrackExport::Piece> clipPiece(const Arguments &args, std::optional<qint64> *assumedZone)
{
    const std::optional<qint64> duration = args.durationMs ? args.durationMs : aviHeaderDurationMs(args.clip);
    if (!duration) {
        Cli::unreadable(args.clip, QStringLiteral("no usable duration in an AVI main header; give --duration-ms"));
        return std::nullopt;
    }
    const ClipTelemetry clip = readClipTelemetry(args.clip, *duration);
    bool assumed = false;
    const RecorderClock::FallbackZone zone = args.zone.value_or(RecorderClock::FallbackZone());
    TrackExport::Piece piece{clip.samples, 0, clipStart(clip.summary, zone, &assumed), clip.fixes};
    if (assumed && piece.start.isValid() && !piece.samples.isEmpty())
        *assumedZone = zone.offsetAt(*clip.summary.recorderStartMs);
    return piece;
}

// track, gpx and kml: the track of a clip (or of a trip on a card) as one export format.
int runExport(const Cli::Command &command, TrackExport::Format format, const QStringList &arguments)
{
    Arguments args;
    const QStringList allowed{QStringLiteral("--duration-ms"), QStringLiteral("-o"), QStringLiteral("--tz"),
                              QStringLiteral("--trip")};
    if (const QString problem = parseArguments(arguments, allowed, &args); !problem.isEmpty())
        return Cli::usageError(command, problem);
    if (args.trip || QFileInfo(args.clip).isDir()) {
        int exitCode = Cli::ExitOk;
        const std::optional<QByteArray> document =
            Cli::tripDocument(command, format, args.clip, args.trip, args.zone, &exitCode);
        return document ? writeDocument(args.output, *document) : exitCode;
    }
    if (!Cli::clipOpens(args.clip))
        return Cli::ExitUnreadable;
    std::optional<qint64> assumedZone;
    const std::optional<TrackExport::Piece> piece = clipPiece(args, &assumedZone);
    if (!piece)
        return Cli::ExitUnreadable;
    // A route without a single position would be an empty file that looks like a result.
    if (format != TrackExport::Format::Csv && !TrackExport::hasPositions(piece->samples))
        return Cli::unreadable(args.clip, Messages::noPositionsInClip());
    if (assumedZone)
        Cli::note(args.clip, QStringLiteral("no GPS time in this clip: times assume the zone %1")
                                 .arg(RecorderClock::offsetText(*assumedZone)));
    return writeDocument(args.output, TrackExport::document(format, {*piece}, QFileInfo(args.clip).fileName()));
}

int runTrack(const QStringList &arguments)
{
    return runExport(Cli::trackCommand, TrackExport::Format::Csv, arguments);
}

int runAt(const QStringList &arguments)
{
    Arguments args;
    const QStringList allowed{QStringLiteral("--duration-ms"), QStringLiteral("--position-ms")};
    QString problem = parseArguments(arguments, allowed, &args);
    if (problem.isEmpty() && (!args.durationMs || !args.positionMs))
        problem = QStringLiteral("--duration-ms and --position-ms are required");
    if (!problem.isEmpty())
        return Cli::usageError(Cli::atCommand, problem);
    if (!Cli::clipOpens(args.clip))
        return Cli::ExitUnreadable;
    TelemetryTrack track;
    track.setClipPath(args.clip);
    track.loadTrack(*args.durationMs);
    const TelemetrySample sample = track.sampleAt(*args.positionMs);
    QTextStream &out = Cli::out();
    out << "time_ms,accel_x,accel_y,accel_z,latitude,longitude,speed_kmh,gps_valid\n"
        << sampleLine(sample) << ',' << (track.gpsValid() ? 1 : 0) << '\n';
    out.flush();
    return Cli::ExitOk;
}

int runGpx(const QStringList &arguments)
{
    return runExport(Cli::gpxCommand, TrackExport::Format::Gpx, arguments);
}

int runKml(const QStringList &arguments)
{
    return runExport(Cli::kmlCommand, TrackExport::Format::Kml, arguments);
}

} // namespace

namespace Cli {

const Command recordsCommand{
    "records", "raw telemetry records of a clip, as CSV",
    "usage: qrd7700-cli records CLIP\n\n"
    "Prints the raw telemetry records of an AVI clip as CSV, ten per second of recording:\n"
    "accel_x,accel_y,accel_z,lat_micro,lat_hemisphere,lon_micro,lon_hemisphere,speed_kmh\n",
    runRecords};

const Command trackCommand{
    "track", "telemetry samples on the clip's time line, as CSV",
    "usage: qrd7700-cli track CLIP [--duration-ms N] [--tz ZONE] [-o FILE]\n"
    "       qrd7700-cli track DIR --trip N [--tz ZONE] [-o FILE]\n\n"
    "Writes the telemetry track of a clip, or of drive N of a card (see trips), as CSV, to FILE or\n"
    "stdout (the viewer's CSV export):\n"
    "time_ms,accel_x,accel_y,accel_z,latitude,longitude,speed_kmh,time\n"
    "time_ms counts from the start of the clip or drive; time is true UTC (ending in Z): the\n"
    "recorder's time in the file name (REC_/EVS_yyyy_MM_dd_hh_mm_ss) corrected by the GPS time,\n"
    "empty when the name has none. Without a GPS time the computer's zone, or ZONE, is assumed\n"
    "(a note on stderr says so). The duration defaults to the one in the clip's AVI main header.\n",
    runTrack};

const Command atCommand{
    "at", "the telemetry sample at one playback position",
    "usage: qrd7700-cli at CLIP --duration-ms N --position-ms P\n\n"
    "Prints the sample the viewer shows at position P of a clip lasting N ms:\n"
    "time_ms,accel_x,accel_y,accel_z,latitude,longitude,speed_kmh,gps_valid\n",
    runAt};

const Command gpxCommand{
    "gpx", "the clip's positions as a GPX 1.1 track",
    "usage: qrd7700-cli gpx CLIP [--duration-ms N] [--tz ZONE] [-o FILE]\n"
    "       qrd7700-cli gpx DIR --trip N [--tz ZONE] [-o FILE]\n\n"
    "Writes the samples with a usable position of a clip, or of drive N of a card, as one GPX 1.1\n"
    "track, to FILE or stdout, one segment per stretch with fix. Point times are true UTC (as for\n"
    "track). A clip without any position is refused (exit 1).\n"
    "A regular FILE is replaced whole; a FIFO or device is written to as it is.\n",
    runGpx};

const Command kmlCommand{
    "kml", "the clip's positions as a KML 2.2 placemark",
    "usage: qrd7700-cli kml CLIP [--duration-ms N] [--tz ZONE] [-o FILE]\n"
    "       qrd7700-cli kml DIR --trip N [--tz ZONE] [-o FILE]\n\n"
    "Writes the samples with a usable position of a clip, or of drive N of a card, as one KML 2.2\n"
    "placemark, to FILE or stdout: one line (lon,lat) per stretch with fix, and the route's time\n"
    "span in true UTC (as for track). A clip without any position is refused (exit 1).\n",
    runKml};

} // namespace Cli
