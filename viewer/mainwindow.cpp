#include "viewer/mainwindow.h"

#include "base/messages.h"
#include "base/preferences.h"
#include "base/texttable.h"
#include "catalogue/clipcatalogue.h"
#include "resources/gfxpaths.h"
#include "session/playbacksession.h"
#include "session/viewerstate.h"
#include "skin/background.h"
#include "skin/clearbutton.h"
#include "skin/flhlp.h"
#include "viewer/cliplist.h"
#include "viewer/cliplistmenu.h"
#include "viewer/mapview.h"
#include "viewer/videoview.h"
#include "viewer/viewerinput.h"
#include "viewer/viewershortcuts.h"
#include "viewer/widgetprogressa.h"
#include "viewer/widgetvolume.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>

using ViewerLayout::Button;

namespace {

constexpr auto kFolderLabelStyle = "color: rgb(220,220,220); font-family: \"Segoe UI\", Arial; font-size: 10pt;";

// The selector buttons' font; smaller for a text (the English cause names) too wide for the button.
QFont fittingFont(const QString &text, int width)
{
    QFont font(QStringLiteral("Gulim"), 9);
    while (font.pointSizeF() > 6 && QFontMetrics(font).horizontalAdvance(text) > width - 2)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

ClearButton *makeButton(QWidget *parent, const QStringList &images, const QString &toolTip = {})
{
    return new ClearButton(parent, Gfx::path(images.value(0)), Gfx::path(images.value(1)),
                           Gfx::path(images.value(2)), Gfx::path(images.value(3)), toolTip);
}

} // namespace

MainWindow::MainWindow(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    m_mover = new FlHlp(this);
    setFocusPolicy(Qt::StrongFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(9, 9, 9));
    setPalette(pal);
    setFixedSize(m_width, m_height);
    m_state = new ViewerState(this);
    m_session = new PlaybackSession(*m_state, this);

    createPanes();
    m_clipList = new MyListWidget(this, this);
    connect(m_clipList, &QListWidget::currentItemChanged, this, &MainWindow::OnSlotsselectFile);
    new ClipListMenu(m_clipList, this); // owned by the list
    createButtons();
    setWindowTitle(Messages::viewerWindowTitle());
    placeAll(m_width, m_height);

    m_view1 = new VideoView(this);
    m_view1->setObjectName(QStringLiteral("view1"));
    m_view2 = new VideoView(this);
    m_view2->setObjectName(QStringLiteral("view2"));
    setupPlaybackConnections();
    switchLayout(1);

    m_mover->attachTo(this);
    m_mover->setResizable(false);
    m_mover->setMovable(true);
    setPlaying(false);
    enableTransportControls(false);
    m_frontBig = true;
    OnZoomWinMode(false);
    m_layoutMode = 1;
    m_category = 0;
    m_filter = 0;
    setSelectorButtonsEnabled();
    // Keys, the mouse wheel, double clicks and drops, beside the buttons.
    new ViewerShortcuts(this);
    new ViewerInput(this);
}

MainWindow::~MainWindow()
{
    closeFolder();
    m_session->close();
}

void MainWindow::createPanes()
{
    m_background = new Background(this, Gfx::path(QStringLiteral("marlow_main_viewer_bg.png")));
    setCentralWidget(m_background);
    m_mapPane = new MapView(this);
    m_dashboard = new WidgetProgressA(this);
    m_dashboard->setDashboardEnabled(false);
    QString unit;
    m_dashboard->setSpeedUnitKm(!readStoredSpeedUnit(unit) || unit == QLatin1String("km") || unit.isEmpty());
    // The bar sets the program's own sound level, handed to the player of every clip.
    m_volumeSlider = new WidgetVolume(this, std::make_unique<ProgramVolumeDevice>([this](double level) {
                                          m_session->setVolume(level);
                                      }));
    m_volumeSlider->setObjectName(QStringLiteral("volumeSlider"));
    connect(m_dashboard, &WidgetProgressA::clicked, this, &MainWindow::OnSlotsProgress);

    m_folderLabel = new QLabel(this);
    m_folderLabel->setObjectName(QStringLiteral("folderLabel"));
    m_folderLabel->setStyleSheet(QLatin1String(kFolderLabelStyle));
}

void MainWindow::createButtons()
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
    };
    for (const ViewerLayout::ButtonSpec &entry : ViewerLayout::buttonTable()) {
        ClearButton *button = makeButton(this, entry.images, toolTipFor(entry));
        button->setObjectName(QLatin1String(entry.objectName));
        m_buttons[entry.button] = button;
        if (const auto slot = handlers.find(entry.button); slot != handlers.end())
            connect(button, &QToolButton::clicked, this, slot->second);
    }
    connect(m_buttons[Button::Minimize], &QToolButton::clicked, this, &QWidget::showMinimized);
    connect(m_buttons[Button::Exit], &QToolButton::clicked, this, &QWidget::close);

    // Alternate images of the actual-size and swap buttons, created hidden and never placed.
    m_zoomWinAlternate = makeButton(this, {QStringLiteral("zoom_win_1.png"), QStringLiteral("zoom_win_3.png"),
                                           QStringLiteral("zoom_win_2.png"), QStringLiteral("zoom_win_1.png")});
    connect(m_zoomWinAlternate, &QToolButton::clicked, this, &MainWindow::OnSlotszoom_win);
    m_zoomWinAlternate->hide();
    m_swapAlternate = makeButton(this, {QStringLiteral("screen02_1.png"), QStringLiteral("screen02_3.png"),
                                        QStringLiteral("screen02_2.png"), QStringLiteral("screen02_1.png")});
    connect(m_swapAlternate, &QToolButton::clicked, this, &MainWindow::OnSlotslist_screen);
    m_swapAlternate->hide();

    const QFont selectorFont(QStringLiteral("Gulim"), 9);
    const Slot categorySlots[3] = {&MainWindow::OnSlotsfile_sortAll, &MainWindow::OnSlotsfile_sortNormal,
                                   &MainWindow::OnSlotsfile_sortEvent};
    for (int i = 0; i < 3; ++i) {
        m_categoryButtons[i] = makeButton(this, ViewerLayout::selectorButtonImages());
        m_categoryButtons[i]->setObjectName(QStringLiteral("category%1").arg(i));
        m_categoryButtons[i]->setFont(selectorFont);
        connect(m_categoryButtons[i], &QToolButton::clicked, this, categorySlots[i]);
    }
    const Slot filterSlots[4] = {&MainWindow::OnSlotsfile_filterA, &MainWindow::OnSlotsfile_filterM,
                                 &MainWindow::OnSlotsfile_filterI, &MainWindow::OnSlotsfile_filterP};
    for (int i = 0; i < 4; ++i) {
        m_filterButtons[i] = makeButton(this, ViewerLayout::selectorButtonImages());
        m_filterButtons[i]->setObjectName(QStringLiteral("filter%1").arg(i));
        m_filterButtons[i]->setFont(selectorFont);
        connect(m_filterButtons[i], &QToolButton::clicked, this, filterSlots[i]);
    }
    applyTexts();
}

void MainWindow::applyTexts()
{
    for (int i = 0; i < 3; ++i)
        m_categoryButtons[i]->setText(uiText(79 + i));
    const QString filterTexts[4] = {Messages::filterAll(), Messages::filterManual(), Messages::filterDriving(),
                                    Messages::filterParking()};
    for (int i = 0; i < 4; ++i) {
        m_filterButtons[i]->setText(filterTexts[i]);
        m_filterButtons[i]->setFont(fittingFont(filterTexts[i], ViewerLayout::filterButtonRect(i, m_width).width()));
    }
    for (const ViewerLayout::ButtonSpec &entry : ViewerLayout::buttonTable())
        m_buttons[entry.button]->setToolTipText(toolTipFor(entry));
}

// The text table's tool tip of the button with the keys that do the same.
QString MainWindow::toolTipFor(const ViewerLayout::ButtonSpec &entry) const
{
    return ViewerShortcuts::toolTip(entry.button, entry.toolTipRow >= 0 ? uiText(entry.toolTipRow) : QString());
}

bool MainWindow::isPlaying() const
{
    return m_state->isPlaying();
}

ClearButton *MainWindow::button(Button which) const
{
    const auto it = m_buttons.find(which);
    return it == m_buttons.end() ? nullptr : it->second;
}

void MainWindow::placeAll(int w, int h)
{
    setFixedSize(w, h);
    m_background->setGeometry(0, 0, w, h);
    m_background->setMaximizedLayout(m_maximized);
    m_dashboard->setGeometry(ViewerLayout::dashboardRect(w, h));
    m_mapPane->setGeometry(ViewerLayout::mapRect(w, h));
    m_clipList->setGeometry(ViewerLayout::listRect(w, h));
    m_folderLabel->setGeometry(ViewerLayout::folderLabelRect(w, h));
    m_volumeSlider->setGeometry(ViewerLayout::volumeSliderRect(w, h));
    for (const auto &[which, button] : m_buttons)
        button->setGeometry(ViewerLayout::buttonRect(which, w, h));
    for (int i = 0; i < 3; ++i)
        m_categoryButtons[i]->setGeometry(ViewerLayout::categoryButtonRect(i, w));
    for (int i = 0; i < 4; ++i)
        m_filterButtons[i]->setGeometry(ViewerLayout::filterButtonRect(i, w));
}

VideoView *MainWindow::largeView() const
{
    return m_view1->x() == ViewerLayout::largeViewRect(m_width, m_height).x() ? m_view1 : m_view2;
}

void MainWindow::switchLayout(int mode)
{
    VideoView *large = mode == 1 ? m_view1 : m_view2;
    VideoView *small = mode == 1 ? m_view2 : m_view1;
    const QRect largeRect = ViewerLayout::largeViewRect(m_width, m_height);
    large->setGeometry(largeRect);
    large->setBoxForArea(largeRect.width(), largeRect.height());
    small->setGeometry(ViewerLayout::smallViewRect(m_width, m_height));
    small->setBoxForArea(640, 360);
    large->show();
    small->show();
    large->layoutRenderers();
    small->layoutRenderers();
    showAllControls();
    m_layoutMode = mode;
}

void MainWindow::showAllControls()
{
    m_buttons[Button::Play]->setVisible(!isPlaying());
    m_buttons[Button::Pause]->setVisible(isPlaying());
    for (Button which : {Button::Stop, Button::PreviousFile, Button::FrameBack, Button::FrameForward,
                         Button::NextFile, Button::ZoomIn, Button::ZoomOut, Button::ActualSize, Button::Pan,
                         Button::Rotate, Button::Volume, Button::Snapshot, Button::Print, Button::Setting,
                         Button::Minimize, Button::Exit, Button::FolderOpen, Button::FileOpen, Button::SwapViews})
        m_buttons[which]->show();
    m_buttons[Button::Restore]->setVisible(m_maximized);
    m_buttons[Button::Maximize]->setVisible(!m_maximized);
    m_volumeSlider->show();
    m_clipList->show();
    m_dashboard->show();
    m_mapPane->show();
    m_folderLabel->show();
}

void MainWindow::enableTransportControls(bool enabled)
{
    for (Button which : {Button::Play, Button::Pause, Button::Stop, Button::PreviousFile, Button::FrameBack,
                         Button::FrameForward, Button::NextFile, Button::ZoomIn, Button::ZoomOut,
                         Button::ActualSize, Button::Pan, Button::Rotate, Button::Volume, Button::Snapshot,
                         Button::Print})
        m_buttons[which]->setEnabled(enabled);
    m_volumeSlider->setEnabled(enabled);
    m_buttons[Button::SwapViews]->setEnabled(enabled && m_state->channelCount() == 2);
}

void MainWindow::OnSlotslist_screen()
{
    if (m_state->channelCount() != 2)
        return;
    m_frontBig = !m_frontBig;
    switchLayout(m_frontBig ? 1 : 2);
}

void MainWindow::OnSlotsmaximize()
{
    const QScreen *current = screen();
    if (!current || !ViewerLayout::canMaximize(current->geometry().size()))
        return;
    m_maximized = true;
    m_savedPosition = pos();
    m_width = current->geometry().width();
    m_height = current->geometry().height();
    placeAll(m_width, m_height);
    switchLayout(m_frontBig ? 1 : 2);
    m_mover->setMovable(false);
    showFullScreen();
}

void MainWindow::OnSlotsback2origin()
{
    m_maximized = false;
    m_width = ViewerLayout::kDefaultWidth;
    m_height = ViewerLayout::kDefaultHeight;
    m_mover->setMovable(!m_panMode);
    placeAll(m_width, m_height);
    switchLayout(m_frontBig ? 1 : 2);
    showNormal();
    move(m_savedPosition);
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        setWindowTitle(Messages::viewerWindowTitle());
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    event->ignore();
}

namespace {

// The point lies in the rectangle, its right and bottom edges (left + width, top + height) included.
bool containsWithEdges(const QRect &rect, const QPoint &point)
{
    return point.x() >= rect.left() && point.x() <= rect.left() + rect.width() && point.y() >= rect.top()
           && point.y() <= rect.top() + rect.height();
}

// Hands a copy of a mouse event to `target`, at `position` in the target's coordinates. The copy
// goes to the target alone: an event the target ignores (or a disabled target) would otherwise
// propagate back to this window, which would forward it again, without end.
void forwardMouseEvent(QWidget *target, const QMouseEvent *event, const QPointF &position)
{
    QMouseEvent copy(event->type(), position, event->globalPosition(), event->button(), event->buttons(),
                     event->modifiers());
    const QPointer<QWidget> guard(target);
    const bool propagates = !target->testAttribute(Qt::WA_NoMousePropagation);
    target->setAttribute(Qt::WA_NoMousePropagation);
    QCoreApplication::sendEvent(target, &copy);
    if (guard)
        target->setAttribute(Qt::WA_NoMousePropagation, !propagates);
}

} // namespace

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (m_panMode) {
        VideoView *view = largeView();
        forwardMouseEvent(view, event, view->mapFrom(this, event->position()));
        return;
    }
    if (containsWithEdges(m_dashboard->geometry(), event->position().toPoint()))
        forwardMouseEvent(m_dashboard, event, event->position() - m_dashboard->pos());
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (!m_panMode && (at.x() <= 21 || at.x() > 760 || at.y() <= 31 || at.y() > 460))
        return;
    VideoView *view = largeView();
    forwardMouseEvent(view, event, view->mapFrom(this, event->position()));
}

void MainWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (containsWithEdges(m_dashboard->geometry(), event->position().toPoint()))
        forwardMouseEvent(m_dashboard, event, event->position() - m_dashboard->pos());
}

void MainWindow::warn(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    box.exec();
}
