#pragma once

#include <QObject>
#include <QStringList>

class ClearButton;
class ClipLibrary;
class ClipListMenu;
class MyListWidget;
class QLabel;
class QWidget;
class TripLibrary;
class ViewerState;

// The clip list side of the viewer window: the list, the folder label and the category and cause
// buttons. Shows what the clip library lists, or in the trip view the trips of the card as they are
// read; hands the buttons' choices and the folders and files to open to the library, and says what
// the user should be told when a folder has no clips. Making a row current opens and plays it (the
// window listens to the list).
class ClipListPane : public QObject
{
    Q_OBJECT

public:
    // The widgets are children of `window`, placed in its coordinates.
    ClipListPane(QWidget *window, ClipLibrary *library, TripLibrary *trips, const ViewerState *state);

    MyListWidget *list() const { return m_list; }
    ClipListMenu *menu() const { return m_menu; }
    void place(int w, int h);
    // Button texts in the current language.
    void applyTexts();

    void openFolder(const QString &path);
    // The folder and file buttons: ask the user for a folder (opened) or a clip (added to the list).
    void browseFolder();
    void browseFile();
    void selectCategory(int category);
    void selectFilter(int filter);
    // Appends the files; with `play` the first of them becomes current (and plays).
    void addFiles(const QStringList &paths, bool play);
    // Makes the neighbouring row current (see ClipLibrary::neighbour; in the trip view the
    // neighbouring trip, by the same rule); the new row, or -1.
    int step(int direction);

    // The trip view (cliplistpanetrips.cpp). Mark the row of `trip` (-1: none), or of the clip at
    // `path`, as current without opening it.
    void selectTripRow(int trip);
    void selectClipRow(const QString &path);

signals:
    // Another category or filter was chosen: what plays is put away first.
    void selectionChanging();
    // The list was filled and shows nothing.
    void emptied();
    // The user should be told `text`.
    void warning(const QString &text);
    // A choice was made that needs the list of clips (a category, a filter, files added) while the
    // trip view shows.
    void clipListWanted();
    // An export of the list's context menu wrote `files`.
    void saved(const QStringList &files);

private:
    void select(int category, int filter, bool warnWhenEmpty);
    void fill();
    void append(int first);
    void onScanFinished(int request, bool hasClips);
    void refreshSelectors();
    void showRows();
    void fillClips();
    void fillTrips();
    int tripNeighbour(int row, int direction) const;

    ClipLibrary *m_library;
    const ViewerState *m_state;
    MyListWidget *m_list;
    ClipListMenu *m_menu;
    QLabel *m_folderLabel;
    ClearButton *m_categoryButtons[3] = {};
    ClearButton *m_filterButtons[4] = {};
    int m_folderRequest = 0;   // the scan of the folder opened last
    int m_selectionRequest = 0; // a scan a category or filter asked for, when there was no catalogue
    bool m_selectionWarns = false;
    TripLibrary *m_trips;
    bool m_chooseFirstTrip = false; // a folder was read in the trip view: its first trip plays
};
