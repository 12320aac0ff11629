#pragma once

#include <QMap>
#include <QString>

// The program's own settings file, beside the recorder viewer's local.cfg: a small INI file in the
// desktop's configuration folder ($XDG_CONFIG_HOME/qrd7700/viewer.conf). It keeps what the program
// adds to the recorder's viewer: the interface language chosen, and where the viewer was left. One
// table of keys with defaults; only values that differ from their default are written. The file is
// opened afresh for every access. GUI thread only.
namespace ProgramSettings {

// Path of the file; empty when the desktop has no configuration folder.
QString filePath();

// The interface language chosen in the program ("en" or "kr"); empty when none was chosen.
QString language();
void setLanguage(const QString &code);

// The clip folder open when the viewer was left; empty for none.
QString lastFolder();
void setLastFolder(const QString &path);

// The time zone assumed for recorder times on a card without any GPS fix ("[time] zone=": a zone
// name such as "Asia/Seoul", a fixed offset such as "+09:00", or "UTC"); empty for the computer's.
// Read only: the user writes it into the file.
QString timeZone();

// The level of the viewer's volume bar, 0 (silent) … 10 (full, the default).
int volumeLevel();
void setVolumeLevel(int level);

// Whether the viewer was left maximized.
bool maximized();
void setMaximized(bool maximized);

// The [events] group as written (key → value text): the user's thresholds for the driving events
// found in the telemetry. Their meaning and checks belong to the detection.
QMap<QString, QString> eventThresholds();

} // namespace ProgramSettings
