#pragma once

#include "telemetry/cardevents.h"

#include <QDialog>
#include <QList>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// The list of the card's driving events, a window beside the viewer: the car's local time, the
// kind in its colour, the peak force, the speed before and after, and the clip with the place in
// it. It fills in while the card is read and keeps the chosen entry; choosing an entry (double
// click, Enter) asks for it to be played. Texts follow the interface language.
class EventsList : public QDialog
{
    Q_OBJECT

public:
    explicit EventsList(QWidget *parent);

    void setEvents(const QList<CardEvent> &events);
    // What the line under the list says: the card still being read (`done` of `total` clips), the
    // count found, or that no folder is open.
    void setProgress(bool hasFolder, bool finding, int done, int total);
    void setSpeedUnitKm(bool km);
    // Makes the first event of the clip at `path` the current entry; false when it has none.
    bool selectClip(const QString &path);
    void applyTexts();

signals:
    void chosen(const DrivingEvent &event);

private:
    void fill();
    void showStatus();
    QTreeWidgetItem *itemFor(const CardEvent &event) const;

    QTreeWidget *m_table;
    QLabel *m_status;
    QList<CardEvent> m_events;
    bool m_hasFolder = false;
    bool m_finding = false;
    int m_done = 0;
    int m_total = 0;
    bool m_speedUnitKm = true;
};
