#pragma once

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>

// Names of saved pictures, one picture per recorder channel.
namespace Snapshot {

// "-FHD" from 1080 rows up, "-HD" from 720, "-SD" below (and for an unknown size).
QString resolutionTag(int frameHeight);

// The name offered in the save dialog: "QRD-7700_yyyyMMddhhmmss.jpg" in the default locale.
QString proposedName(const QDateTime &when);

// Where the save dialog starts: the folder QRD-7700 in the desktop's pictures folder, created when
// missing. Empty when it cannot be made (the dialog then starts where the program runs).
QString pictureFolder();

// The name a printed page is offered under when it goes to a PDF: the clip's name without its
// extension and the position shown, "REC_2012_05_14_10_20_30_01m05.2s.pdf". Without a clip,
// "QRD-7700_" and the time `when`, as for snapshots.
QString printFileName(const QString &clipName, qint64 positionMs, const QDateTime &when);

// True when the dialog's answer counts as cancelled (no name, or four characters or fewer).
bool isCancelledName(const QString &chosen);

// The chosen name with an image extension: names whose last four characters are not ".jpg" or
// ".png" (any case) get `defaultExtension` appended, so that the picture writer knows the format.
QString withImageExtension(const QString &chosen, const QString &defaultExtension);

// The extension that goes with the dialog's selected filter entry (".png" or ".jpg").
QString extensionForFilter(const QString &selectedFilter);

// One file name per channel: stem + "-<n>ch" + tag + extension, the extension being the last four
// characters of `name`.
QStringList channelFileNames(const QString &name, const std::array<QSize, 2> &frameSizes, int channels);

} // namespace Snapshot
