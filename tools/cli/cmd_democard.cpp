#include "tools/cli/clicommand.h"

#include "base/localconfig.h"
#include "playback/mediaframework.h"
#include "generators/democard/democard.h"

#include <QFileInfo>

namespace Cli {

namespace {

int runDemoCard(const QStringList &arguments);

} // namespace

const Command demoCardCommand = {
    "democard",
    "write a demo memory card with clips, telemetry and settings",
    "usage: qrd7700-cli democard DIR [--seconds N] [--no-mp4] [--drives MINUTES]\n"
    "       qrd7700-cli democard --seed-last-folder DIR\n"
    "\n"
    "Writes a card as the recorder leaves it below DIR: REC/ and EVENT/ with two-channel clips of one\n"
    "drive (AVI clips carry telemetry), cause markers on event clips, a zero-byte clip, setting/ with\n"
    "the recorder's one-value files and update/version.txt. --seconds sets each clip's length\n"
    "(default 20); --no-mp4 leaves the H.264 clips out. --drives adds two more drives for the trip\n"
    "view: one of MINUTES one-minute clips (1 to 120) with an event clip, and a short one whose middle\n"
    "clip is cut short.\n"
    "--seed-last-folder makes DIR the viewer's last clip folder when it has none yet.\n",
    &runDemoCard,
    true,
};

namespace {

int runDemoCard(const QStringList &arguments)
{
    if (arguments.size() == 2 && arguments.first() == QLatin1String("--seed-last-folder")) {
        QString last;
        if (!loadLastFolder(last))
            saveLastFolder(QFileInfo(arguments.at(1)).absoluteFilePath());
        return ExitOk;
    }
    DemoCard::Options options;
    QString folder;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--no-mp4")) {
            options.withMp4 = false;
        } else if (argument == QLatin1String("--seconds") && i + 1 < arguments.size()) {
            bool ok = false;
            options.clipSeconds = arguments.at(++i).toInt(&ok);
            if (!ok || options.clipSeconds < 1 || options.clipSeconds > 600)
                return usageError(demoCardCommand, QStringLiteral("--seconds takes a number from 1 to 600"));
        } else if (argument == QLatin1String("--drives") && i + 1 < arguments.size()) {
            bool ok = false;
            options.longDriveMinutes = arguments.at(++i).toInt(&ok);
            if (!ok || options.longDriveMinutes < 1 || options.longDriveMinutes > 120)
                return usageError(demoCardCommand, QStringLiteral("--drives takes a number from 1 to 120"));
        } else if (!argument.startsWith(QLatin1String("--")) && folder.isEmpty()) {
            folder = argument;
        } else {
            return usageError(demoCardCommand, QStringLiteral("unexpected argument '%1'").arg(argument));
        }
    }
    if (folder.isEmpty())
        return usageError(demoCardCommand, QStringLiteral("no folder given"));
    if (options.withMp4 && !MediaFramework::initialise())
        return unreadable(folder, QStringLiteral("GStreamer cannot start"));
    QString error;
    if (!DemoCard::write(folder, options, nullptr, &error))
        return unreadable(folder, error);
    return ExitOk;
}

} // namespace

} // namespace Cli
