#pragma once

// The directory walk behind the catalogue's scan and the folder check, on POSIX calls: one listing per
// folder and, when asked, one stat per clip file relative to the open folder (no path look-ups, no
// file-info objects for entries that are no clips).
#include <QString>

#include <atomic>
#include <functional>

namespace ClipFileWalk {

// One clip file: its folder (as reached from the walk's root, no trailing separator) and name.
// `size` is -1 when sizes were not asked for.
using Visitor = std::function<bool(const QString &folder, const QString &name, qint64 size)>;

struct Options
{
    bool recursive = false;  // also walk every folder below the root
    bool withSizes = false;  // read each clip file's size (a stat per file)
    const std::atomic<bool> *cancelled = nullptr;
};

// Visits the clip files (names ending ".mp4" or ".avi", any case; plain files only, never links; no
// hidden files) of `root` and, when recursive, of every folder below it, folder by folder: the root
// first, then sub-folders depth first in the order the file system lists them. Folders that are links
// are not entered; hidden folders are not entered; the files of a folder whose name ends ".lnk" are
// skipped while its sub-folders are still walked. Stops when `visit` returns false (result false) or
// on cancellation (result false); true when the walk ran to its end.
bool walk(const QString &root, const Options &options, const Visitor &visit);

} // namespace ClipFileWalk
