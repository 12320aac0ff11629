#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPoint>
#include <QSize>

class Background;
class Clip;
class ClipLibrary;
class ClipListPane;
class EventFinder;
class EventNavigator;
class FlHlp;
class ListPlayOn;
class MapView;
class MomentCapture;
class MomentExport;
class MyListWidget;
class PlaybackPanes;
class PlaybackSession;
class QListWidgetItem;
class SavedNotice;
class TripLibrary;
class TripNavigator;
class VideoView;
class ViewArrangement;
class ViewerControls;
class ViewerState;
class WidgetProgressA;
class WidgetVolume;

// The viewer's top-level window: a frameless skinned window that builds every pane (two video
// views, the dashboard with its timeline, the volume bar, the map, the clip list side, the image
// buttons), lays them out for its size and wires them to the viewer state, the clip library and
// the playback of the selected clip. The slots are the window's commands, for buttons, keys and
// other callers alike.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~MainWindow() override;

    // For the composition root: what the window shows, and the clips and trips it offers.
    ViewerState &state() const { return *m_state; }
    ClipLibrary &library() const { return *m_library; }
    TripLibrary &trips() const { return *m_trips; }
    // The driving events of the folder shown, found in the background.
    EventFinder &events() const { return *m_events; }

    // Adds the files as entries of their own (as the open-file button does) and plays the first.
    void openFiles(const QStringList &paths);
    // Opens the context menu of the current clip of the list (the Menu key).
    void showClipMenu();

public slots:
    void openFolder(const QString &path);
    void closeFolder();
    bool updatePlayingInformation();
    void updateClipInformation(const Clip *clip);
    void playSelectClip(int row);
    int playNextClip(int direction);
    void OnTimeoutUpdate();
    void showProgressData();
    void showInformation(long long duration, long long position);
    bool getSnap(QImage *images);
    void OnZoomWinMode(bool on);
    void OnSlotsProgress(int position);
    void OnSlotsselectFile(QListWidgetItem *current, QListWidgetItem *previous);
    void OnSlotsplay();
    void OnSlotspause();
    void OnSlotsstop();
    void OnSlotsstopF();
    void OnSlotspre_file();
    void OnSlotsrw();
    void OnSlotsfw();
    void OnSlotsnext_file();
    void OnSlotszoom_in();
    void OnSlotszoom_out();
    void OnSlotszoom_win();
    void OnSlotspan();
    void OnSlotsrotate();
    void OnSlotsvolume();
    void OnSlotssetting();
    void OnSlotssnapshot();
    void OnSlotsprint();
    // The range to export: in and out marks at the position shown, and the export (I, O, Ctrl+E).
    void OnSlotsmarkIn();
    void OnSlotsmarkOut();
    void OnSlotsexport();
    void OnSlotsfile_open();
    void OnSlotsfolder_open();
    void OnSlotslist_screen();
    void OnSlotsback2origin();
    void OnSlotsmaximize();
    void OnSlotsfile_sortAll();
    void OnSlotsfile_sortNormal();
    void OnSlotsfile_sortEvent();
    void OnSlotsfile_filterA();
    void OnSlotsfile_filterM();
    void OnSlotsfile_filterI();
    void OnSlotsfile_filterP();
    void OnTimeoutRefreshMap();
    void OnTimeoutRefreshMapB();
    // Switches the list between one row per clip and one row per trip; what plays goes on, as
    // part of its trip or as a clip of its own.
    void toggleTripView();
    // The driving events (mainwindowevents.cpp): the next (direction > 0) or previous one, the list.
    void jumpToEvent(int direction);
    void showEventsList();
    // Stops and closes what plays and empties the panes that showed it.
    void resetViewer();

protected:
    void changeEvent(QEvent *event) override;

private:
    // Construction and layout (mainwindow.cpp)
    void createPanes();
    void setupStateConnections();
    void placeAll(const QSize &size);
    void applyPanMode();
    void applyTexts();
    // Playback (mainwindowplayback.cpp)
    void setupPlaybackConnections();
    // Driving events and trips (mainwindowevents.cpp)
    void setupEventConnections();
    // Messages
    void warn(const QString &title, const QString &text);

    ViewerState *m_state = nullptr;
    ClipLibrary *m_library = nullptr;
    TripLibrary *m_trips = nullptr;
    WidgetProgressA *m_dashboard = nullptr;
    Background *m_background = nullptr;
    PlaybackSession *m_session = nullptr;
    PlaybackPanes *m_panes = nullptr;
    MomentCapture *m_capture = nullptr;
    MomentExport *m_export = nullptr;
    VideoView *m_view1 = nullptr;
    VideoView *m_view2 = nullptr;
    ViewArrangement *m_views = nullptr;
    ClipListPane *m_listPane = nullptr;
    MyListWidget *m_clipList = nullptr;
    ViewerControls *m_controls = nullptr;
    FlHlp *m_mover = nullptr;
    MapView *m_mapPane = nullptr;
    WidgetVolume *m_volumeSlider = nullptr;
    EventFinder *m_events = nullptr;
    EventNavigator *m_eventNavigator = nullptr;
    TripNavigator *m_tripNavigator = nullptr;
    SavedNotice *m_notice = nullptr;
    ListPlayOn *m_playOn = nullptr;
    QPoint m_savedPosition;
};
