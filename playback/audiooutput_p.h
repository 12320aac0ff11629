#pragma once

// The sound output of a clip, made ready away from the GUI thread: opening a sound device can take
// long (a sound server that does not answer, a busy card), and the GUI thread never waits.
#include "playback/gsthandles_p.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace AudioOutput {

// Answered on the GUI thread with the output element, already READY (its device open), or null
// when not even a stand-in can be made. The receiver puts it into a pipeline or hands it to discard().
using Answer = std::function<void(Gst::ElementPtr output)>;

// Makes the output element `factory` (empty: the desktop's default) on a worker thread and opens
// it. An output that is missing, is no output, or cannot open is logged and replaced by a fake sink,
// which keeps the pictures in real time without a sound card. `answer` runs on the GUI thread
// unless `receiver` is gone by then (the element is discarded then).
void prepare(const QString &factory, QPointer<QObject> receiver, Answer answer);

// Closes an output nobody used (on a worker thread: closing a device can take long too).
void discard(Gst::ElementPtr output);

// Waits until every output on its way has been answered or discarded. Call before the media
// framework shuts down, on the GUI thread.
void finishAll();

} // namespace AudioOutput
