#include "settings/settingtable.h"

namespace SettingTable {

namespace {

constexpr bool entriesFollowTheirSettings()
{
    for (int i = 0; i < kCount; ++i) {
        if (int(kEntries[i].setting) != i)
            return false;
    }
    return true;
}
static_assert(entriesFollowTheirSettings(), "entry(setting) indexes the table by the setting's value");

} // namespace

std::optional<RecorderSetting> byKey(QStringView key)
{
    for (const Entry &candidate : kEntries) {
        if (key == QLatin1String(candidate.key))
            return candidate.setting;
    }
    return std::nullopt;
}

QStringList writtenFiles()
{
    QStringList files;
    for (const Entry &candidate : kEntries) {
        if (candidate.writeFor != Models::None)
            files.append(QLatin1String(candidate.file));
    }
    files.append(QLatin1String(kClockFile));
    return files;
}

} // namespace SettingTable
