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

    enum class Listening { Yes, HeldByLivingInstance, Failed };
    // Starts listening. A socket left behind by an instance that died (nobody accepts connections
    // on it) is removed first; one that a living instance holds, even one too busy to answer, is
    // left alone.
    Listening listen();

    void setWindow(QWidget *window);

signals:
    void focusRequested();

private:
    void acceptConnection();

    QString m_title;
    QLocalServer *m_server = nullptr;
    QPointer<QWidget> m_window;
};
