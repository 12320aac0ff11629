#pragma once

#include "telemetry/telemetrysample.h"

#include <QList>
#include <QtGlobal>

#include <algorithm>

class Clip;

// A drive as the playback session plays it: its clips end to end on one time line, the telemetry
// along that time line and where its event clips start on it. A value; the clips are held by
// pointer (their owner keeps them while the plan may play).
struct TripPlan
{
    struct Part
    {
        Clip *clip = nullptr;
        qint64 offsetMs = 0; // where the clip starts on the time line
        qint64 lengthMs = 0; // its length as the card's index read it
    };

    // The part that plays at a moment of the time line and the position inside it.
    struct Place
    {
        int part = 0;
        qint64 positionMs = 0;
    };

    QList<Part> parts;
    qint64 lengthMs = 0;
    QList<TelemetrySample> samples; // times on the trip's time line
    QList<qint64> eventOffsetsMs;   // the trip's event clips, where they start on the time line

    // The first part before 0, the last one past the end; inside a part, at most its length.
    Place placeOf(qint64 ms) const
    {
        int part = 0;
        while (part + 1 < parts.size() && parts.at(part + 1).offsetMs <= ms)
            ++part;
        if (parts.isEmpty())
            return {};
        const Part &p = parts.at(part);
        return {part, std::clamp<qint64>(ms - p.offsetMs, 0, std::max<qint64>(0, p.lengthMs))};
    }

    int indexOf(const Clip *clip) const
    {
        for (int i = 0; i < parts.size(); ++i) {
            if (parts.at(i).clip == clip)
                return i;
        }
        return -1;
    }
};
