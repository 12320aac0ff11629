#pragma once

#include "generators/clipwriter/telemetrysynthesis.h"

#include <QList>

// A plausible city drive for the demo card: pulling away, a turn, a fast stretch up to about
// 110 km/h, a hard brake, and a tunnel without GPS fix. One state per second of driving.
namespace DemoDrive {

struct Second
{
    double latitude = 0;
    double longitude = 0;
    double speedKmh = 0;
    double headingDegrees = 0;
    bool fix = true;
};

constexpr int kSamplesPerSecond = 20;

// The whole drive, second by second.
QList<Second> drive();
// A longer drive of `seconds` across the country from where the first one ended: cruising between
// 60 and 100 km/h with wide bends, a fix all along.
QList<Second> cruise(int seconds);

// The telemetry route of seconds [first, first + count) of the drive.
ClipWriter::TelemetryRoute routeFor(const QList<Second> &drive, int first, int count);

} // namespace DemoDrive
