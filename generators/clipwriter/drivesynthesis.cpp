#include "generators/clipwriter/drivesynthesis.h"

#include "generators/clipwriter/aviclipwriter.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace ClipWriter {

namespace {

constexpr double kGravity = 9.80665;
constexpr double kRawPerG = 128;
constexpr double kMetresPerDegreeLatitude = 111320.0;

struct Vector
{
    double x = 0;
    double y = 0;
    double z = 0;
};

// The pushes acting at time `t`, summed.
Vector pushesAt(const QList<Push> &pushes, double t)
{
    Vector sum;
    for (const Push &push : pushes) {
        if (t >= push.atSeconds && t < push.atSeconds + push.seconds) {
            sum.x += push.forwardG;
            sum.y += push.leftG;
            sum.z += push.upG;
        }
    }
    return sum;
}

// What the mounted sensor reads for the force `car` (g, car's frame, gravity included).
Vector mounted(const DriveScenario &scenario, const Vector &car)
{
    const double pitch = qDegreesToRadians(scenario.pitchDegrees);
    const double roll = qDegreesToRadians(scenario.rollDegrees);
    Vector v;
    v.x = car.x * std::cos(pitch) + car.z * std::sin(pitch);
    const double z = -car.x * std::sin(pitch) + car.z * std::cos(pitch);
    v.y = car.y * std::cos(roll) + z * std::sin(roll);
    v.z = -car.y * std::sin(roll) + z * std::cos(roll);
    if (scenario.mountedBackwards) {
        v.x = -v.x;
        v.y = -v.y;
    }
    return v;
}

int raw(double g)
{
    return std::clamp(int(std::lround(g * kRawPerG)), -127, 128);
}

} // namespace

SynthesizedDrive synthesizeDrive(const DriveScenario &scenario)
{
    SynthesizedDrive drive;
    drive.samplesPerSecond = std::max(1, scenario.samplesPerSecond);
    QRandomGenerator random(scenario.seed);
    const auto noise = [&random, &scenario] { return (random.generateDouble() * 2 - 1) * scenario.noiseG; };
    const double dt = 1.0 / drive.samplesPerSecond;
    const double heading = qDegreesToRadians(scenario.headingDegrees);
    double metresPerSecond = scenario.startKmh / 3.6;
    RoutePoint position = scenario.start;
    for (int second = 0; second < scenario.seconds; ++second) {
        drive.speedKmh.append(metresPerSecond * 3.6);
        drive.positions.append(position);
        for (int i = 0; i < drive.samplesPerSecond; ++i) {
            const Vector push = pushesAt(scenario.pushes, second + i * dt);
            // The sensor feels the pushes and the road holding the car up against gravity.
            const Vector reading = mounted(scenario, {push.x, push.y, push.z + 1});
            // Calibrated level at rest: 1 g up reads as 0.
            drive.forces.append({raw(reading.x + noise()), raw(reading.y + noise()), raw(reading.z - 1 + noise())});
            metresPerSecond = std::max(0.0, metresPerSecond + push.x * kGravity * dt);
            const double metres = metresPerSecond * dt;
            position.latitude += metres * std::cos(heading) / kMetresPerDegreeLatitude;
            position.longitude += metres * std::sin(heading)
                                  / (kMetresPerDegreeLatitude * std::cos(qDegreesToRadians(position.latitude)));
        }
    }
    return drive;
}

TelemetryRoute routeOf(const SynthesizedDrive &drive, bool gps)
{
    TelemetryRoute route;
    route.positions = drive.positions;
    for (double kmh : drive.speedKmh)
        route.speedKnots.append(kmh / 1.852);
    route.gForces = drive.forces;
    route.accelSamplesPerSecond = drive.samplesPerSecond;
    if (!gps) {
        for (int second = 0; second < drive.speedKmh.size(); ++second)
            route.lostFixSeconds.insert(second);
    }
    return route;
}

bool writeDriveClip(const QString &path, const SynthesizedDrive &drive, const QDateTime &startUtc, bool gps,
                    QString *error)
{
    ClipDescription d;
    d.videoStreams = {VideoStream{QSize(16, 16), {}, 50, 1}};
    d.framesPerSecond = 1;
    d.durationMs = int(drive.speedKmh.size()) * 1000;
    d.audioSampleRate = 1000;
    d.route = routeOf(drive, gps);
    d.route->startUtc = startUtc;
    if (!QDir().mkpath(QFileInfo(path).path())) {
        if (error)
            *error = QStringLiteral("cannot make the folder of %1").arg(path);
        return false;
    }
    return writeAviClip(path, d, error);
}

} // namespace ClipWriter
