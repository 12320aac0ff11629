#include "telemetry/drivingevent.h"

#include "telemetry/trackexport.h"

#include <cmath>

namespace {

struct Threshold
{
    const char *key;
    double EventThresholds::*value;
    double defaultValue;
    double minimum;
    double maximum;
    const char *meaning;
};

// The sensor reads at most 1 g each way, so a jump can reach 2 g; a GPS speed drop of more than
// 60 km/h within one second is a glitch of the fix, never braking (see eventdetection.cpp).
const Threshold kThresholds[] = {
    {"hard-brake", &EventThresholds::hardBrakeG, 0.4, 0.1, 2, "deceleration held for 0.5 s, g"},
    {"hard-brake-speed-drop", &EventThresholds::hardBrakeSpeedDropKmh, 15, 1, 60,
     "or a GPS speed drop within one second, km/h"},
    {"hard-acceleration", &EventThresholds::hardAccelerationG, 0.35, 0.1, 2, "forward force held for 0.5 s, g"},
    {"sharp-turn", &EventThresholds::sharpTurnG, 0.45, 0.1, 2, "lateral force held for 0.5 s, g"},
    {"impact", &EventThresholds::impactG, 0.8, 0.1, 2,
     "jump on any axis against the last second, over within 300 ms, g"},
};

} // namespace

QString eventKindName(EventKind kind)
{
    switch (kind) {
    case EventKind::HardBrake:
        return QStringLiteral("hard-brake");
    case EventKind::HardAcceleration:
        return QStringLiteral("hard-acceleration");
    case EventKind::SharpTurn:
        return QStringLiteral("sharp-turn");
    case EventKind::Impact:
        break;
    }
    return QStringLiteral("impact");
}

EventThresholds::EventThresholds()
{
    for (const Threshold &threshold : kThresholds)
        this->*threshold.value = threshold.defaultValue;
}

EventThresholds EventThresholds::withOverrides(const QMap<QString, QString> &values, QStringList *rejected)
{
    EventThresholds thresholds;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const Threshold *match = nullptr;
        for (const Threshold &threshold : kThresholds) {
            if (it.key() == QLatin1String(threshold.key))
                match = &threshold;
        }
        QString problem;
        if (!match) {
            problem = QStringLiteral("unknown threshold");
        } else {
            bool ok = false;
            const double value = it.value().trimmed().toDouble(&ok);
            if (ok && std::isfinite(value) && value >= match->minimum && value <= match->maximum)
                thresholds.*match->value = value;
            else
                problem = QStringLiteral("not a number from %1 to %2").arg(match->minimum).arg(match->maximum);
        }
        if (!problem.isEmpty() && rejected)
            rejected->append(it.key() + QLatin1Char('=') + it.value() + QLatin1String(": ") + problem);
    }
    return thresholds;
}

QString EventThresholds::settingsText() const
{
    QString text = QStringLiteral("[events]\n");
    for (const Threshold &threshold : kThresholds) {
        text += QStringLiteral("; %1 (default %2)\n%3=%4\n")
                    .arg(QLatin1String(threshold.meaning), QString::number(threshold.defaultValue),
                         QLatin1String(threshold.key), QString::number(this->*threshold.value));
    }
    return text;
}
