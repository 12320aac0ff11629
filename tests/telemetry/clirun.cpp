#include "clirun.h"

#include <QProcess>
#include <QProcessEnvironment>

CliRun runCli(const QStringList &arguments, const QString &timeZone, const QString &cacheHome, const QString &configHome)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TZ"), timeZone);
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome);
    if (!configHome.isEmpty())
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("QRD7700_BINARY_DIR") + QStringLiteral("/tools/cli/qrd7700-cli"), arguments);
    CliRun result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}
