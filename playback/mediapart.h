#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// One clip's share of an exported range: the clip file and the stretch of its own time line that
// goes out. The parts of a range follow one another on the output's time line.
struct MediaPart
{
    QString path;
    qint64 fromMs = 0;
    qint64 toMs = 0; // > fromMs

    qint64 lengthMs() const { return toMs - fromMs; }

    friend bool operator==(const MediaPart &, const MediaPart &) = default;
};

// The output's length: the parts' lengths added up.
inline qint64 totalLengthMs(const QList<MediaPart> &parts)
{
    qint64 total = 0;
    for (const MediaPart &part : parts)
        total += part.lengthMs();
    return total;
}

// Where `outputMs` on the output's time line lies: the part and the position on that clip's own
// time line (the last part past the end). Part -1 for no parts.
struct PartPosition
{
    int part = -1;
    qint64 clipMs = 0;
};

inline PartPosition partPosition(const QList<MediaPart> &parts, qint64 outputMs)
{
    qint64 start = 0;
    for (int i = 0; i < parts.size(); ++i) {
        const MediaPart &part = parts.at(i);
        if (outputMs < start + part.lengthMs() || i + 1 == parts.size())
            return {i, part.fromMs + qMax<qint64>(0, outputMs - start)};
        start += part.lengthMs();
    }
    return {};
}
