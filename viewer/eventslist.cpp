#include "viewer/eventslist.h"

#include "base/messages.h"
#include "skin/dialogpalette.h"
#include "viewer/dashboardgeometry.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace {

enum Column { TimeColumn, KindColumn, PeakColumn, SpeedColumn, ClipColumn, ColumnCount };

QString kindText(EventKind kind)
{
    switch (kind) {
    case EventKind::HardBrake:
        return Messages::hardBrake();
    case EventKind::HardAcceleration:
        return Messages::hardAcceleration();
    case EventKind::SharpTurn:
        return Messages::sharpTurn();
    case EventKind::Impact:
        break;
    }
    return Messages::impact();
}

// A square in the kind's colour, as its marks on the timeline are drawn.
QIcon kindIcon(EventKind kind)
{
    QPixmap swatch(12, 12);
    swatch.fill(Qt::transparent);
    QPainter painter(&swatch);
    painter.fillRect(QRect(1, 1, 10, 10), Dashboard::eventColour(kind));
    return QIcon(swatch);
}

QString speedText(const std::optional<int> &kmh, bool unitKm)
{
    if (!kmh)
        return QStringLiteral("–");
    return QString::number(Dashboard::displaySpeed(*kmh, unitKm));
}

// Where in its clip the event begins: "0:15".
QString placeText(qint64 offsetMs)
{
    const qint64 seconds = offsetMs / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The same event, whatever its times (a later part of the card may give its clip a better clock).
bool sameEvent(const DrivingEvent &a, const DrivingEvent &b)
{
    return a.clip == b.clip && a.offsetMs == b.offsetMs && a.kind == b.kind;
}

} // namespace

EventsList::EventsList(QWidget *parent)
    : QDialog(parent)
    , m_table(new QTreeWidget(this))
    , m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("eventsList"));
    setModal(false);
    m_table->setObjectName(QStringLiteral("eventsTable"));
    m_table->setColumnCount(ColumnCount);
    m_table->setRootIsDecorated(false);
    m_table->setUniformRowHeights(true);
    m_table->setAllColumnsShowFocus(true);
    m_table->header()->setStretchLastSection(true);
    m_status->setObjectName(QStringLiteral("eventsStatus"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(m_status);
    resize(640, 360);
    connect(m_table, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        const qsizetype index = item->data(TimeColumn, Qt::UserRole).toLongLong();
        if (index < 0 || index >= m_events.size())
            return;
        // A copy: what the choice sets off may well fill the list afresh.
        const DrivingEvent event = m_events.at(index).event;
        emit chosen(event);
    });
    applyTexts();
    DialogPalette::applyTo(this);
}

void EventsList::setEvents(const QList<CardEvent> &events)
{
    m_events = events;
    fill();
    showStatus();
}

void EventsList::setProgress(bool hasFolder, bool finding, int done, int total)
{
    m_hasFolder = hasFolder;
    m_finding = finding;
    m_done = done;
    m_total = total;
    showStatus();
}

void EventsList::setSpeedUnitKm(bool km)
{
    if (km == m_speedUnitKm)
        return;
    m_speedUnitKm = km;
    applyTexts();
}

bool EventsList::selectClip(const QString &path)
{
    for (int row = 0; row < m_table->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = m_table->topLevelItem(row);
        if (m_events.at(item->data(TimeColumn, Qt::UserRole).toLongLong()).event.clip == path) {
            m_table->setCurrentItem(item);
            m_table->scrollToItem(item);
            return true;
        }
    }
    return false;
}

void EventsList::applyTexts()
{
    setWindowTitle(Messages::eventsListTitle());
    QStringList headings = Messages::eventsListColumns();
    headings[SpeedColumn] += m_speedUnitKm ? QStringLiteral(" (km/h)") : QStringLiteral(" (mph)");
    m_table->setHeaderLabels(headings);
    fill();
    showStatus();
}

// The entries afresh; the current one stays current when it is still there.
void EventsList::fill()
{
    std::optional<DrivingEvent> current;
    if (QTreeWidgetItem *item = m_table->currentItem()) {
        const qsizetype index = item->data(TimeColumn, Qt::UserRole).toLongLong();
        if (index >= 0 && index < m_events.size())
            current = m_events.at(index).event;
    }
    m_table->clear();
    QList<QTreeWidgetItem *> items;
    for (qsizetype i = 0; i < m_events.size(); ++i) {
        QTreeWidgetItem *item = itemFor(m_events.at(i));
        item->setData(TimeColumn, Qt::UserRole, qlonglong(i));
        items.append(item);
    }
    m_table->addTopLevelItems(items);
    for (int column = 0; column < ClipColumn; ++column)
        m_table->resizeColumnToContents(column);
    if (!current)
        return;
    for (qsizetype i = 0; i < m_events.size(); ++i) {
        if (sameEvent(m_events.at(i).event, *current)) {
            m_table->setCurrentItem(items.at(i));
            break;
        }
    }
}

QTreeWidgetItem *EventsList::itemFor(const CardEvent &entry) const
{
    const DrivingEvent &event = entry.event;
    auto *item = new QTreeWidgetItem;
    item->setText(TimeColumn, entry.localTime.isValid()
                                  ? entry.localTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                  : QStringLiteral("–"));
    if (event.timeUtc.isValid())
        item->setToolTip(TimeColumn, event.timeUtc.toString(Qt::ISODate));
    item->setText(KindColumn, kindText(event.kind));
    item->setIcon(KindColumn, kindIcon(event.kind));
    item->setText(PeakColumn, QStringLiteral("%1 g").arg(std::round(event.peakG * 100) / 100, 0, 'f', 2));
    item->setText(SpeedColumn, speedText(event.speedBeforeKmh, m_speedUnitKm) + QStringLiteral(" → ")
                                   + speedText(event.speedAfterKmh, m_speedUnitKm));
    item->setText(ClipColumn,
                  QStringLiteral("%1 (%2)").arg(QFileInfo(event.clip).fileName(), placeText(event.offsetMs)));
    item->setToolTip(ClipColumn, event.clip);
    return item;
}

void EventsList::showStatus()
{
    if (!m_hasFolder)
        m_status->setText(Messages::eventsNoFolder());
    else if (m_finding)
        m_status->setText(Messages::eventsReading(m_done, m_total));
    else
        m_status->setText(Messages::eventsFound(int(m_events.size()), m_total));
}
