#pragma once

#include <QObject>

class QMouseEvent;
class QWidget;
class ViewArrangement;
class ViewerState;

// Passes on the mouse presses, moves and releases the viewer window receives itself (outside every
// child, or ignored by one): presses and releases over the dashboard to the dashboard (seeking on
// its timeline), moves over the picture area, and while panning every press and move, to the large
// view. An event filter on the window.
class WindowMouseRouter : public QObject
{
    Q_OBJECT

public:
    WindowMouseRouter(QWidget *window, QWidget *dashboard, const ViewArrangement *views, const ViewerState *state);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void press(QMouseEvent *event);
    void move(QMouseEvent *event);
    void release(QMouseEvent *event);
    void toDashboard(QMouseEvent *event);
    void toLargeView(QMouseEvent *event);

    QWidget *m_window;
    QWidget *m_dashboard;
    const ViewArrangement *m_views;
    const ViewerState *m_state;
};
