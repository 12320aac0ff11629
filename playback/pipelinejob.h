#pragma once

#include "playback/mediapart.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <memory>

class PartSource;
struct _GstElement;
struct _GstMessage;
struct _GstPad;

// One run of an export pipeline over the parts of a range: the parts' demuxers announce their
// streams, the subclass builds the rest, and the pipeline runs without a clock to its end. Its
// file is written under a temporary name beside the output and takes the output's name only when
// everything went well; a failed or cancelled run leaves nothing behind. Driven by bus messages on
// the thread that owns it (which needs an event loop), which never waits for the pipeline.
class PipelineJob : public QObject
{
    Q_OBJECT

public:
    ~PipelineJob() override;

    // Starts the run. False at once (see errorString) when it cannot start; otherwise finished()
    // or failed() follows.
    bool start();
    // Stops at once and removes what was written; no signal follows.
    void cancel();
    bool isRunning() const { return m_pipeline != nullptr; }
    // 0 … 1, along the output's time line.
    double progress() const;
    QString errorString() const { return m_error; }
    // Elements or decoders that were needed and are not installed.
    QStringList missingPlugins() const { return m_missing; }
    QString outputPath() const { return m_output; }

Q_SIGNALS:
    void progressChanged(double fraction);
    void finished();
    void failed(const QString &reason);

protected:
    enum class Cut { KeyFrame, Exact };
    // `outputPath` empty: the subclass keeps what it makes in memory.
    PipelineJob(const QList<MediaPart> &parts, const QString &outputPath, Cut cut, QObject *parent);

    // Adds the rest of the pipeline to the parts' held streams (the pipeline is PAUSED). The
    // file to write, when there is one, is temporaryPath(). False when it cannot be built.
    virtual bool complete(_GstElement *pipeline, PartSource &source) = 0;
    // True when the pipeline runs to its end (writers); false when it only prerolls and the
    // subclass calls succeed() itself.
    virtual bool runsToEnd() const { return true; }
    // Called when the run has reached its end: what is wrong with its result, empty when nothing.
    virtual QString checkResult() { return QString(); }

    const QList<MediaPart> &parts() const { return m_parts; }
    // How long the output may stand still before the run counts as stuck (a minute by default).
    void setStallLimit(int ms) { m_stallTicks = qMax(1, ms / kTickMs); }
    QString temporaryPath() const { return m_temporary; }
    // The buffers passing `pad` mark how far the output has come (its running time); a run in
    // which none passes has written nothing.
    void watchOutput(_GstPad *pad);
    // Thread-safe, for probes: the output has reached `runningNs` on its time line.
    void reached(qint64 runningNs);
    // Ends the run: the written file takes the output's name, then finished(). / The run failed.
    void succeed();
    void fail(const QString &reason);
    void addMissing(const QStringList &names);

private:
    void takeMessage(quint64 generation, _GstMessage *message);
    void partAnnounced(int part);
    void tick();
    void release();
    void watchBus();

    QList<MediaPart> m_parts;
    QString m_output;
    QString m_temporary;
    Cut m_cut;
    _GstElement *m_pipeline = nullptr;
    std::unique_ptr<PartSource> m_source;
    quint64 m_generation = 0;
    std::atomic<qint64> m_reachedNs{-1};
    qint64 m_lastReachedNs = -1;
    static constexpr int kTickMs = 200;
    int m_stallTicks = 60000 / kTickMs;
    int m_idleTicks = 0;
    int m_streams = 0;            // held streams
    QSet<QString> m_streamsEnded; // … that have ended, by their queues' names
    QTimer m_ticker;   // progress, and the watchdog of a run that stopped moving
    QTimer m_deadline; // the demuxers announce their streams
    QString m_error;
    QStringList m_missing;
};
