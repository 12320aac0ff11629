#include "base/statefile.h"

#include <QFile>
#include <QLoggingCategory>

#include <cerrno>
#include <sys/stat.h>

Q_DECLARE_LOGGING_CATEGORY(lcConfig)

namespace StateFile {

bool isUsable(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT;
    if (S_ISREG(info.st_mode))
        return true;
    qCWarning(lcConfig) << path << "is not a regular file; the defaults stand and nothing is written there";
    return false;
}

} // namespace StateFile
