#pragma once

#include "telemetry/cardindex.h"
#include "telemetry/drivingevent.h"
#include "telemetry/recorderclock.h"
#include "telemetry/trackexport.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

// The command-line tool's subcommands. Each one takes the arguments after its name and returns the
// process exit code. Output rules shared by all of them:
// stdout carries only the documented output; problems go to stderr.
namespace Cli {

constexpr int ExitOk = 0;
constexpr int ExitUnreadable = 1; // a file or card that cannot be read or written
constexpr int ExitUsage = 2;      // the command line is wrong

struct Command
{
    const char *name;
    const char *summary;
    const char *usage; // full help text, printed for "SUBCOMMAND --help" and on usage errors
    int (*run)(const QStringList &arguments);
    bool needsGui = false; // paints text or pictures: runs with a (headless) GUI application
    QString (*usageTail)() = nullptr; // help text made at run time, printed after `usage`
};

// The whole help text of `command`.
QString usageText(const Command &command);

QTextStream &out();
QTextStream &err();

// Prints "usage:" help of `command` to stderr and returns ExitUsage.
int usageError(const Command &command, const QString &problem = QString());

// Reports a file that cannot be used: one line on stderr naming the file and the reason.
int unreadable(const QString &file, const QString &reason);

// `text` safe to print as part of one line: backslashes and control characters (line feeds, tabs,
// escapes, DEL) are written as \\, \n, \t, \r or \xHH, so a file name cannot forge lines or fields.
QString printable(const QString &text);

// Checks that the clip is an AVI file that can be read; reports it otherwise. Only regular files are
// opened, so a FIFO or device never blocks the command.
bool clipOpens(const QString &clip);

// True when `arguments` asks for help ("--help" or "-h").
bool wantsHelp(const QStringList &arguments);

// A remark about `file` that is no failure (one line on stderr), such as an assumed time zone.
void note(const QString &file, const QString &remark);

// Telemetry subcommands (cmd_telemetry.cpp).
extern const Command recordsCommand;
extern const Command trackCommand;
extern const Command atCommand;
extern const Command gpxCommand;
extern const Command kmlCommand;

extern const Command eventsCommand;   // tools/cli/cmd_events.cpp
// The event thresholds of the settings file; values it cannot use are named on stderr.
EventThresholds thresholdsInEffect();
extern const Command clipsCommand;    // tools/cli/cmd_catalogue.cpp
extern const Command tripsCommand;    // tools/cli/cmd_trips.cpp
// The card's index, from the cache where the clips did not change.
CardIndex cardIndex(const QString &folder);
// The track of trip `trip` (from 1) of the card at `folder` as a document of `format`, times
// assuming `zone` on a card without fix. Nothing, with *exitCode set and the problem reported,
// when there is no such trip or no folder.
std::optional<QByteArray> tripDocument(const Command &command, TrackExport::Format format, const QString &folder,
                                       std::optional<int> trip, const std::optional<RecorderClock::FallbackZone> &zone,
                                       int *exitCode);
extern const Command settingsCommand; // tools/cli/cmd_settings.cpp
extern const Command probeCommand;    // tools/cli/cmd_probe.cpp
extern const Command demoCardCommand; // tools/cli/cmd_democard.cpp
extern const Command exportCommand;   // tools/cli/cmd_export.cpp
extern const Command verifyCommand;   // tools/cli/cmd_export.cpp

} // namespace Cli
