#include "app/suitelink.h"

#include "base/messages.h"

#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>

#include <unistd.h>

namespace SuiteLink {

QString socketPathForTitle(const QString &title)
{
    QString name = title;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]")), QStringLiteral("_"));
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty() && QDir(runtimeDir).exists())
        return QDir(runtimeDir).filePath(QStringLiteral("qrd7700-") + name);
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("qrd7700-%1-%2").arg(::getuid()).arg(name));
}

bool sendRequest(const QString &title, const QString &request, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPathForTitle(title));
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(request.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The listener answers "ok" once it has acted; a dead or foreign listener does not.
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine().trimmed() == "ok";
}

void returnToSuite()
{
    if (sendRequest(Messages::suiteTitle(), QStringLiteral("restore")))
        return;
    QProcess::startDetached(QStringLiteral("corvi-start"), {QStringLiteral("pop")});
}

} // namespace SuiteLink
