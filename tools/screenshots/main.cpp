// qrd7700-screenshots: plays a clip of a card in the real viewer window and saves pictures of the
// window at its default size and maximized, for the documentation.
//   qrd7700-screenshots CARD CLIPNAME SECONDS OUTDIR
#include "playback/mediaframework.h"
#include "playback/player.h"
#include "viewer/cliplist.h"
#include "viewer/mainwindow.h"
#include "viewer/mapview.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace {

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char **argv)
{
    MapView::registerUrlScheme();
    if (!MediaFramework::initialise())
        return 1;
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: qrd7700-screenshots CARD CLIPNAME SECONDS OUTDIR\n");
        return 2;
    }
    MainWindow window(nullptr, Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("Viewer"));
    window.show();
    window.openFolder(args.at(1));
    const auto found = window.clipList()->findItems(args.at(2), Qt::MatchExactly);
    if (found.isEmpty()) {
        std::fprintf(stderr, "no clip named %s\n", qPrintable(args.at(2)));
        return 1;
    }
    window.clipList()->setCurrentItem(found.first());
    window.OnSlotsProgress(args.at(3).toInt() * 1000);
    runFor(4000);
    QDir().mkpath(args.at(4));
    window.grab().save(QDir(args.at(4)).filePath(QStringLiteral("viewer.png")));
    window.OnSlotsmaximize();
    runFor(3000);
    if (window.isMaximizedLayout())
        window.grab().save(QDir(args.at(4)).filePath(QStringLiteral("viewer-maximized.png")));
    else
        std::fprintf(stderr, "the screen is too small to maximize\n");
    return 0;
}
