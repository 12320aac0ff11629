#include "base/localconfig.h"

#include "base/statefile.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcConfig, "qrd7700.config")

namespace {
constexpr auto kFolderName = "QRD-7700";
constexpr auto kFileName = "local.cfg";
constexpr auto kLastFolderKey = "storage/lastfolder";
} // namespace

namespace LocalConfig {

QString localConfigPath()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return {};
    QDir documentsDir(documents);
    const QString folder = documentsDir.filePath(QLatin1String(kFolderName));
    if (!QFileInfo(folder).isDir()) {
        // One level only, as the folder sits directly in the documents folder; a missing documents
        // folder is created too, since Linux desktops do not always have one.
        if (!documentsDir.mkpath(QLatin1String(kFolderName)))
            qCWarning(lcConfig) << "cannot create" << folder;
    }
    if (!QFileInfo(folder).isDir())
        return {};
    return folder + QLatin1Char('/') + QLatin1String(kFileName);
}

void saveLastFolder(const QString &path)
{
    const QString file = localConfigPath();
    if (file.isEmpty() || !StateFile::isUsable(file))
        return;
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(QLatin1String(kLastFolderKey), path);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qCWarning(lcConfig) << "cannot write" << file;
}

bool loadLastFolder(QString &path)
{
    const QString file = localConfigPath();
    if (file.isEmpty() || !StateFile::isUsable(file))
        return false;
    QSettings settings(file, QSettings::IniFormat);
    if (!settings.contains(QLatin1String(kLastFolderKey)))
        return false;
    path = settings.value(QLatin1String(kLastFolderKey)).toString();
    return true;
}

} // namespace LocalConfig
