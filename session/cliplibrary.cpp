#include "session/cliplibrary.h"

#include "catalogue/clipcatalogue.h"
#include "catalogue/cliplistfilter.h"
#include "session/viewerstate.h"
#include "settings/devicecard.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// A settings save cut off on the card is finished before anything of the card is listed.
std::shared_ptr<ClipCatalogue> scanFolder(const QString &path, const std::atomic<bool> *cancelled)
{
    finishInterruptedSave(path);
    return std::make_shared<ClipCatalogue>(path, cancelled);
}

} // namespace

ClipLibrary::ClipLibrary(ViewerState *state, QObject *parent)
    : ClipLibrary(state, scanFolder, parent)
{
}

ClipLibrary::ClipLibrary(ViewerState *state, Scanner scanner, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_scanner(std::move(scanner))
{
    // An abandoned scan still finishing must not hold back the newest one.
    m_pool.setMaxThreadCount(2);
}

ClipLibrary::~ClipLibrary()
{
    cancelScan();
    m_pool.waitForDone();
}

int ClipLibrary::openFolder(const QString &path)
{
    close();
    return startScan(path);
}

void ClipLibrary::close()
{
    cancelScan();
    reset();
    m_catalogue.reset();
    m_state->setSelection(ClipListFilter::AllCategories, ClipListFilter::AllCauses);
}

int ClipLibrary::select(int category, int filter)
{
    reset();
    m_state->setSelection(category, filter);
    if (m_catalogue) {
        refilter();
        return 0;
    }
    // The answer of the scan under way is shown through the new choice.
    if (m_scanning)
        return 0;
    return startScan(m_state->folder());
}

int ClipLibrary::addFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return -1;
    const int first = int(m_entries.size());
    for (const QString &path : paths) {
        m_addedFiles.push_back(std::make_unique<Clip>(QFileInfo(path)));
        m_addedShown.append(m_addedFiles.back().get());
        m_entries.append(m_addedFiles.back().get());
    }
    m_state->setHasClips(true);
    emit entriesAdded(first);
    return first;
}

int ClipLibrary::neighbour(int row, int direction) const
{
    const int count = int(m_entries.size());
    if (count <= 1)
        return -1;
    if (direction > 0)
        return row < count - 1 ? row + 1 : 0;
    return row > 0 ? row - 1 : count - 1;
}

bool ClipLibrary::isAddedFile(const Clip *clip) const
{
    return std::any_of(m_addedFiles.cbegin(), m_addedFiles.cend(),
                       [clip](const std::unique_ptr<Clip> &added) { return added.get() == clip; });
}

// The list empties before anything of it is deleted.
void ClipLibrary::reset()
{
    emit aboutToReset();
    m_entries.clear();
    m_addedShown.clear();
}

// Every scan is numbered; a newer one cancels the one before, whose answer is then dropped.
int ClipLibrary::startScan(const QString &path)
{
    cancelScan();
    const int request = ++m_lastRequest;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_scanning = true;
    m_pool.start([this, request, path, scanner = m_scanner, cancel = m_cancel] {
        std::shared_ptr<ClipCatalogue> catalogue = scanner(path, cancel.get());
        // The destructor waits for this job, so the library is still there to queue the answer to.
        QMetaObject::invokeMethod(
            this, [this, request, path, catalogue] { finishScan(request, path, catalogue); }, Qt::QueuedConnection);
    });
    return request;
}

// The scan under way stops at its next folder entry, and its answer will not be taken.
void ClipLibrary::cancelScan()
{
    if (!m_scanning)
        return;
    m_cancel->store(true);
    m_cancel.reset();
    m_scanning = false;
    ++m_lastRequest;
}

void ClipLibrary::finishScan(int request, const QString &path, std::shared_ptr<ClipCatalogue> catalogue)
{
    if (!m_scanning || request != m_lastRequest)
        return;
    m_scanning = false;
    m_cancel.reset();
    const bool hasClips = catalogue && catalogue->hasClips();
    if (hasClips) {
        m_catalogue = std::move(catalogue);
        m_state->setFolder(path);
        m_state->setHasClips(true);
        refilter();
    }
    emit scanFinished(request, hasClips);
}

// The catalogue through the current category and filter, then the files added since the list was
// last emptied.
void ClipLibrary::refilter()
{
    m_entries = ClipListFilter::visibleClips(*m_catalogue, m_state->category(), m_state->filter());
    m_entries += m_addedShown;
    emit listReset();
}
