#pragma once

#include "catalogue/removabledrive.h"

#include <QList>
#include <QString>

#include <optional>

// The recorder's card as a whole: where its folders are, which drive is the card and which recorder
// model wrote it, read from the version file in its update folder.

// Recorder model read from the card's version file. The values never leave the program.
enum class DeviceModel : int {
    NoModel = 0,
    Main = 1,   // the QRD-7700, the recorder this editor is made for
    Second = 2, // a second model the writer still knows; never recognised from a card
};

// The text of `updateFolder`/version.txt, its lines joined by single line feeds; empty when it is no
// regular file or does not open. Only the first 4 KiB are read: the recorder writes one short line.
QString readVersionText(const QString &updateFolder);

// Main when the text names the QRD-7700 anywhere, NoModel otherwise.
DeviceModel modelFromVersion(const QString &text);

// The folders of a card whose root is `drive`.
QString cardSettingsFolder(const QString &drive);
QString cardUpdateFolder(const QString &drive);

// The model the card at `drive` reports in its version file.
DeviceModel cardModel(const QString &drive);

// The recorder's card among `drives`: the drive whose update/version.txt is a regular file that opens;
// of several, the last one. The first form looks at listRemovableDrives().
std::optional<RemovableDrive> findCardDrive();
std::optional<RemovableDrive> findCardDrive(const QList<RemovableDrive> &drives);

// Whether `path` lies on the drive `root` (case-insensitive, whole path components).
bool isOnDrive(const QString &path, const QString &root);

// The model of the recorder that recorded the clip at `clipPath`, from the version file of the drive
// or card copy (CardCopy) holding the clip (the innermost one when they nest); NoModel when none
// holds it. For an empty
// path (no clip): Main when any of the drives is a QRD-7700 card. The first form looks at
// listRemovableDrives().
DeviceModel clipModel(const QString &clipPath);
DeviceModel clipModel(const QString &clipPath, const QList<RemovableDrive> &drives);

// The root of the drive or card copy holding `path` (the innermost one when they nest); empty when
// none holds it. The first form looks at listRemovableDrives().
QString cardRootOf(const QString &path);
QString cardRootOf(const QString &path, const QList<RemovableDrive> &drives);

// Finishes (or clears away) a settings save that was cut off on the card holding the folder `path`,
// as opening the card's settings does; for the viewer, when it opens a folder of clips.
void finishInterruptedSave(const QString &path);
