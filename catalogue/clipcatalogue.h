#pragma once

#include "catalogue/clip.h"
#include "catalogue/volumemap.h"

#include <QString>

#include <atomic>
#include <map>
#include <memory>

// One opened clip folder: its path and every clip file found there, keyed by bare file name in
// QString order (so all EVS_ names come before all REC_ names, each group oldest first). The folder
// itself is always scanned; a folder on a removable drive, and a copy of a card on a disk (a folder
// holding REC or EVENT), is searched through all its sub-folders.
// Owns its clips; everyone else holds plain pointers that die with the catalogue or its rescan.
// Keeps the drive listing of its scan, so that the list's categories are decided without asking
// the system again.
class ClipCatalogue
{
public:
    using ClipMap = std::map<QString, std::unique_ptr<Clip>>;

    // Stores `path` (as chosen, may be relative) and scans at once. When `cancelled` is given and
    // becomes true, the scan stops at its next folder entry and the catalogue holds what was found
    // until then.
    explicit ClipCatalogue(const QString &path, const std::atomic<bool> *cancelled = nullptr);
    ClipCatalogue(const ClipCatalogue &) = delete;
    ClipCatalogue &operator=(const ClipCatalogue &) = delete;

    const QString &path() const { return m_path; }
    const ClipMap &clips() const { return m_clips; }
    bool hasClips() const { return !m_clips.empty(); }
    // The drives and volumes as they were when the folder was last scanned.
    const VolumeMap &volumes() const { return m_volumes; }

    // Deletes all clips and scans again with a fresh drive listing; returns hasClips().
    bool rescan();

private:
    void scan(const std::atomic<bool> *cancelled);

    QString m_path;
    VolumeMap m_volumes;
    ClipMap m_clips;
};

// The folder chooser's acceptance test: the folder holds a clip file (*.mp4, *.avi), or it lies on a
// removable drive or is a copy of a card, and one of its sub-folders does. Stops at the first hit. When `cancelled` is given
// and becomes true, the walk stops early and the answer is false.
bool isProperFolder(const QString &path, const std::atomic<bool> *cancelled = nullptr);
bool isProperFolder(const QString &path, const VolumeMap &volumes, const std::atomic<bool> *cancelled = nullptr);
