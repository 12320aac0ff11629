#include "viewer/maptilecache.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QPointer>
#include <QSaveFile>
#include <QStandardPaths>
#include <QWebEngineUrlRequestJob>

namespace {

constexpr qint64 kSecondsPerDay = 24 * 3600;
constexpr qint64 kMaxTileBytes = 4 * 1024 * 1024;

QByteArray mimeTypeOf(const QByteArray &image)
{
    if (image.startsWith("\x89PNG"))
        return "image/png";
    if (image.startsWith("\xff\xd8"))
        return "image/jpeg";
    if (image.startsWith("RIFF") && image.mid(8, 4) == "WEBP")
        return "image/webp";
    return "application/octet-stream";
}

QByteArray readTile(const QString &file)
{
    QFile tile(file);
    if (!tile.open(QIODevice::ReadOnly) || tile.size() > kMaxTileBytes)
        return {};
    return tile.readAll();
}

void answer(QWebEngineUrlRequestJob *job, const QByteArray &image)
{
    auto *buffer = new QBuffer(job);
    buffer->setData(image);
    job->reply(mimeTypeOf(image), buffer);
}

} // namespace

MapTileCache::MapTileCache(QObject *parent)
    : QObject(parent)
{
}

QString MapTileCache::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
           + QStringLiteral("/qrd7700/map-tiles");
}

void MapTileCache::serve(QWebEngineUrlRequestJob *job, const QString &source, int z, int x, int y)
{
    const QString server = QString::fromLatin1(
        QCryptographicHash::hash(source.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    const QString file = QStringLiteral("%1/%2/%3/%4/%5").arg(folder(), server).arg(z).arg(x).arg(y);
    const QFileInfo kept(file);
    if (kept.isFile() && kept.lastModified().secsTo(QDateTime::currentDateTime()) < kFreshDays * kSecondsPerDay) {
        if (const QByteArray image = readTile(file); !image.isEmpty())
            return answer(job, image);
    }
    QString address = source;
    address.replace(QLatin1String("{z}"), QString::number(z))
        .replace(QLatin1String("{x}"), QString::number(x))
        .replace(QLatin1String("{y}"), QString::number(y));
    QNetworkRequest request{QUrl(address)};
    // Tile servers ask that their clients name themselves.
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("qrd7700-viewer"));
    request.setTransferTimeout(15000);
    QNetworkReply *reply = m_network.get(request);
    QPointer<QWebEngineUrlRequestJob> waiting(job);
    connect(reply, &QNetworkReply::finished, this, [this, waiting, file, reply] {
        reply->deleteLater();
        if (waiting)
            fetched(waiting, file, reply);
    });
}

// A fetched tile is kept and shown; without one, a kept tile however old is better than none.
void MapTileCache::fetched(QWebEngineUrlRequestJob *job, const QString &file, QNetworkReply *reply)
{
    const QByteArray image = reply->error() == QNetworkReply::NoError ? reply->read(kMaxTileBytes) : QByteArray();
    if (image.isEmpty() || mimeTypeOf(image) == "application/octet-stream") {
        const QByteArray old = readTile(file);
        if (old.isEmpty())
            return job->fail(QWebEngineUrlRequestJob::RequestFailed);
        return answer(job, old);
    }
    if (QDir().mkpath(QFileInfo(file).path())) {
        QSaveFile out(file);
        if (out.open(QIODevice::WriteOnly) && out.write(image) == image.size())
            out.commit();
    }
    answer(job, image);
}
