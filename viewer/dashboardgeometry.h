#pragma once

#include "telemetry/drivingevent.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <QStringList>

// Layout and number rules of the telemetry dashboard (WidgetProgressA), as pure functions of the
// widget's size and values.
namespace Dashboard {

constexpr int kPanelWidth = 642;
constexpr int kCentringWidth = 657;
constexpr int kStripHeight = 36;
constexpr int kStripMaxY = 40; // events below this row are not strip events
constexpr int kSegmentCount = 24;
constexpr int kMaxShownSpeed = 241;
constexpr double kKmPerMile = 1.609;

// Left edge of the centred panel: (width − 657) / 2 when wider than 657, else 0.
int panelX0(int width);
// The speed shown: km/h as given, or ⌊kmh / 1.609⌋ miles per hour when positive.
int displaySpeed(int speedKmh, bool unitKm);
// Lit segments of a shown speed: one per 10, at most 24, none for negative values.
int litSegments(int shownSpeed);
// Rectangle of segment k (0 … 23) for a panel at x0.
QRect segmentRect(int k, int x0);

// Digits of a shown speed; -1 means the digit is not drawn (leading zeros of hundreds and tens).
struct SpeedDigits
{
    int hundreds = -1;
    int tens = -1;
    int units = 0;
};
SpeedDigits speedDigits(int shownSpeed);

// "mm:ss/mm:ss" of position and range end; minutes are not wrapped at 60.
QString timeText(int positionMs, int rangeEndMs);

// The playback speed beside the play time: "×2", "×0.5"; empty at normal speed.
QString rateText(double rate);

// x of the position marker on the strip.
int markerX(int positionMs, int rangeEndMs, int width);

// The strip's bands, top down: the event marks, then the acceleration graph.
constexpr int kMarkTop = 2;
constexpr int kMarkHeight = 7;
constexpr int kMarkMinWidth = 3; // a short event still shows
constexpr int kGraphTop = 11;
constexpr int kGraphRest = 23;   // row of a force of 0
constexpr int kGraphBottom = 35;

// Acceleration graph: the number of sample slots across the strip, n = rangeEnd / 100 (or the
// sample count when the range is empty), never more than the sample count.
int graphSlots(int rangeEndMs, int sampleCount);
// x of slot boundary i on a strip w pixels wide with n slots: i·w/n rounded half up.
int graphX(qint64 i, int w, int n);
// y of an acceleration value (raw units, 128 to 1 g): rest on row 23, a positive force above it and
// a negative one below, 12 rows to the sensor's full 1 g, kept within the graph's band.
int graphY(int value);

// A driving event marked on the strip: where it begins and how long it lasts, in ms of the time
// range, and its kind (which gives its colour).
struct EventMark
{
    qint64 startMs = 0;
    qint64 durationMs = 0;
    EventKind kind = EventKind::HardBrake;

    friend bool operator==(const EventMark &, const EventMark &) = default;
};
// Where a mark is drawn on a strip `width` wide: in the marks' band, from the x the position marker
// has at its start to the x of its end, at least kMarkMinWidth wide and inside the widget. Empty
// without a time range.
QRect markRect(const EventMark &mark, int rangeEndMs, int width);
// The colour of a kind of event, the same on the strip and in the events list.
QColor eventColour(EventKind kind);

// The strip area of a widget rectangle (edges included).
QRect stripArea(const QRect &widgetRect);
// The clip position of a release at releaseX: (end − start) × (releaseX − 2) / (width − 14), the
// product taken in 64 bits. 0 for a strip too narrow to map.
int releasePosition(int rangeStartMs, int rangeEndMs, int releaseX, int width);

// Texts of the panel: an acceleration in g (128 raw units to 1 g, 3 significant digits) and a
// coordinate in degrees (6 significant digits).
QString accelerationText(int raw);
QString coordinateText(double degrees);

} // namespace Dashboard
