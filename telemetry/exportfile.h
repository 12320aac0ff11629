#pragma once

#include <QByteArray>
#include <QString>

// Writes an exported document to `path` in one step: the file is either the complete new document or
// what it was before, never half written. Only a new file or an existing regular file (also one
// reached through a symbolic link, which stays a link) is replaced; a folder, device, pipe or socket
// at the path is refused, since replacing it would remove it instead of writing into it. A replaced
// file keeps its mode, and its owner and group where the system allows. Returns false and sets
// *error (when given) to the reason, in the system's words ("No space left on device").
bool writeExportFile(const QString &path, const QByteArray &data, QString *error = nullptr);
