#include "playback/audiooutput_p.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QThreadPool>

#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcMedia)

namespace {

// One thread opens and closes the sound outputs, one after the other: a device is never opened
// twice at once, and the thread (with its event dispatcher's descriptor) is the only one kept.
struct SoundWorkers : QThreadPool
{
    SoundWorkers() { setMaxThreadCount(1); }
};
Q_GLOBAL_STATIC(SoundWorkers, s_workers)

// Worker thread: the wanted output, open, or a fake sink standing in for it.
Gst::ElementPtr openOutput(const QByteArray &wanted)
{
    Gst::ElementPtr sink = Gst::adoptFloating(gst_element_factory_make(wanted.constData(), "Audio Renderer"));
    const char *problem = nullptr;
    if (!sink)
        problem = "is not installed";
    else if (!GST_OBJECT_FLAG_IS_SET(sink.get(), GST_ELEMENT_FLAG_SINK))
        problem = "is not an audio output";
    else if (gst_element_set_state(sink.get(), GST_STATE_READY) == GST_STATE_CHANGE_FAILURE)
        problem = "cannot open";
    if (!problem)
        return sink;
    qCWarning(lcMedia) << "audio output" << wanted << problem << "- the sound is discarded";
    if (sink)
        gst_element_set_state(sink.get(), GST_STATE_NULL);
    sink = Gst::adoptFloating(gst_element_factory_make("fakesink", "Audio Renderer"));
    if (sink && gst_element_set_state(sink.get(), GST_STATE_READY) == GST_STATE_CHANGE_FAILURE)
        sink.reset();
    return sink;
}

void close(Gst::ElementPtr output)
{
    if (output)
        gst_element_set_state(output.get(), GST_STATE_NULL);
}

} // namespace

namespace AudioOutput {

void prepare(const QString &factory, QPointer<QObject> receiver, Answer answer)
{
    const QByteArray wanted = factory.isEmpty() ? QByteArrayLiteral("autoaudiosink") : factory.toUtf8();
    s_workers->start([wanted, receiver, answer] {
        // Shared so that the element is closed properly whether or not the answer is delivered.
        auto output = std::make_shared<Gst::ElementPtr>(openOutput(wanted));
        QCoreApplication *app = QCoreApplication::instance();
        if (!app) {
            close(std::move(*output));
            return;
        }
        QMetaObject::invokeMethod(
            app,
            [receiver, answer, output] {
                if (receiver)
                    answer(std::move(*output));
                else
                    discard(std::move(*output));
            },
            Qt::QueuedConnection);
    });
}

void discard(Gst::ElementPtr output)
{
    if (!output)
        return;
    auto held = std::make_shared<Gst::ElementPtr>(std::move(output));
    s_workers->start([held] { close(std::move(*held)); });
}

void finishAll()
{
    // Answers already posted are delivered (or discarded) now; their discards go to the workers.
    s_workers->waitForDone();
    if (QCoreApplication *app = QCoreApplication::instance())
        QCoreApplication::sendPostedEvents(app, QEvent::MetaCall);
    s_workers->waitForDone();
}

} // namespace AudioOutput
