#include "settings/cardfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kTemporaryNameAttempts = 100;

// Closes a file descriptor on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    // Closes now and says whether the close succeeded (a late write error shows up here).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// Whether a file may be replaced at `path`: nothing there, a regular file, or a link (which rename()
// replaces without touching what it points to).
bool replaceable(const QByteArray &path)
{
    struct stat info;
    if (::lstat(path.constData(), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode) || S_ISLNK(info.st_mode);
}

// Creates a new, empty file with an unused name beside `target`; the descriptor, or -1.
int createTemporary(const QByteArray &target, QByteArray *temporaryPath)
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

// Flushes the folder's entries (the renames) to the medium. File systems that cannot sync a folder
// say EINVAL; there is nothing more to do on them.
bool syncFolder(const QString &folder)
{
    Descriptor dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return false;
    if (::fsync(dir.get()) != 0 && errno != EINVAL)
        return false;
    return dir.close();
}

} // namespace

namespace CardFile {

std::optional<QByteArray> readRegular(const QString &path, qint64 maxBytes)
{
    const QByteArray native = QFile::encodeName(path);
    // Looked at before opening, so that no FIFO or device is ever opened; checked again on the
    // open descriptor in case the entry changed in between.
    struct stat info;
    if (::lstat(native.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    Descriptor file(::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    QByteArray bytes(qsizetype(qMax<qint64>(maxBytes, 0)), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + done, size_t(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

QList<QByteArray> lines(const QByteArray &bytes, bool keepLineEnds)
{
    QList<QByteArray> result;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        QByteArray line = bytes.mid(start, end - start);
        start = end;
        while (!keepLineEnds && (line.endsWith('\n') || line.endsWith('\r')))
            line.chop(1);
        result.append(line);
    }
    return result;
}

} // namespace CardFile

CardWriteBatch::CardWriteBatch(const QString &folder)
    : m_folder(folder)
{
}

CardWriteBatch::~CardWriteBatch()
{
    discard();
}

bool CardWriteBatch::stage(const QString &name, const QByteArray &bytes)
{
    const QByteArray target = QFile::encodeName(m_folder + QLatin1Char('/') + name);
    if (!replaceable(target))
        return false;
    QByteArray temporaryPath;
    Descriptor file(createTemporary(target, &temporaryPath));
    if (file.get() < 0)
        return false;
    const bool written = writeAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    if (!file.close() || !written) {
        ::unlink(temporaryPath.constData());
        return false;
    }
    m_staged.push_back({name, temporaryPath});
    return true;
}

bool CardWriteBatch::commit()
{
    m_failedNames.clear();
    for (const Staged &staged : m_staged) {
        const QByteArray target = QFile::encodeName(m_folder + QLatin1Char('/') + staged.name);
        if (::rename(staged.temporaryPath.constData(), target.constData()) != 0) {
            ::unlink(staged.temporaryPath.constData());
            m_failedNames.append(staged.name);
        }
    }
    m_staged.clear();
    if (!syncFolder(m_folder))
        m_failedNames.append(QFileInfo(m_folder).fileName());
    return m_failedNames.isEmpty();
}

void CardWriteBatch::discard()
{
    for (const Staged &staged : m_staged)
        ::unlink(staged.temporaryPath.constData());
    m_staged.clear();
}
