#pragma once

#include <QString>

// The viewer's own configuration file, local.cfg (INI, UTF-8) in the user's documents folder under
// "QRD-7700". It remembers the clip folder last chosen. The file is opened afresh for every access.
namespace LocalConfig {

// Path of local.cfg; creates the QRD-7700 folder (one level) when missing. Empty when the documents
// folder is unknown or the folder cannot be created.
QString localConfigPath();

// Stores `path` under "storage/lastfolder". Does nothing when there is no configuration path.
void saveLastFolder(const QString &path);

// Reads "storage/lastfolder" into `path`; false (and `path` untouched) when the key is absent.
bool loadLastFolder(QString &path);

} // namespace LocalConfig

using LocalConfig::loadLastFolder;
using LocalConfig::localConfigPath;
using LocalConfig::saveLastFolder;
