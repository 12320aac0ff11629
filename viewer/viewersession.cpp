#include "viewer/viewersession.h"

#include "base/programsettings.h"
#include "catalogue/clipcatalogue.h"
#include "session/cliplibrary.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "viewer/mainwindow.h"

#include <QFileInfo>

#include <memory>

namespace ViewerSession {

// In the trip view the first trip plays once the card's index knows it; at start-up it waits,
// paused on its first picture, as the first clip does.
void pauseFirstTrip(MainWindow &window)
{
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&window.trips(), &TripLibrary::tripsChanged, &window, [&window, connection] {
        if (window.trips().trips().isEmpty())
            return;
        QObject::disconnect(*connection);
        window.OnSlotspause();
    });
}

void restore(MainWindow &window)
{
    if (ProgramSettings::maximized())
        window.OnSlotsmaximize(); // ignored on a screen too small for it
    window.state().setTripView(ProgramSettings::tripView());
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
            if (answered != request || !hasClips)
                return;
            if (window.state().isTripView())
                pauseFirstTrip(window);
            else
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
    ProgramSettings::setTripView(state.isTripView());
}

} // namespace ViewerSession
