#include "settings/devicesettings.h"

#include "settings/cardfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

constexpr auto kClockPattern = "yyyy-MM-dd-hh-mm-ss";
constexpr qint64 kClockLength = 19;
constexpr auto kClockFile = "/settime.dat";
constexpr auto kCombinedFile = "/setting.dat";
// The recorder writes a few dozen lines of combined settings; more than this can only be a damaged
// or hostile file, and the rest is not read.
constexpr qint64 kCombinedCap = 64 * 1024;

QString currentClockText()
{
    return QDateTime::currentDateTime().toString(QLatin1String(kClockPattern));
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

} // namespace

// The file tables of the store: which file holds which field, in reading and writing order.
struct DeviceSettingsFiles
{
    using Field = int DeviceSettings::*;

    // One-value files in reading order; a null field stands for settime.dat.
    struct ValueFile
    {
        const char *name;
        Field field;
        bool mainOnly;
    };
    static constexpr ValueFile kReadOrder[] = {
        {"/setresolution.dat", &DeviceSettings::m_resolution, false},
        {"/setquality.dat", &DeviceSettings::m_quality, false},
        {"/setframe.dat", &DeviceSettings::m_frame, false},
        {"/setsound.dat", &DeviceSettings::m_sound, false},
        {"/setspeak.dat", &DeviceSettings::m_speaker, false},
        {"/setsensitivity.dat", &DeviceSettings::m_sensitivity, false},
        {"/seteventcnt.dat", &DeviceSettings::m_eventNum, false},
        {"/setparking.dat", &DeviceSettings::m_parking, false},
        {"/setmotion.dat", &DeviceSettings::m_motion, false},
        {"/setbattery.dat", &DeviceSettings::m_battery, false},
        {"/setbattery2.dat", &DeviceSettings::m_battery2, false},
        {"/setspeedunit.dat", &DeviceSettings::m_speed, false},
        {"/sethourunit.dat", &DeviceSettings::m_hour, false},
        {kClockFile, nullptr, false},
        {"/setsecurity.dat", &DeviceSettings::m_securityLed, false},
        {"/setrearsecurity.dat", &DeviceSettings::m_rearsecurity, false},
        {"/setpoweroff.dat", &DeviceSettings::m_poweroff, false},
        {"/enterSS.dat", &DeviceSettings::m_enterSS, true},
        {"/setTheme.dat", &DeviceSettings::m_theme, false},
    };

    enum class When { Always, Main, MainOrSecond, HourKnown, ClockWanted };
    // Writes in order; `stop` ends the save at the first failure. A null field stands for the clock.
    struct Write
    {
        const char *name;
        Field field;
        When when;
        bool stop;
    };
    static constexpr Write kWriteOrder[] = {
        {"/setquality.dat", &DeviceSettings::m_quality, When::Always, true},
        {"/setframe.dat", &DeviceSettings::m_frame, When::Main, true},
        {"/setsound.dat", &DeviceSettings::m_sound, When::Always, true},
        {"/setspeak.dat", &DeviceSettings::m_speaker, When::Always, true},
        {"/setsensitivity.dat", &DeviceSettings::m_sensitivity, When::Always, true},
        {"/seteventcnt.dat", &DeviceSettings::m_eventNum, When::Always, true},
        {"/setparking.dat", &DeviceSettings::m_parking, When::Always, true},
        {"/setmotion.dat", &DeviceSettings::m_motion, When::Always, false},
        {"/setbattery.dat", &DeviceSettings::m_battery, When::Always, true},
        {"/setbattery2.dat", &DeviceSettings::m_battery2, When::Always, true},
        {"/sethourunit.dat", &DeviceSettings::m_hour, When::HourKnown, true},
        {kClockFile, nullptr, When::ClockWanted, true},
        {"/setsecurity.dat", &DeviceSettings::m_securityLed, When::Always, true},
        {"/setrearsecurity.dat", &DeviceSettings::m_rearsecurity, When::Main, true},
        {"/enterSS.dat", &DeviceSettings::m_enterSS, When::Main, false},
        {"/setpoweroff.dat", &DeviceSettings::m_poweroff, When::MainOrSecond, false},
        {"/setTheme.dat", &DeviceSettings::m_theme, When::Main, true},
    };

    // Keys of setting.dat in matching order, and where each line's value sits.
    enum class Slice { LastTwo, AfterKey, LastFour };
    struct Key
    {
        const char *key;
        bool atStart;
        Field field;
        Slice slice;
    };
    static constexpr Key kCombinedKeys[] = {
        {"resolutionValue", true, &DeviceSettings::m_resolution, Slice::LastTwo},
        {"qualityValue", true, &DeviceSettings::m_quality, Slice::LastTwo},
        {"frameValue", false, &DeviceSettings::m_frame, Slice::LastTwo},
        {"soundValue", false, &DeviceSettings::m_sound, Slice::LastTwo},
        {"sensitivityValue", false, &DeviceSettings::m_sensitivity, Slice::AfterKey},
        {"speedValue", false, &DeviceSettings::m_speed, Slice::LastTwo},
        {"speakerValue", false, &DeviceSettings::m_speaker, Slice::LastTwo},
        {"eventNumValue", false, &DeviceSettings::m_eventNum, Slice::LastFour},
        {"parkingValue", false, &DeviceSettings::m_parking, Slice::LastTwo},
        {"motionValue", false, &DeviceSettings::m_motion, Slice::LastTwo},
        {"batteryValue2", false, &DeviceSettings::m_battery2, Slice::LastTwo},
        {"batteryValue", false, &DeviceSettings::m_battery, Slice::LastTwo},
        {"securityLedValue", false, &DeviceSettings::m_securityLed, Slice::LastTwo},
        {"hourValue", false, &DeviceSettings::m_hour, Slice::LastTwo},
        {"rearsecurityValue", false, &DeviceSettings::m_rearsecurity, Slice::LastTwo},
        {"securityValue ", false, &DeviceSettings::m_securityLed, Slice::LastTwo},
        {"enterSSValue", false, &DeviceSettings::m_enterSS, Slice::LastTwo},
        {"poweroffValue", false, &DeviceSettings::m_poweroff, Slice::LastTwo},
        {"themeValue", false, &DeviceSettings::m_theme, Slice::LastTwo},
    };
    static constexpr qsizetype kSensitivityKeyLength = 17; // "sensitivityValue="

    // The integer fields by name, in the order of the settings table.
    struct Named
    {
        const char *name;
        Field field;
    };
    static constexpr Named kFields[] = {
        {"resolution", &DeviceSettings::m_resolution},   {"quality", &DeviceSettings::m_quality},
        {"frame", &DeviceSettings::m_frame},             {"sound", &DeviceSettings::m_sound},
        {"speaker", &DeviceSettings::m_speaker},         {"sensitivity", &DeviceSettings::m_sensitivity},
        {"eventNum", &DeviceSettings::m_eventNum},       {"parking", &DeviceSettings::m_parking},
        {"motion", &DeviceSettings::m_motion},           {"battery", &DeviceSettings::m_battery},
        {"battery2", &DeviceSettings::m_battery2},       {"speed", &DeviceSettings::m_speed},
        {"hour", &DeviceSettings::m_hour},               {"securityLed", &DeviceSettings::m_securityLed},
        {"rearsecurity", &DeviceSettings::m_rearsecurity}, {"poweroff", &DeviceSettings::m_poweroff},
        {"enterSS", &DeviceSettings::m_enterSS},         {"theme", &DeviceSettings::m_theme},
    };

    static bool applies(When when, const DeviceSettings &store)
    {
        switch (when) {
        case When::Main:
            return store.m_model == DeviceModel::Main;
        case When::MainOrSecond:
            return store.m_model == DeviceModel::Main || store.m_model == DeviceModel::Second;
        case When::HourKnown:
            return store.m_hour == 0 || store.m_hour == 1;
        case When::ClockWanted:
            return store.m_writeClock;
        case When::Always:
            break;
        }
        return true;
    }

    // Applies one line of setting.dat (line end included) to the first key it matches.
    static void applyCombinedLine(const QString &line, DeviceSettings &store)
    {
        for (const Key &key : kCombinedKeys) {
            const QLatin1String name(key.key);
            const bool matches = key.atStart ? line.startsWith(name) : line.contains(name);
            if (!matches)
                continue;
            if (name == QLatin1String("securityValue ") && line.contains(QLatin1String("RearSecurityValue")))
                continue;
            const QString text = key.slice == Slice::LastTwo    ? line.right(2)
                                 : key.slice == Slice::LastFour ? line.right(4)
                                                                : line.mid(kSensitivityKeyLength);
            bool ok = false;
            const int value = text.trimmed().toInt(&ok);
            store.*key.field = ok ? value : 0;
            return;
        }
    }
};

DeviceSettings::DeviceSettings(const QString &folder, DeviceModel model)
    : m_folder(folder)
    , m_model(model)
    , m_clockText(currentClockText())
{
    if (!m_folder.isEmpty())
        load();
}

bool DeviceSettings::load()
{
    if (m_folder.isEmpty())
        return false;
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

// Each file holds one raw byte, taken as signed; settime.dat up to 19 characters. Missing files leave
// their fields alone (a missing clock file gives the current time). Only regular files count: a link,
// FIFO or device in the folder is treated as missing. True when any file was read.
bool DeviceSettings::readValueFiles()
{
    int opened = 0;
    for (const DeviceSettingsFiles::ValueFile &entry : DeviceSettingsFiles::kReadOrder) {
        if (entry.mainOnly && m_model != DeviceModel::Main)
            continue;
        const std::optional<QByteArray> bytes =
            CardFile::readRegular(m_folder + QLatin1String(entry.name), entry.field ? 1 : kClockLength);
        if (!bytes) {
            if (!entry.field)
                m_clockText = currentClockText();
            continue;
        }
        ++opened;
        if (!entry.field) {
            if (!bytes->isEmpty())
                m_clockText = QString::fromLatin1(*bytes);
            continue;
        }
        if (bytes->size() == 1)
            this->*entry.field = static_cast<signed char>(bytes->at(0));
    }
    return opened > 0;
}

// The recorder's combined text file, one "key=value" per line. The value is sliced from the end of the
// line with its line feed, so a last line without one, or a line ended CR LF, is read as if it ended
// with a plain line feed (otherwise such values would read as 0).
bool DeviceSettings::readCombinedFile()
{
    const std::optional<QByteArray> bytes = CardFile::readRegular(m_folder + QLatin1String(kCombinedFile),
                                                                  kCombinedCap);
    if (!bytes)
        return false;
    for (const QByteArray &bytesOfLine : CardFile::lines(*bytes, true)) {
        QString line = QString::fromLocal8Bit(bytesOfLine);
        if (line.endsWith(QLatin1String("\r\n")))
            line.chop(2);
        else if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        line.append(QLatin1Char('\n'));
        DeviceSettingsFiles::applyCombinedLine(line, *this);
    }
    return true;
}

// The model is checked before the folder is made, so a refused save leaves no trace on the drive.
// Every file is staged before any is replaced: a failing "stop" file ends the save with the card as
// it was, a failing "go on" file is left as it was while the others are written.
bool DeviceSettings::save()
{
    m_failedFiles.clear();
    if (m_model == DeviceModel::NoModel || m_folder.isEmpty())
        return false;
    if (!prepareFolder(m_folder)) {
        m_failedFiles.append(QFileInfo(m_folder).fileName());
        return false;
    }
    CardWriteBatch batch(m_folder);
    for (const DeviceSettingsFiles::Write &entry : DeviceSettingsFiles::kWriteOrder) {
        if (!DeviceSettingsFiles::applies(entry.when, *this))
            continue;
        const QByteArray bytes = entry.field ? QByteArray(1, char(this->*entry.field & 0xFF))
                                             : m_clockText.toUtf8();
        const QString name = QLatin1String(entry.name).mid(1); // without the leading slash
        if (batch.stage(name, bytes))
            continue;
        m_failedFiles.append(name);
        if (entry.stop)
            return false; // the batch removes what it staged
    }
    if (!batch.commit())
        m_failedFiles.append(batch.failedNames());
    return m_failedFiles.isEmpty();
}

bool DeviceSettings::setClock(bool write, const QString &text)
{
    m_writeClock = write;
    m_clockText = text;
    return true;
}

const QStringList &DeviceSettings::fieldNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const DeviceSettingsFiles::Named &entry : DeviceSettingsFiles::kFields)
            list.append(QLatin1String(entry.name));
        return list;
    }();
    return names;
}

int *DeviceSettings::field(QStringView name)
{
    for (const DeviceSettingsFiles::Named &entry : DeviceSettingsFiles::kFields) {
        if (name == QLatin1String(entry.name))
            return &(this->*entry.field);
    }
    return nullptr;
}

std::optional<int> DeviceSettings::value(QStringView name) const
{
    const int *found = const_cast<DeviceSettings *>(this)->field(name);
    return found ? std::optional<int>(*found) : std::nullopt;
}

bool DeviceSettings::setValue(QStringView name, int value)
{
    int *found = field(name);
    return found && assign(*found, value);
}
