// qrd7700-cli export and verify: a moment of a clip or drive into an evidence folder, and the check
// of such a folder against its checksums.
#include "tools/cli/clicommand.h"

#include "evidence/checksums.h"
#include "evidence/evidenceexport.h"
#include "evidence/exportplan.h"
#include "playback/mediaframework.h"
#include "settings/devicecard.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cmath>
#include <csignal>
#include <unistd.h>

namespace Cli {

namespace {

int runExport(const QStringList &arguments);
int runVerify(const QStringList &arguments);

} // namespace

extern const Command exportCommand = {
    "export",
    "a moment of a clip or drive into an evidence folder",
    "usage: qrd7700-cli export CLIP --from S --to S [--at S] [--overlay] [--tz ZONE] -o DIR\n"
    "       qrd7700-cli export CARD --trip N --from S --to S [--at S] [--overlay] [--tz ZONE] -o DIR\n"
    "\n"
    "Makes the folder DIR (it must not exist) with what shows the moment from S to S seconds of the\n"
    "clip, or of drive N of the card (see trips), and proves it unchanged later:\n"
    "  originals/          the clip files of the range, byte for byte\n"
    "  segment.mkv         both channels and the sound of the range, copied without re-encoding,\n"
    "                      from the key frame at or before its start, clips of a drive joined\n"
    "  overlay.mp4         with --overlay: front and rear side by side with the time (local and\n"
    "                      UTC), speed, G-forces and position burned in (H.264 and AAC)\n"
    "  evidence.pdf        the printed page of the pictures at --at (default: the start) with their\n"
    "                      caption, and a page with the range's route, speed and G chart and events\n"
    "  route.gpx           the range's positions (when it has any)\n"
    "  telemetry.csv       the range's telemetry samples, times from the range's start\n"
    "  SHA256SUMS          the SHA-256 of every file, as `sha256sum -c` checks it (see verify)\n"
    "Everything is made in a hidden folder beside DIR, which takes its name once complete: DIR\n"
    "appears whole or not at all (also when interrupted). Times are true UTC from the GPS; on a clip\n"
    "or card without a fix the computer's zone, or ZONE, is assumed (a note on stderr says so).\n"
    "Prints the files written, one per line. Exit codes: 0 all written, 1 a clip or folder that\n"
    "cannot be read or written (nothing is left), 2 a wrong command line.\n",
    runExport,
    true,
};

extern const Command verifyCommand = {
    "verify",
    "check an evidence folder against its SHA256SUMS",
    "usage: qrd7700-cli verify DIR\n"
    "\n"
    "Checks every file the folder's SHA256SUMS lists and prints one line per file:\n"
    "  OK, CHANGED, MISSING, or NOT A FILE (a folder or link where the file was), then\n"
    "  UNLISTED for files the list does not cover (not a failure: file managers add such files).\n"
    "Links are not followed; names that leave the folder are refused.\n"
    "Exit codes: 0 every listed file is intact, 1 a file changed or is missing (or the folder has\n"
    "no usable SHA256SUMS), 2 a wrong command line.\n",
    runVerify,
};

namespace {

struct ExportArguments
{
    QString source;
    std::optional<int> trip;
    std::optional<qint64> fromMs;
    std::optional<qint64> toMs;
    std::optional<qint64> atMs;
    bool overlay = false;
    QString output;
    std::optional<RecorderClock::FallbackZone> zone;
};

std::optional<qint64> milliseconds(const QString &seconds)
{
    bool ok = false;
    const double value = seconds.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0 || value > 1e9)
        return std::nullopt;
    return qRound64(value * 1000);
}

// Takes the value of an option; false when it is missing or bad.
bool takeValue(const QString &option, const QString &value, ExportArguments *args)
{
    bool ok = true;
    if (option == QLatin1String("--from"))
        ok = (args->fromMs = milliseconds(value)).has_value();
    else if (option == QLatin1String("--to"))
        ok = (args->toMs = milliseconds(value)).has_value();
    else if (option == QLatin1String("--at"))
        ok = (args->atMs = milliseconds(value)).has_value();
    else if (option == QLatin1String("--trip"))
        ok = (args->trip = value.toInt(&ok)) >= 1 && ok;
    else if (option == QLatin1String("--tz"))
        ok = (args->zone = RecorderClock::FallbackZone::fromText(value)).has_value();
    else if (option == QLatin1String("-o"))
        args->output = value, ok = !value.isEmpty();
    else
        return false;
    return ok;
}

QString parseExportArguments(const QStringList &arguments, ExportArguments *args)
{
    static const QStringList valued{"--from", "--to", "--at", "--trip", "--tz", "-o"};
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--overlay")) {
            args->overlay = true;
        } else if (valued.contains(argument)) {
            if (i + 1 >= arguments.size() || !takeValue(argument, arguments.at(i + 1), args))
                return QStringLiteral("bad or missing value for %1").arg(argument);
            ++i;
        } else if (argument.startsWith(QLatin1Char('-')) || !args->source.isEmpty()) {
            return QStringLiteral("unexpected argument '%1'").arg(argument);
        } else {
            args->source = argument;
        }
    }
    if (args->source.isEmpty() || !args->fromMs || !args->toMs || args->output.isEmpty())
        return QStringLiteral("CLIP (or CARD --trip N), --from, --to and -o are needed");
    if (*args->toMs <= *args->fromMs)
        return QStringLiteral("--to must lie after --from");
    if (args->atMs && (*args->atMs < *args->fromMs || *args->atMs >= *args->toMs))
        return QStringLiteral("--at must lie in the range");
    if (args->trip.has_value() != QFileInfo(args->source).isDir())
        return args->trip ? QStringLiteral("--trip takes a folder (a card)") : QStringLiteral("a folder needs --trip N");
    return QString();
}

// The plan of the export; nothing (reported) when the range cannot be exported.
std::optional<ExportPlan> planOf(const ExportArguments &args, int *exitCode)
{
    ExportPlanning::Options options;
    options.zone = args.zone.value_or(RecorderClock::FallbackZone());
    options.thresholds = thresholdsInEffect();
    options.model = clipModel(QFileInfo(args.source).absoluteFilePath()) == DeviceModel::Main ? QStringLiteral("QRD-7700")
                                                                                              : QStringLiteral("unknown");
    QString error;
    std::optional<ExportPlan> plan;
    if (args.trip) {
        const CardIndex index = cardIndex(args.source);
        const QList<Trip> trips = index.trips(options.zone);
        if (*args.trip > trips.size())
            error = QStringLiteral("no trip %1: the card has %2").arg(*args.trip).arg(trips.size());
        else if ((plan = ExportPlanning::forTrip(index, trips.at(*args.trip - 1), *args.fromMs, *args.toMs, options, &error)))
            plan->title = QStringLiteral("Trip %1 of %2, %3 to %4")
                              .arg(*args.trip).arg(RecorderClock::isoUtc(trips.at(*args.trip - 1).startUtcMs),
                                                   ExportPlanning::rangeTime(*args.fromMs),
                                                   ExportPlanning::rangeTime(*args.fromMs + plan->lengthMs()));
    } else {
        plan = ExportPlanning::forClip(args.source, *args.fromMs, *args.toMs, options, &error);
    }
    if (!plan) {
        *exitCode = unreadable(args.source, error);
        return std::nullopt;
    }
    if (args.atMs)
        plan->setMoment(*args.atMs - *args.fromMs);
    for (const ExportPart &part : plan->parts) {
        if (part.clock.source == RecorderClock::Source::Assumed) {
            note(args.source, QStringLiteral("no GPS time: times assume the zone %1")
                                  .arg(RecorderClock::offsetText(RecorderClock::zonePart(part.clock.ms))));
            break;
        }
    }
    return plan;
}

// Ctrl+C or a termination request cancels the export, so that nothing is left behind: the
// handler only writes a byte into a pipe that the event loop watches.
class InterruptWatch
{
public:
    explicit InterruptWatch(const std::function<void()> &onInterrupt)
    {
        if (::pipe(s_pipe) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [onInterrupt] {
            char byte = 0;
            if (::read(s_pipe[0], &byte, 1) == 1)
                onInterrupt();
        });
        struct sigaction action{};
        action.sa_handler = [](int) { [[maybe_unused]] const ssize_t n = ::write(s_pipe[1], "x", 1); };
        sigemptyset(&action.sa_mask);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            sigaction(signal, &action, &m_previous[signal == SIGINT ? 0 : signal == SIGTERM ? 1 : 2]);
    }
    ~InterruptWatch()
    {
        if (!m_notifier)
            return;
        sigaction(SIGINT, &m_previous[0], nullptr);
        sigaction(SIGTERM, &m_previous[1], nullptr);
        sigaction(SIGHUP, &m_previous[2], nullptr);
        m_notifier.reset();
        ::close(s_pipe[0]);
        ::close(s_pipe[1]);
    }
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

private:
    static inline int s_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previous[3] = {};
};

// Runs the export to its end in an event loop; progress goes to a terminal on stderr.
int runJob(EvidenceExport &job, const QString &output)
{
    // Watched before the hidden folder exists, so that no interruption can leave it behind.
    InterruptWatch interrupts([&job] { job.cancel(); });
    if (!job.start())
        return unreadable(output, job.errorString());
    QEventLoop loop;
    QObject::connect(&job, &EvidenceExport::finished, &loop, &QEventLoop::quit);
    QObject::connect(&job, &EvidenceExport::failed, &loop, &QEventLoop::quit);
    QObject::connect(&job, &EvidenceExport::cancelled, &loop, &QEventLoop::quit);
    const bool terminal = ::isatty(STDERR_FILENO);
    QObject::connect(&job, &EvidenceExport::progressChanged, &loop, [terminal](double fraction) {
        if (terminal)
            err() << "\rexporting: " << qRound(fraction * 100) << " %" << Qt::flush;
    });
    loop.exec();
    if (terminal)
        err() << '\n';
    if (!job.files().isEmpty()) {
        for (const QString &file : job.files())
            out() << printable(file) << '\n';
        out().flush();
        return ExitOk;
    }
    if (job.errorString().isEmpty())
        return unreadable(output, QStringLiteral("interrupted; nothing was written"));
    const QStringList missing = job.missingPlugins();
    return unreadable(output, job.errorString()
                                  + (missing.isEmpty() ? QString()
                                                       : QStringLiteral(" (not installed: %1)").arg(missing.join(QStringLiteral(", ")))));
}

int runExport(const QStringList &arguments)
{
    ExportArguments args;
    if (const QString problem = parseExportArguments(arguments, &args); !problem.isEmpty())
        return usageError(exportCommand, problem);
    if (!MediaFramework::initialise())
        return unreadable(args.source, QStringLiteral("the media framework cannot start"));
    int exitCode = ExitOk;
    if (const std::optional<ExportPlan> plan = planOf(args, &exitCode)) {
        EvidenceExport job(*plan, args.output, args.overlay);
        exitCode = runJob(job, args.output);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the pipelines' owners
    MediaFramework::shutdown();
    return exitCode;
}

QString statusWord(Checksums::Status status)
{
    switch (status) {
    case Checksums::Status::Intact: return QStringLiteral("OK");
    case Checksums::Status::Changed: return QStringLiteral("CHANGED");
    case Checksums::Status::Missing: return QStringLiteral("MISSING");
    case Checksums::Status::NotAFile: return QStringLiteral("NOT A FILE");
    case Checksums::Status::Unlisted: break;
    }
    return QStringLiteral("UNLISTED");
}

int runVerify(const QStringList &arguments)
{
    if (arguments.size() != 1 || arguments.first().startsWith(QLatin1Char('-')))
        return usageError(verifyCommand, QStringLiteral("expected one folder"));
    const QString folder = arguments.first();
    const Checksums::Verification verification = Checksums::verify(folder);
    if (!verification.problem.isEmpty())
        return unreadable(folder, verification.problem);
    for (const QString &line : verification.badLines)
        err() << "qrd7700-cli: " << printable(folder) << ": " << Checksums::FileName << ": " << line << '\n';
    for (const Checksums::Finding &finding : verification.findings)
        out() << statusWord(finding.status).leftJustified(11) << printable(finding.path) << '\n';
    out().flush();
    err().flush();
    return verification.intact() ? ExitOk : ExitUnreadable;
}

} // namespace

} // namespace Cli
