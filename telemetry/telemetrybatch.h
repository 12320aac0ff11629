#pragma once

#include "telemetry/telemetrydecoding.h"
#include "telemetry/telemetryrecord.h"

#include <array>

// The reader's working state for one file: the acceleration samples of the current second, the
// position of the last sentence, and the records written so far.
struct TelemetryBatch
{
    struct Triple
    {
        qint16 x = 0;
        qint16 y = 0;
        qint16 z = 0;
    };
    static constexpr int kMaxSamples = 60; // later samples of the same second are dropped
    static constexpr int kRecordsPerFlush = 10;

    std::array<Triple, kMaxSamples> samples{};
    int sampleCount = 0;
    TelemetryPosition position;
    int recordCount = 0;

    // Buffers one sample unless the second already holds kMaxSamples.
    void addSample(const Triple &triple);
    bool isFull() const { return recordCount >= kTelemetryCapacity; }
};

// Turns the buffered samples into ten records carrying the current position, appended to `records`
// from batch.recordCount on, and empties the buffer. Nothing happens without samples. Records past
// the capacity are dropped, so the first kTelemetryCapacity records stay as written.
void flushBatch(TelemetryBatch &batch, TelemetryRecords &records);

// Which buffered sample each of the ten records takes when `count` samples are buffered.
std::array<int, TelemetryBatch::kRecordsPerFlush> flushSelection(int count);
