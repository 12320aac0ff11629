#include "viewer/viewersession.h"

#include "base/programsettings.h"
#include "catalogue/clipcatalogue.h"
#include "session/cliplibrary.h"
#include "session/viewerstate.h"
#include "viewer/mainwindow.h"
#include "viewer/widgetvolume.h"

#include "catalogue/removabledrive.h"
#include "settings/devicecard.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace ViewerSession {

namespace {

// The first clip opens and waits, paused on its first picture, once the folder has been read
// (unless the user opened something else meanwhile).
void openPaused(MainWindow &window, const QString &folder)
{
    ClipLibrary &library = window.library();
    const int request = library.openFolder(folder);
    QObject::connect(
        &library, &ClipLibrary::scanFinished, &window,
        [&window, request](int answered, bool hasClips) {
            if (answered == request && hasClips)
                window.OnSlotspause();
        },
        Qt::SingleShotConnection);
}

// The removable drives holding a recorder's card: the version file names the QRD-7700, or the
// recorder's REC/ or EVENT/ folder is there. Runs on a worker thread: drives can be slow.
QStringList recorderCards()
{
    QStringList cards;
    for (const RemovableDrive &drive : listRemovableDrives()) {
        const QDir root(drive.drive);
        if (cardModel(drive.drive) == DeviceModel::Main || root.exists(QStringLiteral("REC"))
            || root.exists(QStringLiteral("EVENT")))
            cards << drive.drive;
    }
    return cards;
}

// At the very first start the recorder's card opens by itself when it is the only one found;
// with none or several the list stays empty and says how to open one.
void openOnlyCard(MainWindow &window)
{
    auto *watcher = new QFutureWatcher<QStringList>(&window);
    QObject::connect(watcher, &QFutureWatcher<QStringList>::finished, &window, [&window, watcher] {
        watcher->deleteLater();
        const QStringList cards = watcher->result();
        // Whatever the user opened meanwhile stays.
        if (cards.size() == 1 && window.state().folder().isEmpty() && window.library().entries().isEmpty()
            && !window.library().isScanning())
            openPaused(window, cards.first());
    });
    watcher->setFuture(QtConcurrent::run(&recorderCards));
}

} // namespace

void restore(MainWindow &window)
{
    window.state().setVolume(ProgramSettings::volumeLevel() / double(WidgetVolume::kLevels));
    if (ProgramSettings::maximized())
        window.OnSlotsmaximize(); // ignored on a screen too small for it
    const QString folder = ProgramSettings::lastFolder();
    if (folder.isEmpty())
        return openOnlyCard(window);
    // A folder gone or emptied since is left alone: no warning at start-up.
    if (!QFileInfo(folder).isDir() || !isProperFolder(folder))
        return;
    openPaused(window, folder);
}

void save(const MainWindow &window)
{
    const ViewerState &state = window.state();
    if (!state.folder().isEmpty())
        ProgramSettings::setLastFolder(QFileInfo(state.folder()).absoluteFilePath());
    ProgramSettings::setMaximized(state.isMaximized());
    ProgramSettings::setVolumeLevel(qRound(state.volume() * WidgetVolume::kLevels));
}

} // namespace ViewerSession
