#include "viewer/snapshotnames.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <algorithm>

namespace Snapshot {

QString resolutionTag(int frameHeight)
{
    if (frameHeight >= 1080)
        return QStringLiteral("-FHD");
    if (frameHeight >= 720)
        return QStringLiteral("-HD");
    return QStringLiteral("-SD");
}

QString proposedName(const QDateTime &when)
{
    return QStringLiteral("QRD-7700_") + QLocale().toString(when, QStringLiteral("yyyyMMddhhmmss'.jpg'"));
}

QString pictureFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        return {};
    const QString folder = QDir(pictures).filePath(QStringLiteral("QRD-7700"));
    return QDir().mkpath(folder) ? folder : QString();
}

QString printFileName(const QString &clipName, qint64 positionMs, const QDateTime &when)
{
    if (clipName.isEmpty())
        return proposedName(when).chopped(4) + QStringLiteral(".pdf");
    const qint64 tenths = std::max<qint64>(0, positionMs) / 100;
    const QString stem = QFileInfo(clipName).completeBaseName();
    return QStringLiteral("%1_%2m%3.%4s.pdf")
        .arg(stem)
        .arg(tenths / 600, 2, 10, QLatin1Char('0'))
        .arg(tenths / 10 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

bool isCancelledName(const QString &chosen)
{
    return chosen.isNull() || chosen.size() <= 4;
}

QString withImageExtension(const QString &chosen, const QString &defaultExtension)
{
    const QString tail = chosen.right(4);
    if (tail.compare(QLatin1String(".jpg"), Qt::CaseInsensitive) == 0
        || tail.compare(QLatin1String(".png"), Qt::CaseInsensitive) == 0)
        return chosen;
    return chosen + defaultExtension;
}

QString extensionForFilter(const QString &selectedFilter)
{
    // The dialog offers one filter for both formats; a filter naming only PNG picks PNG.
    if (selectedFilter.contains(QLatin1String("*.png")) && !selectedFilter.contains(QLatin1String("*.jpg")))
        return QStringLiteral(".png");
    return QStringLiteral(".jpg");
}

QStringList channelFileNames(const QString &name, const std::array<QSize, 2> &frameSizes, int channels)
{
    const QString extension = name.right(4);
    const QString stem = name.left(name.size() - 4);
    QStringList names;
    for (int i = 0; i < std::min(channels, 2); ++i)
        names << stem + QStringLiteral("-%1ch").arg(i + 1) + resolutionTag(frameSizes[i].height()) + extension;
    return names;
}

} // namespace Snapshot
