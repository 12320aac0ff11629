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
    MediaGen::ClipSpec spec;
    spec.channels = {QSize(320, 180), QSize(160, 90)};
    spec.fps = Fps;
    spec.telemetry = true;
    spec.frames = 4 * Fps;
    bool ok = MediaGen::writeAvi(path(aviFirst()), spec, error);
    spec.frames = 2 * Fps;
    ok = ok && MediaGen::writeAvi(path(aviSecond()), spec, error);
    spec.telemetry = false;
    spec.frames = 4 * Fps;
    ok = ok && MediaGen::writeMp4(path(mp4Two()), spec, error);
    spec.channels = {QSize(320, 180)};
    spec.audio = false;
    spec.frames = 2 * Fps;
    ok = ok && MediaGen::writeMp4(path(mp4Mono()), spec, error);
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
