#pragma once

#include "telemetry/drivingevent.h"

#include <QColor>
#include <QFont>
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

// The strip x nearest to `x` (a drag that leaves the strip sideways stays at its end).
int clampToStrip(int x, const QRect &widgetRect);
// "mm:ss" of a position, as the timeline's pointer label shows it.
QString pointerTimeText(int positionMs);
// Where the pointer's time label of size `label` goes on a strip `width` wide for the pointer at x:
// right of the pointer, or left of it where the strip ends, centred on the strip's height.
QRect pointerLabelRect(int x, int width, const QSize &label);

// The boxes the panel's values are drawn in, for a panel at x0.
enum class TextField { PlayTime, Rate, Model, Date, AccelX, AccelY, AccelZ, Latitude, Longitude };
constexpr TextField kTextFields[] = {TextField::PlayTime, TextField::Rate,   TextField::Model,
                                     TextField::Date,     TextField::AccelX, TextField::AccelY,
                                     TextField::AccelZ,   TextField::Latitude, TextField::Longitude};
QRect textBox(TextField field, int x0);
// `font`, made smaller in half points until `text` fits `box` in height and width (not below 6
// points): fonts of some desktops are too tall for the skin's boxes.
QFont fittedFont(const QFont &font, const QString &text, const QSize &box);

// Texts of the panel: an acceleration in g (128 raw units to 1 g, 3 significant digits) and a
// coordinate in degrees (6 significant digits).
QString accelerationText(int raw);
QString coordinateText(double degrees);

} // namespace Dashboard
