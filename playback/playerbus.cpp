// The bus of Player's pipeline: messages are posted from the streaming threads (or this thread)
// and handled on the GUI thread; nothing stays queued on the bus, so no message keeps the pipeline
// alive.
#include "playback/player.h"

#include "playback/busrelay_p.h"
#include "playback/gsthandles_p.h"
#include "playback/mediagraphbuilder_p.h"

#include <gst/pbutils/missing-plugins.h>

#include <QLoggingCategory>
#include <QMetaObject>

#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcMedia)

namespace {

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

using Gst::Problem;
using Gst::problemOf;

} // namespace

void Player::watchBus()
{
    Gst::relayBus(m_pipeline.get(), this, ++m_generation, &isRelayed, &Player::takeBusMessage);
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
    case GST_MESSAGE_APPLICATION:
        takeBuilderMessage(message);
        break;
    case GST_MESSAGE_ELEMENT:
        if (gst_is_missing_plugin_message(message)) {
            Gst::StringPtr description(gst_missing_plugin_message_get_description(message));
            if (description)
                m_missing << QString::fromUtf8(description.get());
        }
        break;
    case GST_MESSAGE_ASYNC_DONE:
    case GST_MESSAGE_STATE_CHANGED:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(m_pipeline.get()))
            checkPrerolled();
        break;
    case GST_MESSAGE_EOS:
        failOpen(QStringLiteral("the clip ended before its first picture"));
        break;
    case GST_MESSAGE_ERROR: {
        const Problem error = problemOf(message);
        const QString source = QString::fromUtf8(GST_OBJECT_NAME(GST_MESSAGE_SRC(message)));
        qCDebug(lcMedia) << "error while opening:" << source << error.details;
        failOpen(source + QLatin1String(": ") + error.text,
                 isInSoundDecoder(GST_MESSAGE_SRC(message)) ? Retry::WithoutSound : Retry::OtherRecipe);
        break;
    }
    default:
        break;
    }
}

// What the builder's streaming-thread side reports while the clip opens.
void Player::takeBuilderMessage(GstMessage *message)
{
    const GstStructure *s = gst_message_get_structure(message);
    if (!s)
        return;
    if (gst_structure_has_name(s, MediaGraphBuilder::PadsAnnounced)) {
        m_streamsKnown = true;
        continueOpen();
    } else if (gst_structure_has_name(s, MediaGraphBuilder::PadAnnounced) && m_stage == OpenStage::Streams) {
        m_settle.start();
    } else if (gst_structure_has_name(s, MediaGraphBuilder::LinkFailed)) {
        gboolean sound = FALSE;
        gst_structure_get_boolean(s, "sound", &sound);
        failOpen(QString::fromUtf8(gst_structure_get_string(s, "reason")),
                 sound ? Retry::WithoutSound : Retry::OtherRecipe);
    } else if (gst_structure_has_name(s, MediaGraphBuilder::StreamEndedEmpty)
               && g_strcmp0(gst_structure_get_string(s, "kind"), "video") == 0) {
        failOpen(cutShortReason(), Retry::Never);
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
    gst_element_set_state(m_pipeline.get(), GST_STATE_NULL);
    m_broken = true;
    m_stateFlags = Stopped;
    Q_EMIT errorOccurred(text);
}
