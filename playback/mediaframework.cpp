#include "playback/mediaframework.h"

#include "playback/audiooutput_p.h"

#include <gst/gst.h>

#include <QLoggingCategory>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

Q_LOGGING_CATEGORY(lcMedia, "qrd7700.playback")

namespace {

// The AVI demuxer keeps a stream it could not describe (the recorder's telemetry stream has no
// format chunk, so it gets no pad) in its list, and when that stream ends it asks the flow combiner
// about the missing pad, which answers with a critical warning. The stream is meant to be dropped,
// and nothing else is affected: that one message goes to the debug log; everything else as usual.
constexpr const char *kPadlessStreamAssertion = "gst_flow_combiner_update_pad_flow: assertion 'pad != NULL' failed";

void filterBaseLibraryMessages(const gchar *domain, GLogLevelFlags level, const gchar *message, gpointer data)
{
    if (message && g_str_has_suffix(message, kPadlessStreamAssertion)) {
        qCDebug(lcMedia) << "the AVI demuxer dropped a stream without a pad (telemetry)";
        return;
    }
    g_log_default_handler(domain, level, message, data);
}

} // namespace

namespace MediaFramework {

bool initialise()
{
#if defined(__GLIBC__)
    // Every streaming thread would get a heap arena of its own, and the pictures of a clip leave
    // freed space behind in each of them that the next clip's threads do not reuse: a viewer going
    // from clip to clip kept growing. Two arenas serve two cores as fast and keep that space shared.
    mallopt(M_ARENA_MAX, 2);
#endif
    g_log_set_handler("GStreamer-Base", GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
                      &filterBaseLibraryMessages, nullptr);
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
    if (!gst_is_initialized())
        return;
    AudioOutput::finishAll();
    gst_deinit();
}

} // namespace MediaFramework
