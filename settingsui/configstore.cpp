#include "settingsui/configstore.h"

namespace ConfigStore {

using namespace ConfigLayout;

namespace {

// The rows only the QRD-7700 has (rear LED, theme, screen saver) are left alone for other models.
bool carried(const SettingTable::Entry &entry, DeviceModel model)
{
    const BoxGroup *group = groupForSlot(entry.slot);
    return model == DeviceModel::Main || !group || group->access != Access::MainOnly;
}

} // namespace

void copyFromStore(const DeviceSettings &store, DeviceModel model, Values &values)
{
    for (const SettingTable::Entry &entry : SettingTable::kEntries) {
        if (carried(entry, model))
            values[size_t(entry.slot)] = store.value(entry.setting);
    }
    // A card that says 0 event files shows 10, which no box holds.
    if (values[slotOf(RecorderSetting::EventNum)] == 0)
        values[slotOf(RecorderSetting::EventNum)] = 10;
}

void copyToStore(const Values &values, DeviceModel model, DeviceSettings &store)
{
    for (const SettingTable::Entry &entry : SettingTable::kEntries) {
        if (carried(entry, model))
            store.setValue(entry.setting, values[size_t(entry.slot)]);
    }
}

} // namespace ConfigStore
