#include "telemetry/telemetrybatch.h"

void TelemetryBatch::addSample(const Triple &triple)
{
    if (sampleCount < kMaxSamples)
        samples[sampleCount++] = triple;
}

std::array<int, TelemetryBatch::kRecordsPerFlush> flushSelection(int count)
{
    constexpr int recordSlots = TelemetryBatch::kRecordsPerFlush;
    std::array<int, recordSlots> chosen{};
    if (count <= recordSlots) {
        // Repeat samples to fill the ten recordSlots: 5 samples give 0,0,1,1,2,2,3,3,4,4.
        for (int i = 0; i < recordSlots; ++i)
            chosen[i] = count * i / recordSlots;
        return chosen;
    }
    // Take the first sample of each tenth of the second: g is 10·i/count rounded half up.
    int taken = 0;
    int previous = -1;
    for (int i = 0; i < count && taken < recordSlots; ++i) {
        const int g = (2 * recordSlots * i + count) / (2 * count);
        if (g != previous) {
            chosen[taken++] = i;
            previous = g;
        }
    }
    return chosen;
}

void flushBatch(TelemetryBatch &batch, TelemetryRecords &records)
{
    if (batch.sampleCount == 0)
        return;
    for (int index : flushSelection(batch.sampleCount)) {
        if (batch.isFull())
            break;
        const TelemetryBatch::Triple &t = batch.samples[index];
        const TelemetryPosition &p = batch.position;
        records[batch.recordCount++] = RawTelemetryRecord{t.x, t.y, t.z, p.latMicro, p.latHemisphere,
                                                          p.lonMicro, p.lonHemisphere, p.speedKmh,
                                                          p.utcMs};
    }
    batch.sampleCount = 0;
}
