#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

class MainWindow;
class VideoView;
class ViewerState;
class QWheelEvent;

// The viewer's mouse and drop additions, as an event filter on the main window and its two video
// views: the wheel over the large picture zooms it as the zoom buttons do, a double click on a
// picture maximizes the window or restores it, and folders or clip files dropped on the window are
// opened (a folder as the clip folder, files as entries of their own, the first one playing).
class ViewerInput : public QObject
{
    Q_OBJECT

public:
    // `front` and `rear` are the views of channels 0 and 1.
    ViewerInput(MainWindow *window, const ViewerState *state, VideoView *front, VideoView *rear);
    // Drops on `window`, another top-level window shown inside the viewer's (the map's own window),
    // open what they hold as drops on the viewer's window do. Null is ignored.
    void takeDropsOn(QWidget *window);

    // What a drop opens: the first local folder among the dropped items, or else the local clip
    // files (*.mp4, *.avi, any case) in their order. Empty when nothing dropped can be opened.
    struct DropPlan
    {
        QString folder;
        QStringList files;
        bool isEmpty() const { return folder.isEmpty() && files.isEmpty(); }
    };
    static DropPlan planDrop(const QList<QUrl> &urls);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool wheel(VideoView *view, QWheelEvent *event);
    bool doubleClick(QEvent *event);
    bool drop(QEvent *event);

    MainWindow *m_window;
    const ViewerState *m_state;
    VideoView *m_views[2];
    QList<QObject *> m_dropWindows;
    int m_wheelDelta = 0; // eighths of a degree not yet turned into a zoom step
};
