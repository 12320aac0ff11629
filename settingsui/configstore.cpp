#include "settingsui/configstore.h"

namespace ConfigStore {

using namespace ConfigLayout;

void copyFromStore(const DeviceSettings &store, DeviceModel model, Values &v)
{
    v[Slot::Resolution] = store.resolution();
    v[Slot::Quality] = store.quality();
    v[Slot::Frame] = store.frame();
    v[Slot::Sound] = store.sound();
    v[Slot::Speaker] = store.speaker();
    v[Slot::Hour] = store.hour();
    v[Slot::Sensitivity] = store.sensitivity();
    v[Slot::EventNum] = store.eventNum() == 0 ? 10 : store.eventNum();
    v[Slot::Parking] = store.parking();
    v[Slot::Motion] = store.motion();
    v[Slot::Battery] = store.battery();
    v[Slot::Battery2] = store.battery2();
    v[Slot::Speed] = store.speed();
    v[Slot::SecurityLed] = store.securityLed();
    if (model == DeviceModel::Main) {
        v[Slot::RearSecurity] = store.rearsecurity();
        v[Slot::Theme] = store.theme();
        v[Slot::ScreenSaver] = store.enterSS();
    }
    v[Slot::PowerOff] = store.poweroff();
}

void copyToStore(const Values &v, DeviceModel model, DeviceSettings &store)
{
    store.setResolution(v[Slot::Resolution]);
    store.setQuality(v[Slot::Quality]);
    store.setFrame(v[Slot::Frame]);
    store.setSound(v[Slot::Sound]);
    store.setHour(v[Slot::Hour]);
    store.setSensitivity(v[Slot::Sensitivity]);
    store.setSpeed(v[Slot::Speed]);
    store.setSpeaker(v[Slot::Speaker]);
    store.setEventNum(v[Slot::EventNum]);
    store.setParking(v[Slot::Parking]);
    store.setMotion(v[Slot::Motion]);
    store.setBattery(v[Slot::Battery]);
    store.setBattery2(v[Slot::Battery2]);
    store.setSecurityLed(v[Slot::SecurityLed]);
    if (model == DeviceModel::Main) {
        store.setRearsecurity(v[Slot::RearSecurity]);
        store.setTheme(v[Slot::Theme]);
        store.setEnterSS(v[Slot::ScreenSaver]);
    }
    store.setPoweroff(v[Slot::PowerOff]);
}

} // namespace ConfigStore
