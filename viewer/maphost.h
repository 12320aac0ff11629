#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

// The map's web view in a window of its own, placed inside the map pane as a native child window.
// The web view composes its page with OpenGL: as a plain child it would put the viewer's whole
// window on the OpenGL composition path, and every video picture would have the whole window
// composed again in software. In its own window only the map pays for that. Only platforms that
// can embed a native window (X11) take this way; elsewhere the web view stays a child of the pane.
// The host paints the pane's frame picture under the page and shares the window's shortcuts, so
// that the map behaves as a part of the window.
class MapHost : public QWidget
{
    Q_OBJECT

public:
    // Whether this platform can embed the host's native window in another window.
    static bool isSupported();

    explicit MapHost(const QPixmap &frame);
    ~MapHost() override;

    // Puts the host inside `pane` at `rect` (once the pane's window is on screen); false when the
    // platform refused, and the host stays hidden.
    bool embedInto(QWidget *pane, const QRect &rect);
    bool isEmbedded() const { return m_container != nullptr; }
    // The pane's stand-in for the host: moved, shown and enabled with the pane.
    QWidget *container() const { return m_container; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_frame;
    QPointer<QWidget> m_pane;
    QPointer<QWidget> m_container;
};
