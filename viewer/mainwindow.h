#pragma once

#include "viewer/viewerlayout.h"

#include <QImage>
#include <QMainWindow>
#include <QPoint>

#include <map>
#include <memory>

class Background;
class ClearButton;
class Clip;
class ClipCatalogue;
class FlHlp;
class MapView;
class MyListWidget;
class PlaybackSession;
class QLabel;
class QListWidgetItem;
class VideoView;
class ViewerState;
class WidgetProgressA;
class WidgetVolume;

// The viewer's top-level window: a frameless skinned window that owns every pane (two video views,
// the dashboard with its timeline, the volume bar, the map, the clip list), lays them out, and
// drives playback of the selected clip through its playback session.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~MainWindow() override;

    // Read access for the composition root and tests.
    VideoView *view1() const { return m_view1; }
    VideoView *view2() const { return m_view2; }
    WidgetProgressA *dashboard() const { return m_dashboard; }
    MapView *mapPane() const { return m_mapPane; }
    WidgetVolume *volumeSlider() const { return m_volumeSlider; }
    MyListWidget *clipList() const { return m_clipList; }
    ClearButton *button(ViewerLayout::Button which) const;
    ClearButton *categoryButton(int index) const { return m_categoryButtons[index]; }
    ClearButton *filterButton(int index) const { return m_filterButtons[index]; }
    QLabel *folderLabel() const { return m_folderLabel; }
    PlaybackSession *session() const { return m_session; }
    ViewerState *state() const { return m_state; }
    ClipCatalogue *catalogue() const { return m_catalogue.get(); }
    bool isPlaying() const;
    bool isMaximizedLayout() const { return m_maximized; }
    int layoutMode() const { return m_layoutMode; }
    bool panMode() const { return m_panMode; }
    int category() const { return m_category; }
    int filter() const { return m_filter; }

    // Adds the files as entries of their own (as the open-file button does), enables the transport
    // and plays the first of them.
    void openFiles(const QStringList &paths);

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

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Construction and layout (mainwindow.cpp)
    void createPanes();
    void createButtons();
    void placeAll(int w, int h);
    void switchLayout(int mode);
    void showAllControls();
    void enableTransportControls(bool enabled);
    void applyTexts();
    QString toolTipFor(const ViewerLayout::ButtonSpec &entry) const;
    VideoView *largeView() const;
    // Playback (mainwindowplayback.cpp)
    void setupPlaybackConnections();
    void openClip(Clip *clip);
    void onClipOpened(Clip *clip);
    void onClipOpenFailed(Clip *clip, const QString &reason, const QStringList &missing);
    void onPlaybackFailed(const QString &reason);
    void onClipEnded();
    void resetViewer();
    void setPlaying(bool playing);
    void showPosition(qint64 positionMs, qint64 lengthMs);
    void showSampleAt(qint64 positionMs);
    // Picture controls (mainwindowview.cpp)
    VideoView *zoomTarget() const;
    // Folder and list (mainwindowfolder.cpp)
    void fillList(std::unique_ptr<ClipCatalogue> catalogue);
    void selectCategoryOrFilter(bool isCategory, int target);
    void setSelectorButtonsEnabled();
    // Messages
    void warn(const QString &title, const QString &text);

    WidgetProgressA *m_dashboard = nullptr;
    Background *m_background = nullptr;
    ViewerState *m_state = nullptr;
    PlaybackSession *m_session = nullptr;
    VideoView *m_view1 = nullptr;
    VideoView *m_view2 = nullptr;
    MyListWidget *m_clipList = nullptr;
    int m_layoutMode = 1;
    bool m_panMode = false;
    FlHlp *m_mover = nullptr;
    std::unique_ptr<ClipCatalogue> m_catalogue;
    std::unique_ptr<Clip> m_looseClip; // the clip of a file chosen with the open-file button
    QLabel *m_folderLabel = nullptr;
    std::map<ViewerLayout::Button, ClearButton *> m_buttons;
    ClearButton *m_zoomWinAlternate = nullptr;
    ClearButton *m_swapAlternate = nullptr;
    ClearButton *m_categoryButtons[3] = {};
    ClearButton *m_filterButtons[4] = {};
    MapView *m_mapPane = nullptr;
    bool m_frontBig = true;
    WidgetVolume *m_volumeSlider = nullptr;
    int m_category = 0;
    int m_filter = 0;
    bool m_maximized = false;
    int m_width = ViewerLayout::kDefaultWidth;
    int m_height = ViewerLayout::kDefaultHeight;
    QPoint m_savedPosition;
};
