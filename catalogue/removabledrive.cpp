#include "catalogue/removabledrive.h"
#include "catalogue/drivelisting_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace {

constexpr auto kMountInfo = "/proc/self/mountinfo";
constexpr auto kSysRoot = "/sys";
constexpr auto kByLabel = "/dev/disk/by-label";

// mountinfo escapes blanks, tabs, new lines and backslashes as three octal digits ("\040").
QString unescapeOctal(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && code < 256) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QString::fromLocal8Bit(out);
}

// udev escapes unsafe characters of a label as "\xHH".
QString unescapeHex(const QString &name)
{
    QByteArray out;
    const QByteArray in = name.toLocal8Bit();
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            bool ok = false;
            const int code = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(in[i]);
    }
    return QString::fromLocal8Bit(out);
}

QByteArray readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().trimmed();
}

QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

namespace DriveListing {

QList<Mount> parseMountInfo(const QByteArray &text)
{
    QList<Mount> mounts;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf(QByteArray("-"));
        // Six fixed fields, optional tags, the dash, then type, source and super options.
        if (dash < 6 || fields.size() < dash + 3)
            continue;
        Mount mount;
        mount.deviceNumber = QString::fromLatin1(fields[2]);
        mount.root = unescapeOctal(fields[3]);
        mount.mountPoint = unescapeOctal(fields[4]);
        mount.fileSystem = unescapeOctal(fields[dash + 1]);
        mount.source = unescapeOctal(fields[dash + 2]);
        mounts.append(mount);
    }
    return mounts;
}

bool isRemovableDevice(const QString &sysRoot, const QString &deviceNumber, QString *blockName)
{
    const QString device = QFileInfo(sysRoot + QLatin1String("/dev/block/") + deviceNumber)
                               .canonicalFilePath();
    if (device.isEmpty())
        return false;
    if (blockName)
        *blockName = QFileInfo(device).fileName();
    // A partition has a "partition" file; its disk is the folder above it.
    const bool isPartition = QFileInfo::exists(device + QLatin1String("/partition"));
    const QString disk = isPartition ? QFileInfo(device).path() : device;
    if (readSmallFile(disk + QLatin1String("/removable")) == "1")
        return true;
    if (QFileInfo(disk).fileName().startsWith(QLatin1String("mmcblk"))
        || device.contains(QLatin1String("/mmc_host/")))
        return true;
    return device.contains(QLatin1String("/usb"));
}

QString volumeLabel(const QString &byLabelDir, const QString &blockName)
{
    const QDir dir(byLabelDir);
    const QFileInfoList links = dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &link : links) {
        if (QFileInfo(link.symLinkTarget()).fileName() == blockName)
            return unescapeHex(link.fileName());
    }
    return {};
}

QList<RemovableDrive> cardFolders(const QString &cardsVariable)
{
    QList<RemovableDrive> drives;
    for (const QString &entry : cardsVariable.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QFileInfo info(entry);
        if (!info.isDir())
            continue;
        RemovableDrive drive;
        drive.drive = withoutTrailingSeparator(QDir::cleanPath(info.absoluteFilePath()));
        drive.volumeLabel = QFileInfo(drive.drive).fileName();
        drive.fileSystem = QString::fromLocal8Bit(QStorageInfo(drive.drive).fileSystemType());
        drives.append(drive);
    }
    return drives;
}

QList<RemovableDrive> listDrives(const QByteArray &mountInfo, const QString &sysRoot,
                                 const QString &byLabelDir, const QString &cardsVariable)
{
    QList<RemovableDrive> drives;
    for (const Mount &mount : parseMountInfo(mountInfo)) {
        QString blockName;
        // Bind mounts of a sub-folder are not the root of a volume.
        if (mount.root != QLatin1String("/")
            || !isRemovableDevice(sysRoot, mount.deviceNumber, &blockName))
            continue;
        drives.append({withoutTrailingSeparator(mount.mountPoint), volumeLabel(byLabelDir, blockName),
                       mount.fileSystem});
    }
    drives.append(cardFolders(cardsVariable));
    std::stable_sort(drives.begin(), drives.end(),
                     [](const RemovableDrive &a, const RemovableDrive &b) { return a.drive < b.drive; });
    const auto sameDrive = [](const RemovableDrive &a, const RemovableDrive &b) { return a.drive == b.drive; };
    drives.erase(std::unique(drives.begin(), drives.end(), sameDrive), drives.end());
    return drives;
}

} // namespace DriveListing

QList<RemovableDrive> listRemovableDrives()
{
    QFile mountInfo{QLatin1String(kMountInfo)};
    const QByteArray text = mountInfo.open(QIODevice::ReadOnly) ? mountInfo.readAll() : QByteArray();
    return DriveListing::listDrives(text, QLatin1String(kSysRoot), QLatin1String(kByLabel),
                                    qEnvironmentVariable(kCardsVariable));
}

QStringList mountPoints()
{
    QFile mountInfo{QLatin1String(kMountInfo)};
    if (!mountInfo.open(QIODevice::ReadOnly))
        return {QStringLiteral("/")};
    QStringList points;
    for (const DriveListing::Mount &mount : DriveListing::parseMountInfo(mountInfo.readAll()))
        points.append(withoutTrailingSeparator(mount.mountPoint));
    return points;
}
