#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>

#include <atomic>
#include <memory>

class QAbstractFileIconProvider;
class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QTreeView;
template <typename T>
class QFutureWatcher;

// The folder chooser's dialog: a path field over a tree of the computer's folders (no files, no way
// to make folders) whose OK button is enabled exactly when the selected folder is a proper clip
// folder, and a line under the tree that says why it is not. The check runs off the GUI thread, so
// a large card never freezes the dialog; OK stays disabled until it answers. A path typed in the
// field is what OK opens: Return (or picking a completion) goes there, and until then OK waits.
// The selected folder is kept in view while the tree loads around it.
class FolderBrowserDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FolderBrowserDialog(QWidget *parent = nullptr);
    ~FolderBrowserDialog() override;

    // Selects `path` in the tree (opening its parents); false when the folder does not exist.
    bool selectFolder(const QString &path);
    // The selected folder's path; empty when nothing is selected.
    QString selectedPath() const;

    QPushButton *okButton() const;
    QLineEdit *pathField() const { return m_path; }
    // Why OK is disabled; empty while it is enabled.
    QString statusText() const;
    // True while the selected folder is still being checked.
    bool isChecking() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

signals:
    // The check of `path` ended; `proper` is the answer that now drives the OK button.
    void folderChecked(const QString &path, bool proper);

private:
    void setupPathField();
    void onSelectionChanged();
    void followSelection();
    void scrollToSelection();
    void goToTypedPath();
    void takeCompletion(const QModelIndex &index);
    void onPathEdited();
    void showStatus(const QString &text);
    void startCheck();
    void finishCheck();
    void cancelCheck();

    std::unique_ptr<QAbstractFileIconProvider> m_icons; // outlives the models that use it
    QFileSystemModel *m_model = nullptr;
    QTreeView *m_tree = nullptr;
    QLineEdit *m_path = nullptr;
    QPushButton *m_ok = nullptr;
    class QLabel *m_status = nullptr;
    bool m_typedPending = false; // the field holds a path typed but not gone to
    QFutureWatcher<bool> *m_watcher = nullptr;
    QString m_checkedPath;
    bool m_checking = false;
    bool m_keepInView = false; // the selection is brought back into view as the tree fills
    QTimer m_scrollTimer;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};

// Lets the user choose the clip folder: shows the dialog at the last folder chosen, and remembers the
// new choice. A short-lived object, created for one choice.
class FolderBrowser
{
public:
    explicit FolderBrowser(QWidget *owner);

    // Shows the dialog; true when a folder was chosen (then stored as the last folder).
    bool browse();
    const QString &chosenPath() const { return m_chosenPath; }

private:
    QWidget *m_owner;
    QString m_chosenPath;
};
