#pragma once

#include <QLabel>
#include <QTimer>

// A short note over the top of the large picture that does not stop anything: it shows for a few
// seconds (or until clicked) and gives way to the next one. Used when playback passes over a clip
// that cannot be played; the notice after a save keeps the foot of the picture.
class PlaybackNotice : public QLabel
{
    Q_OBJECT

public:
    static constexpr int kShownMs = 6000;

    explicit PlaybackNotice(QWidget *window);

    // Shows `text` at the top of `area` (window coordinates) from now on for kShownMs.
    void showText(const QString &text, const QRect &area);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QTimer m_hide;
};
