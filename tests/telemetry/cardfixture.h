#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// Small recorder clips written onto a test card, named by the recorder's clock and carrying GPS
// sentences whose UTC lies a given offset behind it.
namespace CardFixture {

struct ClipPlan
{
    QString folder = QStringLiteral("REC"); // below the card
    QString prefix = QStringLiteral("REC"); // "REC" or "EVS"
    QString suffix = QStringLiteral(".avi"); // with a cause marker for events: "_I.avi"
    QDateTime recorderStart;                // naive (marked UTC): the stamp in the name
    int seconds = 10;
    std::optional<qint64> offsetSeconds;    // recorder − UTC; no fix at all when empty
    double latitude = 37.5;                 // at the clip's start, moving north each second
    double stepDegrees = 0.0001;
    double knots = 20;
};

// Writes the clip below `card` and returns its path (empty on failure).
QString writeClip(const QString &card, const ClipPlan &plan);

} // namespace CardFixture
