#include "telemetry/cardindex.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace CardIndexCache {

namespace {

constexpr char kMagic[] = "QRD7700 card index\n";
constexpr qint64 kMagicSize = sizeof kMagic - 1;
constexpr quint32 kVersion = 1;
constexpr qint64 kHeaderSize = kMagicSize + 4 + 8 + 20; // magic, version, body size, SHA-1
constexpr qint64 kMaxFileSize = qint64(1) << 30;
constexpr qint64 kSampleSize = 4 + 3 * 2 + 2 * 4 + 4; // time, G, micro-degrees, speed
constexpr qint64 kFixSize = 2 * 8;
constexpr double kMicro = 1000000.0;

class Writer
{
public:
    template<typename T>
    void put(T value)
    {
        char bytes[sizeof(T)];
        qToLittleEndian(value, bytes);
        m_bytes.append(bytes, sizeof(T));
    }
    void putText(const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        put<quint32>(quint32(utf8.size()));
        m_bytes.append(utf8);
    }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// Reads values off the body; once anything runs past the end, every later read fails too.
class Reader
{
public:
    explicit Reader(QByteArrayView bytes) : m_bytes(bytes) {}
    template<typename T>
    T take()
    {
        if (!has(sizeof(T)))
            return T();
        const T value = qFromLittleEndian<T>(m_bytes.data() + m_pos);
        m_pos += sizeof(T);
        return value;
    }
    QString takeText()
    {
        const quint32 size = take<quint32>();
        if (!has(size))
            return QString();
        const QString text = QString::fromUtf8(m_bytes.sliced(m_pos, size));
        m_pos += size;
        return text;
    }
    // Whether `count` items of `itemSize` bytes can follow (so that no claimed count allocates).
    bool holds(quint64 count, qint64 itemSize) const { return count <= quint64(remaining() / itemSize); }
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_ok && m_pos == m_bytes.size(); }

private:
    qint64 remaining() const { return m_bytes.size() - m_pos; }
    bool has(qint64 bytes)
    {
        m_ok = m_ok && bytes <= remaining();
        return m_ok;
    }

    QByteArrayView m_bytes;
    qint64 m_pos = 0;
    bool m_ok = true;
};

qint32 micro(double degrees)
{
    return qint32(std::llround(degrees * kMicro));
}

void putEntry(Writer &out, const CardIndex::Entry &entry)
{
    const ClipTelemetry &clip = entry.telemetry;
    out.putText(clip.summary.path);
    out.put<qint64>(entry.size);
    out.put<qint64>(entry.modifiedMs);
    out.put<qint64>(clip.summary.durationMs.value_or(-1));
    out.put<quint32>(quint32(clip.samples.size()));
    for (const TelemetrySample &s : clip.samples) {
        out.put<qint32>(s.timeMs);
        out.put<qint16>(s.accelX);
        out.put<qint16>(s.accelY);
        out.put<qint16>(s.accelZ);
        out.put<qint32>(micro(s.latitude));
        out.put<qint32>(micro(s.longitude));
        out.put<qint32>(s.speedKmh);
    }
    out.put<quint32>(quint32(clip.fixes.size()));
    for (const RecorderClock::FixTime &fix : clip.fixes) {
        out.put<qint64>(fix.clipMs);
        out.put<qint64>(fix.utcMs);
    }
}

std::optional<CardIndex::Entry> takeEntry(Reader &in)
{
    CardIndex::Entry entry;
    const QString path = in.takeText();
    entry.size = in.take<qint64>();
    entry.modifiedMs = in.take<qint64>();
    const qint64 duration = in.take<qint64>();
    const quint32 sampleCount = in.take<quint32>();
    if (!in.ok() || !in.holds(sampleCount, kSampleSize))
        return std::nullopt;
    QList<TelemetrySample> samples(sampleCount);
    for (TelemetrySample &s : samples) {
        s.timeMs = in.take<qint32>();
        s.accelX = in.take<qint16>();
        s.accelY = in.take<qint16>();
        s.accelZ = in.take<qint16>();
        s.latitude = in.take<qint32>() / kMicro;
        s.longitude = in.take<qint32>() / kMicro;
        s.speedKmh = in.take<qint32>();
    }
    const quint32 fixCount = in.take<quint32>();
    if (!in.ok() || !in.holds(fixCount, kFixSize))
        return std::nullopt;
    QList<RecorderClock::FixTime> fixes(fixCount);
    for (RecorderClock::FixTime &fix : fixes) {
        fix.clipMs = in.take<qint64>();
        fix.utcMs = in.take<qint64>();
    }
    if (!in.ok() || path.isEmpty())
        return std::nullopt;
    const std::optional<qint64> durationMs = duration >= 0 ? std::optional<qint64>(duration) : std::nullopt;
    entry.telemetry = {summarize(path, durationMs, samples, fixes), samples, fixes};
    return entry;
}

QByteArray sha1(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

} // namespace

std::optional<QList<CardIndex::Entry>> load(const QString &file, const QString &folder)
{
    const QFileInfo info(file);
    if (!info.isFile() || info.size() < kHeaderSize || info.size() > kMaxFileSize)
        return std::nullopt;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = in.readAll();
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.constData(), kMagic, kMagicSize) != 0)
        return std::nullopt;
    Reader header(QByteArrayView(bytes).sliced(kMagicSize, 12));
    const quint32 version = header.take<quint32>();
    const quint64 bodySize = header.take<quint64>();
    if (version != kVersion || bodySize != quint64(bytes.size() - kHeaderSize))
        return std::nullopt;
    const QByteArrayView body = QByteArrayView(bytes).sliced(kHeaderSize);
    if (sha1(body) != bytes.sliced(kMagicSize + 12, 20))
        return std::nullopt;
    Reader content(body);
    if (content.takeText() != folder)
        return std::nullopt;
    const quint32 count = content.take<quint32>();
    QList<CardIndex::Entry> entries;
    for (quint32 i = 0; i < count && content.ok(); ++i) {
        std::optional<CardIndex::Entry> entry = takeEntry(content);
        if (!entry)
            return std::nullopt;
        entries.append(std::move(*entry));
    }
    if (!content.atEnd())
        return std::nullopt;
    return entries;
}

bool save(const QString &file, const QString &folder, const QList<CardIndex::Entry> &entries)
{
    Writer body;
    body.putText(folder);
    body.put<quint32>(quint32(entries.size()));
    for (const CardIndex::Entry &entry : entries)
        putEntry(body, entry);
    Writer header;
    header.put<quint32>(kVersion);
    header.put<quint64>(quint64(body.bytes().size()));
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(kMagic, kMagicSize) == kMagicSize
           && out.write(header.bytes()) == header.bytes().size() && out.write(sha1(body.bytes())) == 20
           && out.write(body.bytes()) == body.bytes().size() && out.commit();
}

} // namespace CardIndexCache
