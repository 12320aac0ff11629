#include "generators/mediagen/mediagen.h"

#include <functional>

namespace MediaGen {

namespace {

constexpr int kBlocks = 16;
constexpr int kFrameBits = 12;   // blocks 2..13, most significant first
constexpr int kFirstFrameBlock = 2;
constexpr int kFirstChannelBlock = 14;
constexpr int kBrightThreshold = 128;

QRgb backgroundOf(int channel)
{
    return channel == 1 ? qRgb(40, 120, 50) : qRgb(30, 60, 140);
}

void fillRect(QImage &image, const QRect &rect, QRgb colour)
{
    const QRect area = rect.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        std::fill(line + area.left(), line + area.right() + 1, colour);
    }
}

// Block `index` is bright: 0 always, 1 never, then the frame number bits, then the channel bits.
bool blockIsBright(int index, int channel, int frame)
{
    if (index == 0)
        return true;
    if (index == 1)
        return false;
    if (index < kFirstChannelBlock)
        return (frame >> (kFrameBits - 1 - (index - kFirstFrameBlock))) & 1;
    return (channel >> (kBlocks - 1 - index)) & 1;
}

QRect blockRect(const QSize &size, int index)
{
    const int left = size.width() * index / kBlocks;
    const int right = size.width() * (index + 1) / kBlocks;
    return QRect(left, 0, right - left, qMax(4, size.height() / 6));
}

FrameMark readMark(const QSize &size, const std::function<int(int x, int y)> &lumaAt)
{
    if (size.width() < kBlocks * 2 || size.height() < 12)
        return FrameMark();
    bool bright[kBlocks];
    for (int i = 0; i < kBlocks; ++i) {
        const QPoint centre = blockRect(size, i).center();
        bright[i] = lumaAt(centre.x(), centre.y()) >= kBrightThreshold;
    }
    if (!bright[0] || bright[1])
        return FrameMark();
    FrameMark mark{0, 0};
    for (int i = kFirstFrameBlock; i < kFirstChannelBlock; ++i)
        mark.frame = (mark.frame << 1) | int(bright[i]);
    for (int i = kFirstChannelBlock; i < kBlocks; ++i)
        mark.channel = (mark.channel << 1) | int(bright[i]);
    return mark;
}

} // namespace

// A fixed tile of noise, tinted per channel; shifted by the frame number it looks like a pan.
void fillTexture(QImage &image, int channel, int frame)
{
    static const QImage tile = [] {
        QImage noise(256, 256, QImage::Format_RGB32);
        quint32 seed = 12345;
        for (int y = 0; y < noise.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(noise.scanLine(y));
            for (int x = 0; x < noise.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                line[x] = qRgb((seed >> 24) & 0xff, (seed >> 16) & 0xff, (seed >> 8) & 0xff);
            }
        }
        return noise;
    }();
    const QRgb tint = backgroundOf(channel);
    for (int y = 0; y < image.height(); ++y) {
        const auto *source = reinterpret_cast<const QRgb *>(tile.constScanLine((y + frame) & 0xff));
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb n = source[(x + frame * 3) & 0xff];
            line[x] = qRgb((qRed(n) + qRed(tint)) / 2, (qGreen(n) + qGreen(tint)) / 2, (qBlue(n) + qBlue(tint)) / 2);
        }
    }
}

QImage drawFrame(int channel, int frame, const QSize &size, bool textured)
{
    QImage image(size, QImage::Format_RGB32);
    if (textured)
        fillTexture(image, channel, frame);
    else
        image.fill(backgroundOf(channel));
    // A bar sweeping across the lower part, so the pictures move like video.
    const int barX = (frame * 4) % qMax(1, size.width());
    fillRect(image, QRect(barX, size.height() / 3, qMax(2, size.width() / 32), size.height()), qRgb(230, 230, 60));
    for (int i = 0; i < kBlocks; ++i)
        fillRect(image, blockRect(size, i), blockIsBright(i, channel, frame) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    return image;
}

FrameMark readFrameMark(const QImage &picture)
{
    if (picture.isNull())
        return FrameMark();
    return readMark(picture.size(), [&picture](int x, int y) { return qGray(picture.pixel(x, y)); });
}

SeamCount countAtSeam(const QList<int> &shown, int first, int reach)
{
    SeamCount count;
    for (int frame = first - reach; frame < first + reach; ++frame) {
        const qsizetype times = shown.count(frame);
        if (times == 0)
            ++count.lost;
        else
            count.repeated += int(times - 1);
    }
    return count;
}

} // namespace MediaGen
