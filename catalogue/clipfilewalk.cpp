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

// One entry of a folder listing that may matter: a clip-named file or a possible sub-folder.
struct Entry
{
    QByteArray name;
    unsigned char type; // d_type, DT_UNKNOWN when the file system does not say
    bool clipName;
    EntryKind kind = EntryKind::Other;
    qint64 size = -1;
};

// The kind of `entry` in `dirFd`: links count as Other, whether to folders (never entered) or to
// files (never listed: a clip-named link may point anywhere, off the card included). Reads the size
// when `withSize`.
void resolve(int dirFd, Entry &entry, bool withSize)
{
    struct stat info;
    unsigned char type = entry.type;
    if (type == DT_UNKNOWN) {
        if (fstatat(dirFd, entry.name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    if (type == DT_DIR) {
        entry.kind = EntryKind::Folder;
        return;
    }
    if (!entry.clipName || type != DT_REG)
        return;
    if (!withSize) {
        entry.kind = EntryKind::File;
        return;
    }
    if (fstatat(dirFd, entry.name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
        return;
    entry.kind = EntryKind::File;
    entry.size = info.st_size;
}

// Reads the entries of `dir` that may matter: clip names where files count, and (when walking
// down) possible folders. Hidden entries, "." and ".." are left out.
bool readEntries(DIR *dir, const Folder &folder, const Options &options, std::vector<Entry> *entries)
{
    while (const dirent *entry = readdir(dir)) {
        if (options.cancelled && options.cancelled->load(std::memory_order_relaxed))
            return false;
        if (entry->d_name[0] == '.')
            continue;
        const size_t length = strlen(entry->d_name);
        const bool clipName = folder.filesCount && hasClipSuffix(entry->d_name, length);
        const bool maybeFolder = options.recursive && (entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN);
        if (clipName || maybeFolder)
            entries->push_back({QByteArray(entry->d_name, qsizetype(length)), entry->d_type, clipName});
    }
    return true;
}

// Lists one folder: visits its clip files (when they count) and collects its sub-folders in order.
// Returns false when the walk is to stop.
bool listFolder(const Folder &folder, const Options &options, const Visitor &visit,
                std::vector<Folder> *subFolders)
{
    DirCloser dir{opendir(QFile::encodeName(folder.path).constData())};
    if (!dir.dir)
        return true; // an unreadable folder holds nothing we can see
    std::vector<Entry> entries;
    if (!readEntries(dir.dir, folder, options, &entries))
        return false;
    const int dirFd = dirfd(dir.dir);
    for (Entry &entry : entries)
        resolve(dirFd, entry, options.withSizes);
    for (const Entry &entry : entries) {
        if (options.cancelled && options.cancelled->load(std::memory_order_relaxed))
            return false;
        if (entry.kind == EntryKind::Other)
            continue;
        const QString name = QFile::decodeName(entry.name);
        if (entry.kind == EntryKind::Folder && options.recursive)
            subFolders->push_back({joined(folder.path, name), !name.endsWith(QLatin1String(kShortcutSuffix))});
        else if (entry.kind == EntryKind::File && !visit(folder.path, name, entry.size))
            return false;
    }
    return true;
}

} // namespace

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
