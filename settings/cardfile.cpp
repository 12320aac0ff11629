#include "settings/cardfile.h"

#include "base/rawfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcCardFile, "qrd7700.settings.card")

using RawFile::Descriptor;
using RawFile::writeAll;

namespace {

// The journal of a commit under way, and the name it is written under before it counts.
constexpr auto kJournalName = ".qrd7700-commit";
constexpr auto kJournalDraftName = ".qrd7700-commit.new";
// A journal names a few dozen temporary files; anything longer is not ours.
constexpr qint64 kJournalCap = 16 * 1024;

// Whether a file may be replaced at `path`: nothing there, a regular file, or a link (which rename()
// replaces without touching what it points to).
bool replaceable(const QByteArray &path)
{
    struct stat info;
    if (::lstat(path.constData(), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode) || S_ISLNK(info.st_mode);
}

bool isRegularFile(const QByteArray &path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

// Writes `bytes` into the new file `file` opened at `path` and syncs it; a file that could not be
// written whole is removed.
bool fillSynced(Descriptor &file, const QByteArray &path, const QByteArray &bytes)
{
    if (file.get() < 0)
        return false;
    const bool written = writeAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    if (!file.close() || !written) {
        ::unlink(path.constData());
        return false;
    }
    return true;
}

// Writes `bytes` to a new file at `path` (replacing a leftover of an earlier attempt) and syncs it.
bool writeSynced(const QByteArray &path, const QByteArray &bytes)
{
    ::unlink(path.constData());
    Descriptor file(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    return fillSynced(file, path, bytes);
}

// The temporary files batches writing `names` make: "." + name + "." + hexadecimal suffix.
QRegularExpression temporaryPattern(const QStringList &names)
{
    QStringList escaped;
    for (const QString &name : names)
        escaped.append(QRegularExpression::escape(name));
    return QRegularExpression(QStringLiteral("^\\.(%1)\\.[0-9a-f]{1,8}$").arg(escaped.join(QLatin1Char('|'))));
}

// Opens `folder` and takes its lock, waiting for another holder or not; the descriptor that holds it,
// or -1 when another process holds it (and `wait` is false). A file system without locks is used
// without one.
int lockFolder(const QString &folder, bool wait)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int result;
    do
        result = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
    while (result != 0 && errno == EINTR);
    if (result != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return -1;
    }
    return fd;
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

bool isReadOnlyMedium(const QString &path)
{
    QString existing = path;
    struct statvfs info;
    while (::statvfs(QFile::encodeName(existing).constData(), &info) != 0) {
        const QString parent = QFileInfo(existing).path();
        if (errno != ENOENT || parent == existing)
            return false;
        existing = parent;
    }
    return (info.f_flag & ST_RDONLY) != 0;
}

} // namespace CardFile

CardWriteBatch::CardWriteBatch(const QString &folder)
    : m_folder(folder)
    , m_lock(lockFolder(folder, true))
{
}

CardWriteBatch::~CardWriteBatch()
{
    discard();
    if (m_lock >= 0)
        ::close(m_lock); // and with it the lock
}

bool CardWriteBatch::stage(const QString &name, const QByteArray &bytes)
{
    const QByteArray target = QFile::encodeName(m_folder + QLatin1Char('/') + name);
    if (!replaceable(target))
        return false;
    QByteArray temporaryPath;
    Descriptor file(RawFile::createTemporaryBeside(target, &temporaryPath));
    if (!fillSynced(file, temporaryPath, bytes))
        return false;
    m_staged.push_back({name, temporaryPath});
    return true;
}

// One temporary file name per line; the target is the name between the leading dot and the suffix.
bool CardWriteBatch::writeJournal() const
{
    QByteArray journal;
    for (const Staged &staged : m_staged)
        journal += staged.temporaryPath.mid(staged.temporaryPath.lastIndexOf('/') + 1) + '\n';
    const QByteArray folder = QFile::encodeName(m_folder) + '/';
    // The journal counts only once it is whole on the medium and under its own name.
    const QByteArray draft = folder + kJournalDraftName;
    return writeSynced(draft, journal) && ::rename(draft.constData(), (folder + kJournalName).constData()) == 0
           && syncFolder(m_folder);
}

void CardWriteBatch::removeJournal() const
{
    if (::unlink(QFile::encodeName(m_folder + QLatin1Char('/') + QLatin1String(kJournalName)).constData()) == 0)
        syncFolder(m_folder);
}

bool CardWriteBatch::commit()
{
    m_failedNames.clear();
    if (!m_staged.empty() && !writeJournal()) {
        ::unlink(QFile::encodeName(m_folder + QLatin1Char('/') + QLatin1String(kJournalDraftName)).constData());
        for (const Staged &staged : m_staged)
            m_failedNames.append(staged.name);
        discard();
        return false;
    }
    for (const Staged &staged : m_staged) {
        const QByteArray target = QFile::encodeName(m_folder + QLatin1Char('/') + staged.name);
        if (::rename(staged.temporaryPath.constData(), target.constData()) != 0) {
            ::unlink(staged.temporaryPath.constData());
            m_failedNames.append(staged.name);
        }
    }
    const bool journalled = !m_staged.empty();
    m_staged.clear();
    if (!syncFolder(m_folder))
        m_failedNames.append(QFileInfo(m_folder).fileName());
    else if (journalled)
        removeJournal(); // only once the renames are sure to be on the medium
    return m_failedNames.isEmpty();
}

void CardWriteBatch::discard()
{
    for (const Staged &staged : m_staged)
        ::unlink(staged.temporaryPath.constData());
    m_staged.clear();
}

bool CardWriteBatch::recover(const QString &folder, const QStringList &names)
{
    struct stat info;
    const QByteArray native = QFile::encodeName(folder);
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return true;
    // A batch of another process at work holds the lock: what it left is no remains.
    const Descriptor lock(lockFolder(folder, false));
    if (lock.get() < 0)
        return true;
    const QRegularExpression ours = temporaryPattern(names);
    bool clean = true;
    const QByteArray journalPath = native + '/' + kJournalName;
    if (const std::optional<QByteArray> journal = CardFile::readRegular(QFile::decodeName(journalPath), kJournalCap)) {
        // The commit had begun: finish its renames. Those already made have no temporary left.
        for (const QByteArray &line : CardFile::lines(*journal, false)) {
            const QRegularExpressionMatch match = ours.match(QString::fromLatin1(line));
            const QByteArray temporary = native + '/' + line;
            if (!match.hasMatch() || !isRegularFile(temporary))
                continue;
            const QByteArray target = native + '/' + QFile::encodeName(match.captured(1));
            if (::rename(temporary.constData(), target.constData()) == 0) {
                qCInfo(lcCardFile) << "finished an interrupted save of" << match.captured(1) << "in" << folder;
            } else {
                qCWarning(lcCardFile) << "cannot finish an interrupted save of" << match.captured(1) << "in" << folder;
                clean = false;
            }
        }
        if (!clean || !syncFolder(folder) || ::unlink(journalPath.constData()) != 0)
            return false;
        syncFolder(folder);
    }
    // What is left are the temporaries of saves that never reached their journal: the old files stand.
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &name : entries) {
        const QByteArray path = native + '/' + QFile::encodeName(name);
        if ((name == QLatin1String(kJournalDraftName) || ours.match(name).hasMatch()) && isRegularFile(path)
            && ::unlink(path.constData()) != 0)
            clean = false;
    }
    return clean;
}
