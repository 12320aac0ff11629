// The dashboard's parts for long time lines: a trip's dense G graph, its event clips on the strip,
// and the note on the recorder's clock.
#include "viewer/widgetprogressa.h"

#include "telemetry/telemetrytrack.h"
#include "viewer/dashboardgeometry.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <climits>

namespace {

const QColor kAxisColours[] = {QColor(255, 0, 0), QColor(255, 255, 0), QColor(0, 0, 255)};
const QColor kTripEventColour(255, 90, 200); // apart from the three axes' colours
const QColor kNoteColour(255, 160, 40);      // the meter's orange, as the playback speed

} // namespace

// A trip's track holds many samples per pixel: each column shows the range of the forces that fall
// into it, drawn once per axis, instead of a line per sample.
void WidgetProgressA::paintDenseGraph(QPainter &painter, const QList<TelemetrySample> &samples, int w, int n) const
{
    const qint64 count = std::min<qint64>(n, samples.size());
    for (int axis = 0; axis < 3; ++axis) {
        painter.setPen(kAxisColours[axis]);
        qint64 i = 0;
        for (int x = 0; x < w && i < count; ++x) {
            int low = INT_MAX;
            int high = INT_MIN;
            for (; i < count && Dashboard::graphX(i, w, n) <= x; ++i) {
                const TelemetrySample &sample = samples.at(i);
                const int y = Dashboard::graphY(axis == 0 ? sample.accelX : axis == 1 ? sample.accelY : sample.accelZ);
                low = std::min(low, y);
                high = std::max(high, y);
            }
            if (low <= high)
                painter.drawLine(x, low, x, high);
        }
    }
}

void WidgetProgressA::setTripEvents(const QList<qint64> &offsetsMs)
{
    if (offsetsMs == m_tripEvents)
        return;
    m_tripEvents = offsetsMs;
    update();
}

// The trip's event clips: a small flag rising from the strip's bottom edge where each one starts.
void WidgetProgressA::paintTripEvents(QPainter &painter) const
{
    if (m_tripEvents.isEmpty() || m_timeRangeEnd <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kTripEventColour);
    const int bottom = Dashboard::kStripHeight - 1;
    for (qint64 offset : m_tripEvents) {
        const int x = Dashboard::markerX(int(std::min<qint64>(offset, m_timeRangeEnd)), m_timeRangeEnd, width());
        const QPointF flag[3] = {QPointF(x - 4, bottom), QPointF(x + 4, bottom), QPointF(x, bottom - 7)};
        painter.drawPolygon(flag, 3);
    }
    painter.restore();
}

void WidgetProgressA::setClockNote(const QString &text)
{
    if (text == m_clockNote)
        return;
    m_clockNote = text;
    update();
}

// Under the date, where the recorder's time is read: the clock's error, in the rate's orange, on
// two lines when it does not fit on one, the amount kept whole on the second ("Recorder clock" /
// "1 min 15 s fast").
void WidgetProgressA::paintClockNote(QPainter &painter, int x0) const
{
    if (m_clockNote.isEmpty())
        return;
    const QRect box(x0 + 550, 122, 110, 40);
    QString text = m_clockNote;
    if (QFontMetrics(font()).horizontalAdvance(text) > box.width()) {
        const qsizetype amount = text.indexOf(QRegularExpression(QStringLiteral(" \\d")));
        if (amount > 0)
            text[amount] = QLatin1Char('\n');
    }
    painter.save();
    painter.setFont(font());
    painter.setPen(kNoteColour);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
    painter.restore();
}
