#pragma once

#include "viewer/mapscript.h"

#include <QPixmap>
#include <QRect>
#include <QUrl>
#include <QWidget>

#include <memory>

class MapHost;
class QWebEngineView;
class TelemetryTrack;

// The map pane: a web view with the map page, over a frame image that stands in when the page
// fails to load. It moves the page's single position marker through the page's script functions
// and draws the clip's route under it.
class MapView : public QWidget
{
    Q_OBJECT

public:
    static constexpr double kDefaultLatitude = 37.533416;
    static constexpr double kDefaultLongitude = 126.950626;
    // Environment variable with another server's page folder; the pane appends the page's path and query.
    static constexpr const char *kPageUrlVariable = "QRD7700_MAP_URL";

    // Registers the bundled page's URL scheme and shares OpenGL contexts for the web engine.
    // Call once before the application object is created.
    static void registerUrlScheme();
    // The address of the map page: "viewermap.aspx" with its fixed query, on the bundled scheme or
    // on the server named by QRD7700_MAP_URL.
    static QUrl pageUrl();

    // `scripts` evaluates the page's scripts; null means the web view's own page.
    explicit MapView(QWidget *parent = nullptr, std::unique_ptr<MapScriptRunner> scripts = {});
    ~MapView() override;
    QSize sizeHint() const override { return QSize(320, 206); }

    // Stores the position ((0, 0) stands for the default position) and moves the marker there.
    // The same position twice in a row sends nothing. Always true.
    bool setPosition(double latitude, double longitude);
    double latitude() const { return m_latitude; }
    double longitude() const { return m_longitude; }
    // Shows or hides the web view.
    void setMapShown(bool shown);
    // Draws the usable positions of `samples` as the route under the marker, one line per stretch
    // with fix, and fits the map to it; samples without a position remove the route. Scripts are
    // evaluated in the order sent, so the last route given is the one the page keeps. Before the
    // page has loaded the route is kept and sent when the load finishes (also after a reload).
    void setRoute(const QList<TelemetrySample> &samples);
    // Keeps the route equal to `track`: redrawn whenever its samples are replaced, removed when
    // they are removed. The track must outlive this pane or be destroyed before it.
    void followTrack(const TelemetryTrack *track);
    QWebEngineView *webView() const { return m_webView; }
    // The web view's own window when the pane hosts it in one (see MapHost), else null.
    QWidget *hostWindow() const;
    QRect footerRect() const { return m_footerRect; }

public slots:
    // Shows the web view when the page loaded, hides it (the frame shows) when it failed.
    void loadFinished(bool ok);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setupPage();
    void placeMarker(quint64 request, const QVariant &answer);

    // The web view's own window where the platform can embed one (see MapHost); null otherwise.
    std::unique_ptr<MapHost> m_host;
    QWebEngineView *m_webView = nullptr;
    std::unique_ptr<MapScriptRunner> m_scripts;
    QPixmap m_frameImage;
    QRect m_footerRect;
    double m_latitude = kDefaultLatitude;
    double m_longitude = kDefaultLongitude;
    // Counts setPosition requests; an answer to an older request is dropped.
    quint64 m_request = 0;
    // The last route given, sent once the page has loaded (again); empty when there is no route.
    QString m_routeScript;
    bool m_pageLoaded = false;
};
