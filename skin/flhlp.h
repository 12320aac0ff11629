#pragma once

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>

class QWidget;

// What FlHlp remembers about one attached window.
struct FramelessWindowState
{
    QPointer<QWidget> widget;
    bool leftButtonDown = false;
    QPoint dragOffset;               // global press position minus the frame's top-left corner
    Qt::WindowFlags savedWindowFlags;
};

// Turns widgets into frameless windows and moves them by left-dragging anywhere on them.
// It only watches the events of the attached widgets and never consumes one.
class FlHlp : public QObject
{
    Q_OBJECT

public:
    explicit FlHlp(QObject *parent = nullptr);
    ~FlHlp() override;

    void attachTo(QWidget *widget);
    void detachFrom(QWidget *widget);
    bool isAttached(const QWidget *widget) const;

    void setMovable(bool movable);
    bool isMovable() const;
    // Only recorded: no window of this program resizes by dragging its edges.
    void setResizable(bool resizable);
    bool isResizable() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void forget(QObject *widget);
    void restore(FramelessWindowState &state);

    QHash<const QObject *, std::shared_ptr<FramelessWindowState>> m_states;
    bool m_movable = true;
    bool m_resizable = true;
};
