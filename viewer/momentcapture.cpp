#include "viewer/momentcapture.h"

#include "base/messages.h"
#include "base/programsettings.h"
#include "catalogue/clip.h"
#include "evidence/evidencepage.h"
#include "evidence/shownmoment.h"
#include "session/playbacksession.h"
#include "session/triplibrary.h"
#include "telemetry/exportfile.h"
#include "telemetry/recorderclock.h"
#include "telemetry/telemetrytrack.h"
#include "viewer/snapshotexif.h"
#include "viewer/snapshotnames.h"
#include "viewer/widgetprogressa.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

// The recorder clock's offset of the clip on screen: the one the card's index resolved (its own
// fixes, or borrowed from the nearest clip with some); before the index has the clip, its own
// fixes; without any, the zone chosen in the program's settings (or the computer's).
RecorderClock::Offset clockOffset(PlaybackSession &session, const TripLibrary *trips, qint64 stamp)
{
    if (trips) {
        if (const auto resolved = trips->offsetOf(session.clip()->file().absoluteFilePath()))
            return *resolved;
    }
    if (const std::optional<qint64> own = RecorderClock::offsetFromFixes(stamp, session.track().fixes()))
        return {*own, RecorderClock::Source::Gps};
    return {RecorderClock::FallbackZone::fromSetting(ProgramSettings::timeZone()).offsetAt(stamp),
            RecorderClock::Source::Assumed};
}

// What is on screen now: the clip, the position in it, its telemetry sample and the recorder.
ShownMoment shownMoment(PlaybackSession &session, WidgetProgressA *dashboard, const TripLibrary *trips)
{
    ShownMoment moment;
    if (session.clip()) {
        moment.clipName = session.clip()->file().fileName();
        moment.positionMs = std::max<qint64>(0, session.clipPosition());
        if (const std::optional<qint64> stamp = RecorderClock::stampFromName(moment.clipName)) {
            const RecorderClock::Offset offset = clockOffset(session, trips, *stamp);
            moment.recordedAt = RecorderClock::localTimeOf(*stamp + moment.positionMs, offset);
            moment.timeFromGps = offset.source != RecorderClock::Source::Assumed;
        }
        if (const std::optional<TelemetrySample> sample = session.sampleAt(session.position())) {
            dashboard->showSample(*sample);
            moment.sample = *sample;
        }
    }
    moment.model = dashboard->modelText();
    moment.speedUnitKm = dashboard->speedUnitKm();
    return moment;
}

} // namespace

MomentCapture::MomentCapture(PlaybackSession *session, WidgetProgressA *dashboard, TripLibrary *trips,
                             QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_dashboard(dashboard)
    , m_trips(trips)
    , m_window(window)
{
}

// Nothing is taken without an open clip (nor while the next one is still opening): the last
// pictures kept belong to another clip.
bool MomentCapture::grab(QImage *images)
{
    const int channels = std::min(m_session->facts().channelCount, 2);
    if (channels == 0) {
        emit warning(Messages::viewerTitle(), Messages::playFirst());
        return false;
    }
    for (int channel = 0; channel < channels; ++channel)
        images[channel] = m_session->grabFrame(channel);
    return !(images[0].isNull() && images[1].isNull());
}

void MomentCapture::snapshot()
{
    m_session->pause();
    QImage images[2];
    if (!grab(images))
        return;
    const ShownMoment moment = shownMoment(*m_session, m_dashboard, m_trips);
    QString selectedFilter;
    const QString proposed = Snapshot::proposedName(QDateTime::currentDateTime());
    const QString folder = Snapshot::pictureFolder();
    const QString chosen = QFileDialog::getSaveFileName(m_window, Messages::saveFileDialogTitle(),
                                                        folder.isEmpty() ? proposed : folder + QLatin1Char('/') + proposed,
                                                        Messages::saveFileDialogFilter(), &selectedFilter);
    if (Snapshot::isCancelledName(chosen)) {
        emit warning(Messages::snapshotTitle(), Messages::saveFileCancelled());
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
    if (!saved) {
        emit warning(Messages::snapshotTitle(), Messages::saveFileFailed());
        return;
    }
    emit this->saved(files);
}

void MomentCapture::print()
{
    m_session->pause();
    QImage images[2];
    if (!grab(images))
        return;
    const ShownMoment moment = shownMoment(*m_session, m_dashboard, m_trips);
    QPrinter printer(QPrinter::ScreenResolution);
    offerPdfName(printer, moment);
    QPrintDialog dialog(&printer, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printer.setDocName(moment.clipName); // the PDF's title
    printer.setCreator(QStringLiteral("QRD-7700 Viewer"));
    {
        // The file is complete once the painter has ended.
        QPainter painter(&printer);
        EvidencePage::paint(painter, printer, {images[0], images[1]}, m_session->facts().channelCount, moment);
    }
    reportPdf(printer);
}

// Without a printer the dialog can only print to a file: it offers the name made here. With
// printers it keeps the default printer, and the document name gives the file name when the user
// switches to a file.
void MomentCapture::offerPdfName(QPrinter &printer, const ShownMoment &moment)
{
    const QString name = Snapshot::printFileName(moment.clipName, moment.positionMs, QDateTime::currentDateTime());
    const QString folder = Snapshot::pictureFolder();
    if (QPrinterInfo::availablePrinters().isEmpty() && !folder.isEmpty())
        printer.setOutputFileName(QDir(folder).filePath(name));
    else
        printer.setDocName(name.chopped(4));
}

// A page printed to a file is announced when the file is there; a file that could not be written
// is reported as such.
void MomentCapture::reportPdf(const QPrinter &printer)
{
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty())
        return;
    const QFileInfo pdf(printer.outputFileName());
    if (pdf.isFile() && pdf.size() > 0)
        emit saved({pdf.absoluteFilePath()});
    else
        emit warning(Messages::snapshotTitle(), Messages::saveFileFailed());
}
