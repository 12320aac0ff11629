#pragma once

// The source side of an export pipeline: for every part a file source and its demuxer, whose
// streams wait in held queues until the whole pipeline is built. Each part's demuxer is sent to its
// stretch of the clip as soon as it has announced its streams, while nothing has flowed yet; the
// owner then links the held queues to what it built and releases them. Built and driven on the
// owner's thread; the demuxers' pad callbacks only link and post.
#include "playback/gsthandles_p.h"
#include "playback/mediapart.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

class PartSource
{
public:
    // Where a part starts: on the key frame at or before its start (copying without decoding), or
    // exactly there (decoders drop the pictures before it).
    enum class Cut { KeyFrame, Exact };
    // The application message a part's demuxer posts when it has announced its streams; its field
    // "part" numbers the part.
    static constexpr const char *PartAnnounced = "qrd7700-part-announced";
    // The application message a held stream posts when its end has passed.
    static constexpr const char *StreamEnded = "qrd7700-stream-ended";
    // The streams an export carries, by the demuxers' pad names: two video channels and the sound.
    static const QStringList &streamNames();

    PartSource(GstElement *pipeline, const QList<MediaPart> &parts, Cut cut);

    // Adds each part's file source, demuxer and held queues. False (see errorString) when a clip
    // cannot be read or an element is missing.
    bool add();
    // A part's demuxer has announced its streams: sends it to its stretch. False when it refused.
    bool partAnnounced(int part);
    bool allAnnounced() const;

    // The streams of the first part, which the output carries.
    QStringList streams() const;
    // The held queue's output of `stream` in `part`; null when that part lacks the stream.
    Gst::PadPtr output(int part, const QString &stream) const;
    // Streams nobody linked drain into fake sinks; then the held data flows. Returns how many held
    // streams there are, each of which posts StreamEnded at its end (once or more).
    int release();
    // Whether the first part's pictures reached its start: a range past the clip's end does not.
    bool reachedStart() const;

    QString errorString() const { return m_error; }
    QStringList missingPlugins() const { return m_missing; }

private:
    static GstPadProbeReturn onFirstPictures(GstPad *pad, GstPadProbeInfo *info, gpointer self);
    GstElement *addElement(const char *factory, const QString &name);
    GstElement *queueOf(int part, const QString &stream) const;
    bool fail(const QString &why);

    GstElement *m_pipeline; // not owned
    QList<MediaPart> m_parts;
    Cut m_cut;
    QList<bool> m_announced;
    QString m_error;
    QStringList m_missing;
    std::atomic<qint64> m_firstPartEndNs{-1};
};

// Helpers for export pipelines' probes and builders.
namespace ExportGst {

// The running time of `buffer` arriving at `pad` (from the pad's segment); -1 when unknown.
qint64 runningTime(GstPad *pad, GstBuffer *buffer);

// A new element added to `bin`, or null (its factory named in *missing) when it is not installed.
GstElement *addElement(GstElement *bin, const char *factory, const QString &name, QStringList *missing);

// Links `element`'s static "src" pad to `target`; false when they do not fit.
bool linkTo(GstElement *element, GstPad *target);

// A request pad of `element` from its template `name` ("sink_%u", "video_%u"), a reference.
Gst::PadPtr requestPad(GstElement *element, const char *name);

} // namespace ExportGst
