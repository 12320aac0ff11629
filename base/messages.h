#pragma once

#include <QString>
#include <QStringList>

// Fixed interface texts outside the text table; they read the same whatever the language code,
// except where a function chooses by the code.
namespace Messages {

inline QString viewerTitle() { return QStringLiteral("Viewer"); }
inline QString viewerWindowTitle() { return QStringLiteral("QRD-7700 Viewer"); }
inline QString settingsTitle() { return QStringLiteral("QRD-7700 Setting"); }
inline QString suiteTitle() { return QStringLiteral("QRD-7700 Suite"); }
inline QString snapshotTitle() { return QStringLiteral("QRD-7700"); }

inline QString selectProperFolder() { return QStringLiteral("Please select proper folder"); }
inline QString playFirst() { return QStringLiteral("Play first"); }
// Exports of a clip's telemetry that would be empty.
inline QString noPositionsInClip() { return QStringLiteral("no positions in this clip"); }
inline QString noTelemetryInClip() { return QStringLiteral("no telemetry in this clip"); }

// Texts that follow the language code: Korean for "kr", English otherwise.
QString openClipFailed();
QString saveFileCancelled();
QString saveFileFailed();
// The line naming what is not installed to play a clip (plugin or decoder names).
QString missingPlugins(const QStringList &names);
// The settings editor's warnings.
QString settingsNotSaved();
QString noMemoryCard();
QString cardWriteProtected();
// The recorder's clock error where it is worth telling (more than 30 s either way), for example
// "Recorder clock 1 min 15 s fast"; empty otherwise. `errorSeconds` is positive when the
// recorder's clock is ahead of true time.
QString recorderClockError(qint64 errorSeconds);

// The window's notice after a save: "Saved a.jpg, b.jpg", its button, and what it says when no
// file manager could be started for `folder`.
QString savedFiles(const QStringList &names);
QString showInFolder();
QString noFileManager(const QString &folder);
// What the empty clip list says: how to open a card.
QString emptyListHint();
// Why the folder chooser's OK is greyed: the folder is being checked, holds no clips, the typed
// path is no folder, or the typed path has not been gone to yet.
QString folderBeingChecked();
QString folderWithoutClips();
QString typedPathNoFolder();
QString typedPathPressReturn();

// Texts that are Korean unless the language code is "en", as the text table's are.
QString selectFolderFirst();
QString filterAll();
QString filterManual();
QString filterDriving();
QString filterParking();

// The driving events in the viewer: the kinds, the events list and the clip list's menu entry.
QString hardBrake();
QString hardAcceleration();
QString sharpTurn();
QString impact();
QString eventsListTitle();
QString eventsMenuEntry();
// The list's column headings: time, kind, peak, speed, clip.
QStringList eventsListColumns();
// Under the list: the card still being read, what was found, or no folder to look at.
QString eventsReading(int done, int total);
QString eventsFound(int events, int clips);
QString eventsNoFolder();

inline QString openFileDialogTitle() { return QStringLiteral("Open QRD-7700"); }
// The recorder writes AVI clips too: the dialog offers them beside the MP4 pattern.
inline QString openFileDialogFilter() { return QStringLiteral("QRD-7700 Data Files (*.mp4 *.avi)"); }
inline QString saveFileDialogTitle() { return QStringLiteral("QRD-7700 Save File"); }
inline QString saveFileDialogFilter() { return QStringLiteral("Image Files (*.png *.jpg)"); }

} // namespace Messages
