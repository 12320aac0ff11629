#pragma once

#include <QObject>
#include <QPointer>

class ClipExporter;
class QAction;
class MyListWidget;
class QListWidgetItem;
class QMenu;
class QPoint;
class TripLibrary;

// The clip list's context menu: the export of a moment of the clip as an evidence folder, exports
// of the clip's telemetry (GPX, KML, CSV), the card's driving events, showing the clip in the file
// manager and copying its path; on a trip's row, the exports of the whole trip and its driving
// events. Opens on the list's request (right click, Menu key).
class ClipListMenu : public QObject
{
    Q_OBJECT

public:
    // The menu's texts, as shown.
    static constexpr const char *kExportGpx = "Export route as GPX…";
    static constexpr const char *kExportKml = "Export route as KML…";
    static constexpr const char *kExportCsv = "Export telemetry as CSV…";
    static constexpr const char *kShowInFileManager = "Show in file manager";
    static constexpr const char *kCopyPath = "Copy path";

    // Menus and dialogs open over `window`; `trips` gives the trips of the trip view's rows.
    ClipListMenu(MyListWidget *list, QWidget *window, TripLibrary *trips);

    ClipExporter *exporter() const { return m_exporter; }

public slots:
    // Shows the menu for `item` at `globalPosition` and carries out the chosen entry.
    void showFor(QListWidgetItem *item, const QPoint &globalPosition);

signals:
    // The events list was asked for from the entry of the clip at `path`.
    void eventsRequested(const QString &path);
    // The evidence export of the clip at `path` was chosen.
    void exportRequested(const QString &path);

private:
    void showForTrip(QListWidgetItem *item, int trip, const QPoint &globalPosition);
    QAction *addEventsEntry(QMenu &menu);

    void showInFileManager(const QString &path);

    MyListWidget *m_list;
    QPointer<QWidget> m_window;
    TripLibrary *m_trips;
    ClipExporter *m_exporter;
};
