#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// What the telemetry shows happened to the car: a hard brake, a hard start, a sharp turn or an
// impact, with where it lies in its clip and how strong it was. Plain values, safe on any thread.

enum class EventKind { HardBrake, HardAcceleration, SharpTurn, Impact };

// "hard-brake", "hard-acceleration", "sharp-turn", "impact": the names the command line, the
// program's settings file and the viewer use.
QString eventKindName(EventKind kind);

struct DrivingEvent
{
    EventKind kind = EventKind::HardBrake;
    QString clip;         // path of the clip file; empty when found on bare samples
    qint64 offsetMs = 0;  // where the event begins, from the clip's start
    qint64 durationMs = 0;
    QDateTime timeUtc;    // when it began; invalid when the clip's name gives no time
    double peakG = 0;     // strongest force of the event (for an impact: the jump)
    std::optional<int> speedBeforeKmh; // from the GPS; none without a fix near the event
    std::optional<int> speedAfterKmh;

    friend bool operator==(const DrivingEvent &, const DrivingEvent &) = default;
};

// The thresholds of the detection. One table in drivingevent.cpp gives each one its key in the
// program's settings file ([events] group of viewer.conf), its default and the values it accepts.
struct EventThresholds
{
    EventThresholds(); // the defaults

    double hardBrakeG;            // deceleration held for 0.5 s
    double hardBrakeSpeedDropKmh; // or a GPS speed drop within one second
    double hardAccelerationG;     // forward force held for 0.5 s
    double sharpTurnG;            // lateral force held for 0.5 s
    double impactG;               // jump against the last second, over within 300 ms

    // The defaults with the overrides in `values` (key → text, as the settings file holds them).
    // A value that is no number in its key's range, and an unknown key, leave the defaults alone;
    // each is described in *rejected ("impact=abc: not a number from 0.1 to 2").
    static EventThresholds withOverrides(const QMap<QString, QString> &values, QStringList *rejected = nullptr);

    // These thresholds as an [events] group for the settings file, each after a comment line
    // saying what it is.
    QString settingsText() const;

    friend bool operator==(const EventThresholds &, const EventThresholds &) = default;
};

