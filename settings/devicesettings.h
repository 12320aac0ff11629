#pragma once

#include "settings/devicecard.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The recorder's settings on a card: one small file per setting in the card's "setting" folder
// (one raw byte each; the clock as 19 characters in settime.dat), with the combined text file
// setting.dat read when no such file exists. A plain value object living for one load or one save.
class DeviceSettings
{
public:
    // Applies the defaults and, when `folder` is not empty, loads it at once.
    DeviceSettings(const QString &folder, DeviceModel model);

    // Reads the card; true (and isLoaded()) when any settings file was read. Fields whose files are
    // missing keep their values.
    bool load();
    bool isLoaded() const { return m_loaded; }

    // Writes the card: every file is first written beside its target and synced, then all replace
    // their targets together and the folder is synced, so the card can be pulled once this returns.
    // False when the model is NoModel, the folder cannot be made, or any file could not be written:
    // a file the recorder cannot do without leaves the whole card as it was, the others (motion,
    // screen saver, power-off timer) leave only themselves unwritten. failedFiles() names them.
    bool save();
    // The files (names without folder) the last save() could not write; the settings folder's own
    // name when the folder itself could not be used or synced.
    const QStringList &failedFiles() const { return m_failedFiles; }

    const QString &folder() const { return m_folder; }
    DeviceModel model() const { return m_model; }

    int resolution() const { return m_resolution; }
    int quality() const { return m_quality; }
    int frame() const { return m_frame; }
    int sound() const { return m_sound; }
    int speaker() const { return m_speaker; }
    int sensitivity() const { return m_sensitivity; }
    int eventNum() const { return m_eventNum; }
    int parking() const { return m_parking; }
    int motion() const { return m_motion; }
    int battery() const { return m_battery; }
    int battery2() const { return m_battery2; }
    int speed() const { return m_speed; }
    int hour() const { return m_hour; }
    int securityLed() const { return m_securityLed; }
    int rearsecurity() const { return m_rearsecurity; }
    int enterSS() const { return m_enterSS; }
    int poweroff() const { return m_poweroff; }
    int theme() const { return m_theme; }

    bool setResolution(int value) { return assign(m_resolution, value); }
    bool setQuality(int value) { return assign(m_quality, value); }
    bool setFrame(int value) { return assign(m_frame, value); }
    bool setSound(int value) { return assign(m_sound, value); }
    bool setSpeaker(int value) { return assign(m_speaker, value); }
    bool setSensitivity(int value) { return assign(m_sensitivity, value); }
    bool setEventNum(int value) { return assign(m_eventNum, value); }
    bool setParking(int value) { return assign(m_parking, value); }
    bool setMotion(int value) { return assign(m_motion, value); }
    bool setBattery(int value) { return assign(m_battery, value); }
    bool setBattery2(int value) { return assign(m_battery2, value); }
    bool setSpeed(int value) { return assign(m_speed, value); }
    bool setHour(int value) { return assign(m_hour, value); }
    bool setSecurityLed(int value) { return assign(m_securityLed, value); }
    bool setRearsecurity(int value) { return assign(m_rearsecurity, value); }
    bool setEnterSS(int value) { return assign(m_enterSS, value); }
    bool setPoweroff(int value) { return assign(m_poweroff, value); }
    bool setTheme(int value) { return assign(m_theme, value); }

    // The clock, "yyyy-MM-dd-hh-mm-ss" (or whatever settime.dat held); the current time by default.
    const QString &clockText() const { return m_clockText; }
    bool writeClock() const { return m_writeClock; }
    // Sets the clock text and whether save() writes settime.dat.
    bool setClock(bool write, const QString &text);

    // The integer settings by name ("resolution", "quality", … "theme"), in the order of the
    // recorder's settings table; for tools that handle settings generically.
    static const QStringList &fieldNames();
    std::optional<int> value(QStringView name) const;
    bool setValue(QStringView name, int value);

private:
    friend struct DeviceSettingsFiles;

    static bool assign(int &field, int value)
    {
        field = value;
        return true;
    }
    int *field(QStringView name);
    bool readValueFiles();
    bool readCombinedFile();

    QString m_folder;
    bool m_loaded = false;
    DeviceModel m_model = DeviceModel::NoModel;
    QString m_clockText;
    bool m_writeClock = false;
    QStringList m_failedFiles;

    int m_resolution = 1;
    int m_quality = 1;
    int m_frame = 1;
    int m_sound = 0;
    int m_speaker = 0;
    int m_sensitivity = 5;
    int m_eventNum = 40;
    int m_parking = 0;
    int m_motion = 0;
    int m_battery = 0;
    int m_battery2 = 0;
    int m_speed = 1;
    int m_hour = 0;
    int m_securityLed = 0;
    int m_rearsecurity = 0;
    int m_enterSS = 0; // screen saver off when the card does not say
    int m_poweroff = 2;
    int m_theme = 1;
};
