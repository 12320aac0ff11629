#include "app/instanceserver.h"

#include "app/suitelink.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QWidget>

Q_LOGGING_CATEGORY(lcInstance, "qrd7700.instance")

namespace {
constexpr int kProbeTimeoutMs = 1000;
} // namespace

InstanceServer::InstanceServer(const QString &title, QObject *parent)
    : QObject(parent)
    , m_title(title)
    , m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::acceptConnection);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::notifyRunningInstance() const
{
    return SuiteLink::sendRequest(m_title, QStringLiteral("focus"));
}

namespace {

// Whether a process of ours still listens on `path`: the system accepts a connection to a listening
// socket even while its owner is too busy to answer, and refuses one to a socket its owner left
// behind. Another user's listener there is no instance of ours.
bool heldByLivingInstance(const QString &path)
{
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(kProbeTimeoutMs))
        return SuiteLink::isOwnPeer(probe.socketDescriptor());
    const auto error = probe.error();
    return error != QLocalSocket::ConnectionRefusedError && error != QLocalSocket::ServerNotFoundError;
}

} // namespace

InstanceServer::Listening InstanceServer::listen()
{
    const QString path = SuiteLink::socketPathForTitle(m_title);
    if (path.isEmpty()) {
        qCWarning(lcInstance) << "no private folder for the socket of" << m_title << "; this window cannot be found";
        return Listening::Failed;
    }
    // Asked before listening: with access options the server binds elsewhere and renames its socket
    // over the name, which would take it from a living holder without a word.
    if (QFileInfo::exists(path)) {
        if (heldByLivingInstance(path)) {
            qCInfo(lcInstance) << "a running instance holds" << path << "and takes the focus request when it can";
            return Listening::HeldByLivingInstance;
        }
        QLocalServer::removeServer(path);
    }
    if (m_server->listen(path))
        return Listening::Yes;
    qCWarning(lcInstance) << "cannot listen on" << path << m_server->errorString();
    return Listening::Failed;
}

void InstanceServer::setWindow(QWidget *window)
{
    m_window = window;
}

void InstanceServer::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!SuiteLink::isOwnPeer(socket->socketDescriptor())) {
            socket->disconnectFromServer();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray request = socket->readLine().trimmed();
                if (request != "focus")
                    continue;
                qCInfo(lcInstance) << "focus requested by a second start";
                if (m_window) {
                    m_window->showNormal();
                    m_window->raise();
                    m_window->activateWindow();
                }
                emit focusRequested();
                socket->write("ok\n");
                socket->flush();
            }
        });
    }
}
