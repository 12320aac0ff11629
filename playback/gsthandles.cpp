#include "playback/gsthandles_p.h"

#include "playback/busrelay_p.h"

namespace Gst {

void ElementUnref::operator()(GstElement *element) const
{
    if (element)
        gst_object_unref(element);
}

Problem problemOf(GstMessage *message)
{
    GError *raw = nullptr;
    gchar *debug = nullptr;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_WARNING)
        gst_message_parse_warning(message, &raw, &debug);
    else
        gst_message_parse_error(message, &raw, &debug);
    ErrorPtr error(raw);
    StringPtr details(debug);
    return {QString::fromUtf8(error ? error->message : "unknown error"), QByteArray(debug)};
}

} // namespace Gst
