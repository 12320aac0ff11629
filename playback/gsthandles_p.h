#pragma once

// Owning handles for GStreamer objects. Each handle owns exactly one reference; adopt() takes over a
// reference the caller already holds, ref() adds one. Floating references from factories are sunk by
// GstElementHandle::adoptFloating so that a handle never holds a floating object.
#include "playback/gstelementref.h"

#include <gst/gst.h>

#include <memory>

namespace Gst {

struct ObjectUnref { void operator()(gpointer object) const { if (object) gst_object_unref(object); } };
struct MessageUnref { void operator()(GstMessage *message) const { if (message) gst_message_unref(message); } };
struct CapsUnref { void operator()(GstCaps *caps) const { if (caps) gst_caps_unref(caps); } };
struct SampleUnref { void operator()(GstSample *sample) const { if (sample) gst_sample_unref(sample); } };
struct BufferUnref { void operator()(GstBuffer *buffer) const { if (buffer) gst_buffer_unref(buffer); } };
struct ErrorFree { void operator()(GError *error) const { if (error) g_error_free(error); } };
struct StringFree { void operator()(gchar *text) const { g_free(text); } };

using PadPtr = std::unique_ptr<GstPad, ObjectUnref>;
using BusPtr = std::unique_ptr<GstBus, ObjectUnref>;
using MessagePtr = std::unique_ptr<GstMessage, MessageUnref>;
using CapsPtr = std::unique_ptr<GstCaps, CapsUnref>;
using SamplePtr = std::unique_ptr<GstSample, SampleUnref>;
using BufferPtr = std::unique_ptr<GstBuffer, BufferUnref>;
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;
using StringPtr = std::unique_ptr<gchar, StringFree>;

// Takes over a factory's floating reference as a full one.
inline ElementPtr adoptFloating(GstElement *element)
{
    return ElementPtr(element ? GST_ELEMENT(gst_object_ref_sink(element)) : nullptr);
}

// Adds a reference to a buffer another owner keeps.
inline BufferPtr refBuffer(GstBuffer *buffer)
{
    return BufferPtr(buffer ? gst_buffer_ref(buffer) : nullptr);
}

} // namespace Gst
