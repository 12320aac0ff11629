#include "viewer/viewersession.h"

#include "base/programsettings.h"
#include "catalogue/clipcatalogue.h"
#include "session/cliplibrary.h"
#include "session/viewerstate.h"
#include "viewer/mainwindow.h"
#include "viewer/widgetvolume.h"

#include <QFileInfo>

namespace ViewerSession {

void restore(MainWindow &window)
{
    window.state().setVolume(ProgramSettings::volumeLevel() / double(WidgetVolume::kLevels));
    if (ProgramSettings::maximized())
        window.OnSlotsmaximize(); // ignored on a screen too small for it
    const QString folder = ProgramSettings::lastFolder();
    // A folder gone or emptied since is left alone: no warning at start-up.
    if (folder.isEmpty() || !QFileInfo(folder).isDir() || !isProperFolder(folder))
        return;
    // The first clip opens and waits, paused on its first picture, once the folder has been read
    // (unless the user opened something else meanwhile).
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

void save(const MainWindow &window)
{
    const ViewerState &state = window.state();
    if (!state.folder().isEmpty())
        ProgramSettings::setLastFolder(QFileInfo(state.folder()).absoluteFilePath());
    ProgramSettings::setMaximized(state.isMaximized());
    ProgramSettings::setVolumeLevel(qRound(state.volume() * WidgetVolume::kLevels));
}

} // namespace ViewerSession
