#include "cardfixture.h"

#include "generators/clipwriter/aviclipwriter.h"

#include <QDir>

namespace CardFixture {

QString writeClip(const QString &card, const ClipPlan &plan)
{
    ClipWriter::ClipDescription d;
    d.videoStreams = {ClipWriter::VideoStream{QSize(16, 16), {}, 50, 1}, ClipWriter::VideoStream{QSize(16, 16), {}, 50, 1}};
    d.framesPerSecond = 1;
    d.durationMs = plan.seconds * 1000;
    d.audioSampleRate = 1000;
    ClipWriter::TelemetryRoute route;
    route.startUtc = plan.recorderStart.addSecs(-plan.offsetSeconds.value_or(0));
    for (int s = 0; s < plan.seconds; ++s)
        route.positions.append({plan.latitude + s * plan.stepDegrees, 127.0});
    route.speedKnots = {plan.knots};
    route.accelSamplesPerSecond = 2;
    if (!plan.offsetSeconds) {
        for (int s = 0; s < plan.seconds; ++s)
            route.lostFixSeconds.insert(s);
    }
    d.route = route;
    const QString folder = card + QLatin1Char('/') + plan.folder;
    const QString path = folder + QLatin1Char('/') + plan.prefix
                         + plan.recorderStart.toString(QStringLiteral("'_'yyyy_MM_dd_HH_mm_ss")) + plan.suffix;
    return QDir().mkpath(folder) && ClipWriter::writeAviClip(path, d) ? path : QString();
}

} // namespace CardFixture
