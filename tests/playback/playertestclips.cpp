#include "playertestclips.h"

#include "playback/player.h"
#include "tools/mediagen/mediagen.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QRandomGenerator>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The size of the video track's sample `index` becomes 2 GiB: the clip opens, and the demuxer
// fails when playback reaches that sample.
QByteArray damaged(QByteArray clip, int index)
{
    const qsizetype table = clip.indexOf("stsz");
    const qsizetype entry = table + 16 + 4 * index;
    if (table < 0 || entry + 4 > clip.size())
        return QByteArray();
    const char huge[4] = {char(0x7f), char(0xff), char(0xff), char(0xff)};
    clip.replace(entry, 4, huge, 4);
    return clip;
}

} // namespace

bool PlayerTestClips::openAndWait(Player &player, Clip *clip, int timeoutMs)
{
    QEventLoop loop;
    bool opened = false;
    QObject::connect(&player, &Player::opened, &loop, [&] { opened = true; loop.quit(); });
    QObject::connect(&player, &Player::failed, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!player.open(clip))
        return false;
    loop.exec();
    return opened;
}

bool PlayerTestClips::create(QString *error)
{
    if (!m_dir.isValid())
        return false;
    m_missingMp4 = MediaGen::missingForMp4();
    m_missingAvi = MediaGen::missingForAvi();
    MediaGen::ClipSpec clipSpec;
    clipSpec.fps = Fps;
    clipSpec.frames = Frames;
    const QSize first(320, 180);
    const QSize second(160, 90);

    QByteArray random(4096, Qt::Uninitialized);
    for (char &c : random)
        c = char(QRandomGenerator::global()->bounded(256));
    bool ok = writeFile(path(randomBytes()), random) && writeFile(path(emptyMp4()), QByteArray())
              && writeFile(path(emptyAvi()), QByteArray())
              && writeFile(path(textAvi()), QByteArray("RIFF is not what this is\n").repeated(20));
    if (m_missingMp4.isEmpty()) {
        clipSpec.channels = {first, second};
        ok = ok && MediaGen::writeMp4(path(mp4Two()), clipSpec, error);
        clipSpec.channels = {first, second, second};
        ok = ok && MediaGen::writeMp4(path(mp4Three()), clipSpec, error);
        clipSpec.channels = {first};
        ok = ok && MediaGen::writeMp4(path(mp4One()), clipSpec, error);
        clipSpec.audio = false;
        ok = ok && MediaGen::writeMp4(path(mp4Silent()), clipSpec, error);
        clipSpec.audio = true;
        const QByteArray one = readFile(path(mp4One()));
        ok = ok && writeFile(path(mp4NamedAvi()), one) && writeFile(path(mp4CapitalName()), one)
             && writeFile(path(truncatedMp4()), one.left(one.size() / 2));
        // Long enough that the damaged sample lies beyond what opening reads ahead.
        clipSpec.channels = {second};
        clipSpec.audio = false;
        clipSpec.frames = Frames * 3;
        const QString damagedPath = path(damagedMp4());
        ok = ok && MediaGen::writeMp4(damagedPath, clipSpec, error)
             && writeFile(damagedPath, damaged(readFile(damagedPath), Frames * 3 - 8));
        clipSpec.audio = true;
        clipSpec.frames = Frames;
        clipSpec.channels = {first};
        for (int fps : {10, 30}) {
            clipSpec.fps = fps;
            ok = ok && MediaGen::writeMp4(path(mp4AtRate(fps)), clipSpec, error);
        }
        clipSpec.fps = Fps;
    }
    if (m_missingAvi.isEmpty()) {
        clipSpec.channels = {first};
        ok = ok && MediaGen::writeAvi(path(aviOne()), clipSpec, error);
        clipSpec.channels = {first, second};
        clipSpec.telemetry = true;
        ok = ok && MediaGen::writeAvi(path(aviTwo()), clipSpec, error);
        clipSpec.channels = {first};
        clipSpec.telemetry = false;
        for (int fps : {10, 30}) {
            clipSpec.fps = fps;
            ok = ok && MediaGen::writeAvi(path(aviAtRate(fps)), clipSpec, error);
        }
        clipSpec.fps = Fps;
    }
    return ok;
}
