#include "tools/screenshots/exportpictures.h"

#include "playback/stillreader.h"
#include "session/exportsession.h"
#include "tools/screenshots/shotwindow.h"
#include "viewer/exportdialog.h"
#include "viewer/mainwindow.h"
#include "viewer/savednotice.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace Shots;

namespace {

// Calls `act` with the modal dialog of type T once one is up (polling, while that dialog runs).
template <typename T>
void whenModal(const std::function<void(T *)> &act)
{
    auto *timer = new QTimer;
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            act(dialog);
        }
    });
    timer->start();
}

} // namespace

void saveExportPictures(MainWindow &window, qint64 atMs, const QDir &out)
{
    QTemporaryDir work;
    const QString folder = work.filePath(QStringLiteral("evidence"));
    // The notice of the page printed before would stand over the bar.
    if (auto *notice = window.findChild<SavedNotice *>())
        notice->hide();
    window.OnSlotsProgress(int(atMs - 5000));
    runFor(800);
    window.OnSlotsmarkIn();
    window.OnSlotsProgress(int(atMs + 5000));
    runFor(800);
    window.OnSlotsmarkOut();
    window.OnSlotsProgress(int(atMs));
    runFor(800);
    whenModal<ExportDialog>([&out, folder](ExportDialog *dialog) {
        dialog->findChild<QCheckBox *>(QStringLiteral("exportOverlay"))->setChecked(true);
        runFor(300);
        dialog->grab().save(out.filePath(QStringLiteral("export-dialog.png")));
        dialog->findChild<QLineEdit *>(QStringLiteral("exportParent"))->setText(QFileInfo(folder).absolutePath());
        dialog->findChild<QLineEdit *>(QStringLiteral("exportName"))->setText(QFileInfo(folder).fileName());
        dialog->findChild<QPushButton *>(QStringLiteral("exportStart"))->click();
    });
    ExportSession *exports = window.findChild<ExportSession *>();
    QEventLoop loop;
    bool grabbed = false;
    QObject::connect(exports, &ExportSession::exportProgress, &loop, [&](double fraction) {
        if (fraction > 0.4 && !grabbed) {
            grabbed = true;
            grabWindow(window).save(out.filePath(QStringLiteral("export-window.png")));
        }
    });
    for (auto ended : {&ExportSession::exportFinished, &ExportSession::exportFailed})
        QObject::connect(exports, ended, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, &window, &MainWindow::OnSlotsexport);
    loop.exec();
    runFor(500); // the notice of the folder
    StillReader overlay(folder + QStringLiteral("/overlay.mp4"), 4000);
    QObject::connect(&overlay, &StillReader::finished, &loop, &QEventLoop::quit);
    QObject::connect(&overlay, &StillReader::failed, &loop, &QEventLoop::quit);
    if (overlay.start())
        loop.exec();
    if (!overlay.pictures().isEmpty())
        overlay.pictures().first().save(out.filePath(QStringLiteral("overlay-frame.png")));
}

