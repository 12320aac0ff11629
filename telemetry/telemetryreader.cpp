#include "telemetry/telemetryreader.h"

#include "telemetry/aviindex_p.h"
#include "telemetry/clipstream_p.h"
#include "telemetry/telemetrybatch.h"
#include "telemetry/telemetrydecoding.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace {

constexpr qint64 kFileHeaderSize = 12; // "RIFF" size "AVI "
constexpr qint64 kHeaderSize = 8;
// Telemetry payloads are a few dozen bytes; a larger one can only come from a damaged file, and
// ends the walk instead of allocating whatever the size field claims.
constexpr qint64 kMaxTelemetryPayload = 1 << 20;

bool isTelemetryId(const char *id)
{
    return std::memcmp(id, "02tx", 4) == 0 || std::memcmp(id, "03tx", 4) == 0;
}

// One telemetry payload: "M" acceleration, "$"/"G" position sentence, "T" lost fix.
void takePayload(const QByteArray &payload, TelemetryBatch &batch, TelemetryRecords &records)
{
    // The payload is followed by a zero byte, so bytes 1 … 3 of a short "M" chunk read as 0.
    const auto byteAt = [&payload](int i) { return quint8(payload.constData()[i]); };
    switch (payload.constData()[0]) {
    case 'M':
        batch.addSample({decodeAccel(byteAt(1)), decodeAccel(payload.size() > 1 ? byteAt(2) : 0),
                         decodeAccel(payload.size() > 2 ? byteAt(3) : 0)});
        break;
    case '$':
    case 'G':
        if (decodePositionSentence(payload, &batch.position))
            flushBatch(batch, records);
        break;
    case 'T':
        batch.position = TelemetryPosition();
        flushBatch(batch, records);
        break;
    default:
        break;
    }
}

// Reads one telemetry chunk's payload and its pad byte. Returns false when the walk must end.
bool readTelemetryChunk(ClipStream &stream, quint32 size, TelemetryBatch &batch, TelemetryRecords &records)
{
    const qint64 available = std::min<qint64>(size, stream.remaining());
    if (available > kMaxTelemetryPayload)
        return false;
    QByteArray payload(available, '\0'); // QByteArray keeps a terminating zero after the data
    stream.read(payload.data(), available);
    takePayload(payload, batch, records);
    if (available < qint64(size))
        return false; // truncated last chunk: used with what was there, nothing follows
    stream.skip(size % 2);
    return true;
}

bool startsAviFile(ClipStream &stream)
{
    char head[kFileHeaderSize];
    return stream.read(head, kFileHeaderSize) == kFileHeaderSize && std::memcmp(head, "RIFF", 4) == 0
           && std::memcmp(head + 8, "AVI ", 4) == 0;
}

// Walks the chunk headers from the stream's position on, descending into every list, until the
// file ends or the walk reaches `end`. Returns the position where it stopped (past `end` when a
// chunk reaches over it; -1 when the walk ended for good: end of file, a damaged size, full records).
qint64 walkChunks(ClipStream &stream, TelemetryBatch &batch, TelemetryRecords &records,
                  qint64 end = std::numeric_limits<qint64>::max())
{
    char header[kHeaderSize];
    while (stream.position() < end) {
        if (batch.isFull() || stream.read(header, kHeaderSize) != kHeaderSize)
            return -1;
        const quint32 size = qFromLittleEndian<quint32>(header + 4);
        if (std::memcmp(header, "LIST", 4) == 0) {
            // Descend into every list: skip only its type.
            char type[4];
            if (stream.read(type, 4) != 4)
                return -1;
        } else if (isTelemetryId(header)) {
            if (!readTelemetryChunk(stream, size, batch, records))
                return -1;
        } else {
            const qint64 skipped = qint64(size) + (size % 2);
            if (skipped > stream.remaining())
                return -1; // a size past the end of the file: nothing more to find
            stream.skip(skipped);
        }
    }
    return stream.position();
}

// The payloads of the telemetry chunks the index names, read close by close: chunks a few bytes
// apart come in one read. Nothing when a chunk's header is not what the index says.
std::optional<QList<QByteArray>> indexedPayloads(ClipStream &stream, const QList<AviIndex::ChunkRef> &chunks)
{
    constexpr qint64 kJoinGap = 512;
    // All reads are asked for first: the disk serves them together instead of one after another.
    for (const AviIndex::ChunkRef &chunk : chunks)
        stream.prefetch(chunk.offset, kHeaderSize + std::min<qint64>(chunk.size, kMaxTelemetryPayload));
    QList<QByteArray> payloads;
    payloads.reserve(chunks.size());
    for (qsizetype first = 0; first < chunks.size();) {
        if (chunks.at(first).size > kMaxTelemetryPayload)
            return std::nullopt; // the walk would end there
        qsizetype last = first;
        const auto endOf = [&chunks](qsizetype i) { return chunks.at(i).offset + kHeaderSize + chunks.at(i).size; };
        while (last + 1 < chunks.size() && chunks.at(last + 1).offset - endOf(last) <= kJoinGap
               && chunks.at(last + 1).size <= kMaxTelemetryPayload)
            ++last;
        const qint64 start = chunks.at(first).offset;
        QByteArray run(endOf(last) - start, Qt::Uninitialized);
        if (stream.readAt(start, run.data(), run.size()) != run.size())
            return std::nullopt;
        for (qsizetype i = first; i <= last; ++i) {
            const char *header = run.constData() + (chunks.at(i).offset - start);
            if (!isTelemetryId(header) || qFromLittleEndian<quint32>(header + 4) != chunks.at(i).size)
                return std::nullopt;
            payloads.append(QByteArray(header + kHeaderSize, chunks.at(i).size));
        }
        first = last + 1;
    }
    return payloads;
}

// The walk's result by way of the index: the chunks before the movie list and after it are walked,
// the movie list's telemetry chunks are read where the index puts them. False, with `batch` and
// `records` to be started afresh, when the index cannot stand in for the walk.
bool readThroughIndex(ClipStream &stream, TelemetryBatch &batch, TelemetryRecords &records)
{
    const std::optional<AviIndex::Plan> plan = AviIndex::telemetryPlan(stream);
    if (!plan)
        return false;
    stream.adviseRandomAccess();
    const std::optional<QList<QByteArray>> payloads = indexedPayloads(stream, plan->telemetry);
    if (!payloads)
        return false;
    stream.seek(kFileHeaderSize);
    const qint64 reached = walkChunks(stream, batch, records, plan->movieStart);
    if (reached < 0)
        return batch.isFull(); // full before the movie list: the index has nothing to add
    if (reached != plan->movieStart)
        return false;
    for (const QByteArray &payload : *payloads) {
        if (batch.isFull())
            return true;
        // The walk reads one byte more, the zero after the payload: QByteArray keeps one.
        takePayload(payload, batch, records);
    }
    stream.seek(plan->movieEnd);
    walkChunks(stream, batch, records);
    return true;
}

} // namespace

int readTelemetryFile(const QString &path, TelemetryRecords &records, TelemetryReadMethod method,
                      TelemetryReadMethod *used)
{
    ClipStream stream;
    if (!stream.open(path) || !startsAviFile(stream)) {
        for (RawTelemetryRecord &record : records) {
            record.latHemisphere = 0;
            record.lonHemisphere = 0;
        }
        if (used)
            *used = TelemetryReadMethod::Walk;
        return 0;
    }
    TelemetryBatch batch;
    const bool indexed = method != TelemetryReadMethod::Walk && readThroughIndex(stream, batch, records);
    if (!indexed) {
        batch = TelemetryBatch();
        stream.adviseNormalAccess();
        stream.seek(kFileHeaderSize);
        walkChunks(stream, batch, records);
    }
    if (used)
        *used = indexed ? TelemetryReadMethod::Index : TelemetryReadMethod::Walk;
    // Samples after the last sentence of a file that produced records become one more second.
    if (batch.sampleCount > 0 && batch.recordCount > 0)
        flushBatch(batch, records);
    return batch.recordCount;
}

bool isAviFile(const QString &path)
{
    ClipStream stream;
    return stream.open(path) && startsAviFile(stream);
}
