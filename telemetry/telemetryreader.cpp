#include "telemetry/telemetryreader.h"

#include "telemetry/telemetrybatch.h"
#include "telemetry/telemetrydecoding.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr qint64 kHeaderSize = 8;
// Telemetry payloads are a few dozen bytes; a larger one can only come from a damaged file, and
// ends the walk instead of allocating whatever the size field claims.
constexpr qint64 kMaxTelemetryPayload = 1 << 20;

// Sequential reads at a moving position through a small window, so that runs of small chunks
// (sound, telemetry) cost one system call while large payloads are skipped, never read.
class ClipStream
{
public:
    bool open(const QString &path)
    {
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return false;
        m_size = m_file.size();
        return true;
    }
    qint64 remaining() const { return std::max<qint64>(0, m_size - m_pos); }
    void skip(qint64 bytes) { m_pos += bytes; }

    // Reads up to `bytes` at the current position and moves past them; returns the count read,
    // short when the file ends (or shrank since it was opened).
    qint64 read(char *into, qint64 bytes)
    {
        bytes = std::min(bytes, remaining());
        if (bytes <= 0)
            return 0;
        if (m_pos < m_windowStart || m_pos + bytes > m_windowStart + m_window.size()) {
            if (bytes > kWindowSize)
                return direct(into, bytes);
            fill();
        }
        const qint64 offset = m_pos - m_windowStart;
        const qint64 available = std::clamp<qint64>(m_window.size() - offset, 0, bytes);
        std::memcpy(into, m_window.constData() + offset, size_t(available));
        m_pos += available;
        return available;
    }

private:
    static constexpr qint64 kWindowSize = 2048;

    // One positioned read: a single system call where the platform has one.
    qint64 readAt(qint64 position, char *into, qint64 bytes)
    {
#ifdef Q_OS_UNIX
        qint64 total = 0;
        while (total < bytes) {
            const ssize_t got = ::pread(m_file.handle(), into + total, size_t(bytes - total), off_t(position + total));
            if (got <= 0)
                break;
            total += got;
        }
        return total;
#else
        return m_file.seek(position) ? m_file.read(into, bytes) : -1;
#endif
    }
    void fill()
    {
        m_window.resize(kWindowSize);
        const qint64 got = readAt(m_pos, m_window.data(), kWindowSize);
        m_window.resize(std::max<qint64>(got, 0));
        m_windowStart = m_pos;
    }
    qint64 direct(char *into, qint64 bytes)
    {
        const qint64 got = readAt(m_pos, into, bytes);
        if (got <= 0)
            return 0;
        m_pos += got;
        return got;
    }

    QFile m_file;
    qint64 m_size = 0;
    qint64 m_pos = 0;
    QByteArray m_window;
    qint64 m_windowStart = 0;
};

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
    char head[12];
    return stream.read(head, 12) == 12 && std::memcmp(head, "RIFF", 4) == 0
           && std::memcmp(head + 8, "AVI ", 4) == 0;
}

void walkChunks(ClipStream &stream, TelemetryBatch &batch, TelemetryRecords &records)
{
    char header[kHeaderSize];
    while (!batch.isFull() && stream.read(header, kHeaderSize) == kHeaderSize) {
        const quint32 size = qFromLittleEndian<quint32>(header + 4);
        if (std::memcmp(header, "LIST", 4) == 0) {
            // Descend into every list: skip only its type.
            char type[4];
            if (stream.read(type, 4) != 4)
                return;
        } else if (isTelemetryId(header)) {
            if (!readTelemetryChunk(stream, size, batch, records))
                return;
        } else {
            const qint64 skipped = qint64(size) + (size % 2);
            if (skipped > stream.remaining())
                return; // a size past the end of the file: nothing more to find
            stream.skip(skipped);
        }
    }
}

} // namespace

int readTelemetryFile(const QString &path, TelemetryRecords &records)
{
    ClipStream stream;
    if (!stream.open(path) || !startsAviFile(stream)) {
        for (RawTelemetryRecord &record : records) {
            record.latHemisphere = 0;
            record.lonHemisphere = 0;
        }
        return 0;
    }
    TelemetryBatch batch;
    walkChunks(stream, batch, records);
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
