#include "catalogue/cardcopy.h"

#include <QDir>
#include <QFileInfo>

namespace CardCopy {

namespace {

constexpr const char *kCardFolders[] = {"REC", "EVENT"};

bool isRealFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

} // namespace

bool isCardCopy(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    for (const char *name : kCardFolders) {
        if (isRealFolder(folder + QLatin1Char('/') + QLatin1String(name)))
            return true;
    }
    return false;
}

QString rootOf(const QString &path)
{
    if (path.isEmpty())
        return {};
    QString folder = QDir::cleanPath(QDir(path).absolutePath());
    while (true) {
        if (isCardCopy(folder))
            return folder;
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            return {};
        folder = parent;
    }
}

} // namespace CardCopy
