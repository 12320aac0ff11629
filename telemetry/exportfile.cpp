#include "telemetry/exportfile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

bool writeExportFile(const QString &path, const QByteArray &data, QString *error)
{
    // QFileInfo follows symbolic links, like QSaveFile, which writes the link's target.
    const QFileInfo target(path);
    if (target.isDir())
        return fail(error, QStringLiteral("is a folder"));
    if (target.exists() && !target.isFile())
        return fail(error, QStringLiteral("is not a regular file"));
    if (target.isSymLink() && !target.exists())
        return fail(error, QStringLiteral("is a link to a missing file"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, file.errorString());
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(error, reason);
    }
    if (!file.commit())
        return fail(error, file.errorString());
    return true;
}
