#pragma once

#include <QtGlobal>

// One moment of telemetry on the clip's time line. The default value (time -1, all else 0) is the
// "no sample" answer.
struct TelemetrySample
{
    qint32 timeMs = -1; // start of the sample, milliseconds from the clip's start
    qint16 accelX = 0;  // raw units, -127 … 128
    qint16 accelY = 0;
    qint16 accelZ = 0;
    double latitude = 0;  // degrees, north positive; 0 without a fix
    double longitude = 0; // degrees, east positive; 0 without a fix
    qint32 speedKmh = 0;

    bool isNone() const { return timeMs == -1; }
    // Whether the coordinates can be shown: both non-zero and inside the globe's ranges.
    bool hasUsablePosition() const;
    // The accelerations and coordinates alone (no time, no speed): what a panel shows of a moment.
    TelemetrySample forcesAndPosition() const;

    friend bool operator==(const TelemetrySample &, const TelemetrySample &) = default;
};

// The coordinates test of hasUsablePosition() without the time.
bool isUsablePosition(double latitude, double longitude);
