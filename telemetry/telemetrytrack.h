#pragma once

#include "telemetry/recorderclock.h"
#include "telemetry/telemetryrecord.h"
#include "telemetry/telemetrysample.h"

#include <QList>
#include <QObject>
#include <QString>

// The telemetry samples of the clip on screen, placed on the clip's time line, and the lookup of
// the sample that belongs to a playback position. The dashboard owns one; it gives it the clip
// path, loads the track once the duration is known and repaints on its signals. GUI thread only.
class TelemetryTrack : public QObject
{
    Q_OBJECT

public:
    explicit TelemetryTrack(QObject *parent = nullptr);

    void setClipPath(const QString &path) { m_clipPath = path; }
    QString clipPath() const { return m_clipPath; }

    // Reads the clip's telemetry and replaces the samples with it, stretched over `durationMs`
    // and aligned with the clip's end. Does nothing but set noPositionInClip when no path is set.
    void loadTrack(qint64 durationMs);
    // The same, read on a worker thread: the track empties now and the samples replace it when they
    // arrive (trackChanged), unless another load or a clear came first.
    void startLoading(qint64 durationMs);
    bool isLoading() const { return m_loading; }
    // Removes all samples (and drops a load under way).
    void clearTrack();
    // The samples of the clip at `path` for a clip of `durationMs`, as loadTrack places them.
    // Thread-safe.
    static QList<TelemetrySample> readTrack(const QString &path, qint64 durationMs);
    // Replaces the track with ready-made samples (times rising from 0), as a load would: a trip's
    // track, or a track for views and their tests without a clip file.
    void setSamples(const QList<TelemetrySample> &samples);
    // The last sample starting at or before `positionMs` (the last one past the end), or the
    // no-sample value; updates the current sample and gpsValid. While no track is ready it changes nothing.
    TelemetrySample sampleAt(qint32 positionMs);
    // The same lookup in samples placed as a load places them (times rising in equal steps from
    // 0). Thread-safe.
    static TelemetrySample sampleIn(const QList<TelemetrySample> &samples, qint64 positionMs);

    bool trackReady() const { return m_trackReady; }
    bool noPositionInClip() const { return m_noPositionInClip; }
    bool gpsValid() const { return m_gpsValid; }
    const QList<TelemetrySample> &samples() const { return m_samples; }
    // The GPS fixes of the loaded clip on its time line (for the recorder's clock offset).
    const QList<RecorderClock::FixTime> &fixes() const { return m_fixes; }
    // Accelerations and coordinates of the last sampleAt() answer (time and speed are not kept).
    const TelemetrySample &currentSample() const { return m_current; }

    // The samples `count` records give for a clip of `durationMs` (the timing rules of loadTrack).
    static QList<TelemetrySample> placeRecords(const RawTelemetryRecord *records, int count, qint64 durationMs);
    // The GPS fixes among the records, each at the time its first record gets on the same time line.
    static QList<RecorderClock::FixTime> placeFixes(const RawTelemetryRecord *records, int count, qint64 durationMs);

signals:
    void gpsValidChanged(bool valid);
    void trackChanged(); // samples replaced or removed

private:
    struct Loaded
    {
        QList<TelemetrySample> samples;
        QList<RecorderClock::FixTime> fixes;
    };
    static Loaded readWithFixes(const QString &path, qint64 durationMs);
    void beginLoad();

    QString m_clipPath;
    quint64 m_request = 0; // the load whose answer is awaited
    bool m_loading = false;
    QList<TelemetrySample> m_samples;
    QList<RecorderClock::FixTime> m_fixes;
    TelemetrySample m_current;
    bool m_trackReady = false;
    bool m_noPositionInClip = true;
    bool m_gpsValid = false;
};
