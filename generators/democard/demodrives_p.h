#pragma once

// What the demo card's drives share inside the generator.
#include "generators/democard/demodrive.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace DemoCard {

// The recorder is in Seoul (UTC+9) and its clock runs 75 s fast: the clips are named after its
// clock, the GPS sentences carry the true UTC, so the viewer finds both.
constexpr int kRecorderAheadOfUtcSeconds = 9 * 3600 + 75;

// The recorder's clock at the start of the first drive (as the clips' names carry it, counted as
// UTC so that no zone of the computer gets in).
inline QDateTime demoDriveStart()
{
    return QDateTime(QDate(2026, 12, 1), QTime(8, 0, 0), Qt::UTC);
}

// A two-channel AVI clip with sound and telemetry of seconds [firstSecond, firstSecond + seconds)
// of `drive`, which the recorder's clock started at `driveStart`.
bool writeDriveClip(const QString &path, const QList<DemoDrive::Second> &drive, const QDateTime &driveStart,
                    int firstSecond, int seconds, QString *error);
// The two later drives of Options::longDriveMinutes.
bool writeMoreDrives(const QString &root, int longDriveMinutes, QStringList *written, QString *error);

} // namespace DemoCard
