#pragma once

#include "base/texttable.h"

#include <QStringList>
#include <QStringView>

#include <optional>

// The recorder's integer settings. Each one is declared once, in SettingTable below; the settings
// store, the settings editor and the command-line tool read everything they know of a setting there.
enum class RecorderSetting : int {
    Resolution,
    Quality,
    Frame,
    Sound,
    Speaker,
    Sensitivity,
    EventNum,
    Parking,
    Motion,
    Battery,
    Battery2,
    Speed,
    Hour,
    SecurityLed,
    RearSecurity,
    PowerOff,
    ScreenSaver,
    Theme,
};

namespace SettingTable {

constexpr int kCount = 18;

// The recorder models a file is read or written for.
enum class Models { None, All, MainOnly, MainOrSecond };

// What a file that cannot be written does to the save: the recorder cannot start without the
// "stop" files, so they leave the whole card as it was; the others only leave themselves out.
enum class OnFailure { Stop, GoOn };

struct Range
{
    int lowest;
    int highest;
};

struct Entry
{
    RecorderSetting setting;
    const char *key;          // its name for tools and scripts ("quality")
    const char *file;         // its one-value file in the card's setting folder
    const char *combinedKey;  // its key in the combined file setting.dat
    int defaultValue;         // when the card says nothing
    Range range;              // the values the recorder knows
    Models readFor;
    Models writeFor;
    OnFailure onFailure;
    bool writtenOnlyInRange;  // a value outside `range` leaves the file as it is
    TextId label;             // the text naming its row in the settings editor
    int line;                 // the line (y) of its row in the settings editor
    int slot;                 // its place in the editor's copy of the settings
    int shownBeforeLoad;      // what the editor shows before a card is read
};

// In the order tools list the settings; the card's files are read and written in this order too,
// with the clock after the time format.
inline constexpr Entry kEntries[kCount] = {
    {RecorderSetting::Resolution, "resolution", "setresolution.dat", "resolutionValue", 1, {1, 3},
     Models::All, Models::None, OnFailure::Stop, false, 5, 64, 0, 2},
    {RecorderSetting::Quality, "quality", "setquality.dat", "qualityValue", 1, {1, 3},
     Models::All, Models::All, OnFailure::Stop, false, 6, 91, 1, 3},
    {RecorderSetting::Frame, "frame", "setframe.dat", "frameValue", 1, {1, 3},
     Models::All, Models::MainOnly, OnFailure::Stop, false, 7, 117, 2, 3},
    {RecorderSetting::Sound, "sound", "setsound.dat", "soundValue", 0, {0, 1},
     Models::All, Models::All, OnFailure::Stop, false, 8, 144, 3, 1},
    {RecorderSetting::Speaker, "speaker", "setspeak.dat", "speakerValue", 0, {0, 3},
     Models::All, Models::All, OnFailure::Stop, false, 9, 170, 4, 2},
    {RecorderSetting::Sensitivity, "sensitivity", "setsensitivity.dat", "sensitivityValue", 5, {0, 10},
     Models::All, Models::All, OnFailure::Stop, false, 15, 349, 7, 5},
    {RecorderSetting::EventNum, "eventNum", "seteventcnt.dat", "eventNumValue", 40, {20, 60},
     Models::All, Models::All, OnFailure::Stop, false, 18, 373, 8, 40},
    {RecorderSetting::Parking, "parking", "setparking.dat", "parkingValue", 0, {0, 2},
     Models::All, Models::All, OnFailure::Stop, false, 17, 399, 9, 2},
    {RecorderSetting::Motion, "motion", "setmotion.dat", "motionValue", 0, {1, 3},
     Models::All, Models::All, OnFailure::GoOn, false, 16, 426, 10, 2},
    {RecorderSetting::Battery, "battery", "setbattery.dat", "batteryValue", 0, {0, 6},
     Models::All, Models::All, OnFailure::Stop, false, 19, 456, 11, 6},
    {RecorderSetting::Battery2, "battery2", "setbattery2.dat", "batteryValue2", 0, {0, 5},
     Models::All, Models::All, OnFailure::Stop, false, 19, 456, 12, 5},
    {RecorderSetting::Speed, "speed", "setspeedunit.dat", "speedValue", 1, {1, 2},
     Models::All, Models::None, OnFailure::Stop, false, 20, 478, 13, 1},
    {RecorderSetting::Hour, "hour", "sethourunit.dat", "hourValue", 0, {0, 1},
     Models::All, Models::All, OnFailure::Stop, true, 14, 287, 6, 0},
    {RecorderSetting::SecurityLed, "securityLed", "setsecurity.dat", "securityLedValue", 0, {0, 1},
     Models::All, Models::All, OnFailure::Stop, false, 64, 504, 14, 1},
    {RecorderSetting::RearSecurity, "rearsecurity", "setrearsecurity.dat", "rearsecurityValue", 0, {0, 1},
     Models::All, Models::MainOnly, OnFailure::Stop, false, 64, 504, 15, 1},
    {RecorderSetting::PowerOff, "poweroff", "setpoweroff.dat", "poweroffValue", 2, {1, 6},
     Models::All, Models::MainOrSecond, OnFailure::GoOn, false, 19, 456, 16, 4},
    // The screen saver stays off when the card does not say.
    {RecorderSetting::ScreenSaver, "enterSS", "enterSS.dat", "enterSSValue", 0, {0, 2},
     Models::MainOnly, Models::MainOnly, OnFailure::GoOn, false, 75, 556, 18, 1},
    {RecorderSetting::Theme, "theme", "setTheme.dat", "themeValue", 1, {0, 1},
     Models::All, Models::MainOnly, OnFailure::Stop, false, 74, 530, 17, 1},
};

constexpr const Entry &entry(RecorderSetting setting)
{
    return kEntries[int(setting)];
}

// The clock: 19 characters "yyyy-MM-dd-hh-mm-ss" in its own file, written only when asked for.
inline constexpr const char *kClockFile = "settime.dat";
inline constexpr const char *kClockPattern = "yyyy-MM-dd-hh-mm-ss";
inline constexpr int kClockLength = 19;
// The recorder's combined text file, read when no one-value file is there; never written.
inline constexpr const char *kCombinedFile = "setting.dat";

// The setting a tool calls `key`, if any.
std::optional<RecorderSetting> byKey(QStringView key);

// Every file a save may write (the clock's included), for recognising what a save left behind.
QStringList writtenFiles();

} // namespace SettingTable
