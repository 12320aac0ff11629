#include "viewer/viewersession.h"

#include "base/programsettings.h"
#include "catalogue/clipcatalogue.h"
#include "viewer/mainwindow.h"

#include <QFileInfo>

namespace ViewerSession {

void restore(MainWindow &window)
{
    if (ProgramSettings::maximized())
        window.OnSlotsmaximize(); // ignored on a screen too small for it
    const QString folder = ProgramSettings::lastFolder();
    // A folder gone or emptied since is left alone: no warning at start-up.
    if (folder.isEmpty() || !QFileInfo(folder).isDir() || !isProperFolder(folder))
        return;
    window.openFolder(folder);
    // The first clip opens and waits, paused on its first picture.
    window.OnSlotspause();
}

void save(const MainWindow &window)
{
    if (const ClipCatalogue *catalogue = window.catalogue())
        ProgramSettings::setLastFolder(QFileInfo(catalogue->path()).absoluteFilePath());
    ProgramSettings::setMaximized(window.isMaximizedLayout());
}

} // namespace ViewerSession
