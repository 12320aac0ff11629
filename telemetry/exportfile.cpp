#include "telemetry/exportfile.h"

#include "base/rawfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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
    RawFile::Descriptor file(RawFile::createTemporaryBeside(target, &temporary));
    if (file.get() < 0)
        return failWithErrno(error);
    if (replacing)
        takeOver(file.get(), existing);
    int failure = 0;
    if (!RawFile::writeAll(file.get(), data) || ::fsync(file.get()) != 0)
        failure = errno;
    if (!file.close() && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        failure = errno;
    if (failure == 0)
        return true;
    ::unlink(temporary.constData());
    return fail(error, QString::fromLocal8Bit(std::strerror(failure)));
}
