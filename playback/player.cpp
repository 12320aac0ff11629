// Opening and closing of Player: the pipeline is built in steps driven by its bus messages and by
// the sound output made ready on a worker, so the GUI thread never waits for it.
#include "playback/player.h"

#include "catalogue/clip.h"
#include "playback/audiooutput_p.h"
#include "playback/mediagraphbuilder_p.h"
#include "playback/samplegrabber_p.h"
#include "playback/videooutput.h"
#include "playback/videorenderer_p.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <QPointer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

Q_DECLARE_LOGGING_CATEGORY(lcMedia)

namespace {

constexpr const char *kAudioSinkVariable = "QRD7700_AUDIO_SINK";
constexpr int kStreamsTimeoutMs = 5000;  // the demuxer names its streams, the sound output opens
constexpr int kPrerollTimeoutMs = 10000; // the first pictures arrive
constexpr int kSettleMs = 200;           // no further stream is announced

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

Player::Player(QObject *parent)
    : Player(Options(), parent)
{
}

Player::Player(const Options &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
{
    m_deadline.setSingleShot(true);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(0);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_stage == OpenStage::Streams && m_streamsKnown)
            failOpen(QStringLiteral("the sound output did not open in time"), Retry::WithoutSound);
        else
            failOpen(m_stage == OpenStage::Streams ? QStringLiteral("the demuxer announced no streams in time")
                                                   : QStringLiteral("the clip did not show its first picture in time"));
    });
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_streamsKnown = true;
        continueOpen();
    });
    connect(&m_refresh, &QTimer::timeout, this, &Player::refreshPicture);
}

Player::~Player()
{
    m_options.output = nullptr; // whoever shows the pictures may already be gone
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
    if (m_options.output)
        m_options.output->resetPictures(true);
    // Recorder MP4 names carry ".mp4" in lower case; everything else is treated as AVI.
    startRecipe(clip->file().fileName().indexOf(QLatin1String(".mp4")) > 0 ? Recipe::Mp4 : Recipe::Avi);
    return true;
}

void Player::close()
{
    const bool hadClip = m_clip || m_openingClip;
    m_clip = nullptr;
    m_openingClip = nullptr;
    m_stage = OpenStage::Idle;
    m_deadline.stop();
    m_settle.stop();
    m_refresh.stop();
    m_facts = PlaybackFacts();
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
    if (hadClip && m_options.output)
        m_options.output->resetPictures(false);
#if defined(__GLIBC__)
    // The clip's pictures and buffers are gone: give the heap space they took back to the system
    // (about a millisecond), so that the memory of a viewer going from clip to clip stays level.
    if (hadClip)
        malloc_trim(0);
#endif
}

// A fresh pipeline with one recipe: the source side now, the branches when the streams are known
// and the sound output is open.
void Player::startRecipe(Recipe recipe)
{
    releasePipeline();
    m_recipe = recipe;
    m_pipeline.reset(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("Graph"))));
    m_builder = std::make_unique<MediaGraphBuilder>(m_options.clockSync);
    for (int c = 0; c < 2; ++c)
        m_builder->setDisplayBound(c, m_bound[c]);
    watchBus();
    m_stage = OpenStage::Streams;
    m_streamsKnown = false;
    m_audioOutputReady = !m_withSound;
    if (m_withSound) {
        AudioOutput::prepare(qEnvironmentVariable(kAudioSinkVariable), QPointer<QObject>(this),
                             [this, generation = m_generation](Gst::ElementPtr output) {
                                 takeAudioOutput(generation, std::move(output));
                             });
    }
    if (m_builder->start(m_pipeline.get(), m_openingClip->file().absoluteFilePath(), demuxerOf(recipe))
        != MediaGraphBuilder::Ok) {
        const QString why = m_builder->errorString();
        QMetaObject::invokeMethod(this, [this, why, g = m_generation] { if (g == m_generation) failOpen(why); },
                                  Qt::QueuedConnection);
        return;
    }
    m_deadline.start(kStreamsTimeoutMs);
    if (gst_element_set_state(m_pipeline.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        // The element that refused posted its error first; this only covers a silent refusal.
        QMetaObject::invokeMethod(
            this, [this, g = m_generation] { if (g == m_generation) failOpen(QStringLiteral("the clip cannot be read")); },
            Qt::QueuedConnection);
    }
}

// GUI thread: the sound output of the attempt `generation` is open (or null: none can be).
void Player::takeAudioOutput(quint64 generation, Gst::ElementPtr output)
{
    if (generation != m_generation || m_stage != OpenStage::Streams) {
        AudioOutput::discard(std::move(output));
        return;
    }
    m_audioOutput = std::move(output);
    m_audioOutputReady = true;
    continueOpen();
}

// The demuxer has announced its streams and the sound output is ready: add the branches and let
// the data flow to the sinks.
void Player::continueOpen()
{
    if (m_stage != OpenStage::Streams || !m_streamsKnown || !m_audioOutputReady || m_builder->announcedStreams() == 0)
        return;
    m_settle.stop();
    const int built = m_builder->complete(m_pipeline.get(), std::move(m_audioOutput));
    m_missing << m_builder->missingPlugins();
    if (built != MediaGraphBuilder::Ok) {
        failOpen(m_builder->errorString());
        return;
    }
    m_stage = OpenStage::Preroll;
    m_deadline.start(kPrerollTimeoutMs);
    checkPrerolled();
}

void Player::checkPrerolled()
{
    GstState state = GST_STATE_NULL;
    if (m_stage == OpenStage::Preroll
        && gst_element_get_state(m_pipeline.get(), &state, nullptr, 0) == GST_STATE_CHANGE_SUCCESS
        && state == GST_STATE_PAUSED)
        finishOpen();
}

void Player::finishOpen()
{
    const int channels = m_builder->channelCount();
    for (int c = 0; c < channels; ++c) {
        m_grabber[c] = m_builder->takeSampleGrabber(c);
        m_renderer[c] = m_builder->takeRenderer(c);
        m_renderer[c]->setPictureCallback(
            [this, c](const QImage &picture, quint64 serial) { showPicture(c, picture, serial); });
    }
    m_volumeElement = m_builder->takeVolume();
    m_hasAudio = m_builder->hasAudio();
    m_stage = OpenStage::Idle;
    m_deadline.stop();
    m_builder.reset();
    // A clip without pictures or without length cannot be played, whatever its header says.
    for (int c = 0; c < channels; ++c) {
        if (!m_grabber[c]->videoSize().isEmpty())
            continue;
        if (MediaGraphStreams::videoEndedEmpty(m_pipeline.get()))
            failOpen(cutShortReason(), Retry::Never);
        else
            failOpen(QStringLiteral("the pictures of channel %1 have no size").arg(c));
        return;
    }
    if (lengthMs() <= 0) {
        failOpen(QStringLiteral("the clip has no length"));
        return;
    }
    publishSizes();
    applyVolume();
    m_clip = m_openingClip;
    m_openingClip = nullptr;
    m_pristine = true;
    // The picture the clip prerolled on reached its renderer before anyone listened.
    for (int c = 0; c < channels; ++c) {
        if (m_renderer[c]->pictureSerial() > 0)
            showPicture(c, m_renderer[c]->picture(), m_renderer[c]->pictureSerial());
    }
    qCDebug(lcMedia) << "opened" << m_clip->file().fileName() << "with" << recipeName(m_recipe) << channels
                     << "channel(s)" << (m_hasAudio ? "and sound" : "without sound");
    Q_EMIT opened();
}

// One step of the open failed: try what is left (the clip without its sound, the AVI fallback), or
// report the failure.
void Player::failOpen(const QString &why, Retry retry)
{
    if (!m_openingClip)
        return;
    const QString attempt = QStringLiteral("%1 with %2%3: %4")
                                .arg(m_openingClip->file().fileName(), recipeName(m_recipe),
                                     m_withSound ? QString() : QStringLiteral(" (without sound)"), why);
    if (retry == Retry::WithoutSound && m_withSound) {
        qCDebug(lcMedia).noquote() << "the sound failed, opening without it:" << attempt;
        m_withSound = false;
        startRecipe(m_recipe);
        return;
    }
    if (retry != Retry::Never && m_recipe == Recipe::Avi) {
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
    if (m_options.output)
        m_options.output->resetPictures(false);
    Q_EMIT failed(why);
}

// A video stream ended before its first picture: the container's headers were read and its data
// ends too early, a file cut short (a card pulled while recording). Another recipe reads the same
// bytes, so none is tried.
QString Player::cutShortReason()
{
    return QStringLiteral("the clip ends before its first picture: the file is cut short");
}

void Player::publishSizes()
{
    m_facts = PlaybackFacts();
    for (int c = 0; c < 2; ++c) {
        const QSize size = m_grabber[c] ? m_grabber[c]->videoSize() : QSize(0, 0);
        if (m_grabber[c])
            m_facts.channelCount = c + 1;
        m_facts.videoSizes[c] = size.isEmpty() ? QSize(0, 0) : size;
        m_frame[c] = size.isEmpty() ? QImage() : QImage(size, QImage::Format_RGB888);
        if (!m_frame[c].isNull())
            m_frame[c].fill(Qt::black);
    }
}

void Player::showPicture(int channel, const QImage &picture, quint64 serial)
{
    if (m_options.output)
        m_options.output->presentPicture(channel, picture, serial);
}

// Teardown in a fixed order: drop what the bus still carries and detach its handler, stop
// streaming, then release the objects the streaming threads used.
void Player::releasePipeline()
{
    AudioOutput::discard(std::move(m_audioOutput));
    if (!m_pipeline)
        return;
    ++m_generation;
    Gst::BusPtr bus(gst_element_get_bus(m_pipeline.get()));
    gst_bus_set_flushing(bus.get(), TRUE);
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    gst_element_set_state(m_pipeline.get(), GST_STATE_NULL);
    m_builder.reset();
    for (int c = 0; c < 2; ++c) {
        m_grabber[c].reset();
        m_renderer[c].reset();
    }
    m_volumeElement.reset();
    m_pipeline.reset();
}

void Player::setVolume(double volume)
{
    m_volume = qBound(0.0, volume, 1.0);
    applyVolume();
}

void Player::applyVolume()
{
    if (m_volumeElement)
        g_object_set(m_volumeElement.get(), "volume", m_volume, nullptr);
}

Player::Status Player::status() const
{
    Status status;
    status.clip = m_clip;
    status.opening = m_openingClip != nullptr;
    status.running = isRunning();
    status.broken = m_broken;
    status.flags = m_stateFlags;
    status.rate = m_rate;
    status.volume = m_volume;
    if (m_volumeElement) {
        gdouble applied = 0;
        g_object_get(m_volumeElement.get(), "volume", &applied, nullptr);
        status.appliedVolume = applied;
    }
    status.hasAudio = m_hasAudio;
    status.recipe = m_recipe;
    status.frameDurationMs = frameDurationMs();
    status.error = m_error;
    status.missingPlugins = m_missing;
    for (int c = 0; c < 2; ++c)
        status.deliveredPictures[c] = m_pipeline && m_renderer[c] ? m_renderer[c]->deliveredCount() : 0;
    return status;
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
