#include "evidence/evidencefiles.h"

#include "evidence/evidencedocument.h"
#include "evidence/exportplan.h"
#include "telemetry/trackexport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace {

constexpr qint64 kChunk = 1 << 20;

bool isCancelled(const std::atomic<bool> &cancelled)
{
    return cancelled.load(std::memory_order_relaxed);
}

// Flushes a file or folder to the disk.
bool sync(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

EvidenceFiles::Result failure(const QString &error)
{
    return {{}, error};
}

// One clip copied and hashed in one pass; an empty hash when it failed (with *error set).
QByteArray copyFile(const QString &from, const QString &to, const std::atomic<bool> &cancelled,
                    const std::function<void(qint64)> &progress, qint64 *done, QString *error)
{
    QFile source(from);
    QFile target(to);
    if (!QFileInfo(from).isFile() || !source.open(QIODevice::ReadOnly)) {
        const QString why = QFileInfo(from).isFile() ? source.errorString() : QStringLiteral("no longer there");
        *error = QStringLiteral("%1: %2").arg(QFileInfo(from).fileName(), why);
        return QByteArray();
    }
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *error = QStringLiteral("%1: %2").arg(to, target.errorString());
        return QByteArray();
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray chunk(kChunk, Qt::Uninitialized);
    for (qint64 got; (got = source.read(chunk.data(), kChunk)) != 0;) {
        if (got < 0 || target.write(chunk.constData(), got) != got || isCancelled(cancelled)) {
            *error = got < 0 ? source.errorString() : target.errorString();
            return QByteArray();
        }
        hash.addData(QByteArrayView(chunk.constData(), got));
        progress(*done += got);
    }
    if (!target.flush() || ::fsync(target.handle()) != 0) {
        *error = QStringLiteral("%1: %2").arg(to, target.errorString());
        return QByteArray();
    }
    target.setFileTime(QFileInfo(from).lastModified(), QFileDevice::FileModificationTime);
    return hash.result().toHex();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && file.write(data) == data.size() && file.flush()
           && ::fsync(file.handle()) == 0;
}

} // namespace

namespace EvidenceFiles {

Result copyOriginals(const QStringList &clips, const QString &folder, const std::atomic<bool> &cancelled,
                     const std::function<void(qint64)> &progress)
{
    const QString originals = folder + QLatin1Char('/') + originalsFolder();
    if (!QDir().mkdir(originals))
        return failure(QStringLiteral("%1: cannot be made").arg(originals));
    Result result;
    qint64 done = 0;
    for (const QString &clip : clips) {
        const QString name = QFileInfo(clip).fileName();
        QString error;
        const QByteArray sha256 = copyFile(clip, originals + QLatin1Char('/') + name, cancelled, progress, &done, &error);
        if (sha256.isEmpty())
            return failure(isCancelled(cancelled) ? QString() : error);
        result.entries << Checksums::Entry{originalsFolder() + QLatin1Char('/') + name, sha256};
    }
    if (!sync(originals))
        return failure(QStringLiteral("%1: cannot be written").arg(originals));
    return result;
}

Result writeDocuments(const QString &folder, const ExportPlan &plan, const QList<QImage> &pictures,
                      const QList<Checksums::Entry> &originals, const std::atomic<bool> &cancelled)
{
    const QDir dir(folder);
    QString error;
    if (!EvidenceDocument::write(dir.filePath(documentName()), plan, pictures, &error))
        return failure(error);
    const QList<TrackExport::Piece> pieces = plan.pieces();
    const QString name = plan.title;
    if (TrackExport::hasPositions(pieces) && !writeFile(dir.filePath(routeName()), TrackExport::toGpx(pieces, name)))
        return failure(QStringLiteral("%1: cannot be written").arg(dir.filePath(routeName())));
    if (!writeFile(dir.filePath(telemetryName()), TrackExport::toCsv(pieces)))
        return failure(QStringLiteral("%1: cannot be written").arg(dir.filePath(telemetryName())));
    Result result{originals, QString()};
    for (const QString &file : {segmentName(), overlayName(), documentName(), routeName(), telemetryName()}) {
        if (!QFileInfo(dir.filePath(file)).isFile())
            continue;
        const QByteArray sha256 = Checksums::fileHash(dir.filePath(file), &cancelled);
        if (sha256.isEmpty() || !sync(dir.filePath(file)))
            return failure(isCancelled(cancelled) ? QString() : QStringLiteral("%1: cannot be read back").arg(file));
        result.entries << Checksums::Entry{file, sha256};
    }
    if (!writeFile(dir.filePath(QLatin1String(Checksums::FileName)), Checksums::format(result.entries)) || !sync(folder))
        return failure(QStringLiteral("%1: cannot be written").arg(folder));
    return result;
}

bool publish(const QString &staging, const QString &target, QString *error)
{
    // Readable like any folder the user makes (the staging folder was private while it was made).
    QFile::setPermissions(staging, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                       | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                       | QFileDevice::ExeOther);
    const QByteArray from = QFile::encodeName(staging);
    const QByteArray to = QFile::encodeName(target);
    int renamed = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (renamed != 0 && errno == EINVAL) {
        // A file system that cannot refuse to replace: look first (rename would replace an empty folder).
        const QFileInfo existing(target);
        errno = existing.exists() || existing.isSymLink() ? EEXIST : 0;
        renamed = errno ? -1 : ::rename(from.constData(), to.constData());
    }
    if (renamed != 0) {
        *error = errno == EEXIST ? QStringLiteral("%1: already exists").arg(target)
                                 : QStringLiteral("%1: cannot be made (%2)").arg(target, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    sync(QFileInfo(target).absolutePath());
    return true;
}

} // namespace EvidenceFiles
