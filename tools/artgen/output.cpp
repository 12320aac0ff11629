#include "output.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace {

void put16(QByteArray &out, int v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

void put32(QByteArray &out, qint64 v)
{
    put16(out, int(v & 0xffff));
    put16(out, int((v >> 16) & 0xffff));
}

// An icon file with PNG-compressed entries: 256 (the picture itself), 48, 32 and 16 pixels.
QByteArray icoFile(const QImage &large)
{
    QList<QByteArray> pngs;
    const QList<int> sizes{256, 48, 32, 16};
    for (int size : sizes) {
        const QImage image = size == large.width() ? large : iconAtSize(size);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG");
        pngs << png;
    }
    QByteArray out;
    put16(out, 0);   // reserved
    put16(out, 1);   // type: icon
    put16(out, int(sizes.size()));
    qint64 offset = 6 + 16 * sizes.size();
    for (int i = 0; i < sizes.size(); ++i) {
        out.append(char(sizes[i] >= 256 ? 0 : sizes[i]));   // 0 stands for 256
        out.append(char(sizes[i] >= 256 ? 0 : sizes[i]));
        out.append(char(0));   // palette size
        out.append(char(0));   // reserved
        put16(out, 1);         // colour planes
        put16(out, 32);        // bits per pixel
        put32(out, pngs[i].size());
        put32(out, offset);
        offset += pngs[i].size();
    }
    for (const QByteArray &png : pngs)
        out += png;
    return out;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

bool writeArt(const ArtSet &set, const QString &gfxRoot)
{
    bool ok = true;
    for (const Art &art : set) {
        const QString path = QDir(gfxRoot).filePath(art.path);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (art.path.endsWith(QLatin1String(".ico"))) {
            ok = writeBytes(path, icoFile(art.image)) && ok;
            continue;
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        art.image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG", 9);
        ok = writeBytes(path, png) && ok;
    }
    return ok;
}
