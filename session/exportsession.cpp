#include "session/exportsession.h"

#include "base/programsettings.h"
#include "catalogue/clip.h"
#include "evidence/evidenceexport.h"
#include "session/playbacksession.h"
#include "session/viewerstate.h"
#include "settings/devicecard.h"

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

ExportSession::ExportSession(ViewerState &state, PlaybackSession &playback, QObject *parent)
    : QObject(parent), m_state(state), m_playback(playback)
{
    // Marks belong to the clip they were set on.
    connect(&m_playback, &PlaybackSession::opened, this, &ExportSession::clearMarks);
    connect(&m_planning, &QFutureWatcher<std::pair<std::optional<ExportPlan>, QString>>::finished, this,
            &ExportSession::planDone);
}

ExportSession::~ExportSession()
{
    m_planning.waitForFinished(); // reads a clip; it stops by itself
}

void ExportSession::markIn()
{
    if (m_playback.isOpen())
        m_state.setMarks(m_playback.position(), m_state.markOut());
}

void ExportSession::markOut()
{
    if (m_playback.isOpen())
        m_state.setMarks(m_state.markIn(), m_playback.position());
}

void ExportSession::clearMarks()
{
    m_state.setMarks(std::nullopt, std::nullopt);
}

std::optional<ExportSession::Range> ExportSession::offeredRange() const
{
    if (!m_playback.isOpen() || !m_playback.clip())
        return std::nullopt;
    Range range = rangeFor(m_playback.position(), m_playback.length(), m_state.markIn(), m_state.markOut());
    range.clip = m_playback.clip()->file().absoluteFilePath();
    return range;
}

ExportSession::Range ExportSession::rangeFor(qint64 positionMs, qint64 lengthMs, std::optional<qint64> in,
                                             std::optional<qint64> out)
{
    const qint64 length = std::max<qint64>(0, lengthMs);
    Range range;
    if (in || out) {
        const qint64 a = std::clamp<qint64>(in.value_or(0), 0, length);
        const qint64 b = std::clamp<qint64>(out.value_or(length), 0, length);
        range.fromMs = std::min(a, b);
        range.toMs = std::max(a, b);
    }
    if (range.toMs <= range.fromMs) {
        const qint64 span = std::min(kOfferedSpanMs, length);
        range.fromMs = std::clamp<qint64>(positionMs - span / 2, 0, length - span);
        range.toMs = range.fromMs + span;
    }
    range.momentMs = positionMs >= range.fromMs && positionMs < range.toMs ? positionMs : range.fromMs;
    return range;
}

ExportSession::Range ExportSession::firstSpanOf(const QString &clip)
{
    return Range{QFileInfo(clip).absoluteFilePath(), 0, kOfferedSpanMs, 0};
}

int ExportSession::requestPlan(const Range &range)
{
    const int request = ++m_request;
    ExportPlanning::Options options;
    // The program's settings are read here, on the GUI thread; the clip on the worker.
    options.zone = RecorderClock::FallbackZone::fromSetting(ProgramSettings::timeZone());
    options.thresholds = EventThresholds::withOverrides(ProgramSettings::eventThresholds());
    options.speedUnitKm = m_state.speedUnitKm();
    m_planningRequest = request;
    m_planning.setFuture(QtConcurrent::run([range, options]() mutable {
        options.model = clipModel(range.clip) == DeviceModel::Main ? QStringLiteral("QRD-7700") : QStringLiteral("unknown");
        QString error;
        std::optional<ExportPlan> plan = ExportPlanning::forClip(range.clip, range.fromMs, range.toMs, options, &error);
        if (plan)
            plan->setMoment(range.momentMs - plan->parts.first().media.fromMs);
        return std::make_pair(plan, error);
    }));
    return request;
}

void ExportSession::planDone()
{
    const auto [plan, error] = m_planning.result();
    if (m_planningRequest != m_request)
        return; // a newer request is on its way
    if (plan)
        emit planReady(m_planningRequest, *plan);
    else
        emit planFailed(m_planningRequest, error);
}

bool ExportSession::startExport(const ExportPlan &plan, const QString &folder, bool overlay)
{
    if (m_export && m_export->isRunning()) {
        m_error = QStringLiteral("an export is under way");
        return false;
    }
    m_export = std::make_unique<EvidenceExport>(plan, folder, overlay);
    if (!m_export->start()) {
        m_error = m_export->errorString();
        m_export.reset();
        return false;
    }
    connect(m_export.get(), &EvidenceExport::progressChanged, this, &ExportSession::exportProgress);
    connect(m_export.get(), &EvidenceExport::finished, this, [this] {
        const QString folder = m_export->folder();
        exportEnded();
        emit exportFinished(folder);
    });
    connect(m_export.get(), &EvidenceExport::failed, this, [this](const QString &reason) {
        exportEnded();
        emit exportFailed(reason);
    });
    connect(m_export.get(), &EvidenceExport::cancelled, this, [this] {
        exportEnded();
        emit exportCancelled();
    });
    emit exportStarted(plan.title);
    return true;
}

void ExportSession::cancelExport()
{
    if (m_export)
        m_export->cancel();
}

bool ExportSession::isExporting() const
{
    return m_export && m_export->isRunning();
}

// The job that ended goes once its signal has returned.
void ExportSession::exportEnded()
{
    m_export.release()->deleteLater();
}
