#include "skin/filedialogfit.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPointer>
#include <QVariant>
#include <QScreen>
#include <QTreeView>

namespace {

constexpr int kPadding = 12;
constexpr const char *kFollowed = "qrd7700FitFollowsFolder";

// The width the shown rows of `column` ask for (the tree answers it through its item view face).
int rowsWidth(const QTreeView *tree, int column)
{
    return static_cast<const QAbstractItemView *>(tree)->sizeHintForColumn(column);
}

} // namespace

void FileDialogFit::install()
{
    static QPointer<FileDialogFit> installed;
    if (installed || !qApp)
        return;
    installed = new FileDialogFit(qApp);
    qApp->installEventFilter(installed);
}

// Every column but the name's gets the width its header and its shown rows ask for; the dialog
// grows (within its screen) so that the name keeps a useful width beside them.
void FileDialogFit::fit(QFileDialog *dialog)
{
    auto *tree = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!tree || !tree->model())
        return;
    QHeaderView *header = tree->header();
    int others = 0;
    for (int column = 1; column < header->count(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        const int wanted = std::max(header->sectionSizeHint(column), rowsWidth(tree, column)) + kPadding;
        if (header->sectionSize(column) < wanted)
            header->resizeSection(column, wanted);
        others += header->sectionSize(column);
    }
    constexpr int kNameWidth = 240;
    const int frame = dialog->width() - tree->viewport()->width();
    const QScreen *screen = dialog->screen();
    const int room = screen ? screen->availableGeometry().width() : dialog->width();
    const int width = std::max(dialog->width(), std::min(others + kNameWidth + frame, room));
    if (width != dialog->width())
        dialog->resize(width, dialog->height());
    // The name takes whatever the view has left, also as the dialog's layout settles.
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

bool FileDialogFit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        if (auto *dialog = qobject_cast<QFileDialog *>(watched)) {
            fit(dialog);
            // The folder's rows arrive later: fit again once they are there (followed once per dialog).
            auto *model = dialog->findChild<QFileSystemModel *>();
            if (model && !dialog->property(kFollowed).toBool()) {
                dialog->setProperty(kFollowed, true);
                connect(model, &QFileSystemModel::directoryLoaded, dialog, [dialog] { fit(dialog); },
                        Qt::QueuedConnection);
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
