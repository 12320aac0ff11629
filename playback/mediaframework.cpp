#include "playback/mediaframework.h"

#include <gst/gst.h>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcMedia, "qrd7700.playback")

namespace MediaFramework {

bool initialise()
{
    GError *error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        qCWarning(lcMedia) << "GStreamer cannot start:" << (error ? error->message : "unknown error");
        g_clear_error(&error);
        return false;
    }
    return true;
}

void shutdown()
{
    if (gst_is_initialized())
        gst_deinit();
}

} // namespace MediaFramework
