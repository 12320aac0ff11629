#include "telemetry/avimainheader.h"

#include <QFile>
#include <QtEndian>
#include <QtNumeric>

#include <cstring>

namespace {

constexpr int kMaxChunksBeforeHeader = 64; // the header comes first; do not wander a whole file
constexpr qint64 kMainHeaderFields = 20;   // dwMicroSecPerFrame at 0 … dwTotalFrames at 16

quint32 u32(const char *bytes)
{
    return qFromLittleEndian<quint32>(bytes);
}

// Frame time × frame count in whole milliseconds; nothing when the product does not fit (a damaged or
// forged header: two fields of 0xFFFFFFFF overflow 64 bits).
std::optional<qint64> durationMs(quint32 microsPerFrame, quint32 frames)
{
    qint64 micros = 0;
    if (qMulOverflow(qint64(microsPerFrame), qint64(frames), &micros) || qAddOverflow(micros, qint64(500), &micros))
        return std::nullopt;
    return micros / 1000;
}

} // namespace

std::optional<qint64> aviHeaderDurationMs(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    char head[12];
    if (file.read(head, 12) != 12 || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "AVI ", 4) != 0)
        return std::nullopt;
    for (int i = 0; i < kMaxChunksBeforeHeader; ++i) {
        char chunk[8];
        if (file.read(chunk, 8) != 8)
            return std::nullopt;
        const quint32 size = u32(chunk + 4);
        if (std::memcmp(chunk, "LIST", 4) == 0) {
            char type[4];
            if (file.read(type, 4) != 4)
                return std::nullopt;
            if (std::memcmp(type, "hdrl", 4) != 0 && !file.seek(file.pos() + qint64(size) - 4 + size % 2))
                return std::nullopt;
            continue;
        }
        if (std::memcmp(chunk, "avih", 4) == 0) {
            char fields[kMainHeaderFields];
            if (size < kMainHeaderFields || file.read(fields, kMainHeaderFields) != kMainHeaderFields)
                return std::nullopt;
            return durationMs(u32(fields), u32(fields + 16));
        }
        if (!file.seek(file.pos() + qint64(size) + size % 2))
            return std::nullopt;
    }
    return std::nullopt;
}
