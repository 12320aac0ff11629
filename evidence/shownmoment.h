#pragma once

#include "telemetry/telemetrysample.h"

#include <QDateTime>
#include <QString>

// What the viewer shows at one moment of a clip, for the pictures saved and printed from it.
struct ShownMoment
{
    QString clipName;         // file name of the clip
    qint64 positionMs = 0;    // playback position
    // The true time at the position in the car's local time (its UTC offset is the car's zone): the
    // recorder's time in the clip's name plus the position, corrected by the GPS clock. Invalid when
    // the name gives no time.
    QDateTime recordedAt;
    bool timeFromGps = false; // recordedAt rests on the GPS clock, not on the recorder's and a guessed zone
    TelemetrySample sample;   // the sample at the position; the no-sample value when there is none
    QString model;            // recorder model as the dashboard shows it
    bool speedUnitKm = true;  // the dashboard's speed unit

    // The recorder model when the dashboard recognised one, else empty.
    QString knownModel() const { return model == QLatin1String("unknown") ? QString() : model; }
};
