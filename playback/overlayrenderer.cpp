#include "playback/overlayrenderer.h"

#include "playback/partsource_p.h"

#include <gst/video/video.h>

#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>

namespace {

// Tiles of the two channels side by side, or one larger tile for one channel.
constexpr QSize kPairTile(960, 540);
constexpr QSize kSingleTile(1280, 720);
constexpr int kFontDivisor = 64;       // caption font: a 64th of the picture's width, in pixels
constexpr double kBandFontHeights = 3.4; // two lines with a margin above and below
constexpr int kEncoderKbps = 6000;
constexpr guint kKeyFrameInterval = 60; // pictures
// Limited-range brightness of the caption's text and background (the encoder takes 16 … 235).
const QColor kText(235, 235, 235);
const QColor kBackground(16, 16, 16);

int fontPixels(int width)
{
    return qMax(8, width / kFontDivisor);
}

QSize tileSize(int channels)
{
    return channels > 1 ? kPairTile : kSingleTile;
}

// Streaming thread: a decoder's output goes to the join's pad waiting for its part.
void onDecoded(GstElement *, GstPad *pad, gpointer target)
{
    GstPad *join = static_cast<GstPad *>(target);
    if (!gst_pad_is_linked(join))
        gst_pad_link(pad, join);
}

// compositor, caps, queue, encoder, muxer, file: a black background, I420 at the output size, H.264
// fast enough for real time on two cores at a bit rate that keeps the caption sharp.
void configureOutput(const QList<GstElement *> &chain, const QSize &size, const QString &file)
{
    gst_util_set_object_arg(G_OBJECT(chain.at(0)), "background", "black");
    Gst::CapsPtr caps(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", "width", G_TYPE_INT,
                                          size.width(), "height", G_TYPE_INT, size.height(), nullptr));
    g_object_set(chain.at(1), "caps", caps.get(), nullptr);
    gst_util_set_object_arg(G_OBJECT(chain.at(3)), "speed-preset", "superfast");
    g_object_set(chain.at(3), "bitrate", guint(kEncoderKbps), "key-int-max", kKeyFrameInterval, nullptr);
    g_object_set(chain.at(5), "location", QFile::encodeName(file).constData(), "async", FALSE, nullptr);
}

} // namespace

// Streaming thread: draws each composed picture's caption into its brightness plane, in place.
struct OverlayRenderer::Painter
{
    OverlayCaption caption;
    QList<MediaPart> parts;
    QRect band;
    GstVideoInfo info;
    bool hasInfo = false;

    static GstPadProbeReturn onData(GstPad *pad, GstPadProbeInfo *probe, gpointer self)
    {
        auto *painter = static_cast<Painter *>(self);
        if (GstEvent *event = GST_PAD_PROBE_INFO_TYPE(probe) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM
                                  ? GST_PAD_PROBE_INFO_EVENT(probe) : nullptr) {
            GstCaps *caps = nullptr;
            if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
                gst_event_parse_caps(event, &caps);
                painter->hasInfo = caps && gst_video_info_from_caps(&painter->info, caps);
            }
            return GST_PAD_PROBE_OK;
        }
        GstBuffer *buffer = gst_buffer_make_writable(gst_pad_probe_info_get_buffer(probe));
        GST_PAD_PROBE_INFO_DATA(probe) = buffer;
        if (painter->hasInfo)
            painter->paint(buffer, ExportGst::runningTime(pad, buffer));
        return GST_PAD_PROBE_OK;
    }

    void paint(GstBuffer *buffer, qint64 runningNs)
    {
        GstVideoFrame frame;
        if (runningNs < 0 || !gst_video_frame_map(&frame, &info, buffer, GST_MAP_WRITE))
            return;
        const PartPosition at = partPosition(parts, runningNs / GST_MSECOND);
        const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
        auto *plane = static_cast<uchar *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
        if (band.bottom() < GST_VIDEO_FRAME_HEIGHT(&frame) && band.right() < GST_VIDEO_FRAME_WIDTH(&frame)) {
            QImage brightness(plane + band.top() * stride + band.left(), band.width(), band.height(), stride,
                              QImage::Format_Grayscale8);
            OverlayRenderer::paintCaption(brightness, caption ? caption(at.part, at.clipMs) : QStringList(), kText,
                                          kBackground);
        }
        gst_video_frame_unmap(&frame);
    }
};

OverlayRenderer::OverlayRenderer(const QList<MediaPart> &parts, const QString &outputPath, OverlayCaption caption,
                                 QObject *parent)
    : PipelineJob(parts, outputPath, Cut::Exact, parent), m_caption(std::move(caption))
{
}

OverlayRenderer::~OverlayRenderer()
{
    cancel(); // before the painter the probe uses goes
}

QSize OverlayRenderer::outputSize(int channels)
{
    const QRect band = captionBand(channels);
    return QSize(band.width(), band.bottom() + 1);
}

QRect OverlayRenderer::captionBand(int channels)
{
    const QSize tile = tileSize(channels);
    const int width = tile.width() * (channels > 1 ? 2 : 1);
    const int height = int(fontPixels(width) * kBandFontHeights) / 2 * 2; // even, for the chroma planes
    return QRect(0, tile.height(), width, height);
}

void OverlayRenderer::paintCaption(QImage &band, const QStringList &lines, const QColor &text, const QColor &background)
{
    band.fill(background);
    QPainter painter(&band);
    QFont font(QStringLiteral("monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(fontPixels(band.width()));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(text);
    const QFontMetrics metrics = painter.fontMetrics();
    const int margin = metrics.height() / 3;
    int baseline = (band.height() - int(lines.size()) * metrics.lineSpacing()) / 2 + metrics.ascent();
    for (const QString &line : lines) {
        painter.drawText(margin, baseline, metrics.elidedText(line, Qt::ElideRight, band.width() - 2 * margin));
        baseline += metrics.lineSpacing();
    }
}

// compositor -> I420 at the output size (the caption is drawn here) -> queue -> H.264 -> MP4 -> file;
// then a branch per video channel into the compositor, and the sound.
bool OverlayRenderer::complete(GstElement *pipeline, PartSource &source)
{
    const QStringList streams = source.streams();
    m_channels = streams.contains(QLatin1String("video_1")) ? 2 : 1;
    QStringList missing;
    auto add = [&](const char *factory, const char *name) {
        return ExportGst::addElement(pipeline, factory, QString::fromLatin1(name), &missing);
    };
    const QList<GstElement *> chain{add("compositor", "Compose"), add("capsfilter", "Composed"),
                                    add("queue", "To encoder"), add("x264enc", "Encoder"), add("mp4mux", "Muxer"),
                                    add("filesink", "File")};
    addMissing(missing);
    if (!missing.isEmpty()) {
        fail(QStringLiteral("the GStreamer element %1 is not installed").arg(missing.join(QStringLiteral(", "))));
        return false;
    }
    GstElement *compositor = chain.at(0);
    configureOutput(chain, outputSize(m_channels), temporaryPath());
    for (int i = 0; i + 1 < chain.size(); ++i) {
        if (!gst_element_link(chain.at(i), chain.at(i + 1)))
            return false;
    }
    for (GstElement *element : chain)
        gst_element_sync_state_with_parent(element);
    m_painter = std::make_unique<Painter>(Painter{m_caption, parts(), captionBand(m_channels), {}, false});
    Gst::PadPtr composed(gst_element_get_static_pad(chain.at(1), "src"));
    gst_pad_add_probe(composed.get(), GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                      &Painter::onData, m_painter.get(), nullptr);
    watchOutput(composed.get());
    for (const QString &stream : streams) {
        const bool added = stream.startsWith(QLatin1String("video")) ? addVideo(pipeline, source, stream, compositor)
                                                                     : addAudio(pipeline, source, chain.at(4));
        if (!added)
            return false;
    }
    return true;
}

// The channel's parts, decoded and joined -> scaled to its tile (keeping its shape) -> I420 -> its
// place in the compositor. Scaling and converting run on the channel's own thread.
bool OverlayRenderer::addVideo(GstElement *pipeline, PartSource &source, const QString &stream, GstElement *compositor)
{
    QStringList missing;
    const QList<GstElement *> chain{
        ExportGst::addElement(pipeline, "concat", QStringLiteral("Join %1").arg(stream), &missing),
        ExportGst::addElement(pipeline, "videoscale", QStringLiteral("Scale %1").arg(stream), &missing),
        ExportGst::addElement(pipeline, "videoconvert", QStringLiteral("Convert %1").arg(stream), &missing),
        ExportGst::addElement(pipeline, "capsfilter", QStringLiteral("Tile %1").arg(stream), &missing)};
    addMissing(missing);
    if (!missing.isEmpty())
        return false;
    const int channel = stream == QLatin1String("video_1") ? 1 : 0;
    const QSize tile = tileSize(m_channels);
    Gst::CapsPtr caps(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", "width", G_TYPE_INT,
                                          tile.width(), "height", G_TYPE_INT, tile.height(), "pixel-aspect-ratio",
                                          GST_TYPE_FRACTION, 1, 1, nullptr));
    g_object_set(chain.at(3), "caps", caps.get(), nullptr);
    Gst::PadPtr place = ExportGst::requestPad(compositor, "sink_%u");
    if (!place)
        return false;
    g_object_set(place.get(), "xpos", channel * tile.width(), "ypos", 0, nullptr);
    for (int i = 0; i + 1 < chain.size(); ++i) {
        if (!gst_element_link(chain.at(i), chain.at(i + 1)))
            return false;
    }
    if (!ExportGst::linkTo(chain.last(), place.get()))
        return false;
    for (GstElement *element : chain)
        gst_element_sync_state_with_parent(element);
    return addDecoders(pipeline, source, stream, chain.first());
}

// The sound's parts, decoded and joined -> AAC -> the muxer.
bool OverlayRenderer::addAudio(GstElement *pipeline, PartSource &source, GstElement *mux)
{
    QStringList missing;
    GstElement *encoder = ExportGst::addElement(pipeline, "avenc_aac", QStringLiteral("Sound encoder"), &missing);
    if (!encoder)
        encoder = ExportGst::addElement(pipeline, "voaacenc", QStringLiteral("Sound encoder"), &missing);
    else
        missing.clear();
    const QList<GstElement *> chain{ExportGst::addElement(pipeline, "concat", QStringLiteral("Join sound"), &missing),
                                    ExportGst::addElement(pipeline, "audioconvert", QString(), &missing),
                                    ExportGst::addElement(pipeline, "audioresample", QString(), &missing), encoder,
                                    ExportGst::addElement(pipeline, "queue", QStringLiteral("To muxer"), &missing)};
    addMissing(missing);
    if (!missing.isEmpty())
        return false;
    for (int i = 0; i + 1 < chain.size(); ++i) {
        if (!gst_element_link(chain.at(i), chain.at(i + 1)))
            return false;
    }
    Gst::PadPtr muxPad = ExportGst::requestPad(mux, "audio_%u");
    if (!muxPad || !ExportGst::linkTo(chain.last(), muxPad.get()))
        return false;
    for (GstElement *element : chain)
        gst_element_sync_state_with_parent(element);
    return addDecoders(pipeline, source, QStringLiteral("audio_0"), chain.first());
}

// One decoder per part of the stream, each feeding its own pad of the join, in the parts' order.
// The decoders start before the held data reaches them.
bool OverlayRenderer::addDecoders(GstElement *pipeline, PartSource &source, const QString &stream, GstElement *join)
{
    QStringList missing;
    for (int part = 0; part < parts().size(); ++part) {
        Gst::PadPtr held = source.output(part, stream);
        if (!held)
            continue;
        GstElement *decoder =
            ExportGst::addElement(pipeline, "decodebin", QStringLiteral("Decode %1 %2").arg(part).arg(stream), &missing);
        Gst::PadPtr joined = ExportGst::requestPad(join, "sink_%u");
        if (!decoder || !joined) {
            addMissing(missing);
            return false;
        }
        g_signal_connect_data(decoder, "pad-added", G_CALLBACK(onDecoded), gst_object_ref(joined.get()),
                              [](gpointer pad, GClosure *) { gst_object_unref(pad); }, GConnectFlags(0));
        gst_element_sync_state_with_parent(decoder);
        Gst::PadPtr input(gst_element_get_static_pad(decoder, "sink"));
        if (!GST_PAD_LINK_SUCCESSFUL(gst_pad_link(held.get(), input.get())))
            return false;
    }
    return true;
}
