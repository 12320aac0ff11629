#pragma once

#include <QString>

// The texts of exporting a moment from the viewer (the dialog, its progress, its outcome): Korean
// for the language code "kr", English otherwise.
namespace Messages {

QString exportMenuEntry();
QString exportDialogTitle();
// "Range: 0:05.000 to 0:35.000 of REC_….avi (0:30.000)"
QString exportRange(const QString &from, const QString &to, const QString &clip, const QString &length);
// "Estimated size: about 85 MB"
QString exportSize(const QString &size);
QString exportOverlay();
QString exportFolder();
QString exportName();
QString exportChoose();
QString exportStart();
QString exportCancel();
// "Exporting REC_….avi: 42 %"
QString exportProgress(const QString &clip, int percent);
QString exportFailed(const QString &reason);
QString exportExists();
QString exportNoName();
QString exportBusy();

} // namespace Messages
