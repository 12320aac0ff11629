#include "mediareadback.h"

#include "generators/mediagen/mediagen.h"
#include "playback/overlayrenderer.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>
#include <gst/video/video.h>

#include <QUrl>

namespace MediaReadback {

namespace {

QString mediaType(GstCaps *caps)
{
    return caps && gst_caps_get_size(caps) > 0 ? QString::fromUtf8(gst_structure_get_name(gst_caps_get_structure(caps, 0)))
                                               : QString();
}

struct Decoding
{
    GstElement *pipeline;
    int wanted;
    int seen = 0;
};

void onPad(GstElement *, GstPad *pad, gpointer data)
{
    auto *decoding = static_cast<Decoding *>(data);
    GstCaps *caps = gst_pad_get_current_caps(pad);
    const bool video = mediaType(caps).startsWith(QLatin1String("video/"));
    if (caps)
        gst_caps_unref(caps);
    if (!video || decoding->seen++ != decoding->wanted)
        return;
    GstElement *convert = gst_bin_get_by_name(GST_BIN(decoding->pipeline), "convert");
    GstPad *sink = gst_element_get_static_pad(convert, "sink");
    gst_pad_link(pad, sink);
    gst_object_unref(sink);
    gst_object_unref(convert);
}

} // namespace

Discovered discover(const QString &path)
{
    Discovered result;
    GError *error = nullptr;
    GstDiscoverer *discoverer = gst_discoverer_new(20 * GST_SECOND, &error);
    if (!discoverer) {
        result.error = QString::fromUtf8(error ? error->message : "no discoverer");
        g_clear_error(&error);
        return result;
    }
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    GstDiscovererInfo *info = gst_discoverer_discover_uri(discoverer, uri.constData(), &error);
    if (info && gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK) {
        result.ok = true;
        result.durationMs = qint64(gst_discoverer_info_get_duration(info) / GST_MSECOND);
        GList *videos = gst_discoverer_info_get_video_streams(info);
        for (GList *l = videos; l; l = l->next) {
            auto *video = GST_DISCOVERER_VIDEO_INFO(l->data);
            GstCaps *caps = gst_discoverer_stream_info_get_caps(GST_DISCOVERER_STREAM_INFO(video));
            result.videoCaps << mediaType(caps);
            result.videoSizes << QSize(int(gst_discoverer_video_info_get_width(video)),
                                       int(gst_discoverer_video_info_get_height(video)));
            if (caps)
                gst_caps_unref(caps);
        }
        gst_discoverer_stream_info_list_free(videos);
        GList *audios = gst_discoverer_info_get_audio_streams(info);
        for (GList *l = audios; l; l = l->next) {
            GstCaps *caps = gst_discoverer_stream_info_get_caps(GST_DISCOVERER_STREAM_INFO(l->data));
            result.audioCaps << mediaType(caps);
            if (caps)
                gst_caps_unref(caps);
        }
        gst_discoverer_stream_info_list_free(audios);
        GstDiscovererStreamInfo *top = gst_discoverer_info_get_stream_info(info);
        if (top) {
            GstCaps *caps = gst_discoverer_stream_info_get_caps(top);
            result.container = mediaType(caps);
            if (caps)
                gst_caps_unref(caps);
            gst_discoverer_stream_info_unref(top);
        }
    } else {
        result.error = QString::fromUtf8(error ? error->message : "not discovered");
    }
    g_clear_error(&error);
    if (info)
        gst_discoverer_info_unref(info);
    g_object_unref(discoverer);
    return result;
}

QList<QImage> pictures(const QString &path, int stream)
{
    const QString description = QStringLiteral("filesrc name=source ! decodebin name=decode "
                                               "videoconvert name=convert ! video/x-raw,format=BGRx ! "
                                               "appsink name=sink sync=false");
    GstElement *pipeline = gst_parse_launch(description.toUtf8().constData(), nullptr);
    if (!pipeline)
        return {};
    GstElement *source = gst_bin_get_by_name(GST_BIN(pipeline), "source");
    g_object_set(source, "location", path.toUtf8().constData(), nullptr);
    gst_object_unref(source);
    Decoding decoding{pipeline, stream};
    GstElement *decode = gst_bin_get_by_name(GST_BIN(pipeline), "decode");
    g_signal_connect(decode, "pad-added", G_CALLBACK(onPad), &decoding);
    gst_object_unref(decode);
    GstElement *sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    QList<QImage> result;
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE) {
        while (GstSample *sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 20 * GST_SECOND)) {
            GstVideoInfo info;
            GstMapInfo map;
            GstBuffer *buffer = gst_sample_get_buffer(sample);
            if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                result << QImage(map.data, GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
                                 GST_VIDEO_INFO_PLANE_STRIDE(&info, 0), QImage::Format_RGB32)
                              .copy();
                gst_buffer_unmap(buffer, &map);
            }
            gst_sample_unref(sample);
        }
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
    return result;
}

QList<int> frameNumbers(const QList<QImage> &pictures)
{
    QList<int> numbers;
    for (const QImage &picture : pictures) {
        const MediaGen::FrameMark mark = MediaGen::readFrameMark(picture);
        numbers << (mark.isValid() ? mark.frame : -1);
    }
    return numbers;
}

CaptionReading readCaption(const QImage &band, const QStringList &right, const QStringList &wrong)
{
    QImage expected(band.size(), QImage::Format_Grayscale8);
    QImage other(band.size(), QImage::Format_Grayscale8);
    OverlayRenderer::paintCaption(expected, right, Qt::white, Qt::black);
    OverlayRenderer::paintCaption(other, wrong, Qt::white, Qt::black);
    const QImage seen = band.convertToFormat(QImage::Format_Grayscale8);
    qint64 telling = 0, nearer = 0, total = 0;
    for (int y = 0; y < band.height(); ++y) {
        const uchar *s = seen.constScanLine(y), *e = expected.constScanLine(y), *o = other.constScanLine(y);
        for (int x = 0; x < band.width(); ++x) {
            total += qAbs(s[x] - e[x]);
            if (qAbs(e[x] - o[x]) > 96) {
                ++telling;
                nearer += qAbs(s[x] - e[x]) < qAbs(s[x] - o[x]);
            }
        }
    }
    return {telling ? double(nearer) / double(telling) : 0, double(total) / double(band.width() * band.height())};
}

} // namespace MediaReadback
