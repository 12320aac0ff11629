#include "catalogue/volumemap.h"

#include "catalogue/cardcopy.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

VolumeMap VolumeMap::current()
{
    return VolumeMap(listRemovableDrives(), mountPoints());
}

VolumeMap VolumeMap::forFolder(const QString &folder)
{
    QList<RemovableDrive> drives = listRemovableDrives();
    const QString root = QDir::cleanPath(QDir(folder).absolutePath());
    const bool known = std::any_of(drives.cbegin(), drives.cend(),
                                   [&root](const RemovableDrive &drive) { return drive.drive == root; });
    if (!known && CardCopy::isCardCopy(root))
        drives.append(RemovableDrive{root, QFileInfo(root).fileName(), QString()});
    return VolumeMap(drives, mountPoints());
}

VolumeMap::VolumeMap(const QList<RemovableDrive> &drives, const QStringList &mountPoints)
    : m_drives(drives)
{
    for (const QString &point : mountPoints)
        m_roots.append(withoutTrailingSeparator(point));
    for (const RemovableDrive &drive : drives)
        m_roots.append(withoutTrailingSeparator(drive.drive));
    m_roots.removeAll(QString());
    m_roots.removeDuplicates();
    std::stable_sort(m_roots.begin(), m_roots.end(),
                     [](const QString &a, const QString &b) { return a.size() > b.size(); });
}

bool VolumeMap::isWithin(const QString &path, const QString &root)
{
    if (root.isEmpty())
        return false;
    if (root == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    if (!path.startsWith(root))
        return false;
    return path.size() == root.size() || path.at(root.size()) == QLatin1Char('/')
           || root.endsWith(QLatin1Char('/'));
}

bool VolumeMap::isOnRemovableDrive(const QString &path) const
{
    return std::any_of(m_drives.cbegin(), m_drives.cend(),
                       [&path](const RemovableDrive &drive) { return isWithin(path, drive.drive); });
}

QString VolumeMap::relativeToVolume(const QString &path) const
{
    for (const QString &root : m_roots) {
        if (!isWithin(path, root))
            continue;
        if (root == QLatin1String("/"))
            return path.mid(1);
        return path.size() == root.size() ? QStringLiteral("") : path.mid(root.size() + 1);
    }
    return {};
}

bool VolumeMap::isUnderTopFolder(const QString &path, QStringView topFolder) const
{
    const QString relative = relativeToVolume(path);
    return relative.size() > topFolder.size() && relative.startsWith(topFolder)
           && relative.at(topFolder.size()) == QLatin1Char('/');
}
