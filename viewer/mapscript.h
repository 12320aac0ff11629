#pragma once

#include "telemetry/telemetrysample.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <utility>

class QWebEnginePage;

// Evaluates script texts in the map page. The answer arrives later, on the GUI thread; answers come
// in the order the scripts were sent.
class MapScriptRunner
{
public:
    using ResultHandler = std::function<void(const QVariant &result)>;
    virtual ~MapScriptRunner() = default;
    // `onResult` may be empty when the answer does not matter.
    virtual void run(const QString &script, ResultHandler onResult) = 0;
};

// Runs the scripts in a web page's main frame. The page must outlive the runner.
class WebPageScriptRunner final : public MapScriptRunner
{
public:
    explicit WebPageScriptRunner(QWebEnginePage *page);
    void run(const QString &script, ResultHandler onResult) override;

private:
    QWebEnginePage *m_page;
};

// The script texts the map pane sends: the page's four marker functions, exactly as the page
// expects them, and the route.
namespace MapScripts {
// "wgs84ToBessel_str(<lon>,<lat>)", each in fixed notation with 6 decimals.
QString conversion(double latitude, double longitude);
QString removeMarker();
// "addPoi(0, <x>,<y>, "", 0, 0, "gpspos")"
QString addMarker(const QString &x, const QString &y);
// "setCenter(<x>,<y>)"
QString centre(const QString &x, const QString &y);
// "setRoute([[[<lat>,<lon>],…],…])": one list of WGS84 points per stretch of the route, each
// coordinate with 6 decimals; "setRoute([])" removes the route.
QString route(const QList<QList<TelemetrySample>> &segments);
// Splits a conversion answer at its first "_": nothing when there is none or it comes first.
std::optional<std::pair<QString, QString>> splitConversion(const QString &answer);
} // namespace MapScripts
