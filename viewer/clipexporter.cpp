#include "viewer/clipexporter.h"

#include "base/messages.h"
#include "base/programsettings.h"
#include "telemetry/avimainheader.h"
#include "telemetry/cliptelemetry.h"
#include "telemetry/exportfile.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

namespace {

QString dialogTitle(TrackExport::Format format)
{
    switch (format) {
    case TrackExport::Format::Gpx:
        return QStringLiteral("Export route as GPX");
    case TrackExport::Format::Kml:
        return QStringLiteral("Export route as KML");
    case TrackExport::Format::Csv:
        break;
    }
    return QStringLiteral("Export telemetry as CSV");
}

QString nameFilter(TrackExport::Format format)
{
    switch (format) {
    case TrackExport::Format::Gpx:
        return QStringLiteral("GPX files (*.gpx)");
    case TrackExport::Format::Kml:
        return QStringLiteral("KML files (*.kml)");
    case TrackExport::Format::Csv:
        break;
    }
    return QStringLiteral("CSV files (*.csv)");
}

} // namespace

struct ClipExporter::ReadResult
{
    QString error; // the clip could not be read
    QList<TelemetrySample> samples;
    QList<RecorderClock::FixTime> fixes;
    QDateTime start; // the clip's true start, invalid when its name gives none
};

ClipExporter::ClipExporter(QWidget *window, QObject *parent)
    : QObject(parent)
    , m_window(window)
{
}

QString ClipExporter::proposedFolder() const
{
    if (!m_lastFolder.isEmpty())
        return m_lastFolder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// Runs on a worker thread: touches nothing but its arguments.
ClipExporter::ReadResult ClipExporter::readClip(const QString &path, const RecorderClock::FallbackZone &fallback)
{
    ReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    file.close();
    // A file without an AVI main header (an MP4 clip) carries no telemetry.
    if (const std::optional<qint64> duration = aviHeaderDurationMs(path)) {
        const ClipTelemetry clip = readClipTelemetry(path, duration);
        result.samples = clip.samples;
        result.fixes = clip.fixes;
        result.start = clipStart(clip.summary, fallback);
    }
    return result;
}

void ClipExporter::exportClip(const QString &path, TrackExport::Format format)
{
    const quint64 request = ++m_request;
    auto *watcher = new QFutureWatcher<ReadResult>(this);
    connect(watcher, &QFutureWatcher<ReadResult>::finished, this, [this, watcher, request, path, format] {
        watcher->deleteLater();
        if (request == m_request)
            finishExport(path, format, watcher->result());
    });
    const RecorderClock::FallbackZone fallback = RecorderClock::FallbackZone::fromSetting(ProgramSettings::timeZone());
    watcher->setFuture(QtConcurrent::run(&ClipExporter::readClip, path, fallback));
}

void ClipExporter::finishExport(const QString &path, TrackExport::Format format, const ReadResult &result)
{
    const QString clipName = QFileInfo(path).fileName();
    QString problem;
    if (!result.error.isEmpty())
        problem = QStringLiteral("Could not read %1: %2").arg(clipName, result.error);
    else if (format != TrackExport::Format::Csv && !TrackExport::hasPositions(result.samples))
        problem = Messages::noPositionsInClip();
    else if (result.samples.isEmpty())
        problem = Messages::noTelemetryInClip();
    if (!problem.isEmpty()) {
        warn(problem);
        emit notExported(path);
        return;
    }
    const QString target = askFileName(path, format);
    if (target.isEmpty()) {
        emit notExported(path);
        return;
    }
    QString error;
    const TrackExport::Piece piece{result.samples, 0, result.start, result.fixes};
    if (!writeExportFile(target, TrackExport::document(format, {piece}, clipName), &error)) {
        warn(QStringLiteral("Could not write %1: %2").arg(QFileInfo(target).fileName(), error));
        emit notExported(path);
        return;
    }
    emit exported(target);
}

QString ClipExporter::askFileName(const QString &clipPath, TrackExport::Format format)
{
    const QString extension = TrackExport::extension(format);
    const QString proposed = QFileInfo(clipPath).completeBaseName() + extension;
    QFileDialog dialog(m_window, dialogTitle(format), proposedFolder(), nameFilter(format));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(extension.mid(1));
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString chosen = dialog.selectedFiles().first();
    m_lastFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

void ClipExporter::warn(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, Messages::viewerTitle(), text, QMessageBox::Ok, m_window);
    box.exec();
}
