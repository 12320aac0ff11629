#pragma once

#include <QString>
#include <QStringList>

// The command-line tool as the telemetry tests run it: the built binary, its exit code and output.
struct CliRun
{
    int exitCode = -1; // -1 when it did not finish normally within a minute
    QString out;
    QString err;
};

// Runs qrd7700-cli (from QRD7700_BINARY_DIR) with `arguments` under the time zone `timeZone`, with
// its cache below `cacheHome` and, when given, its settings below `configHome`.
CliRun runCli(const QStringList &arguments, const QString &timeZone, const QString &cacheHome,
              const QString &configHome = {});
