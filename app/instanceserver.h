#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QWidget;

// Makes one running window findable by its title: listens on the title's local socket and, when a
// second start of the same mode asks, raises and activates the window. GUI thread only.
class InstanceServer : public QObject
{
    Q_OBJECT
public:
    explicit InstanceServer(const QString &title, QObject *parent = nullptr);
    ~InstanceServer() override;

    // Asks a running instance of this title to take the focus; true when one acknowledged.
    bool notifyRunningInstance() const;

    // Starts listening. A socket left behind by an instance that died is removed first.
    bool listen();

    void setWindow(QWidget *window);

signals:
    void focusRequested();

private:
    void acceptConnection();

    QString m_title;
    QLocalServer *m_server = nullptr;
    QPointer<QWidget> m_window;
};
