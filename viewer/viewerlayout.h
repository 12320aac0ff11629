#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

// Geometry of the viewer window for a window of width w and height h: where each pane and button
// goes. The default window is 1024 × 645; a maximized window takes the screen's size.
namespace ViewerLayout {

constexpr int kDefaultWidth = 1024;
constexpr int kDefaultHeight = 645;

// Shift of the transport row that centres it on wide windows: (w − 1039) / 2 above 1024, else 0.
int transportOffset(int w);
// The large video area, its sides snapped down to multiples of 10.
int largeAreaWidth(int w);
int largeAreaHeight(int h);

QRect dashboardRect(int w, int h);
QRect mapRect(int w, int h);
QRect listRect(int w, int h);
QRect folderLabelRect(int w, int h);
QRect volumeSliderRect(int w, int h);
QRect largeViewRect(int w, int h);
QRect smallViewRect(int w, int h);
// The area the small view's zoom and pan limits are reckoned against, whatever its own size.
constexpr QSize kSmallViewBoxArea(640, 360);
QRect swapButtonRect(int w, int h);

// Where a mouse move the window receives itself (outside every child) is passed to the large view
// while not panning; the rectangle's edges are included. Fixed: it does not follow the window's size.
QRect largeViewMoveArea();

// Whether a screen of this size can take the maximized layout.
bool canMaximize(const QSize &screen);

enum class Button {
    Play, Pause, Stop, PreviousFile, FrameBack, FrameForward, NextFile, ZoomIn, ZoomOut, ActualSize,
    Pan, Rotate, Volume, Setting, Snapshot, Print, Restore, Maximize, Minimize, Exit, FileOpen,
    FolderOpen, SwapViews, TripView,
};

struct ButtonSpec
{
    Button button;
    const char *objectName;
    QStringList images; // normal, pressed, hover, disabled (resource names under gfx_r/2012)
    int toolTipRow;     // text table row, or −1 for none
};

// Every image button of the window, in creation order.
const std::vector<ButtonSpec> &buttonTable();

// Where a button goes in a w × h window.
QRect buttonRect(Button button, int w, int h);

// The category (0 all, 1 REC, 2 EVENT) and filter (0 all … 3 parking) buttons.
QRect categoryButtonRect(int index, int w);
QRect filterButtonRect(int index, int w);
// The trip view's button, beside the categories.
QRect tripButtonRect(int w);
QStringList selectorButtonImages();

} // namespace ViewerLayout
