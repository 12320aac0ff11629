// Saving and printing the pictures on screen, one per recorder channel.
#include "viewer/mainwindow.h"

#include "app/language.h"
#include "app/messages.h"
#include "playback/player.h"
#include "viewer/playbackcontroller.h"
#include "viewer/snapshotnames.h"

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
    QString selectedFilter;
    const QString chosen = QFileDialog::getSaveFileName(this, Messages::saveFileDialogTitle(),
                                                        Snapshot::proposedName(QDateTime::currentDateTime()),
                                                        Messages::saveFileDialogFilter(), &selectedFilter);
    if (Snapshot::isCancelledName(chosen)) {
        warn(Messages::snapshotTitle(), Messages::saveFileCancelled());
        return;
    }
    const QString name = Snapshot::withImageExtension(chosen, Snapshot::extensionForFilter(selectedFilter));
    const std::array<QSize, 2> sizes = {Player::publishedVideoSize(0), Player::publishedVideoSize(1)};
    const QStringList files = Snapshot::channelFileNames(name, sizes, player()->channelCount());
    bool saved = true;
    for (int channel = 0; channel < files.size(); ++channel)
        saved = images[channel].save(files.at(channel)) && saved;
    if (!saved)
        warn(Messages::snapshotTitle(), saveFailedText());
}

void MainWindow::OnSlotsprint()
{
    OnSlotspause();
    QImage images[2];
    if (!getSnap(images))
        return;
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int channels = player()->channelCount();
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const Snapshot::PrintPlacement placement =
        Snapshot::printPlacement(page, images[0].size(), images[1].size(), channels);
    QPainter painter(&printer);
    painter.drawImage(placement.first, images[0]);
    if (channels > 1)
        painter.drawImage(placement.second, images[1]);
    painter.end();
}
