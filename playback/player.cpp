#include "playback/player.h"

#include "catalogue/clip.h"
#include "playback/mediagraphbuilder_p.h"
#include "playback/samplefilter.h"
#include "playback/samplegrabber_p.h"
#include "playback/videorenderer_p.h"

#include <QLoggingCategory>
#include <QMetaObject>

Q_DECLARE_LOGGING_CATEGORY(lcMedia)

namespace {

// Facts of the last successful open in this process, read by the main window.
int s_channelCount = 0;
QSize s_videoSizes[2];

constexpr const char *kAudioSinkVariable = "QRD7700_AUDIO_SINK";

// What the bus handler needs: the player and the pipeline generation it was installed for.
struct BusContext
{
    Player *player;
    quint64 generation;
};

} // namespace

Player::Player(QObject *parent)
    : QObject(parent)
{
}

Player::~Player()
{
    close();
}

bool Player::open(Clip *clip, SampleHandler *const *callbacks)
{
    if (!clip) {
        m_error = QStringLiteral("no clip");
        return false;
    }
    close();
    m_stateFlags = 0;
    m_error.clear();
    const QString path = clip->file().absoluteFilePath();
    bool built = false;
    // Recorder MP4 names carry ".mp4" in lower case; everything else is treated as AVI.
    if (clip->file().fileName().indexOf(QLatin1String(".mp4")) > 0) {
        built = build(path, Recipe::Mp4);
    } else {
        built = build(path, Recipe::Avi);
        if (!built) {
            qCDebug(lcMedia) << "Player::open AVI recipe failed, trying the fallback:" << m_error;
            built = build(path, Recipe::Fallback);
        }
    }
    if (!built) {
        qCWarning(lcMedia) << "Player::open cannot open" << path << ":" << m_error;
        close();
        return false;
    }
    m_clip = clip;
    publishSizes(callbacks);
    watchBus();
    return true;
}

void Player::close()
{
    m_clip = nullptr;
    for (int c = 0; c < 2; ++c) {
        m_width[c].store(0);
        m_height[c].store(0);
        if (m_grabber[c])
            m_grabber[c]->setCallback(nullptr);
    }
    if (m_pipeline) {
        stop();
        releasePipeline();
    }
    m_atEnd = false;
    m_rate = 1.0;
    m_hasAudio = false;
    m_recipe = Recipe::None;
}

// Builds and prerolls a fresh pipeline with one recipe; on failure nothing is left behind.
bool Player::build(const QString &path, Recipe recipe)
{
    releasePipeline();
    m_pipeline = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("Graph")));
    MediaGraphBuilder builder(qEnvironmentVariable(kAudioSinkVariable), m_clockSync);
    const int result = recipe == Recipe::Mp4 ? builder.buildMp4Graphs(m_pipeline, path)
                                             : builder.buildAviGraphs(m_pipeline, path, recipe == Recipe::Avi);
    if (result != MediaGraphBuilder::Ok) {
        m_error = builder.errorString();
        releasePipeline(); // stops streaming before the builder lets its grabbers go
        return false;
    }
    for (int c = 0; c < builder.channelCount(); ++c) {
        m_grabber[c] = builder.takeSampleGrabber(c);
        m_renderer[c] = builder.takeRenderer(c);
    }
    m_hasAudio = builder.hasAudio();
    m_recipe = recipe;
    s_channelCount = builder.channelCount();
    return true;
}

void Player::publishSizes(SampleHandler *const *callbacks)
{
    s_videoSizes[0] = s_videoSizes[1] = QSize(0, 0);
    for (int c = 0; c < 2; ++c) {
        if (!m_grabber[c])
            continue;
        const QSize size = m_grabber[c]->videoSize();
        m_width[c].store(size.width());
        m_height[c].store(size.height());
        s_videoSizes[c] = size;
        if (callbacks && callbacks[c])
            m_grabber[c]->setCallback(callbacks[c]);
        m_frame[c] = size.isEmpty() ? QImage() : QImage(size, QImage::Format_RGB888);
        if (!m_frame[c].isNull())
            m_frame[c].fill(Qt::black);
    }
}

// Bus messages are posted from the streaming threads and handled on the GUI thread.
void Player::watchBus()
{
    Gst::BusPtr bus(gst_element_get_bus(m_pipeline));
    while (Gst::MessagePtr stale{gst_bus_pop(bus.get())}) {
    }
    auto onMessage = [](GstBus *, GstMessage *message, gpointer data) -> GstBusSyncReply {
        const auto *context = static_cast<const BusContext *>(data);
        const GstMessageType type = GST_MESSAGE_TYPE(message);
        if (type == GST_MESSAGE_ERROR || type == GST_MESSAGE_EOS || type == GST_MESSAGE_WARNING) {
            std::shared_ptr<GstMessage> held(gst_message_ref(message), &gst_message_unref);
            Player *player = context->player;
            const quint64 generation = context->generation;
            QMetaObject::invokeMethod(
                player, [player, generation, held] { player->handleBusMessage(generation, held.get()); },
                Qt::QueuedConnection);
        }
        return GST_BUS_DROP;
    };
    auto *context = new BusContext{this, m_generation};
    gst_bus_set_sync_handler(bus.get(), onMessage, context,
                             [](gpointer data) { delete static_cast<BusContext *>(data); });
}

void Player::handleBusMessage(quint64 generation, GstMessage *message)
{
    if (generation != m_generation || !m_pipeline)
        return; // from a pipeline that is gone
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
        m_atEnd = true;
        Q_EMIT endOfStream();
        return;
    }
    GError *raw = nullptr;
    gchar *debug = nullptr;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_WARNING)
        gst_message_parse_warning(message, &raw, &debug);
    else
        gst_message_parse_error(message, &raw, &debug);
    Gst::ErrorPtr error(raw);
    Gst::StringPtr details(debug);
    const QString text = QString::fromUtf8(error ? error->message : "unknown error");
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_WARNING) {
        qCDebug(lcMedia) << "Player warning:" << text;
        return;
    }
    qCWarning(lcMedia) << "Player::handleBusMessage playback error:" << text << (debug ? debug : "");
    m_error = text;
    // A broken stream cannot go on: stop streaming, keep the clip and the last pictures.
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    m_stateFlags = Stopped;
    Q_EMIT errorOccurred(text);
}

// Teardown in a fixed order: detach the bus handler, stop streaming, then release the objects
// the streaming threads used.
void Player::releasePipeline()
{
    if (!m_pipeline)
        return;
    ++m_generation;
    Gst::BusPtr bus(gst_element_get_bus(m_pipeline));
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    for (int c = 0; c < 2; ++c) {
        m_grabber[c].reset();
        m_renderer[c].reset();
    }
    gst_object_unref(m_pipeline);
    m_pipeline = nullptr;
}

int Player::channelCount() const
{
    return s_channelCount;
}

QSize Player::publishedVideoSize(int channel)
{
    return s_videoSizes[channel == 1 ? 1 : 0];
}

QString Player::recipeName(Recipe recipe)
{
    switch (recipe) {
    case Recipe::Mp4: return QStringLiteral("mp4");
    case Recipe::Avi: return QStringLiteral("avi");
    case Recipe::Fallback: return QStringLiteral("fallback");
    case Recipe::None: break;
    }
    return QStringLiteral("none");
}
