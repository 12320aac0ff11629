// Saving and printing the pictures on screen, one per recorder channel. Saved JPEGs carry the
// time, place and recorder in EXIF; the printed page carries them in a caption.
#include "viewer/mainwindow.h"

#include "base/messages.h"
#include "base/programsettings.h"
#include "catalogue/clip.h"
#include "session/playbacksession.h"
#include "telemetry/exportfile.h"
#include "telemetry/recorderclock.h"
#include "telemetry/telemetrytrack.h"
#include "viewer/evidencepage.h"
#include "viewer/shownmoment.h"
#include "viewer/snapshotexif.h"
#include "viewer/snapshotnames.h"
#include "viewer/widgetprogressa.h"

#include <QDateTime>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace {

// What is on screen now: the clip, the position, its telemetry sample and the recorder.
ShownMoment shownMoment(PlaybackSession &session, WidgetProgressA *dashboard)
{
    ShownMoment moment;
    if (session.clip()) {
        moment.clipName = session.clip()->file().fileName();
        moment.positionMs = std::max<qint64>(0, session.position());
        // The recorder's time corrected by the clip's own GPS fixes; without any, the zone chosen
        // in the program's settings (or the computer's) is taken for the recorder's.
        if (const std::optional<qint64> stamp = RecorderClock::stampFromName(moment.clipName)) {
            const std::optional<qint64> own = RecorderClock::offsetFromFixes(*stamp, session.track().fixes());
            const RecorderClock::Offset offset =
                own ? RecorderClock::Offset{*own, RecorderClock::Source::Gps}
                    : RecorderClock::Offset{RecorderClock::FallbackZone::fromSetting(ProgramSettings::timeZone()).offsetAt(*stamp),
                                            RecorderClock::Source::Assumed};
            moment.recordedAt = RecorderClock::localTimeOf(*stamp + moment.positionMs, offset);
            moment.timeFromGps = own.has_value();
        }
        if (const std::optional<TelemetrySample> sample = session.sampleAt(moment.positionMs)) {
            dashboard->showSample(*sample);
            moment.sample = *sample;
        }
    }
    moment.model = dashboard->modelText();
    moment.speedUnitKm = dashboard->speedUnitKm();
    return moment;
}

} // namespace

// The pictures of the clip on screen, one per channel. Nothing is taken without an open clip (nor
// while the next one is still opening): the last pictures kept belong to another clip.
bool MainWindow::getSnap(QImage *images)
{
    const int channels = std::min(m_session->facts().channelCount, 2);
    if (channels == 0) {
        warn(Messages::viewerTitle(), Messages::playFirst());
        return false;
    }
    for (int channel = 0; channel < channels; ++channel)
        images[channel] = m_session->grabFrame(channel);
    return !(images[0].isNull() && images[1].isNull());
}

void MainWindow::OnSlotssnapshot()
{
    OnSlotspause();
    QImage images[2];
    if (!getSnap(images))
        return;
    const ShownMoment moment = shownMoment(*m_session, m_dashboard);
    QString selectedFilter;
    const QString proposed = Snapshot::proposedName(QDateTime::currentDateTime());
    const QString folder = Snapshot::pictureFolder();
    const QString chosen = QFileDialog::getSaveFileName(this, Messages::saveFileDialogTitle(),
                                                        folder.isEmpty() ? proposed : folder + QLatin1Char('/') + proposed,
                                                        Messages::saveFileDialogFilter(), &selectedFilter);
    if (Snapshot::isCancelledName(chosen)) {
        warn(Messages::snapshotTitle(), Messages::saveFileCancelled());
        return;
    }
    const QString name = Snapshot::withImageExtension(chosen, Snapshot::extensionForFilter(selectedFilter));
    const PlaybackFacts &facts = m_session->facts();
    const std::array<QSize, 2> sizes = {facts.videoSize(0), facts.videoSize(1)};
    const QStringList files = Snapshot::channelFileNames(name, sizes, facts.channelCount);
    bool saved = true;
    for (int channel = 0; channel < files.size(); ++channel) {
        const QByteArray bytes = SnapshotExif::encodeSnapshot(images[channel], files.at(channel), moment);
        saved = !bytes.isEmpty() && writeExportFile(files.at(channel), bytes) && saved;
    }
    if (!saved)
        warn(Messages::snapshotTitle(), Messages::saveFileFailed());
}

void MainWindow::OnSlotsprint()
{
    OnSlotspause();
    QImage images[2];
    if (!getSnap(images))
        return;
    const ShownMoment moment = shownMoment(*m_session, m_dashboard);
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    EvidencePage::print(printer, {images[0], images[1]}, m_session->facts().channelCount, moment);
}
