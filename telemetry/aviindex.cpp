#include "telemetry/aviindex_p.h"

#include "telemetry/clipstream_p.h"

#include <QByteArray>
#include <QSet>
#include <QtEndian>

#include <cstring>

namespace AviIndex {

namespace {

constexpr qint64 kFileHeaderSize = 12; // "RIFF" size "AVI "
constexpr qint64 kChunkHeaderSize = 8;
constexpr qint64 kIndexEntrySize = 16; // id, flags, offset, size
constexpr int kMaxTopLevelChunks = 256; // a clip has a handful; more means a damaged file
// A minute of two channels with sound indexes under 10,000 chunks (160 KB); a larger index is
// read up to this size and otherwise left alone.
constexpr qint64 kMaxIndexBytes = 64 << 20;

quint32 u32(const char *bytes)
{
    return qFromLittleEndian<quint32>(bytes);
}

qint64 paddedEnd(qint64 payloadStart, quint32 size)
{
    return payloadStart + qint64(size) + (size % 2);
}

bool isTelemetryId(const char *id)
{
    return std::memcmp(id, "02tx", 4) == 0 || std::memcmp(id, "03tx", 4) == 0;
}

// Whether the entries name the telemetry chunks plainly: every "tx" entry is "02tx" or "03tx", and
// a stream with telemetry entries has no entries of another kind. An index that a damaged byte
// turned a telemetry entry into another kind (or the reverse) is thus not used.
bool telemetryNamedPlainly(const QByteArray &entries)
{
    QSet<QByteArray> telemetryStreams;
    QSet<QByteArray> otherStreams;
    for (qsizetype i = 0; i + kIndexEntrySize <= entries.size(); i += kIndexEntrySize) {
        const char *id = entries.constData() + i;
        const bool telemetry = std::memcmp(id + 2, "tx", 2) == 0;
        if (telemetry && !isTelemetryId(id))
            return false;
        (telemetry ? telemetryStreams : otherStreams).insert(QByteArray(id, 2));
    }
    return !telemetryStreams.intersects(otherStreams);
}

struct TopLevel
{
    qint64 movieList = -1; // header of "LIST … movi"
    quint32 movieSize = 0;
    qint64 index = -1;     // header of "idx1"
    quint32 indexSize = 0;
};

// The top-level chunks of the RIFF form, skipped by their sizes: where the movie list and the
// index are. Only the first of each counts.
std::optional<TopLevel> topLevelChunks(ClipStream &stream)
{
    TopLevel found;
    qint64 pos = kFileHeaderSize;
    for (int i = 0; i < kMaxTopLevelChunks; ++i) {
        char header[kChunkHeaderSize + 4];
        const qint64 got = stream.readAt(pos, header, sizeof header);
        if (got < kChunkHeaderSize)
            break;
        const quint32 size = u32(header + 4);
        if (found.movieList < 0 && got == sizeof header && std::memcmp(header, "LIST", 4) == 0
            && std::memcmp(header + 8, "movi", 4) == 0) {
            found.movieList = pos;
            found.movieSize = size;
        } else if (found.index < 0 && found.movieList >= 0 && std::memcmp(header, "idx1", 4) == 0) {
            found.index = pos;
            found.indexSize = size;
        }
        const qint64 next = paddedEnd(pos + kChunkHeaderSize, size);
        if (next > stream.size())
            break;
        pos = next;
    }
    if (found.movieList < 0 || found.index < 0 || found.movieSize < 4)
        return std::nullopt;
    return found;
}

// Checks that the entries lie end to end over the movie list and collects the telemetry ones.
// Entry offsets count from the "movi" type (the usual way) or from the start of the file.
std::optional<Plan> planFromEntries(const QByteArray &entries, const TopLevel &top, qint64 fileSize)
{
    Plan plan;
    plan.movieStart = top.movieList + kChunkHeaderSize + 4;
    plan.movieEnd = paddedEnd(top.movieList + kChunkHeaderSize, top.movieSize);
    if (plan.movieEnd > fileSize)
        return std::nullopt;
    const qsizetype count = entries.size() / kIndexEntrySize;
    qint64 base = plan.movieStart - 4;
    if (count > 0 && qint64(u32(entries.constData() + 8)) == plan.movieStart)
        base = 0;
    qint64 expected = plan.movieStart;
    for (qsizetype i = 0; i < count; ++i) {
        const char *entry = entries.constData() + i * kIndexEntrySize;
        const quint32 size = u32(entry + 12);
        if (std::memcmp(entry, "LIST", 4) == 0 || base + qint64(u32(entry + 8)) != expected)
            return std::nullopt;
        if (isTelemetryId(entry))
            plan.telemetry.append({expected, size});
        expected = paddedEnd(expected + kChunkHeaderSize, size);
        if (expected > plan.movieEnd)
            return std::nullopt;
    }
    if (expected != plan.movieEnd)
        return std::nullopt;
    return plan;
}

} // namespace

std::optional<Plan> telemetryPlan(ClipStream &stream)
{
    const std::optional<TopLevel> top = topLevelChunks(stream);
    if (!top || top->indexSize % kIndexEntrySize != 0 || top->indexSize > kMaxIndexBytes
        || top->index + kChunkHeaderSize + qint64(top->indexSize) > stream.size())
        return std::nullopt;
    QByteArray entries(qsizetype(top->indexSize), Qt::Uninitialized);
    if (stream.readAt(top->index + kChunkHeaderSize, entries.data(), entries.size()) != entries.size()
        || !telemetryNamedPlainly(entries))
        return std::nullopt;
    return planFromEntries(entries, *top, stream.size());
}

} // namespace AviIndex
