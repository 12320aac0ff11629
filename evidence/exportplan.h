#pragma once

#include "evidence/shownmoment.h"
#include "playback/mediapart.h"
#include "telemetry/cliptelemetry.h"
#include "telemetry/drivingevent.h"
#include "telemetry/recorderclock.h"
#include "telemetry/trackexport.h"

#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

class CardIndex;
struct Trip;

// One clip's share of an export: the stretch of its time line that goes out, the clip's telemetry
// and the recorder's clock offset that gives its true time.
struct ExportPart
{
    MediaPart media;
    ClipTelemetry telemetry;     // the whole clip's, on its own time line
    RecorderClock::Offset clock; // recorder time − UTC
    qint64 fileSize = 0;

    QString name() const { return telemetry.summary.name; }
};

// What one export takes: the stretches of the clips that make up the range, the moment the printed
// page shows and the driving events inside the range. A value, safe on any thread.
struct ExportPlan
{
    QList<ExportPart> parts;
    int momentPart = 0;
    qint64 momentMs = 0;        // on the moment's clip's time line
    QString title;              // of the documents
    QString model = QStringLiteral("unknown"); // the recorder, as the dashboard names it
    bool speedUnitKm = true;
    QList<DrivingEvent> events; // inside the range, their offsets on their clips' time lines

    QList<MediaPart> mediaParts() const;
    qint64 lengthMs() const;
    // Where a part begins on the range's time line.
    qint64 partStartMs(int part) const;
    // The range's telemetry as one track whose time line starts at the range's start.
    QList<TrackExport::Piece> pieces() const;
    // What the page and the overlay show at `clipMs` of part `part`.
    ShownMoment momentAt(int part, qint64 clipMs) const;
    ShownMoment moment() const { return momentAt(momentPart, momentMs); }
    // Puts the page's moment at `rangeMs` on the range's time line (kept inside the range).
    void setMoment(qint64 rangeMs);
    // About how many bytes the folder takes: the originals, their share in the segment, the
    // overlay video when asked, the documents.
    qint64 estimatedBytes(bool overlay) const;
};

Q_DECLARE_METATYPE(ExportPlan)

namespace ExportPlanning {

struct Options
{
    RecorderClock::FallbackZone zone; // for a clip or card without a GPS fix
    EventThresholds thresholds;
    QString model = QStringLiteral("unknown");
    bool speedUnitKm = true;
};

// Seconds into a clip or trip as the documents write them: "0:01.500", "1:02:03.000".
QString rangeTime(qint64 ms);

// `fromMs` … `toMs` of the clip at `path` (an end past the clip's is its end). Reads the clip's
// header and telemetry: call it off the GUI thread. Nothing, with *error set, when the clip has no
// known length or the range lies outside it.
std::optional<ExportPlan> forClip(const QString &path, qint64 fromMs, qint64 toMs, const Options &options,
                                  QString *error);
// `fromMs` … `toMs` on the time line of `trip`, one of the trips of `index`.
std::optional<ExportPlan> forTrip(const CardIndex &index, const Trip &trip, qint64 fromMs, qint64 toMs,
                                  const Options &options, QString *error);

} // namespace ExportPlanning
