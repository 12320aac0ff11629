#include "viewer/mapscheme.h"

#include "viewer/maptilecache.h"

#include <QBuffer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUrlQuery>
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

// The page asks its tiles of this scheme, which keeps them (MapTileCache); the tile server's own
// template travels along in the query, so that every page keeps the server it was loaded with.
QByteArray configScript()
{
    const QString source = MapSchemeHandler::tileUrl();
    QString tiles;
    if (!source.isEmpty())
        tiles = QStringLiteral("%1://%2/tile/{z}/{x}/{y}?src=%3")
                    .arg(QLatin1String(MapSchemeHandler::kScheme), QLatin1String(MapSchemeHandler::kHost),
                         QString::fromLatin1(QUrl::toPercentEncoding(source)));
    const QJsonObject config{{QStringLiteral("tileUrl"), tiles}};
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

MapSchemeHandler::MapSchemeHandler(QObject *parent)
    : QWebEngineUrlSchemeHandler(parent)
    , m_tiles(new MapTileCache(this))
{
}

void MapSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    const QString path = job->requestUrl().path();
    if (path.startsWith(QLatin1String("/tile/")))
        return serveTile(job);
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

// "/tile/z/x/y?src=<template>": three whole numbers in the ranges of the tile grid.
void MapSchemeHandler::serveTile(QWebEngineUrlRequestJob *job)
{
    constexpr int kMaxZoom = 22;
    const QUrl url = job->requestUrl();
    const QStringList parts = url.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const QString source = QUrlQuery(url).queryItemValue(QStringLiteral("src"), QUrl::FullyDecoded);
    bool ok[3] = {false, false, false};
    const int z = parts.value(1).toInt(&ok[0]);
    const int x = parts.value(2).toInt(&ok[1]);
    const int y = parts.value(3).toInt(&ok[2]);
    const qint64 side = ok[0] && z >= 0 && z <= kMaxZoom ? qint64(1) << z : 0;
    if (parts.size() != 4 || !ok[1] || !ok[2] || side == 0 || x < 0 || y < 0 || x >= side || y >= side
        || source.isEmpty())
        return job->fail(QWebEngineUrlRequestJob::UrlInvalid);
    m_tiles->serve(job, source, z, x, y);
}
