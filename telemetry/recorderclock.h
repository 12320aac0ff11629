#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <QtGlobal>

#include <optional>

// How the recorder's clock relates to true time. The recorder names its clips after its own clock,
// set by hand to the local time of wherever the car is and drifting from there; the GPS sentences
// carry true UTC. Recorder times are kept as "naive" milliseconds: the recorder's wall-clock reading
// counted as if it were UTC, so that no zone of the computer reading the card gets in.
// Plain functions and values, safe on any thread.
namespace RecorderClock {

constexpr qint64 kZoneStepMs = 15 * 60 * 1000; // time zones are whole quarter hours

// The recorder's clock reading in a clip's name: the date and time after its "REC_"/"EVS_" prefix
// (any case), whatever follows them (cause marker, extension), as naive milliseconds. Nothing when
// the name carries no valid stamp.
std::optional<qint64> stampFromName(const QString &fileName);

// A naive time as a date and time without zone (its QDateTime is marked UTC), and back.
QDateTime naiveDateTime(qint64 recorderMs);
qint64 naiveMs(const QDateTime &wallClock);

// One fix of a clip: where it lies on the clip's time line, and the UTC the GPS gave for it.
struct FixTime
{
    qint64 clipMs = 0;
    qint64 utcMs = 0;

    friend bool operator==(const FixTime &, const FixTime &) = default;
};

// Where a clip's offset (recorder time − UTC) comes from.
enum class Source {
    Gps,      // the clip's own fixes
    Borrowed, // the nearest clip on the card with fixes
    Assumed,  // no fix on the card: the computer's (or the chosen) time zone, clock error unknown
};

struct Offset
{
    qint64 ms = 0;
    Source source = Source::Assumed;

    friend bool operator==(const Offset &, const Offset &) = default;
};

// The recorder's offset of a clip that starts at `recorderStartMs` (naive): recorder time minus GPS
// UTC, the median over its fixes, in whole seconds (the recorder's clock has no finer steps).
// Nothing without fixes.
std::optional<qint64> offsetFromFixes(qint64 recorderStartMs, const QList<FixTime> &fixes);

// The time-zone part of an offset (rounded to the nearest quarter hour) and the rest, the
// recorder's clock error (positive: the recorder is ahead).
qint64 zonePart(qint64 offsetMs);
qint64 clockError(qint64 offsetMs);

// The zone assumed for recorder times when the card has no fix: the computer's, or one chosen in
// the viewer's settings or on the command line.
class FallbackZone
{
public:
    FallbackZone(); // the computer's zone
    explicit FallbackZone(const QTimeZone &zone) : m_zone(zone) {}

    // "" or "system" (the computer's), "UTC" or "Z", a fixed offset ("+09:00", "+0930", "-5",
    // "UTC+9") or a zone name ("Asia/Seoul"). Nothing when the text names no zone.
    static std::optional<FallbackZone> fromText(const QString &text);
    // The zone a setting names; the computer's when the setting is empty or names no zone (logged).
    static FallbackZone fromSetting(const QString &text);

    // The offset of the zone's local time `recorderMs` (naive) from UTC, in ms.
    qint64 offsetAt(qint64 recorderMs) const;
    QTimeZone zone() const { return m_zone; }

private:
    QTimeZone m_zone;
};

// The offset each clip uses, given each clip's naive start and own offset (from its fixes): its
// own; else the own offset of the clip nearest in recorder time that has one (the earlier of two
// as near); else, on a card without any fix, the fallback zone's offset at the clip's start.
QList<Offset> resolveOffsets(const QList<qint64> &recorderStartsMs, const QList<std::optional<qint64>> &ownOffsetsMs,
                             const FallbackZone &fallback);

// The UTC moment and the car's local time of a naive recorder time under `offset`. The local time
// carries the zone part as its UTC offset.
qint64 utcOf(qint64 recorderMs, const Offset &offset);
QDateTime localTimeOf(qint64 recorderMs, const Offset &offset);

// Text forms: "2025-07-02T00:00:14Z" (with ".zzz" when `withMs`) and "+09:00".
QString isoUtc(qint64 utcMs, bool withMs = false);
QString offsetText(qint64 offsetMs);

} // namespace RecorderClock
