#pragma once

#include <QFrame>
#include <QRect>
#include <QStringList>
#include <QTimer>

class QLabel;
class QPushButton;
class QToolButton;

// A short notice over the window that something was saved: it names the file or files and offers to
// show them in their folder. It does not take the focus or stop anything; it goes by itself after
// kShownMs, or when closed, and a newer notice replaces it. Every save of the viewer uses it
// (snapshots, printing to a file, exports). GUI thread only.
class SavedNotice : public QFrame
{
    Q_OBJECT

public:
    static constexpr int kShownMs = 8000;

    // A child of `window`, hidden until the first notice.
    explicit SavedNotice(QWidget *window);

    // The notice sits at the bottom of `area` (in the window's coordinates), centred.
    void setArea(const QRect &area);
    // Shows that `files` were saved (paths); "Show in folder" opens the folder of the first.
    void showSaved(const QStringList &files);
    QStringList files() const { return m_files; }
    QString text() const;

private:
    void showFolder();
    void place();

    QLabel *m_label;
    QPushButton *m_showFolder;
    QToolButton *m_close;
    QTimer m_hideTimer;
    QStringList m_files;
    QRect m_area;
};
