#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

class QWebEngineUrlRequestJob;

// The map's tiles, fetched from the tile server and kept on disk under
// $XDG_CACHE_HOME/qrd7700/map-tiles, one folder per tile server: a tile fetched once is shown again
// without the network. A kept tile younger than kFreshDays is used as it is; an older one is
// fetched again, and kept on when the server cannot be reached. Answers run on the GUI thread.
class MapTileCache : public QObject
{
    Q_OBJECT

public:
    static constexpr int kFreshDays = 7;

    explicit MapTileCache(QObject *parent = nullptr);

    // The folder of the kept tiles.
    static QString folder();
    // Answers `job` with tile z/x/y of the tile server whose address template ("{z}/{x}/{y}") is
    // `source`, or fails it when the tile can be had neither from disk nor from the server.
    void serve(QWebEngineUrlRequestJob *job, const QString &source, int z, int x, int y);

private:
    void fetched(QWebEngineUrlRequestJob *job, const QString &file, class QNetworkReply *reply);

    QNetworkAccessManager m_network;
};
