#include "viewer/widgetprogressa.h"

#include "resources/gfxpaths.h"
#include "skin/skinfont.h"
#include "telemetry/telemetrytrack.h"
#include "viewer/dashboardgeometry.h"

#include <QDate>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>

Q_LOGGING_CATEGORY(lcDashboard, "qrd7700.viewer.dashboard")

namespace {

constexpr int kAnimationIntervalMs = 2000;
constexpr int kMeterOffsetX = -23;
constexpr int kMeterY = 71;
// A dark grey that reads on the light value boxes (contrast above 4.5 to 1).
const QColor kTextColour(40, 40, 40);
const QColor kRateColour(255, 160, 40); // the meter's orange: a speed other than normal stands out
const QColor kAxisColours[] = {QColor(255, 0, 0), QColor(255, 255, 0), QColor(0, 0, 255)};
// The range to export on the strip: a light band, its marks in green.
const QColor kExportRangeColour(120, 220, 120, 70);
const QColor kExportMarkColour(60, 230, 90);

QPixmap image(const QString &name)
{
    return QPixmap(Gfx::path(name));
}

} // namespace

WidgetProgressA::WidgetProgressA(QWidget *parent)
    : QWidget(parent)
    , m_background(image(QStringLiteral("marlow_main_widget_bg.png")))
    , m_meterFace(image(QStringLiteral("speed_meter1.png")))
    , m_gpsOn(image(QStringLiteral("gps_on.png")))
    , m_unitKm(image(QStringLiteral("km.png")))
    , m_unitMph(image(QStringLiteral("mph.png")))
    , m_playTimeBox(image(QStringLiteral("playtime.png")))
    , m_modelBox(image(QStringLiteral("model.png")))
    , m_dateBox(image(QStringLiteral("date.png")))
    , m_marker(image(QStringLiteral("progress_bar.png")))
{
    for (int k = 0; k < int(m_segments.size()); ++k)
        m_segments[k] = image(QStringLiteral("s%1.png").arg(k + 1));
    for (int d = 0; d < int(m_digits.size()); ++d)
        m_digits[d] = image(QStringLiteral("%1.png").arg(d));
    setFont(skinFont(8));
    setMouseTracking(true); // the pointer's time label follows the pointer over the strip
    m_animationTimer.setInterval(kAnimationIntervalMs);
    connect(&m_animationTimer, &QTimer::timeout, this, &WidgetProgressA::OnTimeoutAnimation);
    showModel(clipModel(QString()));
}

WidgetProgressA::~WidgetProgressA() = default;

void WidgetProgressA::setSpeed(int kmh)
{
    if (kmh == m_speed)
        return;
    if (kmh >= 0)
        m_speed = kmh;
    if (m_speed > Dashboard::kMaxShownSpeed)
        m_speed = 0;
    update();
}

void WidgetProgressA::setSpeedUnitKm(bool unitKm)
{
    if (unitKm == m_speedUnitKm)
        return;
    m_speedUnitKm = unitKm;
    update();
}

void WidgetProgressA::setGpsValid(bool valid)
{
    if (valid == m_gpsValid)
        return;
    m_gpsValid = valid;
    update();
}

void WidgetProgressA::setTimeRange(int startMs, int endMs)
{
    if (endMs < startMs || (startMs == m_timeRangeStart && endMs == m_timeRangeEnd))
        return;
    m_timeRangeStart = startMs;
    m_timeRangeEnd = endMs;
    rebuildTimeText();
    m_timeTextStale = true;
}

void WidgetProgressA::setTimePosition(int positionMs)
{
    if (!m_timeTextStale
        && (positionMs == m_timePosition || positionMs < m_timeRangeStart || positionMs > m_timeRangeEnd))
        return;
    const bool stale = m_timeTextStale;
    m_timePosition = positionMs;
    const QString before = m_timeText;
    rebuildTimeText();
    if (stale) {
        update();
        return;
    }
    // Ten times a second while playing: only the strip (marker) and the play time change.
    update(QRect(0, 0, width(), Dashboard::kStripHeight));
    if (m_timeText != before)
        update(Dashboard::textBox(Dashboard::TextField::PlayTime, Dashboard::panelX0(width())));
}

void WidgetProgressA::rebuildTimeText()
{
    m_timeText = Dashboard::timeText(m_timePosition, m_timeRangeEnd);
}

void WidgetProgressA::setDateText(const QString &text)
{
    m_dateText = text;
}

void WidgetProgressA::setPlaybackRate(double rate)
{
    const QString text = Dashboard::rateText(rate);
    if (text == m_rateText)
        return;
    m_rateText = text;
    update();
}

void WidgetProgressA::setClipPath(const QString &path)
{
    showModel(path.isEmpty() ? DeviceModel::NoModel : clipModel(path));
}

// The model shown is decided by the card that holds the clip on screen (the rule the settings
// editor follows too); before the first clip, by whether a recorder card is present.
void WidgetProgressA::showModel(DeviceModel model)
{
    m_modelText = model == DeviceModel::Main ? QStringLiteral("QRD-7700") : QStringLiteral("unknown");
}

void WidgetProgressA::setDashboardEnabled(bool enabled)
{
    setEnabled(enabled);
    if (enabled) {
        m_animationTimer.start();
        return;
    }
    m_animationTimer.stop();
    m_current = TelemetrySample();
    update();
}

void WidgetProgressA::resetDashboard()
{
    m_animationTimer.stop();
    setSpeed(0);
    setGpsValid(false);
}

void WidgetProgressA::OnTimeoutAnimation()
{
    update();
}

void WidgetProgressA::followTrack(const TelemetryTrack *track)
{
    disconnect(m_trackConnection);
    m_track = track;
    if (track)
        m_trackConnection = connect(track, &TelemetryTrack::trackChanged, this, &WidgetProgressA::onTrackChanged);
    onTrackChanged();
}

const TelemetryTrack *WidgetProgressA::track() const
{
    return m_track;
}

// A track that starts loading or is emptied belongs to another clip: the values shown and the
// strip's seeking go with it.
void WidgetProgressA::onTrackChanged()
{
    if (!m_track || m_track->samples().isEmpty()) {
        if (m_track && m_track->isLoading())
            m_current = TelemetrySample();
        m_dragging = false;
        m_scrubbing = false;
        m_dragPoint = QPoint();
        m_releasePoint = QPoint();
    }
    update();
}

void WidgetProgressA::showSample(const TelemetrySample &sample)
{
    m_current = sample.forcesAndPosition();
    setGpsValid(isUsablePosition(sample.latitude, sample.longitude));
    update();
}

bool WidgetProgressA::noPositionInClip() const
{
    return !m_track || m_track->noPositionInClip();
}

void WidgetProgressA::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int x0 = Dashboard::panelX0(width());
    paintBackground(painter, x0);
    paintMeter(painter, x0);
    paintGraph(painter);
    paintExportMarks(painter);
    paintEventMarks(painter);
    paintTripEvents(painter);
    paintMarker(painter);
    paintTexts(painter, x0);
    paintClockNote(painter, x0);
    paintPointerLabel(painter);
    m_timeTextStale = false;
}

void WidgetProgressA::paintBackground(QPainter &painter, int x0) const
{
    using namespace Dashboard;
    painter.drawPixmap(QRect(0, 0, width(), kStripHeight), m_background, QRect(0, 0, kPanelWidth, kStripHeight));
    const QRect panel(0, kStripHeight, kPanelWidth, 250);
    painter.drawPixmap(panel.translated(x0, 0), m_background, panel);
}

void WidgetProgressA::paintMeter(QPainter &painter, int x0) const
{
    const int mx = x0 + kMeterOffsetX;
    const int my = kMeterY;
    if (isEnabled())
        painter.drawPixmap(QRect(mx + 250, my + 1, 184, 184), m_meterFace);
    if (m_gpsValid)
        painter.drawPixmap(QRect(mx + 370, my + 120, 43, 43), m_gpsOn);
    if (m_speedUnitKm)
        painter.drawPixmap(QRect(mx + 349, my + 108, 24, 13), m_unitKm);
    else
        painter.drawPixmap(QRect(mx + 333, my + 108, 36, 13), m_unitMph);

    const int shown = Dashboard::displaySpeed(m_speed, m_speedUnitKm);
    for (int k = 0; k < Dashboard::litSegments(shown); ++k)
        painter.drawPixmap(Dashboard::segmentRect(k, x0), m_segments[k]);
    const Dashboard::SpeedDigits digits = Dashboard::speedDigits(shown);
    const QSize digitSize(20, 23);
    if (digits.hundreds >= 0)
        painter.drawPixmap(QRect(QPoint(mx + 309, my + 79), digitSize), m_digits[digits.hundreds]);
    if (digits.tens >= 0)
        painter.drawPixmap(QRect(QPoint(mx + 333, my + 79), digitSize), m_digits[digits.tens]);
    painter.drawPixmap(QRect(QPoint(mx + 357, my + 79), digitSize), m_digits[digits.units]);

    painter.drawPixmap(QRect(mx + 36, my + 15, 82, 16), m_playTimeBox);
    painter.drawPixmap(QRect(mx + 36, my + 42, 82, 29), m_modelBox);
    painter.drawPixmap(QRect(mx + 571, my + 15, 82, 30), m_dateBox);
}

void WidgetProgressA::paintGraph(QPainter &painter) const
{
    if (!m_track)
        return;
    const QList<TelemetrySample> &samples = m_track->samples();
    const int w = width() - 2;
    const int n = Dashboard::graphSlots(m_timeRangeEnd, int(samples.size()));
    if (n <= 0)
        return;
    if (n > 2 * w) {
        paintDenseGraph(painter, samples, w, n);
        return;
    }
    int previous[3] = {0, 0, 0};
    for (qsizetype i = 0; i < samples.size(); ++i) {
        const int x1 = Dashboard::graphX(i, w, n);
        const int x2 = Dashboard::graphX(i + 1, w, n);
        const int values[3] = {samples[i].accelX, samples[i].accelY, samples[i].accelZ};
        for (int axis = 0; axis < 3; ++axis) {
            painter.setPen(kAxisColours[axis]);
            painter.drawLine(x1, Dashboard::graphY(previous[axis]), x2, Dashboard::graphY(values[axis]));
            previous[axis] = values[axis];
        }
    }
}

void WidgetProgressA::setEventMarks(const QList<Dashboard::EventMark> &marks)
{
    if (marks == m_eventMarks)
        return;
    m_eventMarks = marks;
    update();
}

// Each mark a bar in its kind's colour, in a band of its own above the graph, so that neither
// hides the other.
void WidgetProgressA::paintEventMarks(QPainter &painter) const
{
    for (const Dashboard::EventMark &mark : m_eventMarks) {
        const QRect place = Dashboard::markRect(mark, m_timeRangeEnd, width());
        if (!place.isEmpty())
            painter.fillRect(place, Dashboard::eventColour(mark.kind));
    }
}

// While the strip is dragged the marker stays with the pointer, wherever the pictures are.
void WidgetProgressA::paintMarker(QPainter &painter) const
{
    const int shown = m_dragging && m_scrubbing ? m_scrubPosition : m_timePosition;
    const int x = Dashboard::markerX(shown, m_timeRangeEnd, width());
    painter.drawPixmap(x, 2, m_marker);
    painter.fillRect(QRect(x, 2, 1, 33), Qt::white);
}

void WidgetProgressA::setExportMarks(std::optional<qint64> in, std::optional<qint64> out)
{
    m_markIn = in;
    m_markOut = out;
    update(QRect(0, 0, width(), Dashboard::kStripHeight));
}

// The range to export as a light band on the strip, each mark as a bracket facing into it.
void WidgetProgressA::paintExportMarks(QPainter &painter) const
{
    if (!m_markIn && !m_markOut)
        return;
    const auto x = [this](qint64 ms) { return Dashboard::markerX(int(ms), m_timeRangeEnd, width()); };
    const int left = x(std::min(m_markIn.value_or(0), m_markOut.value_or(m_timeRangeEnd)));
    const int right = x(std::max(m_markIn.value_or(0), m_markOut.value_or(m_timeRangeEnd)));
    const int bottom = Dashboard::kStripHeight - 2;
    painter.fillRect(QRect(QPoint(left, 2), QPoint(right, bottom)), kExportRangeColour);
    for (const std::optional<qint64> &mark : {m_markIn, m_markOut}) {
        if (!mark)
            continue;
        const int at = x(*mark);
        const int inward = at == left ? 4 : -4;
        painter.fillRect(QRect(at, 2, 2, bottom - 1), kExportMarkColour);
        painter.fillRect(QRect(std::min(at, at + inward), 2, 5, 2), kExportMarkColour);
        painter.fillRect(QRect(std::min(at, at + inward), bottom - 1, 5, 2), kExportMarkColour);
    }
}

void WidgetProgressA::paintTexts(QPainter &painter, int x0) const
{
    using Dashboard::TextField;
    painter.setPen(kTextColour);
    // Centred on the box's height, in a smaller size where the desktop's font is too tall or wide.
    const auto text = [this, &painter, x0](TextField field, const QString &value) {
        const QRect box = Dashboard::textBox(field, x0);
        painter.setFont(Dashboard::fittedFont(font(), value, box.size()));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, value);
    };
    text(TextField::PlayTime, m_timeText);
    if (!m_rateText.isEmpty()) {
        painter.setPen(kRateColour);
        text(TextField::Rate, m_rateText);
        painter.setPen(kTextColour);
    }
    text(TextField::Model, m_modelText);
    text(TextField::Date, m_dateText.isEmpty() ? QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd")) : m_dateText);
    text(TextField::AccelX, Dashboard::accelerationText(m_current.accelX));
    text(TextField::AccelY, Dashboard::accelerationText(m_current.accelY));
    text(TextField::AccelZ, Dashboard::accelerationText(m_current.accelZ));
    if (m_current.latitude != 0)
        text(TextField::Latitude, Dashboard::coordinateText(m_current.latitude));
    if (m_current.longitude != 0)
        text(TextField::Longitude, Dashboard::coordinateText(m_current.longitude));
}

