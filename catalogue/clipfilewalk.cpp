#include "catalogue/clipfilewalk_p.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <strings.h>
#include <vector>

namespace ClipFileWalk {

namespace {

constexpr auto kShortcutSuffix = ".lnk";

bool hasClipSuffix(const char *name, size_t length)
{
    return length >= 4
           && (strcasecmp(name + length - 4, ".mp4") == 0 || strcasecmp(name + length - 4, ".avi") == 0);
}

// Closes the directory stream (and with it its descriptor) on every way out.
struct DirCloser
{
    DIR *dir;
    ~DirCloser()
    {
        if (dir)
            closedir(dir);
    }
};

struct Folder
{
    QString path;
    bool filesCount; // false for ".lnk" folders: walked, but their own files do not count
};

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

enum class EntryKind { Other, Folder, File };

// The kind of entry `name` of `dirFd`: folders that are links count as Other (never entered); links
// to files count as files, as a folder listing shows them.
EntryKind kindOf(int dirFd, const dirent *entry, qint64 *size)
{
    struct stat info;
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN) {
        if (fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Other;
        type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
    }
    if (type == DT_DIR)
        return EntryKind::Folder;
    if (type != DT_REG && type != DT_LNK)
        return EntryKind::Other;
    if (!size && type == DT_REG)
        return EntryKind::File;
    if (fstatat(dirFd, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode))
        return EntryKind::Other;
    if (size)
        *size = info.st_size;
    return EntryKind::File;
}

// Lists one folder: visits its clip files (when they count) and collects its sub-folders in order.
// Returns false when the walk is to stop.
bool listFolder(const Folder &folder, const Options &options, const Visitor &visit,
                std::vector<Folder> *subFolders)
{
    DirCloser dir{opendir(QFile::encodeName(folder.path).constData())};
    if (!dir.dir)
        return true; // an unreadable folder holds nothing we can see
    const int dirFd = dirfd(dir.dir);
    while (const dirent *entry = readdir(dir.dir)) {
        if (options.cancelled && options.cancelled->load(std::memory_order_relaxed))
            return false;
        if (entry->d_name[0] == '.') // ".", ".." and hidden entries
            continue;
        const size_t length = strlen(entry->d_name);
        const bool clipName = folder.filesCount && hasClipSuffix(entry->d_name, length);
        if (!clipName && !options.recursive)
            continue;
        if (!clipName && entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN)
            continue;
        qint64 size = -1;
        const EntryKind kind = kindOf(dirFd, entry, clipName && options.withSizes ? &size : nullptr);
        const QString name = QFile::decodeName(QByteArray::fromRawData(entry->d_name, qsizetype(length)));
        if (kind == EntryKind::Folder && options.recursive) {
            const bool shortcut = name.endsWith(QLatin1String(kShortcutSuffix));
            subFolders->push_back({joined(folder.path, name), !shortcut});
        } else if (kind == EntryKind::File && clipName && !visit(folder.path, name, size)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool hasClipSuffix(const QString &name)
{
    return name.endsWith(QLatin1String(".mp4"), Qt::CaseInsensitive)
           || name.endsWith(QLatin1String(".avi"), Qt::CaseInsensitive);
}

bool walk(const QString &root, const Options &options, const Visitor &visit)
{
    // Depth first with an explicit stack (no recursion, one open folder at a time); sub-folders are
    // pushed in reverse so they come off in listing order.
    std::vector<Folder> stack{{root, true}};
    std::vector<Folder> subFolders;
    while (!stack.empty()) {
        const Folder folder = std::move(stack.back());
        stack.pop_back();
        subFolders.clear();
        if (!listFolder(folder, options, visit, &subFolders))
            return false;
        stack.insert(stack.end(), std::make_move_iterator(subFolders.rbegin()),
                     std::make_move_iterator(subFolders.rend()));
    }
    return true;
}

} // namespace ClipFileWalk
