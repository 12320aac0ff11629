#pragma once

#include <QImage>
#include <QtGlobal>

// The fixed-point YUY2 <-> RGB conversions the player and the video view share. They assume
// BT.601 limited-range YUV (Y 16..235), which is what the player hands to its sample filters.
namespace ColorConversion {

// Converts `pixelCount` pixels (rounded down to an even count) from YUY2 (Y0 U Y1 V) to packed
// 24-bit R G B. Results are clamped to 0..255.
void yuy2ToRgb(const uchar *yuy2, uchar *rgb, int pixelCount);

// Converts `pixelCount` pixels (rounded down to an even count) from packed R G B to YUY2; the
// chroma of a pair is taken from the rounded average of its two pixels.
void rgbToYuy2(const uchar *rgb, uchar *yuy2, int pixelCount);

// A 24-bit RGB image of `width` x `height` from a YUY2 picture whose rows are `stride` bytes apart.
// Converts row by row, so padded rows on either side are handled.
QImage yuy2ToImage(const uchar *yuy2, int width, int height, int stride);

// Writes `image` (converted to 24-bit RGB when needed) as YUY2 rows `stride` bytes apart.
void imageToYuy2(const QImage &image, uchar *yuy2, int stride);

} // namespace ColorConversion
