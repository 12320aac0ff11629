#pragma once

#include "telemetry/telemetrysample.h"

#include <QDateTime>
#include <QString>

// What the viewer shows at one moment of a clip, for the pictures saved and printed from it.
struct ShownMoment
{
    QString clipName;         // file name of the clip
    qint64 positionMs = 0;    // playback position
    QDateTime recordedAt;     // recording start from the clip's name + position; invalid without one
    TelemetrySample sample;   // the sample at the position; the no-sample value when there is none
    QString model;            // recorder model as the dashboard shows it
    bool speedUnitKm = true;  // the dashboard's speed unit

    // The recorder model when the dashboard recognised one, else empty.
    QString knownModel() const { return model == QLatin1String("unknown") ? QString() : model; }
};
