#include "viewer/mapscheme.h"

#include <QBuffer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace {

constexpr const char *kDefaultTileUrl = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";

struct PageFile
{
    const char *path;
    const char *resource;
    const char *mimeType;
};

constexpr PageFile kFiles[] = {
    {"/viewermap.aspx", ":/viewermap/viewermap.html", "text/html"},
    {"/viewermap.js", ":/viewermap/viewermap.js", "application/javascript"},
    {"/leaflet.js", ":/viewermap/leaflet.js", "application/javascript"},
    {"/leaflet.css", ":/viewermap/leaflet.css", "text/css"},
};

QByteArray readResource(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray configScript()
{
    const QJsonObject config{{QStringLiteral("tileUrl"), MapSchemeHandler::tileUrl()}};
    return "window.QRD_MAP_CONFIG = " + QJsonDocument(config).toJson(QJsonDocument::Compact) + ";\n";
}

// The offline world data as a script, so the page needs no fetch from its own scheme.
QByteArray worldScript()
{
    static const QByteArray script
        = "window.QRD_WORLD = " + readResource(QStringLiteral(":/viewermap/countries-110m.json")).trimmed() + ";\n";
    return script;
}

void reply(QWebEngineUrlRequestJob *job, const QByteArray &mimeType, const QByteArray &body)
{
    auto *buffer = new QBuffer(job);
    buffer->setData(body);
    job->reply(mimeType, buffer);
}

} // namespace

void MapSchemeHandler::registerScheme()
{
    if (QWebEngineUrlScheme::schemeByName(kScheme).name() == kScheme)
        return;
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::ContentSecurityPolicyIgnored);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void MapSchemeHandler::installOn(QWebEngineProfile *profile)
{
    if (profile->urlSchemeHandler(kScheme))
        return;
    profile->installUrlSchemeHandler(kScheme, new MapSchemeHandler(profile));
    // Tile servers ask that their clients name themselves.
    profile->setHttpUserAgent(profile->httpUserAgent() + QStringLiteral(" qrd7700-viewer"));
}

QString MapSchemeHandler::tileUrl()
{
    if (qEnvironmentVariableIsSet(kTileUrlVariable))
        return qEnvironmentVariable(kTileUrlVariable).trimmed();
    return QString::fromLatin1(kDefaultTileUrl);
}

void MapSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    const QString path = job->requestUrl().path();
    if (path == QLatin1String("/config.js"))
        return reply(job, "application/javascript", configScript());
    if (path == QLatin1String("/world-110m.js"))
        return reply(job, "application/javascript", worldScript());
    for (const PageFile &file : kFiles) {
        if (path == QLatin1String(file.path)) {
            const QByteArray body = readResource(QString::fromLatin1(file.resource));
            if (body.isEmpty())
                break;
            return reply(job, file.mimeType, body);
        }
    }
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
}
