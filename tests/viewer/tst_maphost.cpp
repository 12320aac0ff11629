// The map pane on a real X display: its web view lives in a native window of its own embedded in
// the pane, so the viewer's window stays on the plain (raster) drawing path, while the page still
// shows in the pane's place, behind the same frame, with the window's keys.
#include "viewer/mapview.h"

#include "generators/mediagen/mediagen.h"
#include "playback/mediaframework.h"
#include "session/viewerstate.h"
#include "viewer/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMimeData>
#include <QTemporaryDir>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>
#include <QWindow>

namespace {

constexpr QRect kPaneRect(660, 214, 327, 230);

// The pane's place as the screen shows it.
QImage onScreen(const QWidget &pane)
{
    const QPoint at = pane.mapToGlobal(QPoint(0, 0));
    return QApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), pane.width(), pane.height()).toImage();
}

bool near(const QColor &a, const QColor &b, int tolerance = 12)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
           && qAbs(a.blue() - b.blue()) <= tolerance;
}

// How many of a grid of points of `region` the two pictures share.
int sharedPoints(const QImage &a, const QImage &b, const QRect &region)
{
    int same = 0;
    for (int y = region.top(); y < region.bottom(); y += 10) {
        for (int x = region.left(); x < region.right(); x += 10)
            same += near(a.pixelColor(x, y), b.pixelColor(x, y)) ? 1 : 0;
    }
    return same;
}

int gridPoints(const QRect &region)
{
    return ((region.height() + 9) / 10) * ((region.width() + 9) / 10);
}

} // namespace

class TestMapHost : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_window.resize(1024, 645);
        m_action = new QAction(&m_window);
        m_action->setShortcut(QKeySequence(Qt::Key_Space));
        m_window.addAction(m_action);
        m_pane = new MapView(&m_window);
        m_pane->setGeometry(kPaneRect);
        QSignalSpy loaded(m_pane->webView(), &QWebEngineView::loadFinished);
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));
        QVERIFY(loaded.wait(20000) || !loaded.isEmpty());
        QCOMPARE(loaded.first().first().toBool(), true);
        QTRY_VERIFY(m_pane->findChild<QWidget *>(QStringLiteral("mapHostContainer")));
    }

    void theWindowStaysOnTheRasterPath()
    {
        QVERIFY(m_pane->webView()->window() != &m_window);
        QCOMPARE(m_window.windowHandle()->surfaceType(), QSurface::RasterSurface);
    }

    void thePageShowsInThePanesPlace()
    {
        const QRect page(0, 0, 320, 200);
        // The screen shows what the web view paints, where the pane puts it.
        QTRY_VERIFY_WITH_TIMEOUT(sharedPoints(onScreen(*m_pane), m_pane->webView()->grab().toImage(), page)
                                     > gridPoints(page) * 9 / 10,
                                 10000);
    }

    void aHiddenMapShowsTheFrame()
    {
        m_pane->setMapShown(false);
        const QImage frame = m_pane->grab().toImage(); // the pane's own painting: frame and footer
        const QRect page(2, 2, 318, 200);
        QTRY_VERIFY_WITH_TIMEOUT(sharedPoints(onScreen(*m_pane), frame, page) > gridPoints(page) * 9 / 10, 10000);
        m_pane->setMapShown(true);
    }

    void theWindowsKeysWorkInTheMap()
    {
        QWidget *host = m_pane->webView()->window();
        QSignalSpy triggered(m_action, &QAction::triggered);
        host->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), host);
        QTest::keyClick(host, Qt::Key_Space);
        QCOMPARE(triggered.size(), 1);
    }

    void theMapFollowsThePanesEnabledState()
    {
        m_pane->setEnabled(false);
        QVERIFY(!m_pane->webView()->window()->isEnabled());
        m_pane->setEnabled(true);
        QVERIFY(m_pane->webView()->window()->isEnabled());
    }

    // In the viewer's window, a folder dropped on the map opens as it does anywhere else.
    void aFolderDroppedOnTheMapOpens()
    {
        QTemporaryDir card;
        QVERIFY(QDir(card.path()).mkpath(QStringLiteral("REC")));
        QString error;
        QVERIFY2(MediaGen::writeAvi(card.filePath(QStringLiteral("REC/REC_2012_05_14_10_20_30.avi")), {}, &error),
                 qPrintable(error));
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *pane = window.findChild<MapView *>(QStringLiteral("mapPane"));
        QVERIFY(pane);
        QTRY_VERIFY(pane->findChild<QWidget *>(QStringLiteral("mapHostContainer")));
        QWidget *host = pane->hostWindow();
        QVERIFY(host);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(card.path())});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(host, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(host, &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(window.state().folder(), QFileInfo(card.path()).absoluteFilePath());
    }

    void cleanupTestCase()
    {
        delete m_pane; // the host window goes with it
        QTRY_COMPARE(QApplication::topLevelWidgets().size(), 1);
    }

private:
    QWidget m_window;
    QAction *m_action = nullptr;
    MapView *m_pane = nullptr;
};

int main(int argc, char **argv)
{
    qputenv("QRD7700_MAP_TILES", ""); // no tile server: the page shows its offline background
    MapView::registerUrlScheme();
    QApplication app(argc, argv);
    if (!MediaFramework::initialise())
        return 1;
    TestMapHost test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_maphost.moc"
