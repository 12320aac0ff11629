#pragma once

#include "telemetry/drivingevent.h"
#include "telemetry/telemetrysample.h"

#include <QList>
#include <QString>

// Finds hard brakes, hard starts, sharp turns and impacts in a clip's telemetry. Accelerations
// become g (128 raw units to 1 g); the recorder's mounting shows as a steady offset on each axis,
// which a running median over the last ten seconds takes away, so a tilted recorder raises no
// alarm. X is the longitudinal axis and Y the lateral one, as the dashboard's G graph draws them;
// which way along X is forward comes from the drive itself. Pure functions, safe on any thread;
// the samples may come in any order, with any values.
namespace EventDetection {

// Which way along X the car accelerates: with PositiveX, negative X is braking.
enum class Forward { PositiveX, NegativeX };

// How X went with the change of GPS speed over a drive, summed over its clips.
struct LongitudinalEvidence
{
    double agreeing = 0; // weight of samples where X had the sign of the speed change
    double opposing = 0; // … and the opposite sign
    int samples = 0;

    LongitudinalEvidence &operator+=(const LongitudinalEvidence &other);
};

// What the clip's samples with a GPS fix say about the direction of X.
LongitudinalEvidence longitudinalEvidence(const QList<TelemetrySample> &samples);

// Forward is negative X only when the evidence clearly says so; without GPS, or with too little
// change of speed to tell, negative X is braking.
Forward forwardDirection(const LongitudinalEvidence &evidence);

// The events in one clip's samples, in time order, with their clip left empty and no time.
QList<DrivingEvent> detectEvents(const QList<TelemetrySample> &samples, const EventThresholds &thresholds,
                                 Forward forward);

// The same for the clip file at `clipPath`: each event names the clip and carries its time.
QList<DrivingEvent> clipEvents(const QString &clipPath, const QList<TelemetrySample> &samples,
                               const EventThresholds &thresholds, Forward forward);

} // namespace EventDetection
