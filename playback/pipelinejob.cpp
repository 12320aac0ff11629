#include "playback/pipelinejob.h"

#include "playback/busrelay_p.h"
#include "playback/partsource_p.h"

#include <gst/pbutils/missing-plugins.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryFile>

#include <cstdio>
#include <limits>

Q_DECLARE_LOGGING_CATEGORY(lcMedia)

namespace {

constexpr int kAnnounceTimeoutMs = 10000;
// Once every held stream has ended, a short wait tells whether the output still moves (a decoder
// that saw no picture may keep its stream's end to itself).
constexpr int kEndedStalledMs = 5000;

// The text of an error or warning message; its details go to the debug log.
QString problemText(GstMessage *message)
{
    const Gst::Problem problem = Gst::problemOf(message);
    qCDebug(lcMedia) << "export pipeline:" << GST_OBJECT_NAME(GST_MESSAGE_SRC(message)) << problem.details;
    return problem.text;
}

bool isRelayed(GstMessageType type)
{
    return type == GST_MESSAGE_ERROR || type == GST_MESSAGE_WARNING || type == GST_MESSAGE_EOS
           || type == GST_MESSAGE_APPLICATION || type == GST_MESSAGE_ELEMENT;
}

} // namespace

PipelineJob::PipelineJob(const QList<MediaPart> &parts, const QString &outputPath, Cut cut, QObject *parent)
    : QObject(parent), m_parts(parts), m_output(outputPath), m_cut(cut)
{
    m_ticker.setInterval(kTickMs);
    m_deadline.setSingleShot(true);
    connect(&m_ticker, &QTimer::timeout, this, &PipelineJob::tick);
    connect(&m_deadline, &QTimer::timeout, this,
            [this] { fail(QStringLiteral("the clip's streams were not found in time")); });
}

PipelineJob::~PipelineJob()
{
    cancel();
}

bool PipelineJob::start()
{
    if (m_pipeline)
        return false;
    m_error.clear();
    m_missing.clear();
    m_reachedNs.store(-1);
    m_lastReachedNs = -1;
    m_idleTicks = 0;
    m_streams = std::numeric_limits<int>::max(); // none is held yet
    m_streamsEnded.clear();
    if (!m_output.isEmpty()) {
        // A new name beside the output, on the same file system, so that it can take the output's
        // name in one step.
        const QFileInfo output(m_output);
        QTemporaryFile file(output.absolutePath() + QStringLiteral("/.") + output.fileName()
                            + QStringLiteral(".XXXXXX"));
        file.setAutoRemove(false);
        if (!file.open()) {
            m_error = QStringLiteral("%1: %2").arg(output.absolutePath(), file.errorString());
            return false;
        }
        m_temporary = file.fileName();
    }
    m_pipeline = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("Export")));
    watchBus();
    m_source = std::make_unique<PartSource>(m_pipeline, m_parts,
                                            m_cut == Cut::KeyFrame ? PartSource::Cut::KeyFrame : PartSource::Cut::Exact);
    if (!m_source->add() || gst_element_set_state(m_pipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        const QString why = m_source->errorString().isEmpty() ? QStringLiteral("the clip cannot be read")
                                                              : m_source->errorString();
        addMissing(m_source->missingPlugins());
        release();
        m_error = why;
        return false;
    }
    m_deadline.start(kAnnounceTimeoutMs);
    m_ticker.start();
    return true;
}

void PipelineJob::cancel()
{
    release();
}

double PipelineJob::progress() const
{
    const qint64 total = totalLengthMs(m_parts) * GST_MSECOND;
    const qint64 reached = m_reachedNs.load();
    return total > 0 && reached > 0 ? qBound(0.0, double(reached) / double(total), 1.0) : 0.0;
}

void PipelineJob::reached(qint64 runningNs)
{
    qint64 previous = m_reachedNs.load(std::memory_order_relaxed);
    while (runningNs > previous && !m_reachedNs.compare_exchange_weak(previous, runningNs))
        ;
}

void PipelineJob::watchOutput(GstPad *pad)
{
    auto onBuffer = [](GstPad *probed, GstPadProbeInfo *info, gpointer self) -> GstPadProbeReturn {
        if (GstBuffer *buffer = GST_PAD_PROBE_INFO_BUFFER(info))
            static_cast<PipelineJob *>(self)->reached(qMax<qint64>(0, ExportGst::runningTime(probed, buffer)));
        return GST_PAD_PROBE_OK;
    };
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, onBuffer, this, nullptr);
}

void PipelineJob::watchBus()
{
    Gst::relayBus(m_pipeline, this, ++m_generation, &isRelayed, &PipelineJob::takeMessage);
}

void PipelineJob::takeMessage(quint64 generation, GstMessage *message)
{
    if (generation != m_generation || !m_pipeline)
        return;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_APPLICATION: {
        const GstStructure *s = gst_message_get_structure(message);
        int part = -1;
        if (s && gst_structure_has_name(s, PartSource::PartAnnounced) && gst_structure_get_int(s, "part", &part))
            partAnnounced(part);
        else if (s && gst_structure_has_name(s, PartSource::StreamEnded))
            m_streamsEnded.insert(QString::fromUtf8(GST_OBJECT_NAME(GST_MESSAGE_SRC(message))));
        break;
    }
    case GST_MESSAGE_ELEMENT:
        if (gst_is_missing_plugin_message(message)) {
            Gst::StringPtr description(gst_missing_plugin_message_get_description(message));
            if (description)
                addMissing({QString::fromUtf8(description.get())});
        }
        break;
    case GST_MESSAGE_WARNING:
        qCDebug(lcMedia) << "export warning:" << problemText(message);
        break;
    case GST_MESSAGE_ERROR:
        fail(QStringLiteral("%1: %2").arg(QString::fromUtf8(GST_OBJECT_NAME(GST_MESSAGE_SRC(message))),
                                          problemText(message)));
        break;
    case GST_MESSAGE_EOS:
        if (runsToEnd())
            succeed();
        break;
    default:
        break;
    }
}

void PipelineJob::partAnnounced(int part)
{
    if (!m_source->partAnnounced(part)) {
        fail(m_source->errorString());
        return;
    }
    if (!m_source->allAnnounced())
        return;
    m_deadline.stop();
    if (m_source->streams().isEmpty() || !m_source->streams().first().startsWith(QLatin1String("video"))) {
        fail(QStringLiteral("the clip has no pictures"));
        return;
    }
    const bool built = complete(m_pipeline, *m_source);
    addMissing(m_source->missingPlugins());
    if (!built) {
        fail(m_error.isEmpty() ? m_source->errorString() : m_error);
        return;
    }
    m_streams = m_source->release();
    if (runsToEnd() && gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        fail(QStringLiteral("the export pipeline does not start"));
}

void PipelineJob::tick()
{
    const qint64 reached = m_reachedNs.load();
    if (reached != m_lastReachedNs) {
        m_lastReachedNs = reached;
        m_idleTicks = 0;
        Q_EMIT progressChanged(progress());
    } else if (++m_idleTicks >= (m_streamsEnded.size() < m_streams ? m_stallTicks : kEndedStalledMs / kTickMs)) {
        qCDebug(lcMedia) << "export stands still;" << m_streamsEnded.size() << "of" << m_streams
                         << "streams ended:" << m_streamsEnded.values();
        fail(reached < 0 ? QStringLiteral("the range holds no pictures") : QStringLiteral("the export stopped moving"));
    }
}

void PipelineJob::succeed()
{
    if (!m_pipeline)
        return;
    // The file is complete once the sink is shut.
    ++m_generation;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    if (runsToEnd() && (m_reachedNs.load() < 0 || !m_source->reachedStart())) {
        fail(QStringLiteral("the range holds no pictures"));
        return;
    }
    if (const QString wrong = checkResult(); !wrong.isEmpty()) {
        fail(wrong);
        return;
    }
    if (!m_temporary.isEmpty()) {
        if (std::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_output).constData()) != 0) {
            fail(QStringLiteral("%1: cannot be written").arg(m_output));
            return;
        }
        m_temporary.clear();
        // Readable like any file the user writes (the temporary file was private while written).
        QFile::setPermissions(m_output, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                            | QFileDevice::ReadOther);
    }
    release();
    Q_EMIT progressChanged(1.0);
    Q_EMIT finished();
}

void PipelineJob::fail(const QString &reason)
{
    if (!m_pipeline)
        return;
    m_error = reason;
    qCWarning(lcMedia).noquote() << "export failed:" << reason;
    release();
    Q_EMIT failed(reason);
}

void PipelineJob::addMissing(const QStringList &names)
{
    for (const QString &name : names) {
        if (!m_missing.contains(name))
            m_missing << name;
    }
}

// Teardown in a fixed order: detach the bus handler, stop streaming, release the elements, remove
// a file that did not become the output.
void PipelineJob::release()
{
    m_ticker.stop();
    m_deadline.stop();
    if (m_pipeline) {
        ++m_generation;
        Gst::BusPtr bus(gst_element_get_bus(m_pipeline));
        gst_bus_set_flushing(bus.get(), TRUE);
        gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        m_source.reset();
        gst_object_unref(m_pipeline);
        m_pipeline = nullptr;
    }
    if (!m_temporary.isEmpty()) {
        QFile::remove(m_temporary);
        m_temporary.clear();
    }
}
