#pragma once

#include "telemetry/telemetrysample.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// GPX 1.1 export of a telemetry track for the command-line tool.

// Recording start from a recorder file name: the date and time after its "REC_"/"EVS_" prefix,
// whatever follows them (extension, cause marker), as local time. Invalid when the name has none.
QDateTime recordingStartFromName(const QString &fileName);

// One track of the samples with a usable position; each point with its time (start + sample
// time, local time with UTC offset, left out when `start` is invalid) and its speed.
QByteArray trackToGpx(const QList<TelemetrySample> &samples, const QDateTime &start, const QString &name);
