#pragma once

#include "viewer/viewerlayout.h"

#include <QObject>

#include <map>

class ClearButton;
class MainWindow;
class QWidget;
class ViewerState;
class WidgetVolume;

// An image button of the skin from four image names under gfx_r/2012 (normal, pressed, hover,
// disabled).
ClearButton *makeImageButton(QWidget *parent, const QStringList &images, const QString &toolTip = {});

// The viewer window's image buttons and the volume bar: creates them, wires each button to the
// window's slot, places them for a window size, and keeps which ones are enabled, shown and lit in
// step with the viewer state. The keyboard asks isEnabled() too, so a key works exactly while the
// button doing the same can be clicked.
class ViewerControls : public QObject
{
    Q_OBJECT

public:
    ViewerControls(MainWindow *window, const ViewerState *state, WidgetVolume *volumeSlider);

    // Whether `button` can be used in `state`: the transport needs something to play, the swap
    // button a clip with two channels; the window's own buttons always work.
    static bool isEnabled(ViewerLayout::Button button, const ViewerState &state);

    ClearButton *button(ViewerLayout::Button which) const;
    void place(int w, int h);
    // Tool tips in the current language.
    void applyTexts();

private:
    void createButtons(MainWindow *window);
    void refresh();

    const ViewerState *m_state;
    WidgetVolume *m_volumeSlider;
    std::map<ViewerLayout::Button, ClearButton *> m_buttons;
};
