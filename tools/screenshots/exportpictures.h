#pragma once

class MainWindow;
class QDir;

#include <QtGlobal>

// The export of the 10 s around `atMs` (in the clip playing): the dialog (with the overlay video
// asked for), the window with the range marked and the export under way, and a picture of the
// overlay video that came out, saved into `out`.
void saveExportPictures(MainWindow &window, qint64 atMs, const QDir &out);
