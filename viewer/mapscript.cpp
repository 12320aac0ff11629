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

std::optional<std::pair<QString, QString>> splitConversion(const QString &answer)
{
    const qsizetype split = answer.indexOf(QLatin1Char('_'));
    if (split <= 0)
        return std::nullopt;
    return std::make_pair(answer.left(split), answer.mid(split + 1));
}

} // namespace MapScripts
