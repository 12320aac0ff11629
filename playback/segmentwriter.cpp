#include "playback/segmentwriter.h"

#include "playback/partsource_p.h"

#include <QFile>

namespace {

// The muxer's request pad template for a stream ("video_0" -> "video_%u").
const char *muxPadTemplate(const QString &stream)
{
    return stream.startsWith(QLatin1String("audio")) ? "audio_%u" : "video_%u";
}

} // namespace

SegmentWriter::SegmentWriter(const QList<MediaPart> &parts, const QString &outputPath, QObject *parent)
    : PipelineJob(parts, outputPath, Cut::KeyFrame, parent)
{
}

SegmentWriter::~SegmentWriter()
{
    cancel(); // before the probes' owner goes
}

// Per stream: the held queues of the parts, in order -> concat -> the muxer -> the file. The new
// elements start before the held queues are linked to them: the queues pass their stream's events
// on at once, and an element that is not running yet would refuse them.
bool SegmentWriter::complete(GstElement *pipeline, PartSource &source)
{
    QStringList missing;
    GstElement *mux = ExportGst::addElement(pipeline, "matroskamux", QStringLiteral("Muxer"), &missing);
    GstElement *sink = ExportGst::addElement(pipeline, "filesink", QStringLiteral("File"), &missing);
    QList<GstElement *> joins;
    for (const QString &stream : source.streams())
        joins << ExportGst::addElement(pipeline, "concat", QStringLiteral("Join %1").arg(stream), &missing);
    addMissing(missing);
    if (!missing.isEmpty()) {
        fail(QStringLiteral("the GStreamer element %1 is not installed").arg(missing.join(QStringLiteral(", "))));
        return false;
    }
    g_object_set(sink, "location", QFile::encodeName(temporaryPath()).constData(), "async", FALSE, nullptr);
    if (!gst_element_link(mux, sink))
        return false;
    for (int i = 0; i < joins.size(); ++i) {
        const QString stream = source.streams().at(i);
        Gst::PadPtr muxPad = ExportGst::requestPad(mux, muxPadTemplate(stream));
        if (!muxPad || !ExportGst::linkTo(joins.at(i), muxPad.get()))
            return false;
    }
    for (GstElement *element : QList<GstElement *>{sink, mux} + joins)
        gst_element_sync_state_with_parent(element);
    for (int i = 0; i < joins.size(); ++i) {
        const QString stream = source.streams().at(i);
        for (int part = 0; part < parts().size(); ++part) {
            Gst::PadPtr held = source.output(part, stream);
            Gst::PadPtr joined = held ? ExportGst::requestPad(joins.at(i), "sink_%u") : nullptr;
            if (held && (!joined || !GST_PAD_LINK_SUCCESSFUL(gst_pad_link(held.get(), joined.get()))))
                return false;
        }
    }
    Gst::PadPtr out(gst_element_get_static_pad(joins.first(), "src"));
    watchOutput(out.get());
    return true;
}
