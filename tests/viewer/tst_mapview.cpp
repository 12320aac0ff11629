#include "viewer/mapview.h"

#include "telemetry/telemetrytrack.h"

#include <QApplication>
#include <QTest>
#include <QWebEngineView>

#include <memory>

Q_DECLARE_METATYPE(TelemetrySample)

namespace {

// Records every script and keeps the answers' handlers for the test to answer later.
struct ScriptLog
{
    QStringList scripts;
    QList<MapScriptRunner::ResultHandler> pending;
};

class FakeScriptRunner final : public MapScriptRunner
{
public:
    explicit FakeScriptRunner(std::shared_ptr<ScriptLog> log)
        : m_log(std::move(log))
    {
    }
    void run(const QString &script, ResultHandler onResult) override
    {
        m_log->scripts.append(script);
        if (onResult)
            m_log->pending.append(std::move(onResult));
    }

private:
    std::shared_ptr<ScriptLog> m_log;
};

} // namespace

class TestMapView : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_log = std::make_shared<ScriptLog>();
        m_view = std::make_unique<MapView>(nullptr, std::make_unique<FakeScriptRunner>(m_log));
        // Most cases start on a loaded page, its first marker placed.
        m_view->loadFinished(true);
        m_log->scripts.clear();
        m_log->pending.clear();
    }
    void cleanup() { m_view.reset(); }

    // The page's functions exist only once it has loaded: a position given before waits for it,
    // and every new page gets the marker again.
    void markerWaitsForThePage()
    {
        m_view = std::make_unique<MapView>(nullptr, std::make_unique<FakeScriptRunner>(m_log));
        m_log->scripts.clear();
        m_view->setPosition(35.0, 129.0);
        QVERIFY(m_log->scripts.isEmpty());
        m_view->loadFinished(false);
        QVERIFY(m_log->scripts.isEmpty());
        m_view->loadFinished(true);
        QCOMPARE(m_log->scripts, QStringList{"wgs84ToBessel_str(129.000000,35.000000)"});
        m_log->pending.takeFirst()(QStringLiteral("A_B"));
        QCOMPARE(m_log->scripts.value(2), QStringLiteral("addPoi(0, A,B, \"\", 0, 0, \"gpspos\")"));
        m_view->loadFinished(true);
        QCOMPARE(m_log->scripts.last(), QStringLiteral("wgs84ToBessel_str(129.000000,35.000000)"));
    }

    void conversionText_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<QString>("script");
        QTest::newRow("37.5, 127.0") << 37.5 << 127.0 << "wgs84ToBessel_str(127.000000,37.500000)";
        QTest::newRow("south-west") << -33.8688 << -151.2093 << "wgs84ToBessel_str(-151.209300,-33.868800)";
        QTest::newRow("0, 0 means the default") << 0.0 << 0.0 << "wgs84ToBessel_str(126.950626,37.533416)";
        QTest::newRow("latitude 0 alone is kept") << 0.0 << 127.25 << "wgs84ToBessel_str(127.250000,0.000000)";
    }
    void conversionText()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(QString, script);
        QVERIFY(m_view->setPosition(latitude, longitude));
        QCOMPARE(m_log->scripts, QStringList{script});
    }

    void defaultPositionIsStoredForZeroZero()
    {
        m_view->setPosition(10, 20);
        m_view->setPosition(0, 0);
        QCOMPARE(m_view->latitude(), 37.533416);
        QCOMPARE(m_view->longitude(), 126.950626);
    }

    void conversionAnswer_data()
    {
        QTest::addColumn<QVariant>("answer");
        QTest::addColumn<QStringList>("followUp");
        QTest::newRow("A_B") << QVariant(QStringLiteral("A_B"))
                             << QStringList{"removePoi(0)", "addPoi(0, A,B, \"\", 0, 0, \"gpspos\")", "setCenter(A,B)"};
        QTest::newRow("split at the first underscore")
            << QVariant(QStringLiteral("14137575.33_4508341.90_x"))
            << QStringList{"removePoi(0)", "addPoi(0, 14137575.33,4508341.90_x, \"\", 0, 0, \"gpspos\")",
                           "setCenter(14137575.33,4508341.90_x)"};
        QTest::newRow("empty second text") << QVariant(QStringLiteral("A_"))
                                           << QStringList{"removePoi(0)", "addPoi(0, A,, \"\", 0, 0, \"gpspos\")",
                                                          "setCenter(A,)"};
        QTest::newRow("leading underscore") << QVariant(QStringLiteral("_B")) << QStringList{};
        QTest::newRow("no underscore") << QVariant(QStringLiteral("AB")) << QStringList{};
        QTest::newRow("page without the function") << QVariant() << QStringList{};
    }
    void conversionAnswer()
    {
        QFETCH(QVariant, answer);
        QFETCH(QStringList, followUp);
        m_view->setPosition(37.5, 127.0);
        QCOMPARE(m_log->pending.size(), 1);
        m_log->scripts.clear();
        m_log->pending.takeFirst()(answer);
        QCOMPARE(m_log->scripts, followUp);
        QVERIFY(m_log->pending.isEmpty());
    }

    void samePositionTwiceSendsOnce()
    {
        m_view->setPosition(37.5, 127.0);
        m_view->setPosition(37.5, 127.0);
        QCOMPARE(m_log->scripts.size(), 1);
        // A failed conversion still stores the position, so it is not retried either.
        m_log->pending.takeFirst()(QStringLiteral("no answer"));
        m_view->setPosition(37.5, 127.0);
        QCOMPARE(m_log->scripts.size(), 1);
    }

    void lateAnswerNeverMovesTheMarkerBack()
    {
        m_view->setPosition(37.5, 127.0);
        m_view->setPosition(35.0, 129.0);
        QCOMPARE(m_log->pending.size(), 2);
        m_log->scripts.clear();
        m_log->pending.takeFirst()(QStringLiteral("OLD_X"));
        QVERIFY(m_log->scripts.isEmpty());
        m_log->pending.takeFirst()(QStringLiteral("NEW_Y"));
        QCOMPARE(m_log->scripts.value(1), QStringLiteral("addPoi(0, NEW,Y, \"\", 0, 0, \"gpspos\")"));
    }

    void answerAfterThePaneIsGoneIsDropped()
    {
        m_view->setPosition(37.5, 127.0);
        auto handler = m_log->pending.takeFirst();
        m_view.reset();
        handler(QStringLiteral("A_B"));
        QCOMPARE(m_log->scripts.size(), 1);
    }

    void webViewGeometryAndPage()
    {
        QCOMPARE(m_view->webView()->geometry(), QRect(0, 0, 325, 210));
        QCOMPARE(MapView::pageUrl().toString(),
                 QStringLiteral("qrdmap://map/viewermap.aspx?Lon=45703500&Lat=13510500&Level=3&poi=show"));
        QCOMPARE(m_view->webView()->page()->backgroundColor(), QColor(Qt::transparent));
        QCOMPARE(m_view->font().pointSize(), 8);
    }

    void pageUrlFromEnvironment_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("url");
        QTest::newRow("folder with slash") << "http://maps.example/srv/"
                                           << "http://maps.example/srv/viewermap.aspx?Lon=45703500&Lat=13510500&Level=3&poi=show";
        QTest::newRow("folder without slash") << "http://maps.example/srv"
                                              << "http://maps.example/srv/viewermap.aspx?Lon=45703500&Lat=13510500&Level=3&poi=show";
    }
    void pageUrlFromEnvironment()
    {
        QFETCH(QString, base);
        QFETCH(QString, url);
        qputenv(MapView::kPageUrlVariable, base.toUtf8());
        const QString result = MapView::pageUrl().toString();
        qunsetenv(MapView::kPageUrlVariable);
        QCOMPARE(result, url);
    }

    void loadResultShowsOrHidesTheWebView()
    {
        m_view->resize(327, 230);
        m_view->show();
        QWebEngineView *web = m_view->webView();
        m_view->loadFinished(false);
        QVERIFY(web->isHidden());
        m_view->setMapShown(true);
        QVERIFY(!web->isHidden());
        m_view->setMapShown(false);
        QVERIFY(web->isHidden());
        m_view->loadFinished(true);
        QVERIFY(!web->isHidden());
    }

    void footerFollowsTheSize()
    {
        m_view->resize(327, 230);
        m_view->show();
        QTRY_COMPARE(m_view->footerRect(), QRect(0, 212, 327, 18));
        m_view->resize(400, 300);
        QTRY_COMPARE(m_view->footerRect(), QRect(0, 282, 400, 18));
    }

    void languageChangeSetsThePageUpAgain()
    {
        m_view->setPosition(37.5, 127.0);
        m_view->webView()->setGeometry(5, 5, 10, 10);
        QEvent change(QEvent::LanguageChange);
        QApplication::sendEvent(m_view.get(), &change);
        QCOMPARE(m_view->webView()->geometry(), QRect(0, 0, 325, 210));
        QTRY_COMPARE(m_view->webView()->url().path(), QStringLiteral("/viewermap.aspx"));
        // The stored position stays: the new page gets it once, and the same position is not sent again.
        m_view->setPosition(37.5, 127.0);
        QTRY_COMPARE(m_log->scripts.size(), 2);
        QCOMPARE(m_log->scripts.last(), m_log->scripts.first());
    }

    void routeScript_data()
    {
        QTest::addColumn<QList<TelemetrySample>>("samples");
        QTest::addColumn<QString>("script");
        const auto at = [](int timeMs, double latitude, double longitude) {
            TelemetrySample s;
            s.timeMs = timeMs;
            s.latitude = latitude;
            s.longitude = longitude;
            return s;
        };
        QTest::newRow("one stretch, full precision")
            << QList<TelemetrySample>{at(0, 37.5331234, 126.9501234), at(100, -33.8688, -70.648312)}
            << "setRoute([[[37.533123,126.950123],[-33.868800,-70.648312]]])";
        QTest::newRow("a lost fix leaves a gap")
            << QList<TelemetrySample>{at(0, 1, 2), at(100, 0, 0), at(200, 3, 4), at(300, 5, 6)}
            << "setRoute([[[1.000000,2.000000]],[[3.000000,4.000000],[5.000000,6.000000]]])";
        QTest::newRow("no position removes the route") << QList<TelemetrySample>{at(0, 0, 0)} << "setRoute([])";
        QTest::newRow("no samples remove the route") << QList<TelemetrySample>{} << "setRoute([])";
    }
    void routeScript()
    {
        QFETCH(QList<TelemetrySample>, samples);
        QFETCH(QString, script);
        m_view->loadFinished(true);
        m_view->setRoute(samples);
        QCOMPARE(m_log->scripts, QStringList{script});
        QVERIFY(m_log->pending.isEmpty()); // nothing waits for an answer: the last route sent wins
    }

    void routeFollowsTheTrack()
    {
        TelemetryTrack track;
        m_view->loadFinished(true);
        m_view->followTrack(&track);
        TelemetrySample fix;
        fix.timeMs = 0;
        fix.latitude = 37.5;
        fix.longitude = 127.0;
        track.setSamples({fix});
        track.clearTrack();
        QCOMPARE(m_log->scripts, QStringList({"setRoute([[[37.500000,127.000000]]])", "setRoute([])"}));
    }

    // Scripts sent before the page has loaded would go nowhere: the route waits for the load, and
    // a reloaded page gets it again.
    void routeWaitsForThePage()
    {
        TelemetrySample fix;
        fix.timeMs = 0;
        fix.latitude = 37.5;
        fix.longitude = 127.0;
        m_view->loadFinished(false); // a page that failed: nothing can be sent to it
        m_view->setRoute({fix});
        QVERIFY(m_log->scripts.isEmpty());
        m_view->loadFinished(false);
        QVERIFY(m_log->scripts.isEmpty());
        m_view->loadFinished(true);
        QCOMPARE(m_log->scripts, QStringList{"setRoute([[[37.500000,127.000000]]])"});
        m_view->loadFinished(true);
        QCOMPARE(m_log->scripts.size(), 2);
        // Once removed, a new page gets no route.
        m_view->setRoute({});
        m_log->scripts.clear();
        m_view->loadFinished(true);
        QVERIFY(m_log->scripts.isEmpty());
    }

private:
    std::shared_ptr<ScriptLog> m_log;
    std::unique_ptr<MapView> m_view;
};

int main(int argc, char **argv)
{
    MapView::registerUrlScheme();
    QApplication app(argc, argv);
    TestMapView test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_mapview.moc"
