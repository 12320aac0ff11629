#include "tools/cli/clicommand.h"

#include "telemetry/telemetryreader.h"

#include <QFile>
#include <QFileInfo>

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
        err() << "qrd7700-cli " << command.name << ": " << printable(problem) << '\n';
    err() << usageText(command);
    err().flush();
    return ExitUsage;
}

QString usageText(const Command &command)
{
    return QString::fromUtf8(command.usage) + (command.usageTail ? command.usageTail() : QString());
}

int unreadable(const QString &file, const QString &reason)
{
    err() << "qrd7700-cli: " << printable(file) << ": " << printable(reason) << '\n';
    err().flush();
    return ExitUnreadable;
}

void note(const QString &file, const QString &remark)
{
    err() << "qrd7700-cli: " << printable(file) << ": " << printable(remark) << '\n';
    err().flush();
}

QString printable(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code == u'\\')
            result += QLatin1String("\\\\");
        else if (code == u'\n')
            result += QLatin1String("\\n");
        else if (code == u'\t')
            result += QLatin1String("\\t");
        else if (code == u'\r')
            result += QLatin1String("\\r");
        else if (code < 0x20 || (code >= 0x7f && code < 0xa0))
            result += QStringLiteral("\\x%1").arg(uint(code), 2, 16, QLatin1Char('0'));
        else
            result += c;
    }
    return result;
}

bool clipOpens(const QString &clip)
{
    const QFileInfo info(clip);
    if (info.isDir()) {
        unreadable(clip, QStringLiteral("is a folder"));
        return false;
    }
    if (info.exists() && !info.isFile()) {
        unreadable(clip, QStringLiteral("not a regular file"));
        return false;
    }
    QFile file(clip);
    if (!file.open(QIODevice::ReadOnly)) {
        unreadable(clip, file.errorString());
        return false;
    }
    if (!isAviFile(clip)) {
        unreadable(clip, QStringLiteral("not an AVI clip"));
        return false;
    }
    return true;
}

bool wantsHelp(const QStringList &arguments)
{
    return arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"));
}

} // namespace Cli
