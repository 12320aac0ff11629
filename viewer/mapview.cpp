#include "viewer/mapview.h"

#include "resources/gfxpaths.h"
#include "skin/skinfont.h"
#include "telemetry/telemetrytrack.h"
#include "telemetry/trackexport.h"
#include "viewer/maphost.h"
#include "viewer/mapscheme.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QUrlQuery>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {

constexpr QRect kWebViewGeometry(0, 0, 325, 210);
constexpr int kFooterHeight = 18;
const QColor kFooterColour(7, 7, 7);
constexpr const char *kPagePath = "viewermap.aspx";
constexpr const char *kPageQuery = "Lon=45703500&Lat=13510500&Level=3&poi=show";

} // namespace

void MapView::registerUrlScheme()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    MapSchemeHandler::registerScheme();
}

QUrl MapView::pageUrl()
{
    QUrl base(QStringLiteral("%1://%2/").arg(QLatin1String(MapSchemeHandler::kScheme),
                                             QLatin1String(MapSchemeHandler::kHost)));
    const QString custom = qEnvironmentVariable(kPageUrlVariable).trimmed();
    if (!custom.isEmpty()) {
        base = QUrl(custom.endsWith(QLatin1Char('/')) ? custom : custom + QLatin1Char('/'));
    }
    QUrl url = base.resolved(QUrl(QLatin1String(kPagePath)));
    url.setQuery(QLatin1String(kPageQuery));
    return url;
}

MapView::MapView(QWidget *parent, std::unique_ptr<MapScriptRunner> scripts)
    : QWidget(parent)
    , m_scripts(std::move(scripts))
    , m_frameImage(Gfx::path(QStringLiteral("screen.png")))
{
    if (MapHost::isSupported())
        m_host = std::make_unique<MapHost>(m_frameImage);
    m_webView = new QWebEngineView(m_host ? static_cast<QWidget *>(m_host.get()) : this);
    setFont(skinFont(8));
    // A file dropped on the map goes to the window, which opens it, instead of replacing the page.
    m_webView->setAcceptDrops(false);
    MapSchemeHandler::installOn(m_webView->page()->profile());
    if (!m_scripts)
        m_scripts = std::make_unique<WebPageScriptRunner>(m_webView->page());
    connect(m_webView, &QWebEngineView::loadFinished, this, &MapView::loadFinished);
    setupPage();
}

MapView::~MapView()
{
    // The page delivers its pending script answers when it goes. Let that happen while this view is
    // still whole, with every request already stale so that the answers do nothing.
    ++m_request;
    delete m_webView;
    m_webView = nullptr;
    m_host.reset();
}

void MapView::setupPage()
{
    m_webView->setGeometry(kWebViewGeometry);
    m_pageLoaded = false;
    m_webView->load(pageUrl());
    // Transparent page background, so the frame image shows until the map has painted.
    QPalette palette = m_webView->palette();
    palette.setBrush(QPalette::Base, Qt::transparent);
    m_webView->setPalette(palette);
    m_webView->page()->setBackgroundColor(Qt::transparent);
    m_webView->setAttribute(Qt::WA_OpaquePaintEvent, false);
    update();
}

bool MapView::setPosition(double latitude, double longitude)
{
    if (latitude == m_latitude && longitude == m_longitude)
        return true;
    if (latitude == 0 && longitude == 0) {
        latitude = kDefaultLatitude;
        longitude = kDefaultLongitude;
    }
    m_latitude = latitude;
    m_longitude = longitude;
    update(m_footerRect);

    const quint64 request = ++m_request;
    QPointer<MapView> self(this);
    m_scripts->run(MapScripts::conversion(m_latitude, m_longitude), [self, request](const QVariant &answer) {
        if (self)
            self->placeMarker(request, answer);
    });
    return true;
}

void MapView::placeMarker(quint64 request, const QVariant &answer)
{
    // The page answers in order, but a newer position may already be on its way: never go back.
    if (request != m_request)
        return;
    const auto coordinates = MapScripts::splitConversion(answer.toString());
    if (!coordinates)
        return;
    const auto &[x, y] = *coordinates;
    m_scripts->run(MapScripts::removeMarker(), {});
    m_scripts->run(MapScripts::addMarker(x, y), {});
    m_scripts->run(MapScripts::centre(x, y), {});
}

void MapView::setMapShown(bool shown)
{
    if (m_webView->isHidden() != shown)
        return;
    m_webView->setVisible(shown);
}

void MapView::setRoute(const QList<TelemetrySample> &samples)
{
    const QList<QList<TelemetrySample>> segments = TrackExport::routeSegments(samples);
    const QString script = MapScripts::route(segments);
    m_routeScript = segments.isEmpty() ? QString() : script;
    if (m_pageLoaded)
        m_scripts->run(script, {});
}

void MapView::followTrack(const TelemetryTrack *track)
{
    connect(track, &TelemetryTrack::trackChanged, this, [this, track] { setRoute(track->samples()); });
}

void MapView::loadFinished(bool ok)
{
    m_webView->setVisible(ok);
    m_pageLoaded = ok;
    // A new page starts without a route.
    if (ok && !m_routeScript.isEmpty())
        m_scripts->run(m_routeScript, {});
}

void MapView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(m_footerRect, kFooterColour);
    painter.drawPixmap(rect().adjusted(1, 1, -1, -1), m_frameImage);
}

void MapView::resizeEvent(QResizeEvent *event)
{
    m_footerRect = QRect(0, height() - kFooterHeight, width(), kFooterHeight);
    QWidget::resizeEvent(event);
}

void MapView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        setupPage();
    if (event->type() == QEvent::EnabledChange && m_host)
        m_host->setEnabled(isEnabled());
    QWidget::changeEvent(event);
}

QWidget *MapView::hostWindow() const
{
    return m_host.get();
}

// The web view's own window goes into the pane once the pane's window is on screen.
void MapView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_host || m_host->isEmbedded())
        return;
    QTimer::singleShot(0, this, [this] {
        if (m_host && isVisible() && m_host->embedInto(this, kWebViewGeometry))
            m_host->setEnabled(isEnabled());
    });
}
