#include "viewer/mapscript.h"

#include <QWebEnginePage>

WebPageScriptRunner::WebPageScriptRunner(QWebEnginePage *page)
    : m_page(page)
{
}

void WebPageScriptRunner::run(const QString &script, ResultHandler onResult)
{
    if (onResult)
        m_page->runJavaScript(script, [onResult = std::move(onResult)](const QVariant &result) { onResult(result); });
    else
        m_page->runJavaScript(script);
}

namespace MapScripts {

QString conversion(double latitude, double longitude)
{
    return QStringLiteral("wgs84ToBessel_str(%1,%2)")
        .arg(QString::number(longitude, 'f', 6), QString::number(latitude, 'f', 6));
}

QString removeMarker()
{
    return QStringLiteral("removePoi(0)");
}

QString addMarker(const QString &x, const QString &y)
{
    return QStringLiteral("addPoi(0, %1,%2, \"\", 0, 0, \"gpspos\")").arg(x, y);
}

QString centre(const QString &x, const QString &y)
{
    return QStringLiteral("setCenter(%1,%2)").arg(x, y);
}

QString route(const QList<QList<TelemetrySample>> &segments)
{
    QStringList lines;
    lines.reserve(segments.size());
    for (const QList<TelemetrySample> &segment : segments) {
        QStringList points;
        points.reserve(segment.size());
        for (const TelemetrySample &sample : segment) {
            points.append(QStringLiteral("[%1,%2]").arg(QString::number(sample.latitude, 'f', 6),
                                                       QString::number(sample.longitude, 'f', 6)));
        }
        lines.append(QLatin1Char('[') + points.join(QLatin1Char(',')) + QLatin1Char(']'));
    }
    return QStringLiteral("setRoute([%1])").arg(lines.join(QLatin1Char(',')));
}

std::optional<std::pair<QString, QString>> splitConversion(const QString &answer)
{
    const qsizetype split = answer.indexOf(QLatin1Char('_'));
    if (split <= 0)
        return std::nullopt;
    return std::make_pair(answer.left(split), answer.mid(split + 1));
}

} // namespace MapScripts
