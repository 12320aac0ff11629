#pragma once

// Test media for the tests, the benchmarks and the demo card: MP4 clips (H.264 video tracks, AAC
// sound) and AVI clips (MJPEG video streams, PCM sound, telemetry; written by the clip writer). Every picture carries a mark that tells
// its frame number and channel: a row of 16 black and white blocks across the top sixth.
#include "generators/clipwriter/aviclipwriter.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace MediaGen {

struct ClipDesign
{
    QList<QSize> channels{QSize(320, 180)}; // one entry per video stream, in stream order
    int fps = 15;
    int frames = 30;          // pictures per channel
    bool audio = true;
    int bitrateKbps = 0;      // H.264 only; 0 = the encoder's default
    bool telemetry = false;   // AVI only: a telemetry stream along a short route
    std::optional<ClipWriter::TelemetryRoute> route; // AVI only: the telemetry of this route instead
    int distinctFrames = 0;   // AVI only: > 0 paints and encodes only that many pictures, then
                              // repeats them (long clips written quickly; their marks repeat too)
    bool textured = false;    // a moving noise texture instead of a flat background, so that
                              // decoding costs about what camera pictures cost (benchmarks)
    int firstFrame = 0;       // the frame number the first picture's mark carries: the clips of a
                              // trip count on from the clip before
    // Paints the pictures instead of drawFrame (no frame mark then); returns `size` pictures.
    std::function<QImage(int channel, int frame, const QSize &size)> picture;
};

// Element factories needed to write (and play) the kind of clip that are not installed; empty when
// everything is there.
QStringList missingForMp4(bool audio = true);
QStringList missingForAvi();

bool writeMp4(const QString &path, const ClipDesign &design, QString *error = nullptr);
// An MP4 clip whose first track's sample `index` claims a size of 2 GiB: the clip opens, and the
// demuxer fails when playback reaches that sample. Empty when the clip has no such sample.
QByteArray withHugeSample(QByteArray mp4, int index);
bool writeAvi(const QString &path, const ClipDesign &design, QString *error = nullptr);

// The clip writer's video streams of the given sizes (stream i is channel i), painting the marked
// pictures of drawFrame.
QList<ClipWriter::VideoStream> markedStreams(const QList<QSize> &sizes, bool textured = false, int jpegQuality = 75,
                                             int firstFrame = 0);

// The picture of `frame` on `channel` (Format_RGB32).
QImage drawFrame(int channel, int frame, const QSize &size, bool textured = false);

struct FrameMark
{
    int frame = -1;
    int channel = -1;
    bool isValid() const { return frame >= 0; }
};

// Reads the mark from a picture as it reached a renderer or a frame capture; invalid when the
// picture does not carry one.
FrameMark readFrameMark(const QImage &picture);

// What happened at the seam between two clips played one after the other, from the frame numbers
// of the pictures shown in order (the clips' marks counting on across them): of the `reach`
// pictures on either side of the seam before frame `first`, how many were never shown, and how
// many extra times the shown ones were shown.
struct SeamCount
{
    int lost = 0;
    int repeated = 0;
};
SeamCount countAtSeam(const QList<int> &shown, int first, int reach);

// While alive, automatic plugging finds no decoder for sound (or for pictures): their ranks are
// set to none, and given back when it goes. For tests of a missing plugin.
class HiddenDecoders
{
public:
    enum class Kind { Sound, Pictures };
    explicit HiddenDecoders(Kind kind);
    ~HiddenDecoders();
    HiddenDecoders(const HiddenDecoders &) = delete;
    HiddenDecoders &operator=(const HiddenDecoders &) = delete;

private:
    QList<QPair<void *, unsigned>> m_ranks; // plugin feature (a reference) and its rank
};

} // namespace MediaGen
