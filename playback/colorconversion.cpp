#include "playback/colorconversion.h"

namespace ColorConversion {

namespace {

inline uchar clampByte(int value)
{
    return uchar(value < 0 ? 0 : (value > 255 ? 255 : value));
}

inline void writeRgb(uchar *rgb, int c, int d, int e)
{
    rgb[0] = clampByte((298 * c + 409 * e + 128) >> 8);
    rgb[1] = clampByte((298 * c - 100 * d - 208 * e + 128) >> 8);
    rgb[2] = clampByte((298 * c + 516 * d + 128) >> 8);
}

inline int lumaOf(int r, int g, int b)
{
    return ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16;
}

inline int average(int a, int b)
{
    return (a + b + 1) >> 1;
}

} // namespace

void yuy2ToRgb(const uchar *yuy2, uchar *rgb, int pixelCount)
{
    for (int pair = 0; pair < pixelCount / 2; ++pair) {
        const int d = yuy2[1] - 128;
        const int e = yuy2[3] - 128;
        writeRgb(rgb, yuy2[0] - 16, d, e);
        writeRgb(rgb + 3, yuy2[2] - 16, d, e);
        yuy2 += 4;
        rgb += 6;
    }
}

void rgbToYuy2(const uchar *rgb, uchar *yuy2, int pixelCount)
{
    for (int pair = 0; pair < pixelCount / 2; ++pair) {
        const int r = average(rgb[0], rgb[3]);
        const int g = average(rgb[1], rgb[4]);
        const int b = average(rgb[2], rgb[5]);
        yuy2[0] = uchar(lumaOf(rgb[0], rgb[1], rgb[2]));
        yuy2[1] = uchar(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
        yuy2[2] = uchar(lumaOf(rgb[3], rgb[4], rgb[5]));
        yuy2[3] = uchar(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
        rgb += 6;
        yuy2 += 4;
    }
}

QImage yuy2ToImage(const uchar *yuy2, int width, int height, int stride)
{
    if (!yuy2 || width <= 0 || height <= 0 || stride < width * 2)
        return QImage();
    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull())
        return image;
    for (int y = 0; y < height; ++y)
        yuy2ToRgb(yuy2 + qsizetype(y) * stride, image.scanLine(y), width);
    return image;
}

void imageToYuy2(const QImage &image, uchar *yuy2, int stride)
{
    const QImage rgb = image.format() == QImage::Format_RGB888
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < rgb.height(); ++y)
        rgbToYuy2(rgb.constScanLine(y), yuy2 + qsizetype(y) * stride, rgb.width());
}

} // namespace ColorConversion
