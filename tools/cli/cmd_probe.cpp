// qrd7700-cli probe: opens a clip the way the viewer does and prints what the player found.
#include "tools/cli/clicommand.h"

#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "playback/player.h"

#include <QEventLoop>
#include <QFileInfo>

namespace {

// Opening answers by signal: wait here for it, as a command-line tool may.
bool openAndWait(Player &player, Clip *clip)
{
    QEventLoop loop;
    bool opened = false;
    QObject::connect(&player, &Player::opened, &loop, [&] { opened = true; loop.quit(); });
    QObject::connect(&player, &Player::failed, &loop, &QEventLoop::quit);
    if (!player.open(clip))
        return false;
    loop.exec();
    return opened;
}

QString sizeText(const QSize &size)
{
    return QStringLiteral("%1x%2").arg(qMax(0, size.width())).arg(qMax(0, size.height()));
}

int runProbe(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return Cli::usageError(Cli::probeCommand, QStringLiteral("expected one clip file"));
    const QString path = arguments.first();
    const QFileInfo file(path);
    if (!file.isFile())
        return Cli::unreadable(path, QStringLiteral("no such file"));
    // Probing never needs the sound card.
    if (!qEnvironmentVariableIsSet("QRD7700_AUDIO_SINK"))
        qputenv("QRD7700_AUDIO_SINK", "fakesink");
    if (!MediaFramework::initialise())
        return Cli::unreadable(path, QStringLiteral("the media framework cannot start"));

    int exitCode = Cli::ExitOk;
    {
        Clip clip(file);
        Player player;
        if (openAndWait(player, &clip)) {
            const PlaybackFacts &facts = player.facts();
            const Player::Status status = player.status();
            Cli::out() << "channels=" << facts.channelCount << '\n'
                       << "size0=" << sizeText(facts.videoSize(0)) << '\n'
                       << "size1=" << sizeText(facts.videoSize(1)) << '\n'
                       << "duration_ms=" << player.lengthMs() << '\n'
                       << "audio=" << (status.hasAudio ? 1 : 0) << '\n'
                       << "recipe=" << Player::recipeName(status.recipe) << '\n';
            Cli::out().flush();
        } else {
            exitCode = Cli::unreadable(path, QStringLiteral("cannot be opened: ") + player.status().error);
        }
    }
    MediaFramework::shutdown();
    return exitCode;
}

} // namespace

namespace Cli {

const Command probeCommand = {
    "probe",
    "open a clip and print its channels, sizes, duration, sound and recipe",
    "usage: qrd7700-cli probe CLIP\n"
    "\n"
    "Opens CLIP with the player and prints, one per line:\n"
    "  channels=N  size0=WxH  size1=WxH (0x0 when absent)  duration_ms=N  audio=0|1\n"
    "  recipe=mp4|avi|fallback\n"
    "Exit code 1 when the clip cannot be opened.\n",
    &runProbe,
};

} // namespace Cli
