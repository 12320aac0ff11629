#include "telemetry/exportfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kTemporaryNameAttempts = 100;

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

// The system's words for the last failure.
bool failWithErrno(QString *error)
{
    return fail(error, QString::fromLocal8Bit(std::strerror(errno)));
}

bool writeAll(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        done += written;
    }
    return true;
}

// A new, empty file beside `target`; its descriptor, or -1 with errno set.
int createTemporary(const QByteArray &target, QByteArray *temporary)
{
    const qsizetype slash = target.lastIndexOf('/');
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        const QByteArray suffix = QByteArray::number(QRandomGenerator::global()->generate(), 16);
        *temporary = target.left(slash + 1) + '.' + target.mid(slash + 1) + '.' + suffix;
        const int fd = ::open(temporary->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Gives the new file what the replaced one had: owner and group where allowed (a user may only give
// a file to a group of theirs), then the mode, which a change of owner may have cleared bits of.
void takeOver(int fd, const struct stat &replaced)
{
    if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0)
        (void)::fchown(fd, uid_t(-1), replaced.st_gid);
    (void)::fchmod(fd, replaced.st_mode & 07777);
}

} // namespace

bool writeExportFile(const QString &path, const QByteArray &data, QString *error)
{
    if (path.isEmpty())
        return fail(error, QStringLiteral("no file name"));
    const QFileInfo given(path);
    if (given.isSymLink() && !given.exists())
        return fail(error, QStringLiteral("is a link to a missing file"));
    // A link stays a link: the file it leads to is the one replaced.
    const QByteArray target = QFile::encodeName(given.isSymLink() ? given.canonicalFilePath() : path);
    struct stat existing;
    const bool replacing = ::stat(target.constData(), &existing) == 0;
    if (!replacing && errno != ENOENT)
        return failWithErrno(error);
    if (replacing && S_ISDIR(existing.st_mode))
        return fail(error, QStringLiteral("is a folder"));
    if (replacing && !S_ISREG(existing.st_mode))
        return fail(error, QStringLiteral("is not a regular file"));
    if (replacing && ::access(target.constData(), W_OK) != 0)
        return failWithErrno(error);

    QByteArray temporary;
    const int fd = createTemporary(target, &temporary);
    if (fd < 0)
        return failWithErrno(error);
    if (replacing)
        takeOver(fd, existing);
    int failure = 0;
    if (!writeAll(fd, data) || ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        failure = errno;
    if (failure == 0)
        return true;
    ::unlink(temporary.constData());
    return fail(error, QString::fromLocal8Bit(std::strerror(failure)));
}
