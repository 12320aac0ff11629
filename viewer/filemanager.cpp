#include "viewer/filemanager.h"

#include <QDesktopServices>
#include <QUrl>

namespace FileManager {

bool showFolder(const QString &folder)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

} // namespace FileManager
