#include "viewer/cliplistpane.h"

#include "base/messages.h"
#include "base/texttable.h"
#include "catalogue/cliplistfilter.h"
#include "session/cliplibrary.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "skin/clearbutton.h"
#include "viewer/clipexporter.h"
#include "viewer/cliplist.h"
#include "viewer/cliplistmenu.h"
#include "viewer/folderbrowser.h"
#include "viewer/viewercontrols.h"
#include "viewer/viewerlayout.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QSignalBlocker>

namespace {

constexpr auto kFolderLabelStyle = "color: rgb(220,220,220); font-family: \"Segoe UI\", Arial; font-size: 10pt;";
constexpr TextId kCategoryTexts[3] = {TextRow::CategoryAll, TextRow::CategoryNormal, TextRow::CategoryEvent};

QFont selectorFont()
{
    return QFont(QStringLiteral("Gulim"), 9);
}

// The selector buttons' font; smaller for a text (the English cause names) too wide for the button.
QFont fittingFont(const QString &text, int width)
{
    QFont font = selectorFont();
    while (font.pointSizeF() > 6 && QFontMetrics(font).horizontalAdvance(text) > width - 2)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

} // namespace

ClipListPane::ClipListPane(QWidget *window, ClipLibrary *library, TripLibrary *trips, const ViewerState *state)
    : QObject(window)
    , m_library(library)
    , m_state(state)
    , m_list(new MyListWidget(window, window))
    , m_menu(new ClipListMenu(m_list, window, trips)) // owned by the list
    , m_folderLabel(new QLabel(window))
    , m_trips(trips)
{
    m_list->setObjectName(QStringLiteral("clipList"));
    connect(m_menu->exporter(), &ClipExporter::exported, this, [this](const QString &file) { emit saved({file}); });
    m_folderLabel->setObjectName(QStringLiteral("folderLabel"));
    m_folderLabel->setStyleSheet(QLatin1String(kFolderLabelStyle));
    for (int i = 0; i < 3; ++i) {
        m_categoryButtons[i] = makeImageButton(window, ViewerLayout::selectorButtonImages());
        m_categoryButtons[i]->setObjectName(QStringLiteral("category%1").arg(i));
        m_categoryButtons[i]->setFont(selectorFont());
        connect(m_categoryButtons[i], &QToolButton::clicked, this, [this, i] { selectCategory(i); });
    }
    for (int i = 0; i < 4; ++i) {
        m_filterButtons[i] = makeImageButton(window, ViewerLayout::selectorButtonImages());
        m_filterButtons[i]->setObjectName(QStringLiteral("filter%1").arg(i));
        m_filterButtons[i]->setFont(selectorFont());
        connect(m_filterButtons[i], &QToolButton::clicked, this, [this, i] { selectFilter(i); });
    }
    applyTexts();

    // library -> list: the list empties before its clips may go, and shows every new listing.
    connect(library, &ClipLibrary::aboutToReset, m_list, &QListWidget::clear);
    connect(library, &ClipLibrary::listReset, this, &ClipListPane::fill);
    connect(library, &ClipLibrary::entriesAdded, this, &ClipListPane::append);
    connect(library, &ClipLibrary::scanFinished, this, &ClipListPane::onScanFinished);
    // state -> label and selectors. The label shows the folder as the system's 8-bit encoding
    // carries it.
    connect(state, &ViewerState::folderChanged, m_folderLabel, [this](const QString &folder) {
        m_folderLabel->setText(QString::fromLocal8Bit(folder.toLocal8Bit()));
    });
    connect(state, &ViewerState::selectionChanged, this, &ClipListPane::refreshSelectors);
    refreshSelectors();
    // trips and view -> list: the trip rows fill in as the card is read.
    connect(trips, &TripLibrary::tripsChanged, this, [this] {
        if (m_state->isTripView())
            fillTrips();
    });
    connect(state, &ViewerState::tripViewChanged, this, &ClipListPane::showRows);
}

void ClipListPane::place(int w, int h)
{
    m_list->setGeometry(ViewerLayout::listRect(w, h));
    m_folderLabel->setGeometry(ViewerLayout::folderLabelRect(w, h));
    for (int i = 0; i < 3; ++i)
        m_categoryButtons[i]->setGeometry(ViewerLayout::categoryButtonRect(i, w));
    for (int i = 0; i < 4; ++i)
        m_filterButtons[i]->setGeometry(ViewerLayout::filterButtonRect(i, w));
}

void ClipListPane::applyTexts()
{
    for (int i = 0; i < 3; ++i)
        m_categoryButtons[i]->setText(uiText(kCategoryTexts[i]));
    const QString filterTexts[4] = {Messages::filterAll(), Messages::filterManual(), Messages::filterDriving(),
                                    Messages::filterParking()};
    for (int i = 0; i < 4; ++i) {
        m_filterButtons[i]->setText(filterTexts[i]);
        m_filterButtons[i]->setFont(
            fittingFont(filterTexts[i], ViewerLayout::filterButtonRect(i, ViewerLayout::kDefaultWidth).width()));
    }
}

void ClipListPane::openFolder(const QString &path)
{
    m_folderRequest = m_library->openFolder(path);
}

void ClipListPane::selectCategory(int category)
{
    if (category != m_state->category())
        emit selectionChanging();
    // Events only are a choice that may well find nothing: no warning for it.
    select(category, m_state->filter(), category != ClipListFilter::EventCategory);
}

void ClipListPane::selectFilter(int filter)
{
    if (filter != m_state->filter())
        emit selectionChanging();
    select(m_state->category(), filter, true);
}

void ClipListPane::select(int category, int filter, bool warnWhenEmpty)
{
    if (m_state->isTripView())
        emit clipListWanted();
    if (const int request = m_library->select(category, filter)) {
        m_selectionRequest = request;
        m_selectionWarns = warnWhenEmpty;
    }
}

void ClipListPane::browseFolder()
{
    FolderBrowser browser(m_list->window());
    if (browser.browse())
        openFolder(browser.chosenPath());
}

void ClipListPane::browseFile()
{
    const QString file = QFileDialog::getOpenFileName(m_list->window(), Messages::openFileDialogTitle(), QString(),
                                                      Messages::openFileDialogFilter());
    if (!file.isEmpty())
        addFiles({file}, false);
}

void ClipListPane::addFiles(const QStringList &paths, bool play)
{
    if (m_state->isTripView() && !paths.isEmpty())
        emit clipListWanted();
    const int first = m_library->addFiles(paths);
    if (play && first >= 0)
        m_list->setCurrentRow(first);
}

int ClipListPane::step(int direction)
{
    const int next = m_state->isTripView() ? tripNeighbour(m_list->currentRow(), direction)
                                           : m_library->neighbour(m_list->currentRow(), direction);
    if (next >= 0)
        m_list->setCurrentRow(next);
    return next;
}

// A new listing opens and plays its first row (in the trip view, its first trip once read);
// filling must not open each row on the way.
void ClipListPane::fill()
{
    if (m_state->isTripView()) {
        m_chooseFirstTrip = true;
        fillTrips();
        return;
    }
    fillClips();
    if (m_list->count() == 0)
        emit emptied();
    else
        m_list->setCurrentRow(0);
}

void ClipListPane::fillClips()
{
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (Clip *clip : m_library->entries())
        m_list->appendClip(clip);
}

void ClipListPane::append(int first)
{
    if (m_state->isTripView())
        return; // listed when the clips show again
    const QList<Clip *> &entries = m_library->entries();
    for (int row = first; row < entries.size(); ++row)
        m_list->appendClip(entries.at(row));
}

void ClipListPane::onScanFinished(int request, bool hasClips)
{
    if (hasClips)
        return;
    if (request == m_folderRequest)
        emit warning(Messages::selectProperFolder());
    else if (request == m_selectionRequest && m_selectionWarns)
        emit warning(Messages::selectFolderFirst());
}

// The chosen category and filter show as disabled buttons.
void ClipListPane::refreshSelectors()
{
    for (int i = 0; i < 3; ++i)
        m_categoryButtons[i]->setEnabled(i != m_state->category());
    for (int i = 0; i < 4; ++i)
        m_filterButtons[i]->setEnabled(i != m_state->filter());
}
