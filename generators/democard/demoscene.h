#pragma once

#include "generators/clipwriter/aviclipwriter.h"
#include "generators/democard/demodrive.h"

#include <QDateTime>
#include <QList>
#include <QString>

// Pictures of the demo drive as the recorder's two cameras see it: a road in perspective that
// moves with the speed and bends with the turns, with the recorder's date, time and speed stamp.
namespace DemoScene {

// `driveStart` is the recorder's clock at the drive's first second (naive, marked UTC); invalid for
// the demo card's first drive.
ClipWriter::VideoStream frontStream(const QList<DemoDrive::Second> &drive, int firstSecond, int framesPerSecond,
                                    const QDateTime &driveStart = QDateTime());
ClipWriter::VideoStream rearStream(const QList<DemoDrive::Second> &drive, int firstSecond, int framesPerSecond,
                                   const QDateTime &driveStart = QDateTime());

// Writes an H.264/AAC MP4 clip of the same drive with both cameras.
bool writeMp4(const QString &path, const QList<DemoDrive::Second> &drive, int firstSecond, int seconds,
              QString *error);

} // namespace DemoScene
