#include "viewer/mainwindow.h"

#include "base/messages.h"
#include "base/preferences.h"
#include "resources/gfxpaths.h"
#include "session/cliplibrary.h"
#include "session/eventfinder.h"
#include "session/playbacksession.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "skin/background.h"
#include "skin/flhlp.h"
#include "viewer/cliplist.h"
#include "viewer/cliplistpane.h"
#include "viewer/eventnavigator.h"
#include "viewer/mapview.h"
#include "viewer/momentexport.h"
#include "viewer/savednotice.h"
#include "viewer/tripnavigator.h"
#include "viewer/videoview.h"
#include "viewer/viewarrangement.h"
#include "viewer/viewercontrols.h"
#include "viewer/viewerinput.h"
#include "viewer/viewerlayout.h"
#include "viewer/viewershortcuts.h"
#include "viewer/widgetprogressa.h"
#include "viewer/widgetvolume.h"
#include "viewer/windowmouserouter.h"

#include <QEvent>
#include <QMessageBox>
#include <QScreen>

MainWindow::MainWindow(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , m_state(new ViewerState)
    , m_library(new ClipLibrary(m_state))
    , m_session(new PlaybackSession(*m_state, this))
{
    // One reading of the card feeds both its driving events and its trips.
    m_events = new EventFinder(this);
    m_trips = new TripLibrary(&m_events->indexer(), this);
    m_mover = new FlHlp(this);
    setFocusPolicy(Qt::StrongFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(9, 9, 9));
    setPalette(pal);
    setWindowTitle(Messages::viewerWindowTitle());

    createPanes();
    m_listPane = new ClipListPane(this, m_library, m_trips, m_state);
    m_clipList = m_listPane->list();
    connect(m_clipList, &QListWidget::currentItemChanged, this, &MainWindow::OnSlotsselectFile);
    m_controls = new ViewerControls(this, m_state, m_volumeSlider);
    m_view1 = new VideoView(this);
    m_view1->setObjectName(QStringLiteral("view1"));
    m_view2 = new VideoView(this);
    m_view2->setObjectName(QStringLiteral("view2"));
    m_views = new ViewArrangement(m_view1, m_view2, m_state, this);
    setupPlaybackConnections();
    setupStateConnections();
    setupEventConnections();
    placeAll(QSize(ViewerLayout::kDefaultWidth, ViewerLayout::kDefaultHeight));

    m_mover->attachTo(this);
    m_mover->setResizable(false);
    applyPanMode();
    // Keys, the mouse wheel, double clicks, drops and the window's own mouse events, beside the
    // buttons.
    new ViewerShortcuts(this, m_state, m_session);
    auto *input = new ViewerInput(this, m_state, m_view1, m_view2);
    input->takeDropsOn(m_mapPane->hostWindow());
    new WindowMouseRouter(this, m_dashboard, m_views, m_state);
    // The state and the library go last, after every pane that may still report while it goes.
    m_library->setParent(this);
    m_state->setParent(this);
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
    m_mapPane->setObjectName(QStringLiteral("mapPane"));
    m_dashboard = new WidgetProgressA(this);
    m_dashboard->setObjectName(QStringLiteral("dashboard"));
    m_dashboard->setDashboardEnabled(false);
    QString unit;
    m_state->setSpeedUnitKm(!readStoredSpeedUnit(unit) || unit == QLatin1String("km") || unit.isEmpty());
    m_dashboard->setSpeedUnitKm(m_state->speedUnitKm());
    // The bar sets the program's own sound level, handed to the player of every clip.
    m_volumeSlider = new WidgetVolume(this, std::make_unique<ProgramVolumeDevice>([this](double level) {
                                          m_session->setVolume(level);
                                      }));
    m_volumeSlider->setObjectName(QStringLiteral("volumeSlider"));
    m_notice = new SavedNotice(this);
    connect(m_dashboard, &WidgetProgressA::clicked, this, &MainWindow::OnSlotsProgress);
    // dashboard -> session: pictures follow a drag along the timeline.
    connect(m_dashboard, &WidgetProgressA::scrubbed, m_session, &PlaybackSession::scrub);
}

void MainWindow::setupStateConnections()
{
    // state -> panes that follow it here; the buttons, the list side and the views follow it on
    // their own.
    connect(m_state, &ViewerState::speedUnitChanged, m_dashboard, &WidgetProgressA::setSpeedUnitKm);
    // volume bar <-> state: the level the user sets is the state's (and is kept for the next
    // start); a level restored into the state shows on the bar.
    connect(m_volumeSlider, &WidgetVolume::levelChosen, m_state,
            [this](int level) { m_state->setVolume(level / double(WidgetVolume::kLevels)); });
    connect(m_state, &ViewerState::volumeChanged, m_volumeSlider,
            [this](double volume) { m_volumeSlider->setLevel(qRound(volume * WidgetVolume::kLevels)); });
    connect(m_state, &ViewerState::panModeChanged, this, &MainWindow::applyPanMode);
    connect(m_state, &ViewerState::maximizedChanged, this, &MainWindow::applyPanMode);
    // library -> playback: a clip of the catalogue is let go before the catalogue may go. Files
    // added one by one outlive it.
    connect(m_library, &ClipLibrary::aboutToReset, this, [this] {
        if (m_session->clip() && !m_library->isAddedFile(m_session->clip()))
            m_session->close();
    });
    // list side -> window: what its choices mean for the viewer and the user.
    connect(m_listPane, &ClipListPane::selectionChanging, this, &MainWindow::resetViewer);
    connect(m_listPane, &ClipListPane::emptied, this, &MainWindow::resetViewer);
    connect(m_listPane, &ClipListPane::warning, this,
            [this](const QString &text) { warn(Messages::viewerTitle(), text); });
    connect(m_listPane, &ClipListPane::saved, m_notice, &SavedNotice::showSaved);
}

void MainWindow::placeAll(const QSize &size)
{
    const int w = size.width();
    const int h = size.height();
    setFixedSize(size);
    m_background->setGeometry(0, 0, w, h);
    m_background->setMaximizedLayout(m_state->isMaximized());
    m_dashboard->setGeometry(ViewerLayout::dashboardRect(w, h));
    m_mapPane->setGeometry(ViewerLayout::mapRect(w, h));
    m_listPane->place(w, h);
    m_controls->place(w, h);
    m_views->setWindowSize(size);
    m_export->place(w, h);
    m_notice->setArea(ViewerLayout::largeViewRect(w, h));
    m_notice->raise();
}

// While panning, the mouse drags the picture: the list and the map rest, and the window stays put
// (as it always does while maximized).
void MainWindow::applyPanMode()
{
    const bool pan = m_state->isPanMode();
    m_mover->setMovable(!pan && !m_state->isMaximized());
    m_clipList->setEnabled(!pan);
    m_mapPane->setEnabled(!pan);
}

void MainWindow::applyTexts()
{
    m_controls->applyTexts();
    m_listPane->applyTexts();
    m_eventNavigator->applyTexts();
}

void MainWindow::openFolder(const QString &path) { m_listPane->openFolder(path); }
void MainWindow::closeFolder() { m_library->close(); }
void MainWindow::openFiles(const QStringList &paths) { m_listPane->addFiles(paths, true); }
void MainWindow::showClipMenu() { m_clipList->requestMenuForCurrentItem(); }
void MainWindow::OnSlotsfile_sortAll() { m_listPane->selectCategory(0); }
void MainWindow::OnSlotsfile_sortNormal() { m_listPane->selectCategory(1); }
void MainWindow::OnSlotsfile_sortEvent() { m_listPane->selectCategory(2); }
void MainWindow::OnSlotsfile_filterA() { m_listPane->selectFilter(0); }
void MainWindow::OnSlotsfile_filterM() { m_listPane->selectFilter(1); }
void MainWindow::OnSlotsfile_filterI() { m_listPane->selectFilter(2); }
void MainWindow::OnSlotsfile_filterP() { m_listPane->selectFilter(3); }
void MainWindow::playSelectClip(int row) { m_clipList->setCurrentRow(row); }
int MainWindow::playNextClip(int direction) { return m_listPane->step(direction); }
void MainWindow::toggleTripView() { m_tripNavigator->toggle(); }

void MainWindow::OnSlotsfolder_open() { m_listPane->browseFolder(); }
void MainWindow::OnSlotsfile_open() { m_listPane->browseFile(); }

void MainWindow::OnSlotslist_screen()
{
    if (m_state->channelCount() == 2)
        m_views->swap();
}

void MainWindow::OnSlotsmaximize()
{
    const QScreen *current = screen();
    if (!current || !ViewerLayout::canMaximize(current->geometry().size()))
        return;
    m_savedPosition = pos();
    m_state->setMaximized(true);
    placeAll(current->geometry().size());
    showFullScreen();
}

void MainWindow::OnSlotsback2origin()
{
    m_state->setMaximized(false);
    placeAll(QSize(ViewerLayout::kDefaultWidth, ViewerLayout::kDefaultHeight));
    showNormal();
    move(m_savedPosition);
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        setWindowTitle(Messages::viewerWindowTitle());
    QMainWindow::changeEvent(event);
}

void MainWindow::warn(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    box.exec();
}
