#pragma once

#include <QObject>
#include <QSize>

class VideoView;
class ViewerState;

// The two video views of the viewer window: which one has the large area (the viewer state says)
// and which the small one, where both go for the window's size, and the zoom of the large one.
// Views follow the pan mode of the state.
class ViewArrangement : public QObject
{
    Q_OBJECT

public:
    // `front` shows channel 0, `rear` channel 1.
    ViewArrangement(VideoView *front, VideoView *rear, ViewerState *state, QObject *parent = nullptr);

    // Places the views for a window of this size.
    void setWindowSize(const QSize &size);
    // Gives `channel` the large area and lays both views out again.
    void showLarge(int channel);
    // The other channel takes the large area.
    void swap();
    VideoView *largeView() const;
    // Zooms the large view: +1 in, −1 out, 0 back to × 1.0.
    void zoom(int step);

private:
    void arrange();

    VideoView *m_front;
    VideoView *m_rear;
    ViewerState *m_state;
    QSize m_windowSize;
};
