#include "telemetry/clipduration.h"

#include "telemetry/avimainheader.h"

#include <QFile>
#include <QtEndian>

#include <cstring>
#include <limits>

namespace {

constexpr int kMaxBoxesBeforeMovie = 64; // ftyp, free, mdat … the movie box comes early or last
constexpr qint64 kBoxHeaderSize = 8;
constexpr quint64 kUnknownDuration32 = 0xffffffffu;

struct Box
{
    qint64 start = 0;   // of the box header
    qint64 payload = 0; // first byte after the header
    qint64 end = 0;     // first byte after the box
    char type[4] = {};
};

// The box at `pos`, inside a parent ending at `limit`; nothing when it does not fit there.
std::optional<Box> boxAt(QFile &file, qint64 pos, qint64 limit)
{
    char header[16];
    if (pos + kBoxHeaderSize > limit || !file.seek(pos) || file.read(header, kBoxHeaderSize) != kBoxHeaderSize)
        return std::nullopt;
    Box box;
    box.start = pos;
    std::memcpy(box.type, header + 4, 4);
    quint64 size = qFromBigEndian<quint32>(header);
    box.payload = pos + kBoxHeaderSize;
    if (size == 1) { // a 64-bit size follows the type
        if (file.read(header + 8, 8) != 8)
            return std::nullopt;
        size = qFromBigEndian<quint64>(header + 8);
        box.payload += 8;
    } else if (size == 0) { // the box runs to the end of its parent
        size = quint64(limit - pos);
    }
    if (size < quint64(box.payload - pos) || size > quint64(limit - pos))
        return std::nullopt;
    box.end = pos + qint64(size);
    return box;
}

std::optional<Box> childOfType(QFile &file, qint64 from, qint64 limit, const char *type)
{
    qint64 pos = from;
    for (int i = 0; i < kMaxBoxesBeforeMovie; ++i) {
        const std::optional<Box> box = boxAt(file, pos, limit);
        if (!box)
            return std::nullopt;
        if (std::memcmp(box->type, type, 4) == 0)
            return box;
        pos = box->end;
    }
    return std::nullopt;
}

// mvhd: version and flags, then creation and modification times, the time scale and the duration
// (32-bit fields in version 0, 64-bit times and duration in version 1).
std::optional<qint64> movieHeaderDuration(QFile &file, const Box &header)
{
    char fields[32];
    const qint64 available = std::min<qint64>(sizeof fields, header.end - header.payload);
    if (!file.seek(header.payload) || available < 20 || file.read(fields, available) != available)
        return std::nullopt;
    const bool wide = fields[0] == 1;
    if (wide && available < 32)
        return std::nullopt;
    const quint32 scale = qFromBigEndian<quint32>(fields + (wide ? 20 : 12));
    const quint64 duration = wide ? qFromBigEndian<quint64>(fields + 24) : qFromBigEndian<quint32>(fields + 16);
    if (scale == 0 || duration == 0 || duration == kUnknownDuration32 || duration == std::numeric_limits<quint64>::max()
        || duration > quint64(std::numeric_limits<qint64>::max()) / 1000)
        return std::nullopt;
    return qint64(duration * 1000 / scale);
}

} // namespace

std::optional<qint64> mp4HeaderDurationMs(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<Box> movie = childOfType(file, 0, file.size(), "moov");
    if (!movie)
        return std::nullopt;
    const std::optional<Box> header = childOfType(file, movie->payload, movie->end, "mvhd");
    return header ? movieHeaderDuration(file, *header) : std::nullopt;
}

std::optional<qint64> containerDurationMs(const QString &path)
{
    if (const std::optional<qint64> avi = aviHeaderDurationMs(path))
        return *avi > 0 ? avi : std::nullopt;
    return mp4HeaderDurationMs(path);
}
