#pragma once

#include "settingsui/configlayout.h"
#include "settings/devicesettings.h"

// How the dialog's slots meet the settings store. The clock slot is not handled here: it depends on
// the card folder and the clock editor, which only the dialog knows.
namespace ConfigStore {

// Copies the loaded store into the slots. Event files stored as 0 become 10; the rear LED, theme and
// screen saver slots are taken only for Main.
void copyFromStore(const DeviceSettings &store, DeviceModel model, ConfigLayout::Values &values);

// Copies the slots into the store before it saves; the rear LED, theme and screen saver go only
// for Main.
void copyToStore(const ConfigLayout::Values &values, DeviceModel model, DeviceSettings &store);

} // namespace ConfigStore
