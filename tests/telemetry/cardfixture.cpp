#include "cardfixture.h"

#include "generators/clipwriter/aviclipwriter.h"

#include <QDir>

namespace CardFixture {

QString writeClip(const QString &card, const ClipSpec &spec)
{
    ClipWriter::ClipDescription d;
    d.videoStreams = {ClipWriter::VideoStream{QSize(16, 16), {}, 50, 1}, ClipWriter::VideoStream{QSize(16, 16), {}, 50, 1}};
    d.framesPerSecond = 1;
    d.durationMs = spec.seconds * 1000;
    d.audioSampleRate = 1000;
    ClipWriter::TelemetryRoute route;
    route.startUtc = spec.recorderStart.addSecs(-spec.offsetSeconds.value_or(0));
    for (int s = 0; s < spec.seconds; ++s)
        route.positions.append({spec.latitude + s * spec.stepDegrees, 127.0});
    route.speedKnots = {spec.knots};
    route.accelSamplesPerSecond = 2;
    if (!spec.offsetSeconds) {
        for (int s = 0; s < spec.seconds; ++s)
            route.lostFixSeconds.insert(s);
    }
    d.route = route;
    const QString folder = card + QLatin1Char('/') + spec.folder;
    const QString path = folder + QLatin1Char('/') + spec.prefix
                         + spec.recorderStart.toString(QStringLiteral("'_'yyyy_MM_dd_HH_mm_ss")) + spec.suffix;
    return QDir().mkpath(folder) && ClipWriter::writeAviClip(path, d) ? path : QString();
}

} // namespace CardFixture
