// Opening and closing of Player: the pipeline is built in steps driven by its bus messages, so the
// GUI thread never waits for it.
#include "playback/player.h"

#include "catalogue/clip.h"
#include "playback/mediagraphbuilder_p.h"
#include "playback/samplegrabber_p.h"
#include "playback/videorenderer_p.h"

#include <gst/pbutils/missing-plugins.h>

#include <QLoggingCategory>
#include <QMetaObject>

Q_DECLARE_LOGGING_CATEGORY(lcMedia)

namespace {

// Facts of the last successful open in this process, read by the main window.
int s_channelCount = 0;
QSize s_videoSizes[2];

constexpr const char *kAudioSinkVariable = "QRD7700_AUDIO_SINK";
constexpr int kStreamsTimeoutMs = 5000;  // the demuxer names its streams
constexpr int kPrerollTimeoutMs = 10000; // the first pictures arrive
constexpr int kSettleMs = 200;           // no further stream is announced

// What the bus handler needs: the player and the pipeline generation it was installed for.
struct BusContext
{
    Player *player;
    quint64 generation;
};

bool isRelayed(GstMessageType type)
{
    switch (type) {
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_WARNING:
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_ASYNC_DONE:
    case GST_MESSAGE_STATE_CHANGED:
    case GST_MESSAGE_APPLICATION:
    case GST_MESSAGE_ELEMENT:
    case GST_MESSAGE_STEP_DONE:
        return true;
    default:
        return false;
    }
}

// Whether `object` is the sound decoder or one of its children.
bool isInSoundDecoder(GstObject *object)
{
    for (GstObject *o = object; o; o = GST_OBJECT_PARENT(o)) {
        if (g_strcmp0(GST_OBJECT_NAME(o), MediaGraphBuilder::SoundDecoderName) == 0)
            return true;
    }
    return false;
}

// The text and the technical details of an error or warning message.
struct Problem
{
    QString text;
    QByteArray details;
};

Problem problemOf(GstMessage *message)
{
    GError *raw = nullptr;
    gchar *debug = nullptr;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_WARNING)
        gst_message_parse_warning(message, &raw, &debug);
    else
        gst_message_parse_error(message, &raw, &debug);
    Gst::ErrorPtr error(raw);
    Gst::StringPtr details(debug);
    return {QString::fromUtf8(error ? error->message : "unknown error"), QByteArray(debug)};
}

MediaGraphBuilder::Demuxer demuxerOf(Player::Recipe recipe)
{
    switch (recipe) {
    case Player::Recipe::Mp4: return MediaGraphBuilder::Demuxer::Mp4;
    case Player::Recipe::Avi: return MediaGraphBuilder::Demuxer::Avi;
    default: break;
    }
    return MediaGraphBuilder::Demuxer::Generic;
}

} // namespace

// Streaming thread (or the GUI thread for messages posted there): hands a message over to the
// player's thread. Only copies a reference and posts.
class PlayerBusRelay
{
public:
    static void post(const BusContext &context, GstMessage *message)
    {
        if (!isRelayed(GST_MESSAGE_TYPE(message)))
            return;
        std::shared_ptr<GstMessage> held(gst_message_ref(message), &gst_message_unref);
        Player *player = context.player;
        const quint64 generation = context.generation;
        QMetaObject::invokeMethod(
            player, [player, generation, held] { player->takeBusMessage(generation, held.get()); },
            Qt::QueuedConnection);
    }
};

Player::Player(QObject *parent)
    : QObject(parent)
{
    m_deadline.setSingleShot(true);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(0);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        failOpen(m_stage == OpenStage::Streams ? QStringLiteral("the demuxer announced no streams in time")
                                               : QStringLiteral("the clip did not show its first picture in time"));
    });
    connect(&m_settle, &QTimer::timeout, this, &Player::continueOpen);
    connect(&m_refresh, &QTimer::timeout, this, &Player::refreshPicture);
}

Player::~Player()
{
    close();
}

bool Player::open(Clip *clip)
{
    if (!clip) {
        m_error = QStringLiteral("no clip");
        return false;
    }
    close();
    m_error.clear();
    m_missing.clear();
    m_openingClip = clip;
    m_withSound = true;
    // Recorder MP4 names carry ".mp4" in lower case; everything else is treated as AVI.
    startRecipe(clip->file().fileName().indexOf(QLatin1String(".mp4")) > 0 ? Recipe::Mp4 : Recipe::Avi);
    return true;
}

void Player::close()
{
    m_clip = nullptr;
    m_openingClip = nullptr;
    m_stage = OpenStage::Idle;
    m_deadline.stop();
    m_settle.stop();
    m_refresh.stop();
    for (int c = 0; c < 2; ++c) {
        m_width[c].store(0);
        m_height[c].store(0);
    }
    releasePipeline();
    m_stateFlags = 0;
    m_atEnd = false;
    m_broken = false;
    m_pristine = false;
    m_stepped = false;
    m_steps[0] = m_steps[1] = {};
    m_seekTarget = -1;
    m_rate = 1.0;
    m_hasAudio = false;
    m_recipe = Recipe::None;
}

// A fresh pipeline with one recipe: the source side now, the branches when the streams are known.
void Player::startRecipe(Recipe recipe)
{
    releasePipeline();
    m_recipe = recipe;
    m_pipeline = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("Graph")));
    m_builder = std::make_unique<MediaGraphBuilder>(qEnvironmentVariable(kAudioSinkVariable), m_clockSync, m_withSound);
    for (int c = 0; c < 2; ++c)
        m_builder->setDisplayBound(c, m_bound[c]);
    watchBus();
    m_stage = OpenStage::Streams;
    if (m_builder->start(m_pipeline, m_openingClip->file().absoluteFilePath(), demuxerOf(recipe))
        != MediaGraphBuilder::Ok) {
        const QString why = m_builder->errorString();
        QMetaObject::invokeMethod(this, [this, why, g = m_generation] { if (g == m_generation) failOpen(why); },
                                  Qt::QueuedConnection);
        return;
    }
    m_deadline.start(kStreamsTimeoutMs);
    if (gst_element_set_state(m_pipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        // The element that refused posted its error first; this only covers a silent refusal.
        QMetaObject::invokeMethod(
            this, [this, g = m_generation] { if (g == m_generation) failOpen(QStringLiteral("the clip cannot be read")); },
            Qt::QueuedConnection);
    }
}

// The demuxer has announced its streams: add the branches and let the data flow to the sinks.
void Player::continueOpen()
{
    if (m_stage != OpenStage::Streams || m_builder->announcedStreams() == 0)
        return;
    m_settle.stop();
    if (m_builder->complete(m_pipeline) != MediaGraphBuilder::Ok) {
        m_missing << m_builder->missingPlugins();
        failOpen(m_builder->errorString());
        return;
    }
    m_missing << m_builder->missingPlugins();
    m_stage = OpenStage::Preroll;
    m_deadline.start(kPrerollTimeoutMs);
    checkPrerolled();
}

void Player::checkPrerolled()
{
    GstState state = GST_STATE_NULL;
    if (m_stage == OpenStage::Preroll
        && gst_element_get_state(m_pipeline, &state, nullptr, 0) == GST_STATE_CHANGE_SUCCESS
        && state == GST_STATE_PAUSED)
        finishOpen();
}

void Player::finishOpen()
{
    const int channels = m_builder->channelCount();
    for (int c = 0; c < channels; ++c) {
        m_grabber[c] = m_builder->takeSampleGrabber(c);
        m_renderer[c] = m_builder->takeRenderer(c);
        m_renderer[c]->setPictureCallback([this, c] { Q_EMIT pictureShown(c); });
    }
    Gst::ElementPtr volume = m_builder->takeVolume();
    m_volumeElement = volume.release();
    m_hasAudio = m_builder->hasAudio();
    m_stage = OpenStage::Idle;
    m_deadline.stop();
    m_builder.reset();
    // A clip without pictures or without length cannot be played, whatever its header says.
    for (int c = 0; c < channels; ++c) {
        if (m_grabber[c]->videoSize().isEmpty()) {
            failOpen(QStringLiteral("the pictures of channel %1 have no size").arg(c));
            return;
        }
    }
    if (lengthMs() <= 0) {
        failOpen(QStringLiteral("the clip has no length"));
        return;
    }
    publishSizes();
    applyVolume();
    s_channelCount = channels;
    s_videoSizes[0] = s_videoSizes[1] = QSize(0, 0);
    for (int c = 0; c < channels; ++c)
        s_videoSizes[c] = videoSize(c);
    m_clip = m_openingClip;
    m_openingClip = nullptr;
    m_pristine = true;
    qCDebug(lcMedia) << "opened" << m_clip->file().fileName() << "with" << recipeName(m_recipe) << channels
                     << "channel(s)" << (m_hasAudio ? "and sound" : "without sound");
    Q_EMIT opened();
}

// One step of the open failed: try what is left (the AVI fallback, the clip without its sound),
// or report the failure.
void Player::failOpen(const QString &why, bool fromSound)
{
    if (!m_openingClip)
        return;
    const QString attempt = QStringLiteral("%1 with %2%3: %4")
                                .arg(m_openingClip->file().fileName(), recipeName(m_recipe),
                                     m_withSound ? QString() : QStringLiteral(" (without sound)"), why);
    if (fromSound && m_withSound) {
        qCDebug(lcMedia).noquote() << "the sound failed, opening without it:" << attempt;
        m_withSound = false;
        startRecipe(m_recipe);
        return;
    }
    if (m_recipe == Recipe::Avi) {
        qCDebug(lcMedia).noquote() << "trying the fallback:" << attempt;
        startRecipe(Recipe::Fallback);
        return;
    }
    qCWarning(lcMedia).noquote() << "cannot open" << attempt;
    m_error = why;
    m_missing.removeDuplicates();
    m_openingClip = nullptr;
    m_stage = OpenStage::Idle;
    m_deadline.stop();
    m_settle.stop();
    releasePipeline();
    m_builder.reset();
    Q_EMIT failed(why);
}

void Player::publishSizes()
{
    for (int c = 0; c < 2; ++c) {
        const QSize size = m_grabber[c] ? m_grabber[c]->videoSize() : QSize(0, 0);
        m_width[c].store(size.width());
        m_height[c].store(size.height());
        m_frame[c] = size.isEmpty() ? QImage() : QImage(size, QImage::Format_RGB888);
        if (!m_frame[c].isNull())
            m_frame[c].fill(Qt::black);
    }
}

// Bus messages are posted from the streaming threads (or this thread) and handled on the GUI
// thread; nothing stays queued on the bus, so no message keeps the pipeline alive.
void Player::watchBus()
{
    ++m_generation;
    Gst::BusPtr bus(gst_element_get_bus(m_pipeline));
    // A sync handler that drops a message owns it and must release it.
    auto onMessage = [](GstBus *, GstMessage *message, gpointer data) -> GstBusSyncReply {
        PlayerBusRelay::post(*static_cast<const BusContext *>(data), message);
        gst_message_unref(message);
        return GST_BUS_DROP;
    };
    gst_bus_set_sync_handler(bus.get(), onMessage, new BusContext{this, m_generation},
                             [](gpointer data) { delete static_cast<BusContext *>(data); });
}

void Player::takeBusMessage(quint64 generation, GstMessage *message)
{
    if (generation != m_generation || !m_pipeline)
        return; // from a pipeline that is gone or was stopped by an error
    if (m_stage != OpenStage::Idle) {
        takeOpeningMessage(message);
        return;
    }
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        m_atEnd = true;
        Q_EMIT endOfStream();
        break;
    case GST_MESSAGE_ERROR:
        takeError(message);
        break;
    case GST_MESSAGE_STEP_DONE:
        stepDone(GST_MESSAGE_SRC(message));
        break;
    case GST_MESSAGE_WARNING: {
        const Problem warning = problemOf(message);
        qCDebug(lcMedia) << "playback warning:" << warning.text << warning.details;
        break;
    }
    default:
        break;
    }
}

void Player::takeOpeningMessage(GstMessage *message)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_APPLICATION: {
        const GstStructure *s = gst_message_get_structure(message);
        if (s && gst_structure_has_name(s, MediaGraphBuilder::PadsAnnounced))
            continueOpen();
        else if (s && gst_structure_has_name(s, MediaGraphBuilder::PadAnnounced) && m_stage == OpenStage::Streams)
            m_settle.start();
        break;
    }
    case GST_MESSAGE_ELEMENT:
        if (gst_is_missing_plugin_message(message)) {
            Gst::StringPtr description(gst_missing_plugin_message_get_description(message));
            if (description)
                m_missing << QString::fromUtf8(description.get());
        }
        break;
    case GST_MESSAGE_ASYNC_DONE:
    case GST_MESSAGE_STATE_CHANGED:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(m_pipeline))
            checkPrerolled();
        break;
    case GST_MESSAGE_EOS:
        failOpen(QStringLiteral("the clip ended before its first picture"));
        break;
    case GST_MESSAGE_ERROR: {
        const Problem error = problemOf(message);
        const QString source = QString::fromUtf8(GST_OBJECT_NAME(GST_MESSAGE_SRC(message)));
        qCDebug(lcMedia) << "error while opening:" << source << error.details;
        failOpen(source + QLatin1String(": ") + error.text, isInSoundDecoder(GST_MESSAGE_SRC(message)));
        break;
    }
    default:
        break;
    }
}

// A broken stream cannot go on: stop streaming, keep the clip and the last pictures on screen. The
// follow-up errors of the same failure are ignored.
void Player::takeError(GstMessage *message)
{
    const Problem error = problemOf(message);
    const QString text = error.text;
    qCWarning(lcMedia) << "playback error:" << GST_OBJECT_NAME(GST_MESSAGE_SRC(message)) << text << error.details;
    m_error = text;
    ++m_generation;
    m_refresh.stop();
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    m_broken = true;
    m_stateFlags = Stopped;
    Q_EMIT errorOccurred(text);
}

// Teardown in a fixed order: drop what the bus still carries and detach its handler, stop
// streaming, then release the objects the streaming threads used.
void Player::releasePipeline()
{
    if (!m_pipeline)
        return;
    ++m_generation;
    Gst::BusPtr bus(gst_element_get_bus(m_pipeline));
    gst_bus_set_flushing(bus.get(), TRUE);
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    m_builder.reset();
    for (int c = 0; c < 2; ++c) {
        m_grabber[c].reset();
        m_renderer[c].reset();
    }
    if (m_volumeElement) {
        gst_object_unref(m_volumeElement);
        m_volumeElement = nullptr;
    }
    gst_object_unref(m_pipeline);
    m_pipeline = nullptr;
}

void Player::setVolume(double volume)
{
    m_volume = qBound(0.0, volume, 1.0);
    applyVolume();
}

void Player::applyVolume()
{
    if (m_volumeElement)
        g_object_set(m_volumeElement, "volume", m_volume, nullptr);
}

double Player::appliedVolume() const
{
    if (!m_volumeElement)
        return -1;
    gdouble volume = 0;
    g_object_get(m_volumeElement, "volume", &volume, nullptr);
    return volume;
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
