#include "viewer/cliplistmenu.h"

#include "base/exportmessages.h"
#include "base/messages.h"
#include "session/triplibrary.h"
#include "viewer/clipexporter.h"
#include "viewer/cliplist.h"
#include "viewer/filemanager.h"
#include "viewer/triprow.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>

ClipListMenu::ClipListMenu(MyListWidget *list, QWidget *window, TripLibrary *trips)
    : QObject(list)
    , m_list(list)
    , m_window(window)
    , m_trips(trips)
    , m_exporter(new ClipExporter(window, this))
{
    setObjectName(QStringLiteral("clipListMenu"));
    connect(list, &MyListWidget::contextMenuRequested, this, &ClipListMenu::showFor);
}

void ClipListMenu::showFor(QListWidgetItem *item, const QPoint &globalPosition)
{
    if (const int trip = MyListWidget::tripOf(item); trip >= 0) {
        showForTrip(item, trip, globalPosition);
        return;
    }
    const QString path = MyListWidget::filePathOf(item);
    if (path.isEmpty())
        return;
    QMenu menu(m_window);
    menu.setObjectName(QStringLiteral("clipListContextMenu"));
    QAction *evidence = menu.addAction(Messages::exportMenuEntry());
    menu.addSeparator();
    QAction *gpx = menu.addAction(QString::fromUtf8(kExportGpx));
    QAction *kml = menu.addAction(QString::fromUtf8(kExportKml));
    QAction *csv = menu.addAction(QString::fromUtf8(kExportCsv));
    QAction *events = addEventsEntry(menu);
    menu.addSeparator();
    QAction *show = menu.addAction(QString::fromUtf8(kShowInFileManager));
    QAction *copy = menu.addAction(QString::fromUtf8(kCopyPath));
    // The item may go while the menu is open (a folder scan): only the path is used afterwards.
    m_list->setMenuItem(item);
    QAction *chosen = menu.exec(globalPosition);
    m_list->setMenuItem(nullptr);
    if (chosen == evidence)
        emit exportRequested(path);
    else if (chosen == gpx)
        m_exporter->exportClip(path, TrackExport::Format::Gpx);
    else if (chosen == kml)
        m_exporter->exportClip(path, TrackExport::Format::Kml);
    else if (chosen == csv)
        m_exporter->exportClip(path, TrackExport::Format::Csv);
    else if (chosen == events)
        emit eventsRequested(path);
    else if (chosen == show)
        showInFileManager(path);
    else if (chosen == copy)
        QGuiApplication::clipboard()->setText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

// The trip's telemetry as the card's index read it, its clips one after another in one track.
void ClipListMenu::showForTrip(QListWidgetItem *item, int trip, const QPoint &globalPosition)
{
    if (!m_trips || trip >= m_trips->trips().size())
        return;
    QMenu menu(m_window);
    menu.setObjectName(QStringLiteral("clipListContextMenu"));
    const QList<QPair<QAction *, TrackExport::Format>> exports = {
        {menu.addAction(QString::fromUtf8(kExportGpx)), TrackExport::Format::Gpx},
        {menu.addAction(QString::fromUtf8(kExportKml)), TrackExport::Format::Kml},
        {menu.addAction(QString::fromUtf8(kExportCsv)), TrackExport::Format::Csv},
    };
    QAction *events = addEventsEntry(menu);
    // The trips may be read again while the menu is open: the trip is taken as it is now.
    const Trip chosenTrip = m_trips->trips().at(trip);
    const QList<TrackExport::Piece> pieces = m_trips->pieces(trip);
    m_list->setMenuItem(item);
    QAction *chosen = menu.exec(globalPosition);
    m_list->setMenuItem(nullptr);
    for (const auto &[action, format] : exports) {
        if (chosen == action)
            m_exporter->exportTrip(pieces, TripRow::exportName(chosenTrip), TripRow::exportFileBase(chosenTrip), format);
    }
    if (chosen == events)
        emit eventsRequested(chosenTrip.clips.first().clip.path);
}

QAction *ClipListMenu::addEventsEntry(QMenu &menu)
{
    menu.addSeparator();
    QAction *events = menu.addAction(Messages::eventsMenuEntry());
    events->setObjectName(QStringLiteral("eventsEntry"));
    return events;
}

void ClipListMenu::showInFileManager(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (FileManager::showFolder(folder))
        return;
    QMessageBox box(QMessageBox::Warning, Messages::viewerTitle(),
                    Messages::noFileManager(QDir::toNativeSeparators(folder)), QMessageBox::Ok, m_window);
    box.exec();
}
