#include "playertestclips.h"

#include "playback/player.h"
#include "generators/mediagen/mediagen.h"

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

// Every box `name` of an MP4 file (version 0) gets 0 in its 32-bit field at `offset` from the box's
// type.
QByteArray zeroField(QByteArray mp4, const QByteArray &name, int offset)
{
    for (qsizetype at = mp4.indexOf(name); at >= 0; at = mp4.indexOf(name, at + 4)) {
        if (at + offset + 4 <= mp4.size())
            mp4.replace(at + offset, 4, QByteArray(4, '\0'));
    }
    return mp4;
}

// The AVI's last sound entry of its index (id "NNwb") claims 2 GiB.
QByteArray withHugeSoundEntry(QByteArray avi)
{
    const qsizetype index = avi.lastIndexOf("idx1");
    qsizetype last = -1;
    for (qsizetype at = avi.indexOf("wb", index); index >= 0 && at >= 0; at = avi.indexOf("wb", at + 1)) {
        const qsizetype entry = at - 2;
        if ((entry - index - 8) % 16 == 0 && entry + 16 <= avi.size())
            last = entry;
    }
    if (last < 0)
        return QByteArray();
    const char huge[4] = {char(0xff), char(0xff), char(0xff), char(0x7f)};
    avi.replace(last + 12, 4, huge, 4);
    return avi;
}

} // namespace

void PictureRecorder::presentPicture(int channel, const QImage &picture, quint64 serial)
{
    const int c = channel == 1 ? 1 : 0;
    m_pictures[c] = picture;
    m_serials[c] = serial;
    ++m_received;
}

void PictureRecorder::resetPictures(bool)
{
    m_pictures[0] = m_pictures[1] = QImage();
    m_serials[0] = m_serials[1] = 0;
}

int PictureRecorder::frame(int channel) const
{
    return MediaGen::readFrameMark(picture(channel)).frame;
}

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
    MediaGen::ClipDesign design;
    design.fps = Fps;
    design.frames = Frames;
    const QSize first(320, 180);
    const QSize second(160, 90);

    QByteArray random(4096, Qt::Uninitialized);
    for (char &c : random)
        c = char(QRandomGenerator::global()->bounded(256));
    bool ok = writeFile(path(randomBytes()), random) && writeFile(path(emptyMp4()), QByteArray())
              && writeFile(path(emptyAvi()), QByteArray())
              && writeFile(path(textAvi()), QByteArray("RIFF is not what this is\n").repeated(20));
    if (m_missingMp4.isEmpty()) {
        design.channels = {first, second};
        ok = ok && MediaGen::writeMp4(path(mp4Two()), design, error);
        design.channels = {first, second, second};
        ok = ok && MediaGen::writeMp4(path(mp4Three()), design, error);
        design.channels = {first};
        ok = ok && MediaGen::writeMp4(path(mp4One()), design, error);
        design.audio = false;
        ok = ok && MediaGen::writeMp4(path(mp4Silent()), design, error);
        design.audio = true;
        const QByteArray one = readFile(path(mp4One()));
        ok = ok && writeFile(path(mp4NamedAvi()), one) && writeFile(path(mp4CapitalName()), one)
             && writeFile(path(truncatedMp4()), one.left(one.size() / 2));
        // Durations: mvhd and mdhd at 16 bytes after the type, tkhd at 20.
        ok = ok && writeFile(path(mp4WithoutLength()), zeroField(zeroField(zeroField(one, "mvhd", 20), "mdhd", 20), "tkhd", 24));
        // Sample counts of every table at 8 (12 for stsz): the tracks hold nothing.
        QByteArray empty = zeroField(one, "stsz", 12);
        for (const char *table : {"stts", "stss", "stsc", "stco"})
            empty = zeroField(empty, table, 8);
        ok = ok && writeFile(path(mp4WithoutPictures()), empty);
        // Long enough that the damaged sample lies beyond what opening reads ahead.
        design.channels = {second};
        design.audio = false;
        design.frames = Frames * 3;
        const QString damagedPath = path(damagedMp4());
        ok = ok && MediaGen::writeMp4(damagedPath, design, error)
             && writeFile(damagedPath, MediaGen::withHugeSample(readFile(damagedPath), Frames * 3 - 8));
        design.audio = true;
        design.frames = Frames;
        design.channels = {first};
        for (int fps : {10, 30}) {
            design.fps = fps;
            ok = ok && MediaGen::writeMp4(path(mp4AtRate(fps)), design, error);
        }
        design.fps = Fps;
    }
    if (m_missingAvi.isEmpty()) {
        design.channels = {first};
        ok = ok && MediaGen::writeAvi(path(aviOne()), design, error);
        design.channels = {first, second};
        design.telemetry = true;
        ok = ok && MediaGen::writeAvi(path(aviTwo()), design, error);
        design.channels = {first};
        design.telemetry = false;
        for (int fps : {10, 30}) {
            design.fps = fps;
            ok = ok && MediaGen::writeAvi(path(aviAtRate(fps)), design, error);
        }
        const QByteArray hours = withHugeSoundEntry(readFile(path(aviTwo())));
        ok = ok && !hours.isEmpty() && writeFile(path(aviWithHoursOfSound()), hours);
        design.fps = Fps;
    }
    return ok;
}
