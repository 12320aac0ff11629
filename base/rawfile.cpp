#include "base/rawfile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace RawFile {

namespace {
constexpr int kTemporaryNameAttempts = 100;
} // namespace

Descriptor::Descriptor(int fd)
    : m_fd(fd)
{
}

Descriptor::~Descriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool Descriptor::close()
{
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = EIO;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

int createTemporaryBeside(const QByteArray &target, QByteArray *temporaryPath)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    const QByteArray name = target.mid(slash + 1);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        const QByteArray suffix = QByteArray::number(QRandomGenerator::global()->generate(), 16);
        *temporaryPath = folder + '.' + name + '.' + suffix;
        const int fd = ::open(temporaryPath->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace RawFile
