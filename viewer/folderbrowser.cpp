#include "viewer/folderbrowser.h"

#include "app/localconfig.h"
#include "catalogue/clipcatalogue.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// The shell's folder dialog has a caption of its own; an empty one looks broken here.
constexpr auto kTitle = "Browse For Folder";
constexpr int kNameColumn = 0;

} // namespace

FolderBrowserDialog::FolderBrowserDialog(QWidget *parent)
    : QDialog(parent)
    , m_model(new QFileSystemModel(this))
    , m_tree(new QTreeView(this))
    , m_watcher(new QFutureWatcher<bool>(this))
{
    setWindowTitle(QLatin1String(kTitle));
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_model->setRootPath(QStringLiteral("/"));

    m_tree->setObjectName(QStringLiteral("folderTree"));
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addWidget(buttons);
    resize(420, 480);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &FolderBrowserDialog::startCheck);
    connect(m_watcher, &QFutureWatcher<bool>::finished, this, &FolderBrowserDialog::finishCheck);
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
    m_tree->scrollTo(index);
    return true;
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
    m_ok->setEnabled(proper);
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
