#pragma once

#include <QtGlobal>

#include <array>
#include <optional>

// One raw record of the recorder's telemetry as the file reader hands it over: ten records per
// second of recording, accelerations already decoded, position as the recorder wrote it.
struct RawTelemetryRecord
{
    qint16 accelX = 0;
    qint16 accelY = 0;
    qint16 accelZ = 0;
    qint32 latMicro = 0;    // latitude magnitude in millionths of a degree, 0 without a fix
    char latHemisphere = 0; // 'N' or 'S' as written; 'N' without a fix
    qint32 lonMicro = 0;    // longitude magnitude in millionths of a degree, 0 without a fix
    char lonHemisphere = 0; // 'E' or 'W' as written; 'E' without a fix; 0 when the field was empty
    qint32 speedKmh = 0;    // whole km/h, 0 without a fix
    std::optional<qint64> fixUtcMs; // UTC of the position sentence (ms since 1970), only with a fix

    friend bool operator==(const RawTelemetryRecord &, const RawTelemetryRecord &) = default;
};

// Records one clip can hold: 65 seconds at ten records per second.
constexpr int kTelemetryCapacity = 650;

using TelemetryRecords = std::array<RawTelemetryRecord, kTelemetryCapacity>;
