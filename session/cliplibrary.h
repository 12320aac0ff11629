#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class Clip;
class ClipCatalogue;
class ViewerState;

// The clips the viewer offers: the folder's catalogue seen through the category and cause filter,
// followed by files added one by one (the open-file button, a drop). Folders are scanned on a
// worker thread; every scan is a numbered request, and only the newest one's answer is taken. A
// category or filter change filters the catalogue already read; the card is not read again.
// Owns every clip it lists: others hold them by pointer, and let go when aboutToReset() says so.
// Writes the folder, the category and filter, and whether there is something to play, into the
// viewer state. GUI thread only.
class ClipLibrary : public QObject
{
    Q_OBJECT

public:
    // Reads a folder into a catalogue; runs on a worker thread. `cancelled` becomes true when the
    // answer is no longer wanted.
    using Scanner = std::function<std::shared_ptr<ClipCatalogue>(const QString &path,
                                                                 const std::atomic<bool> *cancelled)>;

    explicit ClipLibrary(ViewerState *state, QObject *parent = nullptr);
    // With a scanner of the caller's own, for example one that holds a scan back.
    ClipLibrary(ViewerState *state, Scanner scanner, QObject *parent = nullptr);
    // Cancels a scan under way and waits for it to stop (at its next folder entry).
    ~ClipLibrary() override;

    // Empties the list at once and starts reading `path` (category and filter back to all); the
    // answer comes with scanFinished() under the number returned.
    int openFolder(const QString &path);
    // Empties the list and drops the catalogue, its clips with it, and any scan under way; category
    // and filter back to all.
    void close();
    // Shows the catalogue through `category` and `filter`, at once. Without a catalogue the folder
    // last opened is read again (the working folder when none was): the number of that scan is
    // returned, 0 when the list was filled at once or a scan under way will fill it.
    int select(int category, int filter);
    // Appends an entry for each file; the index of the first one, -1 when `paths` is empty.
    int addFiles(const QStringList &paths);

    // What the list shows, in order: the catalogue's clips through the filter in the order of the
    // recorder's clock, then the added files.
    const QList<Clip *> &entries() const { return m_entries; }
    // The entry `direction` steps from `row` (forwards past the last entry wraps to the first,
    // backwards past the first to the last); -1 when there are fewer than two entries.
    int neighbour(int row, int direction) const;
    // A clip added one by one (these live as long as the library).
    bool isAddedFile(const Clip *clip) const;
    bool isScanning() const { return m_scanning; }

signals:
    // The entries and, when a catalogue is replaced or dropped, its clips are about to go: whoever
    // holds one of the catalogue's clips lets go of it now.
    void aboutToReset();
    // entries() has been replaced.
    void listReset();
    // Entries were appended from `first` on.
    void entriesAdded(int first);
    // The scan `request` ended and was the newest: the list shows the folder when `hasClips`;
    // otherwise the folder holds no clips and the list stayed empty.
    void scanFinished(int request, bool hasClips);

private:
    int startScan(const QString &path);
    void cancelScan();
    void finishScan(int request, const QString &path, std::shared_ptr<ClipCatalogue> catalogue);
    void reset();
    void refilter();
    static QList<Clip *> inRecorderOrder(QList<Clip *> clips);

    ViewerState *m_state;
    Scanner m_scanner;
    std::shared_ptr<ClipCatalogue> m_catalogue;
    std::vector<std::unique_ptr<Clip>> m_addedFiles; // kept while anyone may still hold one
    QList<Clip *> m_entries;
    QList<Clip *> m_addedShown; // the added files listed since the list was last emptied
    int m_lastRequest = 0;
    bool m_scanning = false;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QThreadPool m_pool;
};
