#include "viewer/viewercontrols.h"

#include "base/messages.h"
#include "base/texttable.h"
#include "resources/gfxpaths.h"
#include "session/viewerstate.h"
#include "skin/clearbutton.h"
#include "viewer/mainwindow.h"
#include "viewer/viewershortcuts.h"
#include "viewer/widgetvolume.h"

using ViewerLayout::Button;

namespace {

// The buttons that need something to play.
bool isTransport(Button button)
{
    switch (button) {
    case Button::Play:
    case Button::Pause:
    case Button::Stop:
    case Button::PreviousFile:
    case Button::FrameBack:
    case Button::FrameForward:
    case Button::NextFile:
    case Button::ZoomIn:
    case Button::ZoomOut:
    case Button::ActualSize:
    case Button::Pan:
    case Button::Rotate:
    case Button::Volume:
    case Button::Snapshot:
    case Button::Print:
        return true;
    default:
        return false;
    }
}

// The text table's tool tip of the button with the keys that do the same.
QString toolTipFor(const ViewerLayout::ButtonSpec &entry)
{
    if (entry.button == Button::TripView)
        return ViewerShortcuts::toolTip(entry.button, Messages::tripView());
    return ViewerShortcuts::toolTip(entry.button, entry.toolTipRow >= 0 ? uiText(entry.toolTipRow) : QString());
}

} // namespace

ClearButton *makeImageButton(QWidget *parent, const QStringList &images, const QString &toolTip)
{
    return new ClearButton(parent, Gfx::path(images.value(0)), Gfx::path(images.value(1)),
                           Gfx::path(images.value(2)), Gfx::path(images.value(3)), toolTip);
}

ViewerControls::ViewerControls(MainWindow *window, const ViewerState *state, WidgetVolume *volumeSlider)
    : QObject(window)
    , m_state(state)
    , m_volumeSlider(volumeSlider)
{
    createButtons(window);
    // state -> buttons: whatever changes what can be used or what is shown.
    connect(state, &ViewerState::hasClipsChanged, this, &ViewerControls::refresh);
    connect(state, &ViewerState::channelCountChanged, this, &ViewerControls::refresh);
    connect(state, &ViewerState::playingChanged, this, &ViewerControls::refresh);
    connect(state, &ViewerState::maximizedChanged, this, &ViewerControls::refresh);
    connect(state, &ViewerState::panModeChanged, this, &ViewerControls::refresh);
    connect(state, &ViewerState::mutedChanged, this, &ViewerControls::refresh);
    connect(state, &ViewerState::tripViewChanged, this, &ViewerControls::refresh);
    refresh();
}

bool ViewerControls::isEnabled(Button button, const ViewerState &state)
{
    if (button == Button::SwapViews)
        return state.hasClips() && state.channelCount() == 2;
    return !isTransport(button) || state.hasClips();
}

ClearButton *ViewerControls::button(Button which) const
{
    const auto it = m_buttons.find(which);
    return it == m_buttons.end() ? nullptr : it->second;
}

void ViewerControls::createButtons(MainWindow *window)
{
    using Slot = void (MainWindow::*)();
    const std::map<Button, Slot> handlers = {
        {Button::Play, &MainWindow::OnSlotsplay},           {Button::Pause, &MainWindow::OnSlotspause},
        {Button::Stop, &MainWindow::OnSlotsstop},           {Button::PreviousFile, &MainWindow::OnSlotspre_file},
        {Button::FrameBack, &MainWindow::OnSlotsrw},        {Button::FrameForward, &MainWindow::OnSlotsfw},
        {Button::NextFile, &MainWindow::OnSlotsnext_file},  {Button::ZoomIn, &MainWindow::OnSlotszoom_in},
        {Button::ZoomOut, &MainWindow::OnSlotszoom_out},    {Button::ActualSize, &MainWindow::OnSlotszoom_win},
        {Button::Pan, &MainWindow::OnSlotspan},             {Button::Rotate, &MainWindow::OnSlotsrotate},
        {Button::Volume, &MainWindow::OnSlotsvolume},       {Button::Setting, &MainWindow::OnSlotssetting},
        {Button::Snapshot, &MainWindow::OnSlotssnapshot},   {Button::Print, &MainWindow::OnSlotsprint},
        {Button::Restore, &MainWindow::OnSlotsback2origin}, {Button::Maximize, &MainWindow::OnSlotsmaximize},
        {Button::FileOpen, &MainWindow::OnSlotsfile_open},  {Button::FolderOpen, &MainWindow::OnSlotsfolder_open},
        {Button::SwapViews, &MainWindow::OnSlotslist_screen},
        {Button::TripView, &MainWindow::toggleTripView},
    };
    for (const ViewerLayout::ButtonSpec &entry : ViewerLayout::buttonTable()) {
        ClearButton *button = makeImageButton(window, entry.images, toolTipFor(entry));
        button->setObjectName(QLatin1String(entry.objectName));
        m_buttons[entry.button] = button;
        if (const auto slot = handlers.find(entry.button); slot != handlers.end())
            connect(button, &QToolButton::clicked, window, slot->second);
    }
    connect(m_buttons[Button::Minimize], &QToolButton::clicked, window, &QWidget::showMinimized);
    connect(m_buttons[Button::Exit], &QToolButton::clicked, window, &QWidget::close);

    // Alternate images of the actual-size and swap buttons, created hidden and never placed.
    ClearButton *zoomWin = makeImageButton(window, {QStringLiteral("zoom_win_1.png"), QStringLiteral("zoom_win_3.png"),
                                                    QStringLiteral("zoom_win_2.png"), QStringLiteral("zoom_win_1.png")});
    connect(zoomWin, &QToolButton::clicked, window, &MainWindow::OnSlotszoom_win);
    zoomWin->hide();
    ClearButton *swap = makeImageButton(window, {QStringLiteral("screen02_1.png"), QStringLiteral("screen02_3.png"),
                                                 QStringLiteral("screen02_2.png"), QStringLiteral("screen02_1.png")});
    connect(swap, &QToolButton::clicked, window, &MainWindow::OnSlotslist_screen);
    swap->hide();
}

void ViewerControls::place(int w, int h)
{
    for (const auto &[which, button] : m_buttons)
        button->setGeometry(ViewerLayout::buttonRect(which, w, h));
    m_volumeSlider->setGeometry(ViewerLayout::volumeSliderRect(w, h));
}

void ViewerControls::applyTexts()
{
    for (const ViewerLayout::ButtonSpec &entry : ViewerLayout::buttonTable())
        m_buttons[entry.button]->setToolTipText(toolTipFor(entry));
}

void ViewerControls::refresh()
{
    for (const auto &[which, button] : m_buttons)
        button->setEnabled(isEnabled(which, *m_state));
    // The bar is off while the sound is off; the mute button stays lit meanwhile.
    m_volumeSlider->setEnabled(m_state->hasClips() && !m_state->isMuted());
    m_buttons[Button::Volume]->setHighlighted(m_state->isMuted());
    m_buttons[Button::Pan]->setHighlighted(m_state->isPanMode());
    m_buttons[Button::TripView]->setHighlighted(m_state->isTripView());
    m_buttons[Button::Play]->setVisible(!m_state->isPlaying());
    m_buttons[Button::Pause]->setVisible(m_state->isPlaying());
    m_buttons[Button::Restore]->setVisible(m_state->isMaximized());
    m_buttons[Button::Maximize]->setVisible(!m_state->isMaximized());
}
