#include "exporttestclips.h"

#include "generators/mediagen/mediagen.h"
#include "playback/mediaframework.h"

#include <QFile>
#include <QRandomGenerator>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray noise(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

} // namespace

bool ExportTestClips::create(QString *error)
{
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    m_missing = MediaGen::missingForMp4() + MediaGen::missingForAvi();
    if (!m_missing.isEmpty()) {
        *error = QStringLiteral("missing plugins: ") + m_missing.join(QStringLiteral(", "));
        return false;
    }
    MediaGen::ClipDesign design;
    design.channels = {QSize(320, 180), QSize(160, 90)};
    design.fps = Fps;
    design.telemetry = true;
    design.frames = 4 * Fps;
    bool ok = MediaGen::writeAvi(path(aviFirst()), design, error);
    design.frames = 2 * Fps;
    ok = ok && MediaGen::writeAvi(path(aviSecond()), design, error);
    design.telemetry = false;
    design.frames = 4 * Fps;
    ok = ok && MediaGen::writeMp4(path(mp4Two()), design, error);
    design.channels = {QSize(320, 180)};
    design.audio = false;
    design.frames = 2 * Fps;
    ok = ok && MediaGen::writeMp4(path(mp4Mono()), design, error);
    // An AVI header followed by noise: the demuxer takes it and then fails.
    QByteArray broken = noise(64 * 1024, 7);
    broken.replace(0, 12, QByteArray("RIFF\xf8\xff\x00\x00" "AVI ", 12));
    ok = ok && writeFile(path(randomBytes()), noise(64 * 1024, 3)) && writeFile(path(brokenAvi()), broken);
    return ok;
}

QString ExportTestClips::prepare(bool *skip)
{
    *skip = false;
    if (!MediaFramework::initialise())
        return QStringLiteral("the media framework does not start");
    QString error;
    if (create(&error))
        return QString();
    *skip = !m_missing.isEmpty();
    return error;
}
