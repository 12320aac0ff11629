#pragma once

class MainWindow;

// Where the viewer was left, kept in the program's own settings file (not in local.cfg): the clip
// folder that was open, whether the window was maximized and the level of the volume bar.
// Start-up restores it: the folder is opened again, when it still holds clips, with its first clip
// selected and paused. At the first start (no folder kept yet) the recorder's card opens the same
// way when it is the only one found.
namespace ViewerSession {

// Call once the window is shown.
void restore(MainWindow &window);
// Call before the window goes. A window that never showed a folder keeps the folder stored before.
void save(const MainWindow &window);

} // namespace ViewerSession
