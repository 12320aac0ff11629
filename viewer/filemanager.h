#pragma once

#include <QString>

// The desktop's file manager.
namespace FileManager {

// Opens `folder` in the file manager; false when none could be started.
bool showFolder(const QString &folder);

} // namespace FileManager
