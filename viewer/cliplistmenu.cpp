#include "viewer/cliplistmenu.h"

#include "base/messages.h"
#include "session/triplibrary.h"
#include "viewer/clipexporter.h"
#include "viewer/cliplist.h"
#include "viewer/triprow.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

ClipListMenu::ClipListMenu(MyListWidget *list, QWidget *window, TripLibrary *trips)
    : QObject(list)
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
        showForTrip(trip, globalPosition);
        return;
    }
    const QString path = MyListWidget::filePathOf(item);
    if (path.isEmpty())
        return;
    QMenu menu(m_window);
    menu.setObjectName(QStringLiteral("clipListContextMenu"));
    QAction *gpx = menu.addAction(QString::fromUtf8(kExportGpx));
    QAction *kml = menu.addAction(QString::fromUtf8(kExportKml));
    QAction *csv = menu.addAction(QString::fromUtf8(kExportCsv));
    menu.addSeparator();
    QAction *show = menu.addAction(QString::fromUtf8(kShowInFileManager));
    QAction *copy = menu.addAction(QString::fromUtf8(kCopyPath));
    // The item may go while the menu is open (a folder scan): only the path is used afterwards.
    QAction *chosen = menu.exec(globalPosition);
    if (chosen == gpx)
        m_exporter->exportClip(path, TrackExport::Format::Gpx);
    else if (chosen == kml)
        m_exporter->exportClip(path, TrackExport::Format::Kml);
    else if (chosen == csv)
        m_exporter->exportClip(path, TrackExport::Format::Csv);
    else if (chosen == show)
        showInFileManager(path);
    else if (chosen == copy)
        QGuiApplication::clipboard()->setText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

// The trip's telemetry as the card's index read it, its clips one after another in one track.
void ClipListMenu::showForTrip(int trip, const QPoint &globalPosition)
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
    // The trips may be read again while the menu is open: the trip is taken as it is now.
    const Trip chosenTrip = m_trips->trips().at(trip);
    const QList<TrackExport::Piece> pieces = m_trips->pieces(trip);
    QAction *chosen = menu.exec(globalPosition);
    for (const auto &[action, format] : exports) {
        if (chosen == action)
            m_exporter->exportTrip(pieces, TripRow::exportName(chosenTrip), TripRow::exportFileBase(chosenTrip), format);
    }
}

void ClipListMenu::showInFileManager(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        return;
    QMessageBox box(QMessageBox::Warning, Messages::viewerTitle(),
                    QStringLiteral("No file manager could be started for %1").arg(QDir::toNativeSeparators(folder)),
                    QMessageBox::Ok, m_window);
    box.exec();
}
