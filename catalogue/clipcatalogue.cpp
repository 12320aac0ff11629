#include "catalogue/clipcatalogue.h"

#include "catalogue/clipfilewalk_p.h"
#include "catalogue/volumemap.h"

#include <QDir>

namespace {

QString absoluteFolder(const QString &path)
{
    return QDir::cleanPath(QDir(path).absolutePath());
}

} // namespace

ClipCatalogue::ClipCatalogue(const QString &path, const std::atomic<bool> *cancelled)
    : m_path(path)
    , m_volumes(VolumeMap::forFolder(path))
{
    scan(cancelled);
}

bool ClipCatalogue::rescan()
{
    m_clips.clear();
    m_volumes = VolumeMap::forFolder(m_path);
    scan(nullptr);
    return hasClips();
}

// The folder itself, and below a removable drive every sub-folder, in walk order. A clip replaces an
// earlier one of the same name, so of the same name in several folders the one scanned last stays.
// Empty files are no clips.
void ClipCatalogue::scan(const std::atomic<bool> *cancelled)
{
    const QString root = absoluteFolder(m_path);
    ClipFileWalk::Options options;
    options.recursive = m_volumes.isOnRemovableDrive(root);
    options.withSizes = true;
    options.cancelled = cancelled;
    ClipFileWalk::walk(root, options, [this](const QString &folder, const QString &name, qint64 size) {
        if (size > 0)
            m_clips[name] = std::make_unique<Clip>(QFileInfo(folder + QLatin1Char('/') + name));
        return true;
    });
}

bool isProperFolder(const QString &path, const std::atomic<bool> *cancelled)
{
    return isProperFolder(path, VolumeMap::forFolder(path), cancelled);
}

// Any clip file counts here, empty ones included; the first one found ends the walk.
bool isProperFolder(const QString &path, const VolumeMap &volumes, const std::atomic<bool> *cancelled)
{
    const QString root = absoluteFolder(path);
    ClipFileWalk::Options options;
    options.recursive = volumes.isOnRemovableDrive(root);
    options.cancelled = cancelled;
    bool found = false;
    ClipFileWalk::walk(root, options, [&found](const QString &, const QString &, qint64) {
        found = true;
        return false;
    });
    return found && !(cancelled && cancelled->load());
}
