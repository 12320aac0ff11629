#include "viewer/viewerlayout.h"

namespace ViewerLayout {

namespace {

QStringList stateImages(const QString &normal, const QString &hover, const QString &pressed)
{
    // The constructor order of the image buttons: normal, pressed, hover, disabled (= normal).
    return {normal + QStringLiteral(".png"), pressed + QStringLiteral(".png"), hover + QStringLiteral(".png"),
            normal + QStringLiteral(".png")};
}

QStringList stemImages(const QString &stem)
{
    return stateImages(stem + QLatin1Char('1'), stem + QLatin1Char('2'), stem + QLatin1Char('3'));
}

} // namespace

int transportOffset(int w)
{
    return w > kDefaultWidth ? (w - 1039) / 2 : 0;
}

int largeAreaWidth(int w)
{
    const int a = w - 384;
    return a - a % 10;
}

int largeAreaHeight(int h)
{
    const int b = h - 285;
    return b - b % 10;
}

QRect dashboardRect(int w, int h)
{
    return {23, h - 251, w - 382, 250};
}

QRect mapRect(int w, int)
{
    return {w - 344, 224, 320, 206};
}

QRect listRect(int w, int h)
{
    return {w - 343, 469, 320, h - 484};
}

QRect folderLabelRect(int w, int)
{
    // Sits under the map, left of the open buttons; it follows the right panel on wide windows.
    return {w - 341, 431, 290, 18};
}

QRect volumeSliderRect(int w, int h)
{
    return {transportOffset(w) + 600, h - 200, 52, 9};
}

QRect largeViewRect(int w, int h)
{
    return {22, 32, largeAreaWidth(w), largeAreaHeight(h)};
}

QRect smallViewRect(int w, int)
{
    return {w - 343, 32, 320, 180};
}

QRect swapButtonRect(int w, int)
{
    const int k = largeAreaWidth(w);
    return {k + (w - 22 - k - 357) / 2 + 24, 104, 13, 34};
}

QRect largeViewMoveArea()
{
    return QRect(QPoint(22, 32), QPoint(760, 460));
}

bool canMaximize(const QSize &screen)
{
    return screen.width() > kDefaultWidth && screen.height() >= 646;
}

const std::vector<ButtonSpec> &buttonTable()
{
    static const std::vector<ButtonSpec> table = {
        {Button::Play, "play", stemImages(QStringLiteral("play_")), 48},
        {Button::Pause, "pause", stemImages(QStringLiteral("pause")), 49},
        {Button::Stop, "stop", stemImages(QStringLiteral("stop_")), 50},
        {Button::PreviousFile, "pre_file", stemImages(QStringLiteral("pre_file_")), 51},
        {Button::FrameBack, "rw", stemImages(QStringLiteral("rw_")), 52},
        {Button::FrameForward, "fw", stemImages(QStringLiteral("fw_")), 53},
        {Button::NextFile, "next_file", stemImages(QStringLiteral("next_file_")), 54},
        {Button::ZoomIn, "zoom_in", stemImages(QStringLiteral("zoom_in_")), 55},
        {Button::ZoomOut, "zoom_out", stemImages(QStringLiteral("zoom_out_")), 56},
        {Button::ActualSize, "zoom_win", stemImages(QStringLiteral("original_screen_")), 63},
        {Button::Pan, "pan", stemImages(QStringLiteral("pan_")), 57},
        {Button::Rotate, "rotate", stemImages(QStringLiteral("rotate_")), 58},
        {Button::Volume, "volume", stemImages(QStringLiteral("volume")), 59},
        {Button::Setting, "setting", stemImages(QStringLiteral("setting_")), 60},
        {Button::Snapshot, "snapshot", stemImages(QStringLiteral("snapshot_")), 61},
        {Button::Print, "print", stemImages(QStringLiteral("print_")), 62},
        {Button::Restore, "back2origin", stemImages(QStringLiteral("min_")), -1},
        {Button::Maximize, "maximize", stemImages(QStringLiteral("max_")), -1},
        {Button::Minimize, "minimize", stemImages(QStringLiteral("close_")), -1},
        {Button::Exit, "exit", stemImages(QStringLiteral("exit_")), -1},
        {Button::FileOpen, "file_open", stemImages(QStringLiteral("file_open_")), -1},
        {Button::FolderOpen, "folder_open", stemImages(QStringLiteral("folder_open_")), -1},
        {Button::SwapViews, "list_screen", stemImages(QStringLiteral("screen01_")), -1},
        {Button::TripView, "trip_view", stemImages(QStringLiteral("trip_")), -1},
    };
    return table;
}

QRect buttonRect(Button button, int w, int h)
{
    const int d = transportOffset(w);
    const int row = h - 212;
    switch (button) {
    case Button::Play:
    case Button::Pause: return {d + 27, row, 36, 36};
    case Button::Stop: return {d + 80, row, 36, 36};
    case Button::PreviousFile: return {d + 137, row, 36, 36};
    case Button::FrameBack: return {d + 192, row, 36, 36};
    case Button::FrameForward: return {d + 247, row, 36, 36};
    case Button::NextFile: return {d + 302, row, 36, 36};
    case Button::ZoomIn: return {d + 352, row, 36, 36};
    case Button::ZoomOut: return {d + 396, row, 36, 36};
    case Button::ActualSize: return {d + 440, row, 36, 36};
    case Button::Pan: return {d + 484, row, 36, 36};
    case Button::Rotate: return {d + 529, row, 36, 36};
    case Button::Volume: return {d + 576, h - 203, 19, 17};
    case Button::Setting: return {w - 347, 7, 19, 20};
    case Button::Snapshot: return {w - 306, 9, 22, 18};
    case Button::Print: return {w - 263, 7, 20, 20};
    case Button::Restore:
    case Button::Maximize: return {w - 104, 8, 21, 19};
    case Button::Minimize: return {w - 73, 8, 21, 19};
    case Button::Exit: return {w - 42, 8, 21, 19};
    case Button::FileOpen: return {w - 79, 433, 21, 16};
    case Button::FolderOpen: return {w - 44, 433, 20, 16};
    case Button::SwapViews: return swapButtonRect(w, h);
    case Button::TripView: return tripButtonRect(w);
    }
    return {};
}

// Beside the EVENT category, before the cause filters.
QRect tripButtonRect(int w)
{
    return {w - 203, 451, 36, 19};
}

QRect categoryButtonRect(int index, int w)
{
    static constexpr int kLeft[3] = {345, 299, 253};
    return {w - kLeft[qBound(0, index, 2)], 451, 46, 19};
}

QRect filterButtonRect(int index, int w)
{
    static constexpr int kLeft[4] = {144, 114, 84, 54};
    return {w - kLeft[qBound(0, index, 3)], 451, 30, 19};
}

QStringList selectorButtonImages()
{
    // Normal and pressed share one image; hover lights up; the chosen (disabled) one is marked.
    return {QStringLiteral("sorting_btn2.png"), QStringLiteral("sorting_btn2.png"),
            QStringLiteral("sorting_btn3.png"), QStringLiteral("sorting_btn1.png")};
}

} // namespace ViewerLayout
