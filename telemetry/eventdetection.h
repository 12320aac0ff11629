#pragma once

#include "telemetry/drivingevent.h"
#include "telemetry/telemetrysample.h"

#include <QList>

#include <optional>
#include <QString>

#include <memory>

namespace EventDetection::Internal {
struct Motion;
}

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

// One clip's samples made ready for the detection: in time order, in g, without the mounting's
// offset. Made once per clip, it serves both the evidence for the direction of X (which needs
// every clip of the drive) and the events.
class PreparedTrack
{
public:
    explicit PreparedTrack(const QList<TelemetrySample> &samples);
    PreparedTrack(PreparedTrack &&) noexcept;
    PreparedTrack &operator=(PreparedTrack &&) noexcept;
    ~PreparedTrack();

    const Internal::Motion &motion() const { return *m_motion; }

private:
    std::unique_ptr<Internal::Motion> m_motion;
};

// What the clip's samples with a GPS fix say about the direction of X.
LongitudinalEvidence longitudinalEvidence(const PreparedTrack &track);

// Forward is negative X only when the evidence clearly says so; without GPS, or with too little
// change of speed to tell, negative X is braking.
Forward forwardDirection(const LongitudinalEvidence &evidence);

// The events in one clip's samples, in time order, with their clip left empty and no time.
QList<DrivingEvent> detectEvents(const PreparedTrack &track, const EventThresholds &thresholds, Forward forward);

// The same for the clip file at `clipPath`: each event names the clip and, when the true moment the
// clip began is known (`clipStartUtcMs`, see RecorderClock), carries its UTC time.
QList<DrivingEvent> clipEvents(const QString &clipPath, const PreparedTrack &track, const EventThresholds &thresholds,
                               Forward forward, std::optional<qint64> clipStartUtcMs);

} // namespace EventDetection
