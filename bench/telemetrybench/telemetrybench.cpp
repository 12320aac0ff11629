#include "bench/telemetrybench/telemetrybench.h"

#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <vector>

namespace TelemetryBench {

namespace {

// Street-like pictures: random blocks over a gradient; `blocks` sets the JPEG size.
ClipWriter::FramePainter scenePainter(int blocks)
{
    return [blocks](QPainter &painter, const QSize &size, int frameIndex) {
        QLinearGradient sky(0, 0, 0, size.height());
        sky.setColorAt(0, QColor(90, 120, 170));
        sky.setColorAt(1, QColor(60, 60, 60));
        painter.fillRect(QRect(QPoint(0, 0), size), sky);
        QRandomGenerator random(quint32(1000 + frameIndex));
        for (int i = 0; i < blocks; ++i) {
            const QRect block(random.bounded(size.width()), random.bounded(size.height()), random.bounded(4, 40),
                              random.bounded(4, 40));
            painter.fillRect(block, QColor::fromRgb(random.generate()));
        }
    };
}

class Descriptor
{
public:
    explicit Descriptor(const QString &path) : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY)) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

ClipWriter::ClipDescription minuteClip(QSize size, int blocks, int distinctFrames, int accelPerSecond, int firstSecond)
{
    ClipWriter::ClipDescription d;
    const ClipWriter::VideoStream stream{size, scenePainter(blocks), 85, distinctFrames};
    d.videoStreams = {stream, stream};
    d.framesPerSecond = 30;
    d.durationMs = 60000;
    d.audioSampleRate = 16000;
    ClipWriter::TelemetryRoute route;
    for (int second = firstSecond; second < firstSecond + 60; ++second) {
        route.positions.append({37.5 + second * 0.0002, 127.0 + second * 0.0003});
        route.speedKnots.append(20 + second % 10);
    }
    route.gForces = {{1, -2, 3}, {0, 1, -1}, {2, 0, 0}};
    route.accelSamplesPerSecond = accelPerSecond;
    route.startUtc = route.startUtc.addSecs(firstSecond);
    d.route = route;
    return d;
}

bool dropFromPageCache(const QString &path)
{
    const Descriptor file(path);
    if (file.fd() < 0 || ::fdatasync(file.fd()) != 0)
        return false;
    ::posix_fadvise(file.fd(), 0, 0, POSIX_FADV_DONTNEED);
    return residentBytes(path) == 0;
}

qint64 residentBytes(const QString &path)
{
    const Descriptor file(path);
    const off_t size = file.fd() >= 0 ? ::lseek(file.fd(), 0, SEEK_END) : -1;
    if (size <= 0)
        return 0;
    void *map = ::mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, file.fd(), 0);
    if (map == MAP_FAILED)
        return -1;
    const long page = ::sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> resident(size_t((size + page - 1) / page));
    qint64 bytes = -1;
    if (::mincore(map, size_t(size), resident.data()) == 0) {
        bytes = 0;
        for (unsigned char flags : resident)
            bytes += (flags & 1) ? page : 0;
    }
    ::munmap(map, size_t(size));
    return bytes;
}

} // namespace TelemetryBench
