#include "base/programsettings.h"

#include "base/statefile.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>

Q_DECLARE_LOGGING_CATEGORY(lcConfig)

namespace {

constexpr auto kFolderName = "qrd7700";
constexpr auto kFileName = "viewer.conf";

struct Key
{
    const char *name;
    QVariant defaultValue;
};

const Key kLanguage{"interface/language", QString()};
const Key kLastFolder{"viewer/lastFolder", QString()};
const Key kMaximized{"viewer/maximized", false};
const Key kTimeZone{"time/zone", QString()};
constexpr int kFullVolume = 10;
const Key kVolume{"viewer/volume", kFullVolume};

QVariant read(const Key &key)
{
    const QString file = ProgramSettings::filePath();
    if (file.isEmpty() || !StateFile::isUsable(file))
        return key.defaultValue;
    const QSettings settings(file, QSettings::IniFormat);
    QVariant value = settings.value(QLatin1String(key.name), key.defaultValue);
    return value.convert(key.defaultValue.metaType()) ? value : key.defaultValue;
}

void write(const Key &key, const QVariant &value)
{
    const QString file = ProgramSettings::filePath();
    if (!file.isEmpty() && value == key.defaultValue && !QFileInfo::exists(file))
        return; // defaults are not written, and no file is made for them
    if (file.isEmpty() || !QDir().mkpath(QFileInfo(file).path())) {
        qCWarning(lcConfig) << "no place for the program's settings" << file;
        return;
    }
    if (!StateFile::isUsable(file))
        return;
    QSettings settings(file, QSettings::IniFormat);
    if (value == key.defaultValue)
        settings.remove(QLatin1String(key.name));
    else
        settings.setValue(QLatin1String(key.name), value);
    settings.sync();
    // A damaged file reads as a format error but is written anew all the same.
    if (settings.status() == QSettings::AccessError)
        qCWarning(lcConfig) << "cannot write" << file;
}

} // namespace

namespace ProgramSettings {

QString filePath()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return {};
    return config + QLatin1Char('/') + QLatin1String(kFolderName) + QLatin1Char('/') + QLatin1String(kFileName);
}

QString language()
{
    const QString code = read(kLanguage).toString();
    return code == QLatin1String("en") || code == QLatin1String("kr") ? code : QString();
}

void setLanguage(const QString &code)
{
    write(kLanguage, code == QLatin1String("en") || code == QLatin1String("kr") ? code : QString());
}

QString lastFolder()
{
    return read(kLastFolder).toString();
}

void setLastFolder(const QString &path)
{
    write(kLastFolder, path);
}

QString timeZone()
{
    return read(kTimeZone).toString().trimmed();
}

int volumeLevel()
{
    // A value out of range (edited by hand) counts as the nearest level.
    return std::clamp(read(kVolume).toInt(), 0, kFullVolume);
}

void setVolumeLevel(int level)
{
    write(kVolume, std::clamp(level, 0, kFullVolume));
}

bool maximized()
{
    return read(kMaximized).toBool();
}

void setMaximized(bool maximized)
{
    write(kMaximized, maximized);
}

QMap<QString, QString> eventThresholds()
{
    QMap<QString, QString> values;
    const QString file = filePath();
    if (file.isEmpty() || !StateFile::isUsable(file))
        return values;
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("events"));
    for (const QString &key : settings.childKeys())
        values.insert(key, settings.value(key).toString());
    return values;
}

} // namespace ProgramSettings
