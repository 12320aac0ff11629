#include "viewer/folderbrowser.h"

#include "base/localconfig.h"
#include "base/messages.h"
#include "catalogue/clipcatalogue.h"

#include <QAbstractFileIconProvider>
#include <QAbstractItemView>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// The shell's folder dialog has a caption of its own; an empty one looks broken here.
constexpr auto kTitle = "Browse For Folder";
constexpr int kNameColumn = 0;

// Icons and type names from the kind of entry alone. The standard provider asks the MIME database,
// which reads the first bytes of files it cannot tell by name, and reading an entry such as a
// program's event descriptor in /proc/self/fd waits for good.
class KindIconProvider : public QAbstractFileIconProvider
{
public:
    using QAbstractFileIconProvider::icon;

    QIcon icon(const QFileInfo &info) const override { return icon(kindOf(info)); }

    QString type(const QFileInfo &info) const override
    {
        switch (kindOf(info)) {
        case Drive:
            return QStringLiteral("Drive");
        case Folder:
            return QStringLiteral("Folder");
        default:
            return QStringLiteral("File");
        }
    }

private:
    static IconType kindOf(const QFileInfo &info)
    {
        if (info.isRoot())
            return Drive;
        return info.isDir() ? Folder : File;
    }
};

} // namespace

FolderBrowserDialog::FolderBrowserDialog(QWidget *parent)
    : QDialog(parent)
    , m_icons(std::make_unique<KindIconProvider>())
    , m_model(new QFileSystemModel(this))
    , m_tree(new QTreeView(this))
    , m_path(new QLineEdit(this))
    , m_watcher(new QFutureWatcher<bool>(this))
{
    setWindowTitle(QLatin1String(kTitle));
    m_model->setIconProvider(m_icons.get());
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_model->setRootPath(QStringLiteral("/"));

    m_tree->setObjectName(QStringLiteral("folderTree"));
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);

    setupPathField();
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("folderStatus"));
    m_status->setWordWrap(true);
    m_status->hide();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_path);
    layout->addWidget(m_tree);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    resize(420, 480);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &FolderBrowserDialog::onSelectionChanged);
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
    connect(m_tree->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { m_keepInView = false; });
    m_scrollTimer.setSingleShot(true);
    m_scrollTimer.setInterval(0);
    connect(&m_scrollTimer, &QTimer::timeout, this, &FolderBrowserDialog::scrollToSelection);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &FolderBrowserDialog::followSelection);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &FolderBrowserDialog::followSelection);
    connect(m_watcher, &QFutureWatcher<bool>::finished, this, &FolderBrowserDialog::finishCheck);
}

// The path field completes folder names and goes to the folder typed when Return is pressed. A
// completion picked from the list (Return, Enter or a click) goes to its folder; the list's keys
// are seen here before the completer takes them.
void FolderBrowserDialog::setupPathField()
{
    m_path->setObjectName(QStringLiteral("pathEdit"));
    auto *completionModel = new QFileSystemModel(this);
    completionModel->setIconProvider(m_icons.get());
    completionModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    completionModel->setRootPath(QStringLiteral("/"));
    auto *completer = new QCompleter(completionModel, this);
    m_path->setCompleter(completer);
    m_path->installEventFilter(this);
    completer->popup()->installEventFilter(this);
    connect(completer->popup(), &QAbstractItemView::clicked, this, &FolderBrowserDialog::takeCompletion);
    connect(m_path, &QLineEdit::textEdited, this, &FolderBrowserDialog::onPathEdited);
}

// A check still running is told to stop and waited for; it stops at its next folder entry.
FolderBrowserDialog::~FolderBrowserDialog()
{
    cancelCheck();
    m_watcher->waitForFinished();
}

bool FolderBrowserDialog::selectFolder(const QString &path)
{
    const QFileInfo folder(path);
    if (!folder.isDir())
        return false;
    const QModelIndex index = m_model->index(folder.absoluteFilePath(), kNameColumn);
    if (!index.isValid())
        return false;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        m_tree->expand(parent);
    m_tree->setCurrentIndex(index);
    m_keepInView = true;
    scrollToSelection();
    followSelection();
    return true;
}

void FolderBrowserDialog::onSelectionChanged()
{
    m_typedPending = false;
    m_path->setText(QDir::toNativeSeparators(selectedPath()));
    startCheck();
}

// A path being typed is not the selected folder: OK waits until Return goes there.
void FolderBrowserDialog::onPathEdited()
{
    m_typedPending = true;
    m_ok->setEnabled(false);
    showStatus(Messages::typedPathPressReturn());
}

QString FolderBrowserDialog::statusText() const
{
    return m_status->text();
}

void FolderBrowserDialog::showStatus(const QString &text)
{
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

// The folders around the selection are read after it was selected, each one inserting and sorting
// rows that push it out of view: until the user scrolls, clicks or types in the tree, every such
// change brings the selection back into view once the tree has been laid out again.
void FolderBrowserDialog::followSelection()
{
    if (m_keepInView)
        m_scrollTimer.start();
}

void FolderBrowserDialog::scrollToSelection()
{
    if (m_keepInView && m_tree->currentIndex().isValid())
        m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void FolderBrowserDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    followSelection();
}

// Return in the path field (or its completion list) goes to the folder typed and never closes the
// dialog: OK does that, once the folder has been checked.
bool FolderBrowserDialog::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == m_tree->viewport() && (type == QEvent::MouseButtonPress || type == QEvent::Wheel))
        m_keepInView = false;
    if (watched == m_tree && type == QEvent::KeyPress)
        m_keepInView = false;
    if ((watched == m_path || watched == m_path->completer()->popup()) && type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched != m_path)
                takeCompletion(m_path->completer()->popup()->currentIndex());
            else
                goToTypedPath();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The completion `index` of the list (none: the text typed) goes into the field, and there.
void FolderBrowserDialog::takeCompletion(const QModelIndex &index)
{
    m_path->completer()->popup()->hide();
    if (index.isValid())
        m_path->setText(QDir::toNativeSeparators(index.data(QFileSystemModel::FilePathRole).toString()));
    m_typedPending = true;
    goToTypedPath();
}

// The folder typed becomes the selection (and is checked); a path that is no folder leaves OK
// disabled, so that OK never opens another folder than the one typed.
void FolderBrowserDialog::goToTypedPath()
{
    const QString typed = QDir::fromNativeSeparators(m_path->text().trimmed());
    const QString before = selectedPath();
    if (typed.isEmpty() || (!m_typedPending && QDir::cleanPath(typed) == before))
        return; // nothing typed, or already there
    if (!selectFolder(QDir::cleanPath(typed))) {
        m_typedPending = true;
        m_ok->setEnabled(false);
        showStatus(Messages::typedPathNoFolder());
        return;
    }
    if (selectedPath() == before) // the same folder again: no selection change to answer
        onSelectionChanged();
    m_tree->setFocus();
}

QString FolderBrowserDialog::selectedPath() const
{
    const QModelIndex index = m_tree->currentIndex();
    return index.isValid() ? m_model->filePath(index) : QString();
}

QPushButton *FolderBrowserDialog::okButton() const
{
    return m_ok;
}

bool FolderBrowserDialog::isChecking() const
{
    return m_checking;
}

void FolderBrowserDialog::cancelCheck()
{
    if (m_cancel)
        m_cancel->store(true);
}

// Every selection change starts a new check and abandons the previous one.
void FolderBrowserDialog::startCheck()
{
    cancelCheck();
    m_ok->setEnabled(false);
    m_checkedPath = selectedPath();
    m_checking = !m_checkedPath.isEmpty();
    showStatus(m_checking ? Messages::folderBeingChecked() : QString());
    if (!m_checking)
        return;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_watcher->setFuture(QtConcurrent::run(
        [path = m_checkedPath, cancel = m_cancel] { return isProperFolder(path, cancel.get()); }));
}

void FolderBrowserDialog::finishCheck()
{
    // The watcher only reports the future it watches now, the check of the current selection.
    if (!m_checking)
        return;
    m_checking = false;
    const bool proper = m_watcher->result();
    m_ok->setEnabled(proper && !m_typedPending);
    if (!m_typedPending)
        showStatus(proper ? QString() : Messages::folderWithoutClips());
    emit folderChecked(m_checkedPath, proper);
}

FolderBrowser::FolderBrowser(QWidget *owner)
    : m_owner(owner)
{
}

bool FolderBrowser::browse()
{
    m_chosenPath.clear();
    FolderBrowserDialog dialog(m_owner);
    QString lastFolder;
    if (loadLastFolder(lastFolder))
        dialog.selectFolder(lastFolder);
    if (dialog.exec() == QDialog::Accepted) {
        m_chosenPath = dialog.selectedPath();
        if (!m_chosenPath.isEmpty())
            saveLastFolder(m_chosenPath);
    }
    return !m_chosenPath.isEmpty();
}
