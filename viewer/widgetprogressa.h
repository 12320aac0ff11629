#pragma once

#include "settings/devicecard.h"
#include "telemetry/telemetrysample.h"
#include "viewer/dashboardgeometry.h"

#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <optional>

class TelemetryTrack;

// The telemetry dashboard under the video: a timeline strip (acceleration graph, position marker,
// seeking with the mouse) above a skinned panel with the speed meter, play time, recorder model,
// date, accelerations and coordinates. It draws the graph of the telemetry track it follows and
// shows the samples it is given. GUI thread only.
class WidgetProgressA : public QWidget
{
    Q_OBJECT

public:
    explicit WidgetProgressA(QWidget *parent = nullptr);
    ~WidgetProgressA() override;
    QSize sizeHint() const override { return QSize(642, 250); }

    // Speed in km/h; negative values are not stored, values above 241 show as 0.
    void setSpeed(int kmh);
    int speed() const { return m_speed; }
    void setSpeedUnitKm(bool unitKm);
    bool speedUnitKm() const { return m_speedUnitKm; }
    void setGpsValid(bool valid);
    bool gpsValid() const { return m_gpsValid; }
    // Clip time range in ms; ignored when end < start.
    void setTimeRange(int startMs, int endMs);
    // Playback position in ms; ignored outside the range unless the range has just changed.
    void setTimePosition(int positionMs);
    QString timeText() const { return m_timeText; }
    void setDateText(const QString &text);
    // The playback speed, shown beside the play time while it is not 1.0.
    void setPlaybackRate(double rate);
    QString rateText() const { return m_rateText; }
    // The clip on screen: the model is shown only for a clip on the recorder's card.
    void setClipPath(const QString &path);
    QString modelText() const { return m_modelText; }
    // Enables the panel and its 2 s repaint timer, or disables both and clears the current sample.
    void setDashboardEnabled(bool enabled);
    bool isAnimating() const { return m_animationTimer.isActive(); }
    // Stops the repaint timer and leaves everything else as it is (playback paused or ended).
    void stopAnimation() { m_animationTimer.stop(); }
    void resetDashboard();

    // The track whose graph the strip draws, repainted whenever it changes; a track emptied ends
    // the strip's seeking. It must outlive the dashboard or be replaced first; null for none.
    void followTrack(const TelemetryTrack *track);
    const TelemetryTrack *track() const;
    // Shows the accelerations and coordinates of `sample` and lights the GPS indicator when its
    // position is usable (time and speed are not shown from here).
    void showSample(const TelemetrySample &sample);
    // The followed track holds no position at all (true without a track).
    bool noPositionInClip() const;
    // Accelerations and coordinates shown on the panel (time and speed unused).
    const TelemetrySample &currentSample() const { return m_current; }
    // The position under the pointer while it rests on the timeline strip (its label shows it).
    std::optional<int> pointerPosition() const;
    // The in and out marks of the range to export (ms of the time range): the strip shows the range
    // between them (from the start or to the end when one is missing); none without marks.
    void setExportMarks(std::optional<qint64> in, std::optional<qint64> out);

    // The driving events marked above the graph, in ms of the time range.
    void setEventMarks(const QList<Dashboard::EventMark> &marks);

    // Where the event clips of the trip on screen start on its time line (ms), marked on the strip;
    // empty for none.
    void setTripEvents(const QList<qint64> &offsetsMs);
    const QList<qint64> &tripEvents() const { return m_tripEvents; }
    // A note on the recorder's clock under the date ("Recorder clock 1 min 15 s fast"); empty for
    // none.
    void setClockNote(const QString &text);
    QString clockNote() const { return m_clockNote; }

signals:
    // A release on the timeline strip chose this position (ms of the time range).
    void clicked(int positionMs);
    // A drag along the strip is at this position; a clicked() ends the drag.
    void scrubbed(int positionMs);

public slots:
    void OnTimeoutAnimation();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // Scrubbing and the pointer's time label, beside the strip's click rules.
    void scrubTo(int x);
    bool finishScrub(QMouseEvent *event);
    bool hoverAt(const QPoint &pos);
    void paintPointerLabel(QPainter &painter) const;
    void showModel(DeviceModel model);
    void rebuildTimeText();
    void paintBackground(QPainter &painter, int x0) const;
    void paintMeter(QPainter &painter, int x0) const;
    void paintGraph(QPainter &painter) const;
    void paintDenseGraph(QPainter &painter, const QList<TelemetrySample> &samples, int w, int n) const;
    void paintEventMarks(QPainter &painter) const;
    void paintMarker(QPainter &painter) const;
    void paintExportMarks(QPainter &painter) const;
    void paintTexts(QPainter &painter, int x0) const;
    void paintTripEvents(QPainter &painter) const;
    void paintClockNote(QPainter &painter, int x0) const;
    void onTrackChanged();

    QPointer<const TelemetryTrack> m_track;
    QMetaObject::Connection m_trackConnection;
    QTimer m_animationTimer;

    QPixmap m_background;
    QPixmap m_meterFace;
    QPixmap m_gpsOn;
    QPixmap m_unitKm;
    QPixmap m_unitMph;
    std::array<QPixmap, 24> m_segments;
    std::array<QPixmap, 10> m_digits;
    QPixmap m_playTimeBox;
    QPixmap m_modelBox;
    QPixmap m_dateBox;
    QPixmap m_marker;

    int m_timeRangeStart = 0;
    int m_timeRangeEnd = 0;
    int m_timePosition = 0;
    QString m_timeText = QStringLiteral("00:00/00:00");
    bool m_timeTextStale = false;
    QString m_modelText = QStringLiteral("unknown");
    QString m_dateText;
    QString m_rateText;
    int m_speed = 0;
    bool m_speedUnitKm = true;
    bool m_gpsValid = false;
    TelemetrySample m_current; // accelerations and position shown on the panel
    QList<Dashboard::EventMark> m_eventMarks;
    QList<qint64> m_tripEvents;
    QString m_clockNote;

    std::optional<qint64> m_markIn;
    std::optional<qint64> m_markOut;

    bool m_dragging = false;
    QPoint m_dragPoint;
    QPoint m_releasePoint;
    bool m_scrubbing = false;       // the drag has moved along the strip
    int m_scrubPosition = 0;        // where it is, in ms
    std::optional<int> m_pointerX;  // the pointer resting on the strip
};
