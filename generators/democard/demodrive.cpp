#include "generators/democard/demodrive.h"

#include <QtMath>

#include <algorithm>

namespace DemoDrive {

namespace {

constexpr double kStartLatitude = 37.5334;
constexpr double kStartLongitude = 126.9506;
constexpr double kMetresPerDegreeLatitude = 111320.0;
constexpr int kSeconds = 100;
constexpr double kGravity = 9.81;
constexpr int kRawPerG = 128;

// Speed in km/h and turn rate in degrees per second for second s of the drive.
double speedAt(int s)
{
    if (s < 15)
        return 4.0 * s;                    // pulling away to 56 km/h
    if (s < 28)
        return 56.0 - 1.5 * (s - 15);      // slowing for the turn
    if (s < 50)
        return 38.5 + 3.3 * (s - 28);      // up to about 110 km/h
    if (s < 55)
        return 110.0;
    if (s < 58)
        return 110.0 - 27.0 * (s - 55);    // hard brake
    if (s < 75)
        return 29.0 + 2.0 * (s - 58);      // through the tunnel
    return std::max(0.0, 63.0 - 2.5 * (s - 75)); // coming to a stop
}

double turnRateAt(int s)
{
    if (s >= 20 && s < 26)
        return 15.0; // a right-hand turn of 90 degrees
    if (s >= 80 && s < 86)
        return -12.0;
    return 0.0;
}

} // namespace

QList<Second> drive()
{
    QList<Second> seconds;
    double latitude = kStartLatitude;
    double longitude = kStartLongitude;
    double heading = 60.0;
    for (int s = 0; s < kSeconds; ++s) {
        Second second;
        second.latitude = latitude;
        second.longitude = longitude;
        second.speedKmh = speedAt(s);
        second.headingDegrees = heading;
        second.fix = !(s >= 62 && s < 70); // the tunnel
        seconds.append(second);

        const double metres = second.speedKmh / 3.6;
        const double radians = qDegreesToRadians(heading);
        latitude += metres * std::cos(radians) / kMetresPerDegreeLatitude;
        longitude += metres * std::sin(radians) / (kMetresPerDegreeLatitude * std::cos(qDegreesToRadians(latitude)));
        heading += turnRateAt(s);
    }
    return seconds;
}

QList<Second> cruise(int seconds)
{
    const QList<Second> town = drive();
    QList<Second> out;
    double latitude = town.last().latitude;
    double longitude = town.last().longitude;
    double heading = 150.0;
    for (int s = 0; s < seconds; ++s) {
        Second second;
        second.latitude = latitude;
        second.longitude = longitude;
        // Away from a standstill in the first half minute, then between 60 and 100 km/h.
        const double cruising = 80.0 + 20.0 * std::sin(s / 97.0);
        second.speedKmh = std::min(cruising, 3.0 * s);
        second.headingDegrees = heading;
        out.append(second);
        const double metres = second.speedKmh / 3.6;
        const double radians = qDegreesToRadians(heading);
        latitude += metres * std::cos(radians) / kMetresPerDegreeLatitude;
        longitude += metres * std::sin(radians) / (kMetresPerDegreeLatitude * std::cos(qDegreesToRadians(latitude)));
        heading += 0.4 * std::sin(s / 53.0);
    }
    return out;
}

ClipWriter::TelemetryRoute routeFor(const QList<Second> &drive, int first, int count)
{
    ClipWriter::TelemetryRoute route;
    route.accelSamplesPerSecond = kSamplesPerSecond;
    for (int i = 0; i < count; ++i) {
        const int s = std::clamp(first + i, 0, int(drive.size()) - 1);
        const Second &second = drive.at(s);
        route.positions.append({second.latitude, second.longitude});
        route.speedKnots.append(second.speedKmh / 1.852);
        if (!second.fix)
            route.lostFixSeconds.insert(i);

        // Forces felt in this second: braking or accelerating along the car, the turn across it,
        // and a little road roughness that grows with speed.
        const Second &next = drive.at(std::min(s + 1, int(drive.size()) - 1));
        const double longitudinal = (next.speedKmh - second.speedKmh) / 3.6 / kGravity;
        const double lateral = qDegreesToRadians(turnRateAt(s)) * second.speedKmh / 3.6 / kGravity;
        for (int k = 0; k < kSamplesPerSecond; ++k) {
            const double roughness = 0.03 * second.speedKmh / 100.0 * std::sin(0.9 * (s * kSamplesPerSecond + k));
            route.gForces.append({int(std::lround(-longitudinal * kRawPerG)),
                                  int(std::lround(lateral * kRawPerG)),
                                  int(std::lround(roughness * kRawPerG))});
        }
    }
    return route;
}

} // namespace DemoDrive
