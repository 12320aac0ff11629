#include "settings/devicecard.h"

#include "catalogue/cardcopy.h"
#include "settings/cardfile.h"
#include "settings/settingtable.h"

#include <QFileInfo>

#include <QStringList>

namespace {

constexpr auto kVersionFile = "/version.txt";
constexpr auto kModelMark = "QRD-7700";
// The recorder writes one short line; more than this can only be a damaged or hostile file, and the
// rest is not read.
constexpr qint64 kVersionCap = 4096;

} // namespace

QString readVersionText(const QString &updateFolder)
{
    const std::optional<QByteArray> bytes = CardFile::readRegular(updateFolder + QLatin1String(kVersionFile),
                                                                  kVersionCap);
    if (!bytes)
        return {};
    QStringList lines;
    for (const QByteArray &line : CardFile::lines(*bytes, false))
        lines.append(QString::fromLocal8Bit(line));
    return lines.join(QLatin1Char('\n'));
}

DeviceModel modelFromVersion(const QString &text)
{
    return text.contains(QLatin1String(kModelMark)) ? DeviceModel::Main : DeviceModel::NoModel;
}

QString cardSettingsFolder(const QString &drive)
{
    return drive + QStringLiteral("/setting");
}

QString cardUpdateFolder(const QString &drive)
{
    return drive + QStringLiteral("/update");
}

DeviceModel cardModel(const QString &drive)
{
    return modelFromVersion(readVersionText(cardUpdateFolder(drive)));
}

std::optional<RemovableDrive> findCardDrive()
{
    return findCardDrive(listRemovableDrives());
}

std::optional<RemovableDrive> findCardDrive(const QList<RemovableDrive> &drives)
{
    std::optional<RemovableDrive> card;
    for (const RemovableDrive &drive : drives) {
        if (CardFile::readRegular(cardUpdateFolder(drive.drive) + QLatin1String(kVersionFile), 0))
            card = drive;
    }
    return card;
}

bool isOnDrive(const QString &path, const QString &root)
{
    if (root.isEmpty() || !path.startsWith(root, Qt::CaseInsensitive))
        return false;
    // "/media/card2" is not on "/media/card": the prefix must end at a path separator.
    return path.size() == root.size() || root.endsWith(QLatin1Char('/')) || path.at(root.size()) == QLatin1Char('/');
}

DeviceModel clipModel(const QString &clipPath)
{
    return clipModel(clipPath, listRemovableDrives());
}

DeviceModel clipModel(const QString &clipPath, const QList<RemovableDrive> &drives)
{
    if (clipPath.isEmpty()) {
        for (const RemovableDrive &drive : drives) {
            if (cardModel(drive.drive) == DeviceModel::Main)
                return DeviceModel::Main;
        }
        return DeviceModel::NoModel;
    }
    // A copy of a card on a disk (or inside a drive) answers with its own version file.
    const QString holder = cardRootOf(QFileInfo(clipPath).absolutePath(), drives);
    return holder.isEmpty() ? DeviceModel::NoModel : cardModel(holder);
}

QString cardRootOf(const QString &path)
{
    return cardRootOf(path, listRemovableDrives());
}

QString cardRootOf(const QString &path, const QList<RemovableDrive> &drives)
{
    QString holder;
    for (const RemovableDrive &drive : drives) {
        if (isOnDrive(path, drive.drive) && drive.drive.size() > holder.size())
            holder = drive.drive;
    }
    const QString copy = CardCopy::rootOf(path);
    return copy.size() > holder.size() ? copy : holder;
}

void finishInterruptedSave(const QString &path)
{
    const QString root = cardRootOf(path);
    if (!root.isEmpty())
        CardWriteBatch::recover(cardSettingsFolder(root), SettingTable::writtenFiles());
}
