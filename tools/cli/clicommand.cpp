#include "tools/cli/clicommand.h"

#include <cstdio>

namespace Cli {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int usageError(const Command &command, const QString &problem)
{
    if (!problem.isEmpty())
        err() << "qrd7700-cli " << command.name << ": " << problem << '\n';
    err() << command.usage;
    err().flush();
    return ExitUsage;
}

int unreadable(const QString &file, const QString &reason)
{
    err() << "qrd7700-cli: " << file << ": " << reason << '\n';
    err().flush();
    return ExitUnreadable;
}

bool wantsHelp(const QStringList &arguments)
{
    return arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"));
}

} // namespace Cli
