#pragma once

// The bus of a pipeline, handed over to its owner's thread: a sync handler copies a reference of
// each message the owner wants and posts it as a queued call; nothing stays queued on the bus, so
// no message keeps the pipeline alive. The generation lets the owner ignore messages of a
// pipeline it has replaced or stopped.
#include "playback/gsthandles_p.h"

#include <QByteArray>
#include <QMetaObject>
#include <QString>

#include <memory>

namespace Gst {

// The text and the technical details of an error or warning message.
struct Problem
{
    QString text;
    QByteArray details;
};
Problem problemOf(GstMessage *message);

// Installs the handler on `pipeline`'s bus: every message `relayed` accepts reaches
// (owner->*take)(generation, message) on the owner's thread. Replaces an earlier handler.
template <typename Owner>
void relayBus(GstElement *pipeline, Owner *owner, quint64 generation, bool (*relayed)(GstMessageType),
              void (Owner::*take)(quint64, GstMessage *))
{
    struct Context
    {
        Owner *owner;
        quint64 generation;
        bool (*relayed)(GstMessageType);
        void (Owner::*take)(quint64, GstMessage *);
    };
    // Streaming thread (or the owner's, for messages posted there): only a reference and a post.
    // A sync handler that drops a message owns it and must release it.
    auto onMessage = [](GstBus *, GstMessage *message, gpointer data) -> GstBusSyncReply {
        const auto *context = static_cast<const Context *>(data);
        if (context->relayed(GST_MESSAGE_TYPE(message))) {
            std::shared_ptr<GstMessage> held(gst_message_ref(message), &gst_message_unref);
            Owner *target = context->owner;
            const auto take = context->take;
            const quint64 generation = context->generation;
            QMetaObject::invokeMethod(
                target, [target, take, generation, held] { (target->*take)(generation, held.get()); },
                Qt::QueuedConnection);
        }
        gst_message_unref(message);
        return GST_BUS_DROP;
    };
    BusPtr bus(gst_element_get_bus(pipeline));
    gst_bus_set_sync_handler(bus.get(), onMessage, new Context{owner, generation, relayed, take},
                             [](gpointer data) { delete static_cast<Context *>(data); });
}

} // namespace Gst
