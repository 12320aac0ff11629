// The bundled map page in a real web view (offscreen, no tiles): its functions exist, and a position
// given to the pane ends up as the marker's position on the page, drawn over the offline background.
#include "viewer/mapview.h"

#include "telemetry/telemetrytrack.h"
#include "viewer/maptilecache.h"

#include <QApplication>
#include <QBuffer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <QDir>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <optional>

namespace {

// Runs a script and waits for its answer.
QVariant evaluate(QWebEnginePage *page, const QString &script)
{
    std::optional<QVariant> answer;
    page->runJavaScript(script, [&answer](const QVariant &result) { answer = result; });
    if (!QTest::qWaitFor([&answer] { return answer.has_value(); }, 10000))
        return QStringLiteral("<no answer>");
    return *answer;
}

// A drive of `count` samples north-east from (latitude, longitude), `step` degrees of latitude
// apart, without fix at `gaps`.
QList<TelemetrySample> drive(double latitude, double longitude, int count, const QList<int> &gaps = {},
                             double step = 0.0002)
{
    QList<TelemetrySample> samples;
    for (int i = 0; i < count; ++i) {
        TelemetrySample s;
        s.timeMs = i * 100;
        if (!gaps.contains(i)) {
            s.latitude = latitude + i * step;
            s.longitude = longitude + i * step * 1.5;
        }
        samples << s;
    }
    return samples;
}

bool near(const QColor &a, const QColor &b, int tolerance = 24)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
           && qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

class TestMapPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_view = std::make_unique<MapView>();
        m_view->resize(320, 206); // its place in the viewer window
        QSignalSpy loaded(m_view->webView(), &QWebEngineView::loadFinished);
        m_view->show();
        QVERIFY(loaded.wait(20000) || loaded.size() > 0);
        QCOMPARE(loaded.first().first().toBool(), true);
        QVERIFY(!m_view->webView()->isHidden());
    }
    void cleanupTestCase() { m_view.reset(); }

    void pageDefinesTheFourFunctions_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"wgs84ToBessel_str", "removePoi", "addPoi", "setCenter"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void pageDefinesTheFourFunctions()
    {
        QFETCH(QString, name);
        QCOMPARE(evaluate(page(), QStringLiteral("typeof %1").arg(name)).toString(), QStringLiteral("function"));
    }

    void pageKeepsItsQueryAndWorksOffline()
    {
        QCOMPARE(evaluate(page(), QStringLiteral("window.location.search")).toString(),
                 QStringLiteral("?Lon=45703500&Lat=13510500&Level=3&poi=show"));
        QCOMPARE(evaluate(page(), QStringLiteral("mapIsOffline()")).toBool(), true);
    }

    void conversionAnswersTwoTexts()
    {
        const QString answer = evaluate(page(), MapScripts::conversion(37.5, 127.0)).toString();
        const auto texts = MapScripts::splitConversion(answer);
        QVERIFY2(texts.has_value(), qPrintable(answer));
        QVERIFY(!texts->first.isEmpty() && !texts->second.isEmpty());
    }

    void positionBecomesTheMarkerPosition_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::newRow("Seoul area") << 37.5 << 127.0;
        QTest::newRow("Busan") << 35.1796 << 129.0756;
        QTest::newRow("southern and western hemispheres") << -33.8688 << -70.6483;
    }
    void positionBecomesTheMarkerPosition()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QVERIFY(m_view->setPosition(latitude, longitude));
        QTRY_VERIFY_WITH_TIMEOUT(markerNear(latitude, longitude), 10000);
        // The map is centred on the marker, which is drawn over the offline background.
        QTRY_VERIFY_WITH_TIMEOUT(near(centrePixel(), QColor(0xe0, 0x30, 0x1e)), 10000);
    }

    void backgroundIsNotBlankWithoutTiles()
    {
        m_view->setPosition(37.5, 127.0);
        QTRY_VERIFY_WITH_TIMEOUT(markerNear(37.5, 127.0), 10000);
        evaluate(page(), QStringLiteral("setMapZoom(6)")); // zoomed out as with the wheel
        // Land (#f2efe9) around Seoul and sea (#a9cbe0) in the Yellow Sea are both in view.
        QTRY_VERIFY_WITH_TIMEOUT(hasColour(QColor(0xf2, 0xef, 0xe9)) && hasColour(QColor(0xa9, 0xcb, 0xe0)), 10000);
        const QString folder = qEnvironmentVariable("QRD7700_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            m_view->grab().save(folder + QStringLiteral("/mapview.png"));
    }

    void tiles_data()
    {
        QTest::addColumn<QByteArray>("tileUrl");
        QTest::addColumn<bool>("offline");
        QTest::addColumn<QColor>("colour"); // expected beside the marker
        QTest::newRow("tiles that load cover the background")
            << QByteArray("data:image/png;base64," + onePixelPng(QColor(255, 0, 255)).toBase64()) << false
            << QColor(255, 0, 255);
        QTest::newRow("tiles that fail leave the background")
            << QByteArray("qrdmap://map/no-tiles/{z}/{x}/{y}.png") << true << QColor(0xf2, 0xef, 0xe9);
    }
    void tiles()
    {
        QFETCH(QByteArray, tileUrl);
        QFETCH(bool, offline);
        QFETCH(QColor, colour);
        qputenv("QRD7700_MAP_TILES", tileUrl);
        MapView view;
        view.resize(327, 230);
        QSignalSpy loaded(view.webView(), &QWebEngineView::loadFinished);
        view.show();
        QVERIFY(loaded.wait(20000) || loaded.size() > 0);
        qputenv("QRD7700_MAP_TILES", "");
        view.setPosition(37.5, 127.0);
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(view.webView()->page(), QStringLiteral("mapIsOffline()")).toBool(), offline,
                                  10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            near(view.webView()->grab().toImage().pixelColor(162 + 20, 105), colour, 4), 10000);
    }

    // The page draws one vertex per usable position, one line per stretch with fix, and fits the
    // map to the route.
    void routeHasAVertexPerPosition()
    {
        const QList<TelemetrySample> samples = drive(37.5, 127.0, 40, {10, 11, 12, 30});
        m_view->setRoute(samples);
        QTRY_COMPARE_WITH_TIMEOUT(routeVertexCount(), 36, 10000);
        QCOMPARE(evaluate(page(), QStringLiteral("routeLines().length")).toInt(), 3);
        const QVariantList first = evaluate(page(), QStringLiteral("routeLines()[0][0]")).toList();
        QCOMPARE(first.size(), 2);
        QVERIFY(qAbs(first[0].toDouble() - 37.5) < 1e-9 && qAbs(first[1].toDouble() - 127.0) < 1e-9);
        QVERIFY(evaluate(page(), QStringLiteral("routeInView()")).toBool());
        m_view->setRoute({});
        QTRY_COMPARE_WITH_TIMEOUT(routeVertexCount(), 0, 10000);
    }

    // Clips switched faster than the page answers: the page ends with the last clip's route, and a
    // track that is emptied takes its route away.
    void quickClipSwitchKeepsOnlyTheLastRoute()
    {
        TelemetryTrack track;
        m_view->followTrack(&track);
        track.setSamples(drive(10.0, 20.0, 50));
        track.clearTrack();
        track.setSamples(drive(-33.0, -70.0, 7));
        track.clearTrack();
        track.setSamples(drive(35.0, 129.0, 25, {3}));
        QTRY_COMPARE_WITH_TIMEOUT(routeVertexCount(), 24, 10000);
        const QVariantList first = evaluate(page(), QStringLiteral("routeLines()[0][0]")).toList();
        QVERIFY(qAbs(first.value(0).toDouble() - 35.0) < 1e-9);
        track.clearTrack();
        QTRY_COMPARE_WITH_TIMEOUT(routeVertexCount(), 0, 10000);
    }

    // The marker stays on top of a route that runs through it.
    void markerIsDrawnOverTheRoute()
    {
        // Long enough to show beside the marker at the offline map's closest zoom.
        m_view->setRoute(drive(36.5, 125.5, 100, {}, 0.02));
        m_view->setPosition(37.5, 127.0);
        QTRY_VERIFY_WITH_TIMEOUT(markerNear(37.5, 127.0), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(near(centrePixel(), QColor(0xe0, 0x30, 0x1e)), 10000);
        QVERIFY(hasColour(QColor(0x1e, 0x6f, 0xe0))); // the route beside it
        m_view->setRoute({});
    }

    // Without tiles the map still zooms in to a drive of a kilometre, over the plain background,
    // with its scale bar and the offline note; marker and route both show, the marker on top.
    void offlineMapZoomsInToTheRoute()
    {
        const QList<TelemetrySample> samples = drive(37.5, 127.0, 40);
        m_view->setRoute(samples);
        QTRY_COMPARE_WITH_TIMEOUT(routeVertexCount(), 40, 10000);
        QVERIFY(evaluate(page(), QStringLiteral("routeInView()")).toBool());
        const int zoom = evaluate(page(), QStringLiteral("mapZoom()")).toInt();
        QVERIFY2(zoom >= 14, qPrintable(QString::number(zoom))); // streets, not a coastline
        QVERIFY(evaluate(page(), QStringLiteral("offlineNoteShown()")).toBool());
        QVERIFY(evaluate(page(), QStringLiteral("scaleBarShown()")).toBool());
        const TelemetrySample middle = samples.at(20);
        m_view->setPosition(middle.latitude, middle.longitude);
        QTRY_VERIFY_WITH_TIMEOUT(markerNear(middle.latitude, middle.longitude), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(near(centrePixel(), QColor(0xe0, 0x30, 0x1e)), 10000);
        QVERIFY(hasColour(QColor(0x1e, 0x6f, 0xe0)));
        QCOMPARE(evaluate(page(), QStringLiteral("mapZoom()")).toInt(), zoom); // the marker keeps the zoom
        const QString folder = qEnvironmentVariable("QRD7700_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            m_view->grab().save(folder + QStringLiteral("/map-offline.png"));
        m_view->setRoute({});
    }

    // The wheel over the map zooms it, in and out, up to street level.
    void wheelZoomsTheMap()
    {
        m_view->setPosition(35.1796, 129.0756);
        QTRY_VERIFY_WITH_TIMEOUT(markerNear(35.1796, 129.0756), 10000);
        evaluate(page(), QStringLiteral("setMapZoom(10)"));
        const int before = evaluate(page(), QStringLiteral("mapZoom()")).toInt();
        QWidget *surface = m_view->webView()->focusProxy();
        QVERIFY(surface);
        const auto turn = [surface](int delta) {
            const QPointF at = QRectF(surface->rect()).center();
            QWheelEvent event(at, surface->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(surface, &event);
        };
        turn(120);
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(page(), QStringLiteral("mapZoom()")).toInt() > before, 10000);
        const int zoomedIn = evaluate(page(), QStringLiteral("mapZoom()")).toInt();
        turn(-120);
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(page(), QStringLiteral("mapZoom()")).toInt() < zoomedIn, 10000);
    }

    // Tiles fetched once are kept on disk: with the tile server gone, a new map shows them still.
    void tilesAreKeptOnDisk()
    {
        QTemporaryDir server;
        const QString tile = server.filePath(QStringLiteral("tile.png"));
        QFile file(tile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(onePixelPng(QColor(0, 200, 120)));
        file.close();
        // Every tile address names the same file.
        qputenv("QRD7700_MAP_TILES", QUrl::fromLocalFile(tile).toEncoded() + "?{z}/{x}/{y}");
        const auto tileColourBesideMarker = [](MapView &view) {
            view.resize(327, 230);
            QSignalSpy loaded(view.webView(), &QWebEngineView::loadFinished);
            view.show();
            if (!loaded.wait(20000) && loaded.isEmpty())
                return false;
            view.setPosition(37.5, 127.0);
            return QTest::qWaitFor(
                [&view] { return near(view.webView()->grab().toImage().pixelColor(162 + 20, 105), QColor(0, 200, 120), 4); },
                10000);
        };
        {
            MapView online;
            QVERIFY(tileColourBesideMarker(online));
        }
        QVERIFY(QDir(MapTileCache::folder()).exists());
        QVERIFY(QFile::remove(tile));
        MapView offline;
        QVERIFY(tileColourBesideMarker(offline));
        QVERIFY(!evaluate(offline.webView()->page(), QStringLiteral("mapIsOffline()")).toBool());
        qputenv("QRD7700_MAP_TILES", "");
    }

private:
    int routeVertexCount() const
    {
        return evaluate(page(), QStringLiteral("routeLines().reduce(function (n, l) { return n + l.length; }, 0)")).toInt();
    }

    QWebEnginePage *page() const { return m_view->webView()->page(); }

    static QByteArray onePixelPng(const QColor &colour)
    {
        QImage image(1, 1, QImage::Format_RGB32);
        image.fill(colour);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return png;
    }

    bool markerNear(double latitude, double longitude) const
    {
        const QVariantList p = evaluate(page(), QStringLiteral("poiPosition(0)")).toList();
        return p.size() == 2 && qAbs(p[0].toDouble() - latitude) < 1e-5 && qAbs(p[1].toDouble() - longitude) < 1e-5;
    }

    QColor centrePixel() const
    {
        const QImage image = m_view->webView()->grab().toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }

    bool hasColour(const QColor &colour) const
    {
        const QImage image = m_view->webView()->grab().toImage();
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                if (near(image.pixelColor(x, y), colour, 4))
                    return true;
        return false;
    }

    std::unique_ptr<MapView> m_view;
};

int main(int argc, char **argv)
{
    // No tile server in tests: the page shows its offline background.
    qputenv("QRD7700_MAP_TILES", "");
    MapView::registerUrlScheme();
    QApplication app(argc, argv);
    TestMapPage test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_mappage.moc"
