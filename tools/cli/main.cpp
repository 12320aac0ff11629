// qrd7700-cli: the program's engines on the command line, for scripts and checks.
#include "tools/cli/clicommand.h"

#include "base/logrules.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>

namespace Cli {
// Subcommand definitions live in their own files.
} // namespace Cli

namespace {

const Cli::Command *const kCommands[] = {
    &Cli::recordsCommand,
    &Cli::trackCommand,
    &Cli::atCommand,
    &Cli::gpxCommand,
    &Cli::kmlCommand,
    &Cli::eventsCommand,
    &Cli::clipsCommand,
    &Cli::tripsCommand,
    &Cli::exportCommand,
    &Cli::verifyCommand,
    &Cli::settingsCommand,
    &Cli::probeCommand,
    &Cli::demoCardCommand,
};

void printOverview(QTextStream &stream)
{
    stream << "usage: qrd7700-cli SUBCOMMAND [ARGUMENTS]\n\nsubcommands:\n";
    for (const Cli::Command *command : kCommands) {
        if (command)
            stream << "  " << QString::fromLatin1(command->name).leftJustified(10) << ' '
                   << command->summary << '\n';
    }
    stream << "\n'qrd7700-cli SUBCOMMAND --help' shows the help of one subcommand.\n";
}

const Cli::Command *findCommand(const char *name)
{
    for (const Cli::Command *command : kCommands) {
        if (command && name && qstrcmp(name, command->name) == 0)
            return command;
    }
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    installLogRules();
    const Cli::Command *requested = argc > 1 ? findCommand(argv[1]) : nullptr;
    std::unique_ptr<QCoreApplication> app;
    if (requested && requested->needsGui) {
        // Pictures and text are painted without a screen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        printOverview(Cli::err());
        return Cli::ExitUsage;
    }
    if (Cli::wantsHelp(arguments.mid(0, 1))) {
        printOverview(Cli::out());
        return Cli::ExitOk;
    }
    const QString name = arguments.takeFirst();
    for (const Cli::Command *command : kCommands) {
        if (!command || name != QLatin1String(command->name))
            continue;
        if (Cli::wantsHelp(arguments)) {
            Cli::out() << Cli::usageText(*command);
            return Cli::ExitOk;
        }
        return command->run(arguments);
    }
    Cli::err() << "qrd7700-cli: unknown subcommand '" << name << "'\n";
    printOverview(Cli::err());
    return Cli::ExitUsage;
}
