#pragma once

// Reads written media back for the export tests: what GStreamer's discoverer finds in a file, and
// the pictures of one of its video streams, decoded.
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

namespace MediaReadback {

struct Discovered
{
    bool ok = false;
    QString error;
    qint64 durationMs = -1;
    QStringList videoCaps; // media type of each video stream ("image/jpeg", "video/x-h264")
    QList<QSize> videoSizes;
    QStringList audioCaps;
    QString container; // media type of the container ("video/x-matroska", "video/quicktime")
};

Discovered discover(const QString &path);

// Every picture of the `stream`-th video stream (from 0), in order, as RGB32; empty when the file
// cannot be decoded.
QList<QImage> pictures(const QString &path, int stream);

// The frame numbers the generated pictures carry (-1 for a picture without a mark).
QList<int> frameNumbers(const QList<QImage> &pictures);

// How the caption band of a rendered picture reads: the share of the pixels that tell the `right`
// caption from the `wrong` one (where the two, drawn as the renderer draws them, differ clearly)
// that are nearer the right one, and the mean difference from the right one over the whole band.
struct CaptionReading
{
    double agreement = 0;
    double meanDifference = 255;
    bool readsRight() const { return agreement > 0.9 && meanDifference < 1; }
};
CaptionReading readCaption(const QImage &band, const QStringList &right, const QStringList &wrong);

} // namespace MediaReadback
