// qrd7700-screenshots: plays a clip of a card in the real viewer window and saves pictures of the
// window at its default size and maximized, for the documentation; then the map pane with the
// clip's route (also as it is offline), the clip list's context menu, the printed page (a PDF, and
// a PNG of it when poppler's pdftoppm is installed), the window's notice that it was saved, and the
// export of the 10 s around the moment: the dialog, the window with the marks and the progress bar,
// a picture of the overlay video. Unless QRD7700_MAP_TILES names a tile server, the map shows
// blank tiles, so that it can zoom in to the route without one.
//   qrd7700-screenshots CARD CLIPNAME SECONDS OUTDIR
// With --window NAME only the window is saved, as NAME.png, in the language QRD7700_LANG (or the
// stored one, or the desktop's) chooses; --rate R plays at that speed first:
//   qrd7700-screenshots --window NAME [--rate R] FOLDER CLIPNAME SECONDS OUTDIR
// With --trips NAME the window shows the card's drives (the trip view) and plays the drive that
// holds CLIPNAME from SECONDS into that clip, saved as NAME.png:
//   qrd7700-screenshots --trips NAME FOLDER CLIPNAME SECONDS OUTDIR
// With --events the timeline with the marks of the clip's driving events, and the events list:
//   qrd7700-screenshots --events FOLDER CLIPNAME OUTDIR
#include "base/language.h"
#include "base/preferences.h"
#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "session/playbacksession.h"
#include "session/cliplibrary.h"
#include "session/eventfinder.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "viewer/cliplist.h"
#include "viewer/cliplistmenu.h"
#include "viewer/dashboardgeometry.h"
#include "viewer/eventslist.h"
#include "viewer/mainwindow.h"
#include "viewer/mapview.h"
#include "viewer/widgetprogressa.h"
#include "tools/screenshots/exportpictures.h"
#include "tools/screenshots/shotwindow.h"
#include "skin/dialogpalette.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QEventLoop>
#include <QMessageBox>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <functional>

using namespace Shots;

namespace {

// A blank 256-pixel map tile with a faint grid, as a data address.
QByteArray blankTileUrl()
{
    QImage tile(256, 256, QImage::Format_RGB32);
    tile.fill(QColor(0xf2, 0xef, 0xe9));
    QPainter painter(&tile);
    painter.setPen(QColor(0xe0, 0xdc, 0xd4));
    for (int at = 0; at < 256; at += 64) {
        painter.drawLine(at, 0, at, 255);
        painter.drawLine(0, at, 255, at);
    }
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    tile.save(&buffer, "PNG");
    return "data:image/png;base64," + png.toBase64();
}

// The map pane with the route, the marker one second further on.
void saveMapWithRoute(MainWindow &window, const QDir &out)
{
    const PlaybackSession *session = playback(window);
    window.OnSlotsProgress(session->isOpen() ? int(session->position()) + 1000 : 0);
    runFor(2000);
    grabMap(*window.findChild<MapView *>()).save(out.filePath(QStringLiteral("map-route.png")));
}

// The map pane as it is without any tile server: the clip's route and the marker over the plain
// background, zoomed in to the route, with the scale bar and the offline note.
void saveOfflineMap(MainWindow &window, const QDir &out)
{
    PlaybackSession *session = playback(window);
    const QByteArray tiles = qgetenv("QRD7700_MAP_TILES");
    qputenv("QRD7700_MAP_TILES", "");
    MapView map;
    map.resize(window.findChild<MapView *>()->size());
    map.show();
    runFor(1500); // the page takes its tile configuration while it loads
    qputenv("QRD7700_MAP_TILES", tiles);
    map.setRoute(session->track().samples());
    if (const std::optional<TelemetrySample> sample = session->sampleAt(session->position()))
        map.setPosition(sample->latitude, sample->longitude);
    runFor(1500);
    grabMap(map).save(out.filePath(QStringLiteral("map-offline.png")));
}

// The window with the context menu of `row` open over it.
void saveContextMenu(MainWindow &window, int row, const QDir &out)
{
    MyListWidget *list = clipList(window);
    auto *menu = window.findChild<ClipListMenu *>();
    if (!menu || row >= list->count())
        return;
    QTimer::singleShot(500, [&window, out] {
        auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!popup)
            return;
        // The window and the menu, also where the menu reaches past the window's edge.
        const QPixmap frame = window.grab();
        const QRect menuRect(window.mapFromGlobal(popup->pos()), popup->size());
        const QRect canvas = QRect(QPoint(0, 0), frame.size()).united(menuRect);
        QImage shot(canvas.size(), QImage::Format_RGB32);
        shot.fill(Qt::white);
        QPainter painter(&shot);
        painter.drawPixmap(-canvas.topLeft(), frame);
        painter.drawPixmap(menuRect.topLeft() - canvas.topLeft(), popup->grab());
        painter.end();
        shot.save(out.filePath(QStringLiteral("clip-menu.png")));
        popup->close();
    });
    const QRect entry = list->visualItemRect(list->item(row));
    menu->showFor(list->item(row), list->viewport()->mapToGlobal(entry.center()));
}

// The printed page as a PDF, and as a PNG when pdftoppm is there.
void savePrintedPage(MainWindow &window, const QDir &out)
{
    const QString pdf = out.filePath(QStringLiteral("evidence-page.pdf"));
    QTimer::singleShot(500, [pdf] {
        if (auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget())) {
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(pdf);
            dialog->done(QDialog::Accepted);
        }
    });
    window.OnSlotsprint();
    // The window's notice that the page was saved, with its button to the folder.
    runFor(500);
    grabWindow(window).save(out.filePath(QStringLiteral("saved-notice.png")));
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (!pdftoppm.isEmpty())
        QProcess::execute(pdftoppm, {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"),
                                     QStringLiteral("-singlefile"), pdf, out.filePath(QStringLiteral("evidence-page"))});
}

// The language QRD7700_LANG, the stored one or the desktop's chooses, for our texts and Qt's.
void useStoredLanguage()
{
    QString code;
    readStoredLanguage(code);
    setCurrentLanguage(code);
    installQtTranslations(code);
}

// The window alone, playing the clip at `rate`, saved as NAME.png.
int saveWindowOnly(const QString &name, double rate, const QStringList &args)
{
    useStoredLanguage();
    MainWindow window(nullptr, Qt::FramelessWindowHint);
    QListWidgetItem *clip = showCard(window, args.at(0), args.at(1));
    if (!clip)
        return 1;
    openClip(window, clip);
    runFor(1500);
    playback(window)->setRate(rate);
    window.OnSlotsProgress(args.at(2).toInt() * 1000);
    runFor(3000);
    QDir().mkpath(args.at(3));
    window.grab().save(QDir(args.at(3)).filePath(name + QStringLiteral(".png")));
    return 0;
}

// The trip view with the drive of `clipName` playing, `seconds` into that clip, saved as NAME.png.
int saveTripView(const QString &name, const QStringList &args)
{
    useStoredLanguage();
    MainWindow window(nullptr, Qt::FramelessWindowHint);
    QListWidgetItem *clip = showCard(window, args.at(0), args.at(1));
    if (!clip)
        return 1;
    const QString path = MyListWidget::filePathOf(clip);
    window.toggleTripView();
    QEventLoop loop;
    QObject::connect(&window.trips(), &TripLibrary::finished, &loop, &QEventLoop::quit);
    if (window.trips().isReading())
        loop.exec();
    const int trip = window.trips().tripOf(path);
    if (trip < 0) {
        std::fprintf(stderr, "%s is in no trip\n", qPrintable(args.at(1)));
        return 1;
    }
    clipList(window)->setCurrentRow(trip);
    runFor(1500);
    const TripPlan &plan = playback(window)->trip();
    for (const TripPlan::Part &part : plan.parts) {
        if (part.clip->file().absoluteFilePath() == QFileInfo(path).absoluteFilePath())
            window.OnSlotsProgress(int(part.offsetMs + args.at(2).toInt() * 1000));
    }
    runFor(6000);
    QDir().mkpath(args.at(3));
    window.grab().save(QDir(args.at(3)).filePath(name + QStringLiteral(".png")));
    return 0;
}

// The window paused 2 s before the clip's first driving event, its marks on the timeline (saved as
// events-timeline.png, and the dashboard's strip alone, enlarged, as events-strip.png), then the
// events list over it (events-list.png).
int saveEvents(const QStringList &args)
{
    MainWindow window(nullptr, Qt::FramelessWindowHint);
    QListWidgetItem *clip = showCard(window, args.at(0), args.at(1));
    if (!clip)
        return 1;
    QEventLoop found;
    QObject::connect(&window.events(), &EventFinder::finished, &found, &QEventLoop::quit);
    if (window.events().isFinding())
        found.exec();
    openClip(window, clip);
    window.OnSlotspause();
    window.OnSlotsProgress(0);
    runFor(500);
    window.jumpToEvent(+1);
    runFor(1500);
    const QDir out(args.at(2));
    QDir().mkpath(out.path());
    window.grab().save(out.filePath(QStringLiteral("events-timeline.png")));
    auto *dashboard = window.findChild<WidgetProgressA *>();
    const QImage strip = dashboard->grab(QRect(0, 0, dashboard->width(), Dashboard::kStripHeight)).toImage();
    strip.scaled(strip.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(out.filePath(QStringLiteral("events-strip.png")));
    window.showEventsList();
    runFor(1000);
    auto *list = window.findChild<EventsList *>();
    if (!list)
        return 1;
    // The list where it opened over the window, as a user sees both.
    const QPixmap frame = window.grab();
    QImage shot(frame.size(), QImage::Format_RGB32);
    QPainter painter(&shot);
    painter.drawPixmap(0, 0, frame);
    painter.drawPixmap(list->mapToGlobal(QPoint(0, 0)) - window.mapToGlobal(QPoint(0, 0)), list->grab());
    painter.end();
    shot.save(out.filePath(QStringLiteral("events-list.png")));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    MapView::registerUrlScheme();
    if (!MediaFramework::initialise())
        return 1;
    QApplication app(argc, argv);
    if (!qEnvironmentVariableIsSet("QRD7700_MAP_TILES"))
        qputenv("QRD7700_MAP_TILES", blankTileUrl());
    DialogPalette::apply();
    QStringList args = QCoreApplication::arguments();
    if (args.size() == 7 && args.at(1) == QLatin1String("--trips"))
        return saveTripView(args.at(2), args.mid(3));
    if (args.size() >= 3 && args.at(1) == QLatin1String("--window")) {
        const QString name = args.at(2);
        args = args.mid(3);
        double rate = 1.0;
        if (args.size() >= 2 && args.at(0) == QLatin1String("--rate")) {
            rate = args.at(1).toDouble();
            args = args.mid(2);
        }
        if (args.size() == 4 && rate > 0)
            return saveWindowOnly(name, rate, args);
        std::fprintf(stderr, "usage: qrd7700-screenshots --window NAME [--rate R] FOLDER CLIPNAME SECONDS OUTDIR\n");
        return 2;
    }
    if (args.size() >= 2 && args.at(1) == QLatin1String("--events")) {
        if (args.size() == 5)
            return saveEvents(args.mid(2));
        std::fprintf(stderr, "usage: qrd7700-screenshots --events FOLDER CLIPNAME OUTDIR\n");
        return 2;
    }
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: qrd7700-screenshots CARD CLIPNAME SECONDS OUTDIR\n");
        return 2;
    }
    MainWindow window(nullptr, Qt::FramelessWindowHint);
    QListWidgetItem *clip = showCard(window, args.at(1), args.at(2));
    if (!clip)
        return 1;
    MyListWidget *list = clipList(window);
    openClip(window, clip);
    window.OnSlotsProgress(args.at(3).toInt() * 1000);
    runFor(4000);
    QDir().mkpath(args.at(4));
    window.grab().save(QDir(args.at(4)).filePath(QStringLiteral("viewer.png")));
    window.OnSlotsmaximize();
    runFor(3000);
    if (window.state().isMaximized())
        window.grab().save(QDir(args.at(4)).filePath(QStringLiteral("viewer-maximized.png")));
    else
        std::fprintf(stderr, "the screen is too small to maximize\n");
    window.OnSlotsback2origin();
    // The same moment again, paused, for the pictures of the exports.
    list->setCurrentItem(nullptr);
    openClip(window, clip);
    window.OnSlotsProgress(args.at(3).toInt() * 1000);
    runFor(1500);
    window.OnSlotspause();
    const QDir out(args.at(4));
    // The menu of an event clip, the kind most often handed on.
    const auto events = list->findItems(QStringLiteral("_I."), Qt::MatchContains);
    saveContextMenu(window, events.isEmpty() ? 0 : list->row(events.first()), out);
    saveMapWithRoute(window, out);
    saveOfflineMap(window, out);
    savePrintedPage(window, out);
    saveExportPictures(window, args.at(3).toInt() * 1000, out);
    return 0;
}
