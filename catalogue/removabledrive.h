#pragma once

#include <QList>
#include <QString>

// One removable drive of the computer: a mounted memory card, USB stick or card reader, or a folder
// named in QRD7700_CARDS that stands in for a card.
struct RemovableDrive
{
    QString drive;       // mount point or card folder: absolute, '/' separators, no trailing separator
    QString volumeLabel; // empty when unknown
    QString fileSystem;  // file-system type such as "vfat"; empty when unknown

    friend bool operator==(const RemovableDrive &, const RemovableDrive &) = default;
};

// Environment variable naming extra card folders, separated by ':'.
inline constexpr char kCardsVariable[] = "QRD7700_CARDS";

// The removable drives, built afresh on every call and ordered by `drive`: every mounted file system
// whose block device (or its disk) the kernel marks removable, sits on an SD/MMC host or is attached
// over USB, plus the existing folders of QRD7700_CARDS (label: the folder's name).
QList<RemovableDrive> listRemovableDrives();

// Mount points of every mounted file system, for finding the volume that holds a path.
QStringList mountPoints();
