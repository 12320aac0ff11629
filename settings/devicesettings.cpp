#include "settings/devicesettings.h"

#include "settings/cardfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using SettingTable::Entry;
using SettingTable::Models;

namespace {

// The recorder writes a few dozen lines of combined settings; more than this can only be a damaged
// or hostile file, and the rest is not read.
constexpr qint64 kCombinedCap = 64 * 1024;

QString currentClockText()
{
    return QDateTime::currentDateTime().toString(QLatin1String(SettingTable::kClockPattern));
}

QString pathIn(const QString &folder, const char *name)
{
    return folder + QLatin1Char('/') + QLatin1String(name);
}

// The settings folder is ours to write only when it is a real folder (made when missing): a link
// would carry the writes off the card.
bool prepareFolder(const QString &folder)
{
    struct stat info;
    if (::lstat(QFile::encodeName(folder).constData(), &info) == 0)
        return S_ISDIR(info.st_mode);
    QDir().mkpath(folder);
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// How setting.dat is read: its keys are tested in this order, the first one a line holds wins, and
// the value is sliced from the end of the line (line feed included) except for two keys.
enum class Slice { LastTwo, AfterKey, LastFour };
struct CombinedRule
{
    RecorderSetting setting;
    bool atStart = false;       // the key must start the line
    Slice slice = Slice::LastTwo;
    const char *otherKey = nullptr; // a second key of the same setting
};
constexpr CombinedRule kCombinedRules[] = {
    {RecorderSetting::Resolution, true},
    {RecorderSetting::Quality, true},
    {RecorderSetting::Frame},
    {RecorderSetting::Sound},
    {RecorderSetting::Sensitivity, false, Slice::AfterKey},
    {RecorderSetting::Speed},
    {RecorderSetting::Speaker},
    {RecorderSetting::EventNum, false, Slice::LastFour},
    {RecorderSetting::Parking},
    {RecorderSetting::Motion},
    {RecorderSetting::Battery2}, // "batteryValue2" holds "batteryValue"
    {RecorderSetting::Battery},
    {RecorderSetting::SecurityLed},
    {RecorderSetting::Hour},
    {RecorderSetting::RearSecurity},
    {RecorderSetting::SecurityLed, false, Slice::LastTwo, "securityValue "},
    {RecorderSetting::ScreenSaver},
    {RecorderSetting::PowerOff},
    {RecorderSetting::Theme},
};

} // namespace

DeviceSettings::DeviceSettings(const QString &folder, DeviceModel model)
    : m_folder(folder)
    , m_model(model)
    , m_clockText(currentClockText())
{
    for (const Entry &entry : SettingTable::kEntries)
        m_values[size_t(entry.setting)] = entry.defaultValue;
    if (!m_folder.isEmpty())
        load();
}

bool DeviceSettings::load()
{
    if (m_folder.isEmpty())
        return false;
    CardWriteBatch::recover(m_folder, SettingTable::writtenFiles());
    if (readValueFiles()) {
        m_loaded = true;
        return true;
    }
    if (!readCombinedFile())
        return false;
    readValueFiles();
    m_loaded = true;
    return true;
}

bool DeviceSettings::appliesTo(Models models) const
{
    switch (models) {
    case Models::All:
        return true;
    case Models::MainOnly:
        return m_model == DeviceModel::Main;
    case Models::MainOrSecond:
        return m_model == DeviceModel::Main || m_model == DeviceModel::Second;
    case Models::None:
        break;
    }
    return false;
}

// Each file holds one raw byte, taken as signed; settime.dat up to 19 characters. Missing files leave
// their fields alone (a missing clock file gives the current time). Only regular files count: a link,
// FIFO or device in the folder is treated as missing. True when any file was read.
bool DeviceSettings::readValueFiles()
{
    int opened = 0;
    for (const Entry &entry : SettingTable::kEntries) {
        if (appliesTo(entry.readFor)) {
            if (const std::optional<QByteArray> bytes = CardFile::readRegular(pathIn(m_folder, entry.file), 1)) {
                ++opened;
                if (bytes->size() == 1)
                    m_values[size_t(entry.setting)] = static_cast<signed char>(bytes->at(0));
            }
        }
        if (entry.setting != RecorderSetting::Hour)
            continue;
        const std::optional<QByteArray> clock =
            CardFile::readRegular(pathIn(m_folder, SettingTable::kClockFile), SettingTable::kClockLength);
        if (!clock) {
            m_clockText = currentClockText();
            continue;
        }
        ++opened;
        if (!clock->isEmpty())
            m_clockText = QString::fromLatin1(*clock);
    }
    return opened > 0;
}

// The recorder's combined text file, one "key=value" per line. The value is sliced from the end of the
// line with its line feed, so a last line without one, or a line ended CR LF, is read as if it ended
// with a plain line feed (otherwise such values would read as 0).
bool DeviceSettings::readCombinedFile()
{
    const std::optional<QByteArray> bytes =
        CardFile::readRegular(pathIn(m_folder, SettingTable::kCombinedFile), kCombinedCap);
    if (!bytes)
        return false;
    for (const QByteArray &bytesOfLine : CardFile::lines(*bytes, true)) {
        QString line = QString::fromLocal8Bit(bytesOfLine);
        if (line.endsWith(QLatin1String("\r\n")))
            line.chop(2);
        else if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        line.append(QLatin1Char('\n'));
        applyCombinedLine(line);
    }
    return true;
}

// Applies one line of setting.dat (line end included) to the first key it holds.
void DeviceSettings::applyCombinedLine(const QString &line)
{
    // "sensitivityValue=": the value follows the key and its equals sign.
    constexpr qsizetype kSensitivityKeyLength = 17;
    for (const CombinedRule &rule : kCombinedRules) {
        const QLatin1String key(rule.otherKey ? rule.otherKey : SettingTable::entry(rule.setting).combinedKey);
        if (!(rule.atStart ? line.startsWith(key) : line.contains(key)))
            continue;
        if (rule.otherKey && line.contains(QLatin1String("RearSecurityValue")))
            continue;
        const QString text = rule.slice == Slice::LastTwo    ? line.right(2)
                             : rule.slice == Slice::LastFour ? line.right(4)
                                                             : line.mid(kSensitivityKeyLength);
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        m_values[size_t(rule.setting)] = ok ? value : 0;
        return;
    }
}

bool DeviceSettings::writes(const Entry &entry) const
{
    if (!appliesTo(entry.writeFor))
        return false;
    const int value = m_values[size_t(entry.setting)];
    return !entry.writtenOnlyInRange || (value >= entry.range.lowest && value <= entry.range.highest);
}

// The model is checked before the folder is made, so a refused save leaves no trace on the drive.
// Every file is staged before any is replaced: a failing "stop" file ends the save with the card as
// it was, a failing "go on" file is left as it was while the others are written.
bool DeviceSettings::save()
{
    m_failedFiles.clear();
    m_writeProtected = false;
    if (m_model == DeviceModel::NoModel || m_folder.isEmpty())
        return false;
    const auto fail = [this](const QString &name) {
        m_failedFiles.append(name);
        m_writeProtected = CardFile::isReadOnlyMedium(m_folder);
        return false;
    };
    if (!prepareFolder(m_folder))
        return fail(QFileInfo(m_folder).fileName());
    CardWriteBatch::recover(m_folder, SettingTable::writtenFiles());
    CardWriteBatch batch(m_folder);
    const auto stage = [&](const char *file, const QByteArray &bytes, SettingTable::OnFailure onFailure) {
        if (batch.stage(QLatin1String(file), bytes))
            return true;
        fail(QLatin1String(file));
        return onFailure == SettingTable::OnFailure::GoOn;
    };
    for (const Entry &entry : SettingTable::kEntries) {
        if (writes(entry) && !stage(entry.file, QByteArray(1, char(value(entry.setting) & 0xFF)), entry.onFailure))
            return false; // the batch removes what it staged
        if (entry.setting == RecorderSetting::Hour && m_writeClock
            && !stage(SettingTable::kClockFile, m_clockText.toUtf8(), SettingTable::OnFailure::Stop))
            return false;
    }
    if (!batch.commit()) {
        m_failedFiles.append(batch.failedNames());
        m_writeProtected = CardFile::isReadOnlyMedium(m_folder);
    }
    return m_failedFiles.isEmpty();
}

bool DeviceSettings::setValue(RecorderSetting setting, int value)
{
    m_values[size_t(setting)] = value;
    return true;
}

bool DeviceSettings::setClock(bool write, const QString &text)
{
    m_writeClock = write;
    m_clockText = text;
    return true;
}
