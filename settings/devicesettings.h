#pragma once

#include "settings/devicecard.h"
#include "settings/settingtable.h"

#include <QString>
#include <QStringList>

#include <array>

// The recorder's settings on a card: one small file per setting in the card's "setting" folder
// (one raw byte each; the clock as 19 characters in settime.dat), with the combined text file
// setting.dat read when no such file exists. A plain value object living for one load or one save.
// Which files hold which settings is SettingTable's.
class DeviceSettings
{
public:
    // Applies the defaults and, when `folder` is not empty, loads it at once.
    DeviceSettings(const QString &folder, DeviceModel model);

    // Reads the card; true (and isLoaded()) when any settings file was read. Fields whose files are
    // missing keep their values. A save that was cut off is finished first (see save()).
    bool load();
    bool isLoaded() const { return m_loaded; }

    // Writes the card: every file is first written beside its target and synced, then all replace
    // their targets together and the folder is synced, so the card can be pulled once this returns.
    // A save cut off while replacing (killed, card pulled) is finished by the next load() or save()
    // of the folder, so the card holds either the old settings or the new ones, never a mix.
    // False when the model is NoModel, the folder cannot be made, or any file could not be written:
    // a file the recorder cannot do without leaves the whole card as it was, the others (motion,
    // screen saver, power-off timer) leave only themselves unwritten. failedFiles() names them.
    bool save();
    // The files (names without folder) the last save() could not write; the settings folder's own
    // name when the folder itself could not be used or synced.
    const QStringList &failedFiles() const { return m_failedFiles; }
    // Whether the last save() failed because the card only reads (a locked card).
    bool isWriteProtected() const { return m_writeProtected; }

    const QString &folder() const { return m_folder; }
    DeviceModel model() const { return m_model; }

    int value(RecorderSetting setting) const { return m_values[size_t(setting)]; }
    bool setValue(RecorderSetting setting, int value);

    // The clock, "yyyy-MM-dd-hh-mm-ss" (or whatever settime.dat held); the current time by default.
    const QString &clockText() const { return m_clockText; }
    bool writeClock() const { return m_writeClock; }
    // Sets the clock text and whether save() writes settime.dat.
    bool setClock(bool write, const QString &text);

private:
    bool readValueFiles();
    bool readCombinedFile();
    void applyCombinedLine(const QString &line);
    bool appliesTo(SettingTable::Models models) const;
    bool writes(const SettingTable::Entry &entry) const;

    QString m_folder;
    bool m_loaded = false;
    DeviceModel m_model = DeviceModel::NoModel;
    QString m_clockText;
    bool m_writeClock = false;
    QStringList m_failedFiles;
    bool m_writeProtected = false;
    std::array<int, SettingTable::kCount> m_values{};
};
