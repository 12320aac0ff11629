#include "generators/clipwriter/aviclipwriter.h"

#include <QBuffer>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <cmath>
#include <numbers>

namespace ClipWriter {
namespace {

constexpr quint32 kAvifHasIndex = 0x10;
constexpr quint32 kAvifIsInterleaved = 0x100;
constexpr quint32 kAviifKeyframe = 0x10;
constexpr int kBitsPerSample = 16;
constexpr int kMaxFrameSide = 4096;

void putU16(QByteArray &bytes, quint32 value)
{
    bytes.append(char(value & 0xff));
    bytes.append(char((value >> 8) & 0xff));
}

void putU32(QByteArray &bytes, quint32 value)
{
    putU16(bytes, value & 0xffff);
    putU16(bytes, value >> 16);
}

QByteArray chunk(const char *id, const QByteArray &payload)
{
    QByteArray bytes(id, 4);
    putU32(bytes, quint32(payload.size()));
    bytes.append(payload);
    if (payload.size() % 2)
        bytes.append('\0');
    return bytes;
}

QByteArray list(const char *type, const QByteArray &content)
{
    return chunk("LIST", QByteArray(type, 4) + content);
}

QByteArray streamId(int number, const char *kind)
{
    return QByteArray::number(number).rightJustified(2, '0') + kind;
}

struct Layout
{
    int frames = 0;
    int seconds = 0;
    int audioStream = -1;
    int telemetryStream = -1;
    QList<QList<QByteArray>> telemetry;
};

Layout layoutOf(const ClipDescription &d)
{
    Layout layout;
    layout.frames = int(qint64(d.durationMs) * d.framesPerSecond / 1000);
    layout.seconds = (d.durationMs + 999) / 1000;
    int next = int(d.videoStreams.size());
    if (d.audio)
        layout.audioStream = next++;
    layout.telemetry = d.telemetryChunks;
    if (layout.telemetry.isEmpty() && d.route)
        layout.telemetry = synthesizeTelemetry(*d.route, layout.seconds);
    if (!d.telemetryChunks.isEmpty() || d.route)
        layout.telemetryStream = next;
    return layout;
}

QString problemOf(const ClipDescription &d)
{
    if (d.videoStreams.isEmpty() || d.videoStreams.size() > 2)
        return QStringLiteral("a clip has one or two video streams");
    for (const VideoStream &video : d.videoStreams) {
        if (video.size.width() < 1 || video.size.height() < 1 || video.size.width() > kMaxFrameSide
            || video.size.height() > kMaxFrameSide)
            return QStringLiteral("video size out of range");
    }
    if (d.framesPerSecond < 1 || d.framesPerSecond > 120)
        return QStringLiteral("frame rate out of range");
    if (d.durationMs < 0)
        return QStringLiteral("negative duration");
    if (d.audio && (d.audioSampleRate < 1000 || d.audioSampleRate > 192000))
        return QStringLiteral("audio sample rate out of range");
    return QString();
}

QByteArray streamHeader(const char *type, const char *handler, quint32 scale, quint32 rate, quint32 length,
                        quint32 sampleSize, QSize frame)
{
    QByteArray h(type, 4);
    h.append(handler, 4);
    putU32(h, 0);          // flags
    putU16(h, 0);          // priority
    putU16(h, 0);          // language
    putU32(h, 0);          // initial frames
    putU32(h, scale);
    putU32(h, rate);
    putU32(h, 0);          // start
    putU32(h, length);
    putU32(h, 0);          // suggested buffer size
    putU32(h, 0xffffffff); // quality: default
    putU32(h, sampleSize);
    putU16(h, 0);
    putU16(h, 0);
    putU16(h, quint32(frame.width()));
    putU16(h, quint32(frame.height()));
    return chunk("strh", h);
}

QByteArray videoStreamList(const VideoStream &video, int fps, int frames)
{
    QByteArray format; // BITMAPINFOHEADER
    putU32(format, 40);
    putU32(format, quint32(video.size.width()));
    putU32(format, quint32(video.size.height()));
    putU16(format, 1);
    putU16(format, 24);
    format.append("MJPG", 4);
    putU32(format, quint32(video.size.width() * video.size.height() * 3));
    for (int i = 0; i < 4; ++i)
        putU32(format, 0);
    return list("strl", streamHeader("vids", "MJPG", 1, quint32(fps), quint32(frames), 0, video.size)
                            + chunk("strf", format));
}

QByteArray audioStreamList(int sampleRate, qint64 sampleFrames)
{
    const quint32 blockAlign = kBitsPerSample / 8;
    QByteArray format; // WAVEFORMATEX, mono PCM
    putU16(format, 1);
    putU16(format, 1);
    putU32(format, quint32(sampleRate));
    putU32(format, quint32(sampleRate) * blockAlign);
    putU16(format, blockAlign);
    putU16(format, kBitsPerSample);
    putU16(format, 0);
    return list("strl", streamHeader("auds", "\0\0\0\0", blockAlign, quint32(sampleRate) * blockAlign,
                                     quint32(sampleFrames), blockAlign, QSize())
                            + chunk("strf", format));
}

QByteArray telemetryStreamList(int chunkCount)
{
    // An empty format keeps demuxers from offering the stream as subtitles (GStreamer's avidemux
    // would otherwise expose it and decodebin would fail on it as a broken subtitle stream).
    return list("strl", streamHeader("txts", "\0\0\0\0", 1, 1, quint32(chunkCount), 0, QSize())
                            + chunk("strf", QByteArray()));
}

QByteArray headerList(const ClipDescription &d, const Layout &layout)
{
    int telemetryCount = 0;
    for (const QList<QByteArray> &group : layout.telemetry)
        telemetryCount += int(group.size());
    const int streams = int(d.videoStreams.size()) + (d.audio ? 1 : 0) + (layout.telemetryStream >= 0 ? 1 : 0);
    QByteArray main;
    putU32(main, quint32(1000000 / d.framesPerSecond));
    putU32(main, 0); // max bytes per second
    putU32(main, 0); // padding granularity
    putU32(main, kAvifHasIndex | kAvifIsInterleaved);
    putU32(main, quint32(layout.frames));
    putU32(main, 0); // initial frames
    putU32(main, quint32(streams));
    putU32(main, 0); // suggested buffer size
    putU32(main, quint32(d.videoStreams.first().size.width()));
    putU32(main, quint32(d.videoStreams.first().size.height()));
    for (int i = 0; i < 4; ++i)
        putU32(main, 0);
    QByteArray content = chunk("avih", main);
    for (const VideoStream &video : d.videoStreams)
        content += videoStreamList(video, d.framesPerSecond, layout.frames);
    if (d.audio)
        content += audioStreamList(d.audioSampleRate, qint64(layout.frames) * d.audioSampleRate / d.framesPerSecond);
    if (layout.telemetryStream >= 0)
        content += telemetryStreamList(telemetryCount);
    return list("hdrl", content);
}

void paintDefault(QPainter &painter, const QSize &size, int frameIndex, int streamIndex)
{
    painter.fillRect(QRect(QPoint(0, 0), size), streamIndex == 0 ? QColor(30, 60, 140) : QColor(140, 60, 30));
    const int barWidth = std::max(4, size.width() / 8);
    const int x = (frameIndex * 4) % std::max(1, size.width() - barWidth + 1);
    painter.fillRect(QRect(x, 0, barWidth, size.height()), QColor(230, 230, 230));
}

// Streams the movie list to the file and keeps the index entries.
class MovieWriter
{
public:
    MovieWriter(QSaveFile &file, qint64 movieStart) : m_file(file), m_movieStart(movieStart) {}

    bool write(const QByteArray &id, const QByteArray &payload)
    {
        m_index.append(id.left(4));
        putU32(m_index, kAviifKeyframe);
        putU32(m_index, quint32(m_file.pos() - m_movieStart));
        putU32(m_index, quint32(payload.size()));
        const QByteArray bytes = chunk(id.constData(), payload);
        return m_file.write(bytes) == bytes.size();
    }
    const QByteArray &index() const { return m_index; }

private:
    QSaveFile &m_file;
    qint64 m_movieStart;
    QByteArray m_index;
};

QByteArray pcmTone(qint64 firstSample, qint64 count, int sampleRate)
{
    QByteArray pcm;
    pcm.reserve(count * 2);
    for (qint64 i = firstSample; i < firstSample + count; ++i) {
        const double phase = 2.0 * std::numbers::pi * 440.0 * double(i) / sampleRate;
        putU16(pcm, quint16(qint16(std::lround(3000.0 * std::sin(phase)))));
    }
    return pcm;
}

class ClipEncoder
{
public:
    ClipEncoder(const ClipDescription &d, const Layout &layout, MovieWriter &movie)
        : m_d(d)
        , m_layout(layout)
        , m_movie(movie)
        , m_cache(d.videoStreams.size())
        , m_nextTelemetry(layout.telemetry.size(), 0)
    {
    }

    QString run()
    {
        for (int frame = 0; frame < m_layout.frames; ++frame) {
            if (QString problem = writeFrame(frame); !problem.isEmpty())
                return problem;
        }
        for (int group = 0; group < m_layout.telemetry.size(); ++group) {
            if (!writeTelemetry(group, int(m_layout.telemetry.at(group).size())))
                return QStringLiteral("write failed");
        }
        return QString();
    }

private:
    QString writeFrame(int frame)
    {
        for (int stream = 0; stream < m_d.videoStreams.size(); ++stream) {
            const QByteArray jpeg = picture(stream, frame);
            if (jpeg.isEmpty())
                return QStringLiteral("JPEG encoding failed (is the Qt JPEG plugin installed?)");
            if (!m_movie.write(streamId(stream, "dc"), jpeg))
                return QStringLiteral("write failed");
        }
        if (m_layout.audioStream >= 0) {
            const qint64 first = qint64(frame) * m_d.audioSampleRate / m_d.framesPerSecond;
            const qint64 end = qint64(frame + 1) * m_d.audioSampleRate / m_d.framesPerSecond;
            if (!m_movie.write(streamId(m_layout.audioStream, "wb"), pcmTone(first, end - first, m_d.audioSampleRate)))
                return QStringLiteral("write failed");
        }
        // Spread the chunks of one second evenly over its frames, in their order.
        const int second = frame / m_d.framesPerSecond;
        const int step = frame % m_d.framesPerSecond + 1;
        if (second < m_layout.telemetry.size()) {
            const qsizetype total = m_layout.telemetry.at(second).size();
            if (!writeTelemetry(second, int(total * step / m_d.framesPerSecond)))
                return QStringLiteral("write failed");
        }
        return QString();
    }

    bool writeTelemetry(int group, int upTo)
    {
        const QByteArray id = streamId(m_layout.telemetryStream, "tx");
        for (int &next = m_nextTelemetry[group]; next < upTo; ++next) {
            if (!m_movie.write(id, m_layout.telemetry.at(group).at(next)))
                return false;
        }
        return true;
    }

    QByteArray picture(int stream, int frame)
    {
        const VideoStream &video = m_d.videoStreams.at(stream);
        const int key = video.distinctFrames > 0 ? frame % video.distinctFrames : frame;
        if (video.distinctFrames > 0 && m_cache[stream].contains(key))
            return m_cache[stream].value(key);
        QImage image(video.size, QImage::Format_RGB32);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            if (video.paint)
                video.paint(painter, video.size, key);
            else
                paintDefault(painter, video.size, key, stream);
        }
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(video.jpegQuality);
        if (!writer.write(image))
            return QByteArray();
        if (video.distinctFrames > 0)
            m_cache[stream].insert(key, jpeg);
        return jpeg;
    }

    const ClipDescription &m_d;
    const Layout &m_layout;
    MovieWriter &m_movie;
    QList<QHash<int, QByteArray>> m_cache;
    QList<int> m_nextTelemetry;
};

bool patchSize(QSaveFile &file, qint64 sizeOffset, qint64 end)
{
    QByteArray size;
    putU32(size, quint32(end - sizeOffset - 4));
    return file.seek(sizeOffset) && file.write(size) == 4;
}

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

QByteArray telemetryChunkId(const ClipDescription &description)
{
    return streamId(int(description.videoStreams.size()) + (description.audio ? 1 : 0), "tx");
}

bool writeAviClip(const QString &path, const ClipDescription &description, QString *error)
{
    if (const QString problem = problemOf(description); !problem.isEmpty())
        return fail(error, problem);
    const Layout layout = layoutOf(description);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, file.errorString());
    QByteArray head("RIFF\0\0\0\0AVI ", 12);
    head += headerList(description, layout);
    head += QByteArray("LIST\0\0\0\0movi", 12);
    if (file.write(head) != head.size())
        return fail(error, file.errorString());
    const qint64 movieSizeOffset = head.size() - 8;
    MovieWriter movie(file, head.size() - 4);
    if (const QString problem = ClipEncoder(description, layout, movie).run(); !problem.isEmpty())
        return fail(error, problem);
    const qint64 movieEnd = file.pos();
    const QByteArray index = chunk("idx1", movie.index());
    if (file.write(index) != index.size())
        return fail(error, file.errorString());
    const qint64 end = file.pos();
    if (!patchSize(file, movieSizeOffset, movieEnd) || !patchSize(file, 4, end) || !file.commit())
        return fail(error, file.errorString());
    return true;
}

} // namespace ClipWriter
