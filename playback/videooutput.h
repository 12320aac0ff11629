#pragma once

#include <QImage>

// Where the pictures of an open clip go: whoever shows them (a video view, a test) implements it
// and draws them as it likes. Called on the GUI thread only.
class VideoOutput
{
public:
    virtual ~VideoOutput() = default;

    // A new picture of `channel` (0 or 1), Format_RGB32, scaled by the pipeline to the size last
    // asked for that channel (never above its decoded size). `serial` counts the channel's pictures
    // from 1 since the clip started opening.
    virtual void presentPicture(int channel, const QImage &picture, quint64 serial) = 0;
    // The pictures shown so far belong to no clip any more. `opening`: a clip is on its way and its
    // pictures follow; false: nothing is open.
    virtual void resetPictures(bool opening) = 0;
};
