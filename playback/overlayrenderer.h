#pragma once

#include "playback/pipelinejob.h"

#include <QColor>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>

class QImage;

// The caption of one moment: the lines burned into the picture at `clipMs` on the time line of the
// range's part `part`. Called on a streaming thread for every picture: it must be safe on any
// thread and quick (it reads data prepared before the run).
using OverlayCaption = std::function<QStringList(int part, qint64 clipMs)>;

// Renders the overlay video of a range: one MP4 (H.264, AAC sound) with the front and rear
// pictures side by side and a caption band below them that carries the moment's telemetry. The
// pictures are scaled to their tiles on the channels' own threads; the caption is drawn straight
// into the brightness plane of each composed picture, where nothing else is drawn.
class OverlayRenderer : public PipelineJob
{
    Q_OBJECT

public:
    OverlayRenderer(const QList<MediaPart> &parts, const QString &outputPath, OverlayCaption caption,
                    QObject *parent = nullptr);
    ~OverlayRenderer() override;

    // The output's picture size and its caption band for a clip of `channels` video channels.
    static QSize outputSize(int channels);
    static QRect captionBand(int channels);
    // Draws `lines` into `band` (a picture of the caption band's size) the way every rendered
    // picture gets them: `text` on `background`, one line under the other.
    static void paintCaption(QImage &band, const QStringList &lines, const QColor &text, const QColor &background);

protected:
    bool complete(_GstElement *pipeline, PartSource &source) override;

private:
    struct Painter;
    bool addVideo(_GstElement *pipeline, PartSource &source, const QString &stream, _GstElement *compositor);
    bool addAudio(_GstElement *pipeline, PartSource &source, _GstElement *mux);
    bool addDecoders(_GstElement *pipeline, PartSource &source, const QString &stream, _GstElement *join);

    OverlayCaption m_caption;
    std::unique_ptr<Painter> m_painter;
    int m_channels = 0;
};
