// qrd7700-cli settings: show and change the recorder's settings files on a card.
#include "tools/cli/clicommand.h"

#include "settings/devicesettings.h"

#include <QDateTime>
#include <QFileInfo>

#include <optional>
#include <utility>
#include <vector>

namespace Cli {

namespace {

int runSettings(const QStringList &arguments);

// The keys with their files and the values the recorder knows, for the help text.
QString keyList()
{
    QString text = QStringLiteral("\nKEY           FILE                  VALUES\n");
    for (const SettingTable::Entry &entry : SettingTable::kEntries) {
        QString note;
        if (entry.writeFor == SettingTable::Models::None)
            note = QStringLiteral(" (read only, never written)");
        else if (entry.onFailure == SettingTable::OnFailure::GoOn)
            note = QStringLiteral(" (the recorder can do without)");
        text += QStringLiteral("%1 %2 %3 to %4%5\n")
                    .arg(QLatin1String(entry.key), -13)
                    .arg(QLatin1String(entry.file), -21)
                    .arg(entry.range.lowest)
                    .arg(entry.range.highest)
                    .arg(note);
    }
    return text;
}

} // namespace

extern const Command settingsCommand = {
    "settings",
    "show or change the recorder's settings on a card",
    "usage: qrd7700-cli settings show CARD\n"
    "       qrd7700-cli settings set CARD KEY=VALUE...\n"
    "\n"
    "CARD is the card's root (a mount point or card folder). The settings are read from\n"
    "CARD/setting, the recorder model from CARD/update/version.txt.\n"
    "show prints one KEY=VALUE line per setting (the keys below), then clockText, model (main,\n"
    "second or none) and loaded (1 when a settings file was read).\n"
    "set loads the card, sets the given keys and writes the card for its model; it prints nothing on\n"
    "success, and names the files it could not write on failure (the card is then left as it was,\n"
    "except when only a file the recorder can do without failed: the other files are written).\n"
    "Values are integers from -128 to 255. clock=yyyy-MM-dd-hh-mm-ss sets and writes the recorder's\n"
    "clock. Only regular files are read; links in the setting folder are replaced, never written\n"
    "through. A save that was cut off (killed, card pulled) is finished first.\n"
    "Exit codes: 0 done, 1 CARD unusable, no recorder model, or the save failed, 2 usage error.\n",
    runSettings,
    false,
    keyList,
};

namespace {

constexpr int kLowestValue = -128;
constexpr int kHighestValue = 255;

QString modelName(DeviceModel model)
{
    switch (model) {
    case DeviceModel::Main:
        return QStringLiteral("main");
    case DeviceModel::Second:
        return QStringLiteral("second");
    case DeviceModel::NoModel:
        break;
    }
    return QStringLiteral("none");
}

int show(const QString &card)
{
    const DeviceSettings settings(cardSettingsFolder(card), cardModel(card));
    for (const SettingTable::Entry &entry : SettingTable::kEntries)
        out() << entry.key << '=' << settings.value(entry.setting) << '\n';
    out() << "clockText=" << settings.clockText() << '\n'
          << "model=" << modelName(settings.model()) << '\n'
          << "loaded=" << (settings.isLoaded() ? 1 : 0) << '\n';
    out().flush();
    return ExitOk;
}

struct Change
{
    QString key;
    std::optional<RecorderSetting> setting; // none for the clock
    int value = 0;
    QString clock;
};

// Parses KEY=VALUE arguments; an empty `problem` when all are good.
std::vector<Change> parseChanges(const QStringList &assignments, QString *problem)
{
    std::vector<Change> changes;
    for (const QString &assignment : assignments) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        Change change{assignment.left(equals), SettingTable::byKey(assignment.left(equals)), 0, {}};
        const QString text = assignment.mid(equals + 1);
        bool ok = false;
        if (equals <= 0) {
            *problem = QStringLiteral("'%1' is not KEY=VALUE").arg(assignment);
        } else if (change.key == QLatin1String("clock")) {
            if (text.size() != SettingTable::kClockLength
                || !QDateTime::fromString(text, QLatin1String(SettingTable::kClockPattern)).isValid())
                *problem = QStringLiteral("clock takes yyyy-MM-dd-hh-mm-ss");
            change.clock = text;
        } else if (!change.setting) {
            *problem = QStringLiteral("unknown key '%1'").arg(change.key);
        } else if (SettingTable::entry(*change.setting).writeFor == SettingTable::Models::None) {
            *problem = QStringLiteral("%1 is never written to the card").arg(change.key);
        } else if (change.value = text.toInt(&ok); !ok || change.value < kLowestValue
                                                   || change.value > kHighestValue) {
            *problem = QStringLiteral("%1 takes an integer from -128 to 255").arg(change.key);
        }
        if (!problem->isEmpty())
            return {};
        changes.push_back(std::move(change));
    }
    return changes;
}

int set(const QString &card, const QStringList &assignments)
{
    QString problem;
    const std::vector<Change> changes = parseChanges(assignments, &problem);
    if (!problem.isEmpty() || changes.empty())
        return usageError(settingsCommand, problem.isEmpty() ? QStringLiteral("nothing to set") : problem);
    const DeviceModel model = cardModel(card);
    if (model == DeviceModel::NoModel)
        return unreadable(card, QStringLiteral("no QRD-7700 version file in update/version.txt"));
    DeviceSettings settings(cardSettingsFolder(card), model);
    for (const Change &change : changes) {
        if (change.setting)
            settings.setValue(*change.setting, change.value);
        else
            settings.setClock(true, change.clock);
    }
    if (!settings.save()) {
        const QStringList failed = settings.failedFiles();
        return unreadable(settings.folder(), failed.isEmpty() ? QStringLiteral("cannot write the settings")
                                                              : QStringLiteral("cannot write ") + failed.join(u", "));
    }
    return ExitOk;
}

int runSettings(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return usageError(settingsCommand, QStringLiteral("an action and CARD are needed"));
    const QString &action = arguments[0];
    const QString &card = arguments[1];
    if (action != QLatin1String("show") && action != QLatin1String("set"))
        return usageError(settingsCommand, QStringLiteral("unknown action '%1'").arg(action));
    if (action == QLatin1String("show") && arguments.size() > 2)
        return usageError(settingsCommand, QStringLiteral("show takes only CARD"));
    if (!QFileInfo(card).isDir())
        return unreadable(card, QStringLiteral("not a folder"));
    return action == QLatin1String("show") ? show(card) : set(card, arguments.mid(2));
}

} // namespace

} // namespace Cli
