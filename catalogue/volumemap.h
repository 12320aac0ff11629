#pragma once

#include "catalogue/removabledrive.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Where paths sit among the drives and volumes of the computer: on a removable drive or not, and
// where inside its volume. The one place that answers these questions for the folder check, the scan
// and the list's category filter. A snapshot: build it once per scan or list fill.
class VolumeMap
{
public:
    // The drives of listRemovableDrives() and the mount points of all mounted file systems.
    static VolumeMap current();
    // current(), and `folder` as one more card when it is a copy of a card on a disk (CardCopy), so
    // that it is searched, and its REC and EVENT folders categorised, like the card itself.
    static VolumeMap forFolder(const QString &folder);

    // Volume roots are `mountPoints` plus every drive of `drives`.
    VolumeMap(const QList<RemovableDrive> &drives, const QStringList &mountPoints);

    const QList<RemovableDrive> &drives() const { return m_drives; }

    // True when `path` (absolute, '/' separators) is the mount point `root` or lies below it:
    // "/media/card" holds "/media/card/REC", not "/media/card2".
    static bool isWithin(const QString &path, const QString &root);

    // True when `path` lies on one of the removable drives.
    bool isOnRemovableDrive(const QString &path) const;

    // `path` relative to the innermost volume root holding it ("REC/x.mp4" for "/media/card/REC/x.mp4");
    // null when no root holds it.
    QString relativeToVolume(const QString &path) const;

    // True when `path` relative to its volume begins with `topFolder` and '/', case-sensitively:
    // the clip lies in (or below) the folder REC or EVENT at the root of its volume.
    bool isUnderTopFolder(const QString &path, QStringView topFolder) const;

private:
    QList<RemovableDrive> m_drives;
    QStringList m_roots; // longest first, so the innermost root is found first
};
