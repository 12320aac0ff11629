#pragma once

#include <QString>

// The program's own state files (local.cfg, viewer.conf) are read and written only when they are
// regular files, or not there yet: a FIFO in their place would block the program for good, a device
// or folder would swallow or refuse what is written. Anything else leaves the defaults in force.
namespace StateFile {

// True when `path` is missing or a regular file (also one reached through a link); otherwise false,
// and the log says why.
bool isUsable(const QString &path);

} // namespace StateFile
