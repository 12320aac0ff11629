#pragma once

// Internals of the drive listing, exposed for tests that feed a fake /proc and /sys.
#include "catalogue/removabledrive.h"

#include <QByteArray>

namespace DriveListing {

struct Mount
{
    QString deviceNumber; // "major:minor"
    QString root;         // the part of the file system mounted ("/" for a whole volume)
    QString mountPoint;
    QString fileSystem;
    QString source;
};

// Parses /proc/self/mountinfo text; malformed lines are skipped.
QList<Mount> parseMountInfo(const QByteArray &text);

// Whether the block device `deviceNumber` is removable, SD/MMC or USB, judged from `sysRoot`
// (normally "/sys"). Sets `blockName` to the kernel's name of the device ("sdb1").
bool isRemovableDevice(const QString &sysRoot, const QString &deviceNumber, QString *blockName);

// The label of block device `blockName` from the links in `byLabelDir` ("/dev/disk/by-label").
QString volumeLabel(const QString &byLabelDir, const QString &blockName);

// Drives of the folders listed in `cardsVariable` (':'-separated); missing folders are left out.
QList<RemovableDrive> cardFolders(const QString &cardsVariable);

// The full listing from the given sources, sorted by drive, one entry per drive.
QList<RemovableDrive> listDrives(const QByteArray &mountInfo, const QString &sysRoot,
                                 const QString &byLabelDir, const QString &cardsVariable);

} // namespace DriveListing
