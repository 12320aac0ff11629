#pragma once

#include "catalogue/removabledrive.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Recorder model read from the card's version file. The values never leave the program.
enum class DeviceModel : int {
    NoModel = 0,
    Main = 1,   // the QRD-7700, the recorder this editor is made for
    Second = 2, // a second model the writer still knows; never recognised from a card
};

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

    // Writes the card in the recorder's order, each file whole or not at all. False when the model is
    // NoModel, the folder cannot be made, or a write that must succeed fails (later files are then
    // not written; earlier ones stay written).
    bool save();

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

// The text of `updateFolder`/version.txt, its lines joined by single line feeds; empty when the file
// does not open.
QString readVersionText(const QString &updateFolder);

// Main when the text names the QRD-7700 anywhere, NoModel otherwise.
DeviceModel modelFromVersion(const QString &text);

// The folders of a card whose root is `drive`.
QString cardSettingsFolder(const QString &drive);
QString cardUpdateFolder(const QString &drive);

// The model the card at `drive` reports in its version file.
DeviceModel cardModel(const QString &drive);

// The recorder's card among `drives`: the drive whose update/version.txt opens; of several, the last
// one. The first form looks at listRemovableDrives().
std::optional<RemovableDrive> findCardDrive();
std::optional<RemovableDrive> findCardDrive(const QList<RemovableDrive> &drives);
