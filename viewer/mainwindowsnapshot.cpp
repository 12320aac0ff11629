// Saving and printing the pictures on screen, one per recorder channel. Saved JPEGs carry the
// time, place and recorder in EXIF; the printed page carries them in a caption.
#include "viewer/mainwindow.h"

#include "base/language.h"
#include "base/messages.h"
#include "base/programsettings.h"
#include "catalogue/clip.h"
#include "playback/player.h"
#include "viewer/playbackcontroller.h"
#include "telemetry/exportfile.h"
#include "telemetry/recorderclock.h"
#include "telemetry/telemetrytrack.h"
#include "evidence/evidencepage.h"
#include "evidence/shownmoment.h"
#include "viewer/snapshotexif.h"
#include "viewer/snapshotnames.h"
#include "viewer/widgetprogressa.h"

#include <QDateTime>
#include <QFileDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace {

QString saveFailedText()
{
    return currentLanguage() == QLatin1String("kr") ? QStringLiteral("파일 저장이 실패하였습니다.")
                                                    : QStringLiteral("Failed to save the picture");
}

// What is on screen now: the clip, the position, its telemetry sample and the recorder.
ShownMoment shownMoment(Player *player, WidgetProgressA *dashboard)
{
    ShownMoment moment;
    if (player && player->clip()) {
        moment.clipName = player->clip()->file().fileName();
        moment.positionMs = std::max<qint64>(0, player->positionMs());
        // The recorder's time corrected by the clip's own GPS fixes; without any, the zone chosen
        // in the program's settings (or the computer's) is taken for the recorder's.
        if (const std::optional<qint64> stamp = RecorderClock::stampFromName(moment.clipName)) {
            const std::optional<qint64> own = RecorderClock::offsetFromFixes(*stamp, dashboard->track().fixes());
            const RecorderClock::Offset offset =
                own ? RecorderClock::Offset{*own, RecorderClock::Source::Gps}
                    : RecorderClock::Offset{RecorderClock::FallbackZone::fromSetting(ProgramSettings::timeZone()).offsetAt(*stamp),
                                            RecorderClock::Source::Assumed};
            moment.recordedAt = RecorderClock::localTimeOf(*stamp + moment.positionMs, offset);
            moment.timeFromGps = own.has_value();
        }
        moment.sample = dashboard->sampleAt(int(moment.positionMs));
    }
    moment.model = dashboard->modelText();
    moment.speedUnitKm = dashboard->speedUnitKm();
    return moment;
}

} // namespace

bool MainWindow::getSnap(QImage *images)
{
    Player *player = m_playback->player();
    if (!player) {
        warn(Messages::viewerTitle(), Messages::playFirst());
        return false;
    }
    for (int channel = 0; channel < std::min(player->channelCount(), 2); ++channel)
        images[channel] = player->grabFrame(channel, true);
    return !(images[0].isNull() && images[1].isNull());
}

void MainWindow::OnSlotssnapshot()
{
    OnSlotspause();
    QImage images[2];
    if (!getSnap(images))
        return;
    const ShownMoment moment = shownMoment(player(), m_dashboard);
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
    const std::array<QSize, 2> sizes = {Player::publishedVideoSize(0), Player::publishedVideoSize(1)};
    const QStringList files = Snapshot::channelFileNames(name, sizes, player()->channelCount());
    bool saved = true;
    for (int channel = 0; channel < files.size(); ++channel) {
        const QByteArray bytes = SnapshotExif::encodeSnapshot(images[channel], files.at(channel), moment);
        saved = !bytes.isEmpty() && writeExportFile(files.at(channel), bytes) && saved;
    }
    if (!saved)
        warn(Messages::snapshotTitle(), saveFailedText());
}

void MainWindow::OnSlotsprint()
{
    OnSlotspause();
    QImage images[2];
    if (!getSnap(images))
        return;
    const ShownMoment moment = shownMoment(player(), m_dashboard);
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printer.setDocName(moment.clipName); // the PDF's title
    printer.setCreator(QStringLiteral("QRD-7700 Viewer"));
    QPainter painter(&printer);
    EvidencePage::paint(painter, printer, {images[0], images[1]}, player()->channelCount(), moment);
}
