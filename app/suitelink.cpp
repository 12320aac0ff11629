#include "app/suitelink.h"

#include "base/messages.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSuiteLink, "qrd7700.instance.link")

namespace {

constexpr auto kLauncher = "qrd7700-start";

// A folder for our sockets must be a real folder of this user's that no one else may write to:
// another user's listener there would be taken for a window of ours.
bool isPrivateFolder(const QString &folder)
{
    struct stat info;
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return false;
    if (S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return true;
    qCWarning(lcSuiteLink) << folder << "is not a folder of this user's alone; its sockets are not used";
    return false;
}

// The session's runtime folder, else a folder of our own in the temporary folder (made private when
// missing); empty when neither is private.
QString socketFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists() && isPrivateFolder(runtime))
        return runtime;
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("qrd7700-%1").arg(::getuid()));
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateFolder(own) ? own : QString();
}

} // namespace

namespace SuiteLink {

QString socketPathForTitle(const QString &title)
{
    const QString folder = socketFolder();
    if (folder.isEmpty())
        return {};
    QString name = title;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]")), QStringLiteral("_"));
    return QDir(folder).filePath(QStringLiteral("qrd7700-") + name);
}

bool isOwnPeer(qintptr descriptor)
{
    struct ucred peer{};
    socklen_t size = sizeof(peer);
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    if (peer.uid == ::getuid())
        return true;
    qCWarning(lcSuiteLink) << "a process of user" << peer.uid << "on our socket is not trusted";
    return false;
}

bool sendRequest(const QString &title, const QString &request, int timeoutMs)
{
    const QString path = socketPathForTitle(title);
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs) || !isOwnPeer(socket.socketDescriptor()))
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
    QProcess::startDetached(QLatin1String(kLauncher), {QStringLiteral("pop")});
}

} // namespace SuiteLink
