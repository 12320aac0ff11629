#pragma once

#include <QWebEngineUrlSchemeHandler>

class MapTileCache;
class QWebEngineProfile;

// Serves the bundled map page and what it loads (Leaflet, the offline world data, the tile
// configuration, and the tiles through the tile cache) under the "qrdmap" URL scheme, so the page
// keeps its ".aspx" path and query.
class MapSchemeHandler final : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    static constexpr const char *kScheme = "qrdmap";
    static constexpr const char *kHost = "map";
    // Environment variable with the tile address template ("{z}/{x}/{y}"); empty means no tiles.
    static constexpr const char *kTileUrlVariable = "QRD7700_MAP_TILES";

    explicit MapSchemeHandler(QObject *parent = nullptr);

    // Registers the scheme with the web engine. Call before the application object exists.
    static void registerScheme();
    // Installs one handler on `profile` unless it has one already, and adds the program's name to
    // the profile's user agent.
    static void installOn(QWebEngineProfile *profile);
    // The tile address template the page uses.
    static QString tileUrl();

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    void serveTile(QWebEngineUrlRequestJob *job);

    MapTileCache *m_tiles;
};
