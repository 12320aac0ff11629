#include "generators/mediagen/mediagen.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>


#include <QPainter>

#include <memory>

namespace MediaGen {

namespace {

constexpr int kAudioSamplesPerBuffer = 1024;
constexpr const char *kUnboundedQueue = "queue max-size-buffers=0 max-size-bytes=0 max-size-time=0";

struct PipelineDeleter
{
    void operator()(GstElement *pipeline) const
    {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
};
using PipelinePtr = std::unique_ptr<GstElement, PipelineDeleter>;

QStringList missing(const QStringList &factories)
{
    QStringList absent;
    for (const QString &name : factories) {
        GstElementFactory *factory = gst_element_factory_find(name.toUtf8().constData());
        if (factory)
            gst_object_unref(factory);
        else
            absent << name;
    }
    return absent;
}

QString aacEncoder()
{
    return missing({QStringLiteral("avenc_aac")}).isEmpty() ? QStringLiteral("avenc_aac")
                                                            : QStringLiteral("voaacenc");
}

QString audioBranch(const ClipDesign &design, int rate, const QString &encoder)
{
    const qint64 samples = qint64(design.frames) * rate / qMax(1, design.fps);
    const qint64 buffers = (samples + kAudioSamplesPerBuffer - 1) / kAudioSamplesPerBuffer;
    return QStringLiteral("audiotestsrc num-buffers=%1 samplesperbuffer=%2 wave=sine freq=440 volume=0.2 ! "
                          "audio/x-raw,format=S16LE,rate=%3,channels=1 ! %4%5 ! mux.audio_0 ")
        .arg(buffers).arg(kAudioSamplesPerBuffer).arg(rate)
        .arg(encoder.isEmpty() ? QString() : QStringLiteral("audioconvert ! ") + encoder + QStringLiteral(" ! "))
        .arg(QLatin1String(kUnboundedQueue));
}

QString videoSource(int channel, const QSize &size, int fps)
{
    return QStringLiteral("appsrc name=src%1 format=time block=true max-bytes=%2 "
                          "caps=video/x-raw,format=BGRx,width=%3,height=%4,framerate=%5/1 ! videoconvert ! "
                          "video/x-raw,format=I420 ! ")
        .arg(channel).arg(qint64(size.width()) * size.height() * 4 * 3).arg(size.width()).arg(size.height()).arg(fps);
}

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

bool pushFrames(GstElement *pipeline, const ClipDesign &design)
{
    QList<GstAppSrc *> sources;
    for (int c = 0; c < design.channels.size(); ++c) {
        GstElement *src = gst_bin_get_by_name(GST_BIN(pipeline), QByteArray("src" + QByteArray::number(c)));
        sources << GST_APP_SRC(src);
        gst_object_unref(src); // the pipeline keeps it alive
    }
    bool ok = true;
    for (int frame = 0; frame < design.frames && ok; ++frame) {
        for (int c = 0; c < sources.size() && ok; ++c) {
            const QImage picture = (design.picture ? design.picture(c, frame, design.channels.at(c))
                                                 : drawFrame(c, design.firstFrame + frame, design.channels.at(c),
                                                             design.textured))
                                       .convertToFormat(QImage::Format_RGB32);
            GstBuffer *buffer = gst_buffer_new_memdup(picture.constBits(), gsize(picture.sizeInBytes()));
            GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(frame, GST_SECOND, design.fps);
            GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(1, GST_SECOND, design.fps);
            ok = gst_app_src_push_buffer(sources.at(c), buffer) == GST_FLOW_OK;
        }
    }
    for (GstAppSrc *src : sources)
        gst_app_src_end_of_stream(src);
    return ok;
}

bool run(const QString &description, const QString &path, const ClipDesign &design, QString *error)
{
    if (design.channels.isEmpty() || design.frames <= 0 || design.fps <= 0)
        return fail(error, QStringLiteral("nothing to write"));
    GError *parseError = nullptr;
    PipelinePtr pipeline(gst_parse_launch(description.toUtf8().constData(), &parseError));
    if (parseError) {
        const QString why = QString::fromUtf8(parseError->message);
        g_error_free(parseError);
        return fail(error, why);
    }
    GstElement *out = gst_bin_get_by_name(GST_BIN(pipeline.get()), "out");
    g_object_set(out, "location", path.toUtf8().constData(), nullptr);
    gst_object_unref(out);
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        return fail(error, QStringLiteral("cannot start the encoder"));
    const bool pushed = pushFrames(pipeline.get(), design);
    GstBus *bus = gst_element_get_bus(pipeline.get());
    GstMessage *message = gst_bus_timed_pop_filtered(bus, GST_CLOCK_TIME_NONE,
                                                     GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    gst_object_unref(bus);
    QString why;
    if (message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError *err = nullptr;
        gst_message_parse_error(message, &err, nullptr);
        why = QString::fromUtf8(err ? err->message : "encoder error");
        g_clear_error(&err);
    }
    if (message)
        gst_message_unref(message);
    if (!why.isEmpty() || !pushed)
        return fail(error, why.isEmpty() ? QStringLiteral("the encoder stopped early") : why);
    return true;
}

} // namespace

QStringList missingForMp4(bool audio)
{
    QStringList needed{QStringLiteral("appsrc"), QStringLiteral("x264enc"), QStringLiteral("h264parse"),
                       QStringLiteral("mp4mux"), QStringLiteral("qtdemux"), QStringLiteral("avdec_h264")};
    if (audio) {
        needed << QStringLiteral("aacparse") << QStringLiteral("avdec_aac");
        if (missing({QStringLiteral("avenc_aac"), QStringLiteral("voaacenc")}).size() == 2)
            needed << QStringLiteral("avenc_aac");
    }
    return missing(needed);
}

QStringList missingForAvi()
{
    return missing({QStringLiteral("jpegdec"), QStringLiteral("avidemux"), QStringLiteral("parsebin")});
}

bool writeMp4(const QString &path, const ClipDesign &design, QString *error)
{
    QString description = QStringLiteral("mp4mux name=mux ! filesink name=out ");
    const QString bitrate = design.bitrateKbps > 0 ? QStringLiteral(" bitrate=%1").arg(design.bitrateKbps) : QString();
    for (int c = 0; c < design.channels.size(); ++c) {
        description += videoSource(c, design.channels.at(c), design.fps)
                       + QStringLiteral("x264enc speed-preset=%1 key-int-max=%2%3 ! h264parse ! %4 ! mux.video_%5 ")
                             .arg(QLatin1String(design.textured ? "superfast" : "ultrafast"))
                             .arg(design.fps).arg(bitrate).arg(QLatin1String(kUnboundedQueue)).arg(c);
    }
    if (design.audio)
        description += audioBranch(design, 44100, aacEncoder() + QStringLiteral(" ! aacparse"));
    return run(description, path, design, error);
}

QByteArray withHugeSample(QByteArray mp4, int index)
{
    const qsizetype table = mp4.indexOf("stsz");
    const qsizetype entry = table + 16 + 4 * qsizetype(index);
    if (table < 0 || index < 0 || entry + 4 > mp4.size())
        return QByteArray();
    const char huge[4] = {char(0x7f), char(0xff), char(0xff), char(0xff)};
    mp4.replace(entry, 4, huge, 4);
    return mp4;
}

HiddenDecoders::HiddenDecoders(Kind kind)
{
    const GstElementFactoryListType media =
        kind == Kind::Sound ? GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO : GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO;
    GList *decoders = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER | media, GST_RANK_NONE);
    for (GList *l = decoders; l; l = l->next) {
        auto *feature = GST_PLUGIN_FEATURE(l->data);
        m_ranks.append({gst_object_ref(feature), gst_plugin_feature_get_rank(feature)});
        gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
    }
    gst_plugin_feature_list_free(decoders);
}

HiddenDecoders::~HiddenDecoders()
{
    for (const auto &[feature, rank] : m_ranks) {
        gst_plugin_feature_set_rank(GST_PLUGIN_FEATURE(feature), rank);
        gst_object_unref(feature);
    }
}

QList<ClipWriter::VideoStream> markedStreams(const QList<QSize> &sizes, bool textured, int jpegQuality, int firstFrame)
{
    QList<ClipWriter::VideoStream> streams;
    for (int c = 0; c < sizes.size(); ++c) {
        ClipWriter::VideoStream stream;
        stream.size = sizes.at(c);
        stream.jpegQuality = jpegQuality;
        stream.paint = [c, textured, firstFrame](QPainter &painter, const QSize &size, int frame) {
            painter.drawImage(0, 0, drawFrame(c, firstFrame + frame, size, textured));
        };
        streams << stream;
    }
    return streams;
}

bool writeAvi(const QString &path, const ClipDesign &design, QString *error)
{
    ClipWriter::ClipDescription description;
    description.videoStreams = markedStreams(design.channels, design.textured, 85, design.firstFrame);
    description.framesPerSecond = design.fps;
    description.durationMs = (design.frames * 1000 + design.fps - 1) / qMax(1, design.fps);
    description.audio = design.audio;
    for (ClipWriter::VideoStream &stream : description.videoStreams)
        stream.distinctFrames = design.distinctFrames;
    if (design.route) {
        description.route = design.route;
    } else if (design.telemetry) {
        ClipWriter::TelemetryRoute route;
        route.positions = {{37.5665, 126.9780}, {37.5670, 126.9790}, {37.5676, 126.9801}};
        route.speedKnots = {20.0, 22.0, 25.0};
        description.route = route;
    }
    return ClipWriter::writeAviClip(path, description, error);
}

} // namespace MediaGen
