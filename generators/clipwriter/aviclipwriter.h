#pragma once

#include "generators/clipwriter/telemetrysynthesis.h"

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QPainter;

// Writes recorder-style AVI 1.0 clips for tests, benchmarks and the demo card: one or two MJPEG
// video streams ("00dc", "01dc"), an optional PCM audio stream and an optional telemetry stream whose
// chunks carry the recorder's sensor records ("02tx" with one video stream, "03tx" with two).
namespace ClipWriter {

// Paints one picture of a video stream. The painter is open on a `size` image already filled black.
using FramePainter = std::function<void(QPainter &painter, const QSize &size, int frameIndex)>;

struct VideoStream
{
    QSize size = QSize(160, 120);
    FramePainter paint;      // empty: a coloured moving bar, one colour per stream
    int jpegQuality = 75;    // 0 … 100
    int distinctFrames = 0;  // > 0: only that many pictures are painted and encoded, then repeated
};

struct ClipDescription
{
    QList<VideoStream> videoStreams = {VideoStream()}; // one or two
    int framesPerSecond = 10;                          // shared by all video streams, 1 … 120
    int durationMs = 2000;                             // frames = durationMs × fps / 1000
    bool audio = true;                                 // generated 16-bit mono PCM tone
    int audioSampleRate = 8000;

    // Telemetry: explicit chunk payloads per second of recording win over a route. With neither,
    // the clip has no telemetry stream. Group i is spread over the frames of second i, in order;
    // groups past the last frame are written at the end of the movie list.
    QList<QList<QByteArray>> telemetryChunks;
    std::optional<TelemetryRoute> route;
};

// Writes the clip atomically (nothing is left at `path` on failure). Returns false and sets *error
// (when given) on an invalid description or a write failure.
bool writeAviClip(const QString &path, const ClipDescription &description, QString *error = nullptr);

// The identifier of the telemetry chunks the described clip carries ("02tx", "03tx"), from the
// position of the telemetry stream among the streams.
QByteArray telemetryChunkId(const ClipDescription &description);

} // namespace ClipWriter
