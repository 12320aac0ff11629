// The viewer window's clip list: opening a folder, the category and cause filters, and the files
// added one by one.
#include "viewer/mainwindow.h"

#include "base/messages.h"
#include "catalogue/clipcatalogue.h"
#include "catalogue/cliplistfilter.h"
#include "settings/devicecard.h"
#include "skin/clearbutton.h"
#include "viewer/cliplist.h"
#include "viewer/folderbrowser.h"
#include "viewer/playbackcontroller.h"
#include "viewer/videoview.h"
#include "viewer/widgetprogressa.h"

#include <QFileDialog>
#include <QLabel>

void MainWindow::setSelectorButtonsEnabled()
{
    for (int i = 0; i < 3; ++i)
        m_categoryButtons[i]->setEnabled(i != m_category);
    for (int i = 0; i < 4; ++i)
        m_filterButtons[i]->setEnabled(i != m_filter);
}

void MainWindow::closeFolder()
{
    // Nothing may read a clip once its catalogue is gone: the player lets go of it (or of the
    // open under way) first.
    if (m_playback->clip() && m_playback->clip() != m_looseClip.get())
        m_playback->close();
    m_clipList->clear();
    m_catalogue.reset();
    m_category = 0;
    m_filter = 0;
}

void MainWindow::fillList(std::unique_ptr<ClipCatalogue> catalogue)
{
    m_catalogue = std::move(catalogue);
    const QList<Clip *> shown = ClipListFilter::visibleClips(*m_catalogue, m_category, m_filter);
    {
        // Filling must not open each row as it becomes current.
        const QSignalBlocker blocker(m_clipList);
        for (Clip *clip : shown)
            m_clipList->appendClip(clip);
    }
    if (shown.isEmpty()) {
        m_dashboard->clearTrack();
        resetViewer();
    } else {
        m_clipList->setCurrentRow(0); // opens and plays the first clip
    }
    m_folderLabel->setText(QString::fromLocal8Bit(m_catalogue->path().toLocal8Bit()));
}

void MainWindow::openFolder(const QString &path)
{
    // A settings save cut off on this card is finished before anything of the card is shown.
    finishInterruptedSave(path);
    closeFolder();
    setSelectorButtonsEnabled();
    auto catalogue = std::make_unique<ClipCatalogue>(path);
    if (catalogue->hasClips()) {
        fillList(std::move(catalogue));
        enableTransportControls(true);
    } else {
        warn(Messages::viewerTitle(), Messages::selectProperFolder());
    }
}

void MainWindow::selectCategoryOrFilter(bool isCategory, int target)
{
    const QString path = m_folderLabel->text();
    const int other = isCategory ? m_filter : m_category;
    const int current = isCategory ? m_category : m_filter;
    if (current != target)
        resetViewer();
    closeFolder();
    m_category = isCategory ? target : other;
    m_filter = isCategory ? other : target;
    setSelectorButtonsEnabled();

    auto catalogue = std::make_unique<ClipCatalogue>(path);
    if (catalogue->hasClips()) {
        fillList(std::move(catalogue));
        enableTransportControls(true);
    } else if (!(isCategory && target == 2)) {
        warn(Messages::viewerTitle(), Messages::selectFolderFirst());
    }
}

void MainWindow::OnSlotsfile_sortAll() { selectCategoryOrFilter(true, 0); }
void MainWindow::OnSlotsfile_sortNormal() { selectCategoryOrFilter(true, 1); }
void MainWindow::OnSlotsfile_sortEvent() { selectCategoryOrFilter(true, 2); }
void MainWindow::OnSlotsfile_filterA() { selectCategoryOrFilter(false, 0); }
void MainWindow::OnSlotsfile_filterM() { selectCategoryOrFilter(false, 1); }
void MainWindow::OnSlotsfile_filterI() { selectCategoryOrFilter(false, 2); }
void MainWindow::OnSlotsfile_filterP() { selectCategoryOrFilter(false, 3); }

void MainWindow::OnSlotsfolder_open()
{
    FolderBrowser browser(this);
    if (browser.browse())
        openFolder(browser.chosenPath());
}

void MainWindow::openFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    const int first = m_clipList->count();
    for (const QString &path : paths)
        m_clipList->appendLooseFile(path);
    enableTransportControls(true);
    m_clipList->setCurrentRow(first); // opens and plays it
}

void MainWindow::OnSlotsfile_open()
{
    const QString file = QFileDialog::getOpenFileName(this, Messages::openFileDialogTitle(), QString(),
                                                      Messages::openFileDialogFilter());
    if (!file.isEmpty())
        m_clipList->appendLooseFile(file);
}
