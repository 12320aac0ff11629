#include "app/instanceserver.h"

#include "app/suitelink.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QWidget>

Q_LOGGING_CATEGORY(lcInstance, "qrd7700.instance")

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

bool InstanceServer::listen()
{
    const QString path = SuiteLink::socketPathForTitle(m_title);
    if (m_server->listen(path))
        return true;
    if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
        // Nobody answered our focus request before, so whatever holds the name is dead.
        QLocalServer::removeServer(path);
        if (m_server->listen(path))
            return true;
    }
    qCWarning(lcInstance) << "cannot listen on" << path << m_server->errorString();
    return false;
}

void InstanceServer::setWindow(QWidget *window)
{
    m_window = window;
}

void InstanceServer::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
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
