#pragma once

class MainWindow;

// Where the viewer was left, kept in the program's own settings file (not in local.cfg): the clip
// folder that was open, whether the window was maximized and whether the list showed trips.
// Start-up restores it: the folder is opened again, when it still holds clips, with its first clip
// (or trip) selected and paused.
namespace ViewerSession {

// Call once the window is shown.
void restore(MainWindow &window);
// Call before the window goes. A window that never showed a folder keeps the folder stored before.
void save(const MainWindow &window);

} // namespace ViewerSession
