#pragma once

#include "generators/clipwriter/telemetrysynthesis.h"

#include <QList>

// Generated drives for tests and benchmarks: steady driving with pushes on the car (brakes,
// starts, turns, bumps), read by a G-sensor that may be mounted tilted or backwards, with seeded
// noise, so that every run gives the same samples.
namespace ClipWriter {

// A force on the car for a while, in g in the car's frame.
struct Push
{
    double atSeconds = 0;
    double seconds = 1;
    double forwardG = 0; // negative: braking
    double leftG = 0;
    double upG = 0;
};

struct DriveScenario
{
    int seconds = 60;
    double startKmh = 80;
    QList<Push> pushes;
    double pitchDegrees = 0;       // recorder tilted forward: gravity shows on X (and Z)
    double rollDegrees = 0;        // tilted sideways: gravity shows on Y (and Z)
    bool mountedBackwards = false; // X and Y point backwards and to the right
    double noiseG = 0.05;          // uniform noise, ± this much on every axis of every sample
    quint32 seed = 1;
    int samplesPerSecond = 20;
    RoutePoint start{37.5, 127.0};
    double headingDegrees = 45;
};

struct SynthesizedDrive
{
    QList<GForce> forces;        // the sensor's readings, samplesPerSecond per second, raw units
    QList<double> speedKmh;      // at the start of each second
    QList<RoutePoint> positions; // at the start of each second
    int samplesPerSecond = 20;
};

// Drives the scenario: the speed follows the forward pushes (never below 0); the sensor reads the
// pushes plus gravity, turned by the mounting, less the 1 g it reads when level, plus noise.
SynthesizedDrive synthesizeDrive(const DriveScenario &scenario);

// The drive as a clip's telemetry route; without GPS every second has lost its fix.
TelemetryRoute routeOf(const SynthesizedDrive &drive, bool gps = true);

// Writes the drive as a small clip for tests of its telemetry: one 16 × 16 picture a second, a
// sound stream (so that the telemetry is stream "02tx", as the recorder writes it), the drive's
// telemetry with the GPS giving `startUtc` at its start (no fix at all without `gps`). Makes the
// clip's folder when needed.
bool writeDriveClip(const QString &path, const SynthesizedDrive &drive, const QDateTime &startUtc, bool gps = true,
                    QString *error = nullptr);

} // namespace ClipWriter
