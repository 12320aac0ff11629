#pragma once

#include <QListWidget>
#include <QPersistentModelIndex>

class Clip;

// The clip list of the viewer window: one entry per clip, the clip pointer under the clip role.
// Presses that do not come from the real pointer are turned into a click on the window instead.
// A right click asks for the context menu of the entry under the pointer without making it current
// (which would open and play it); the Menu key asks for the current entry's.
class MyListWidget : public QListWidget
{
    Q_OBJECT
public:
    explicit MyListWidget(QWidget *window, QWidget *parent = nullptr);

    static QString styleSheetText();

    // Appends an entry for `clip`, named by its file.
    void appendClip(Clip *clip);
    static Clip *clipOf(const QListWidgetItem *item);
    // The file of an entry's clip; empty for none.
    static QString filePathOf(const QListWidgetItem *item);
    int rowOf(const Clip *clip) const;
    // Asks for the context menu of the current entry, below it (the Menu key).
    void requestMenuForCurrentItem();
    // Marks the entry whose context menu is open (null: none), so that the list shows which clip
    // the menu acts on while the current entry stays as it is.
    void setMenuItem(QListWidgetItem *item);
    QListWidgetItem *menuItem() const;
    // The text an empty list shows: how to open a card.
    QString emptyText() const;

signals:
    // The context menu of `item` should open at `globalPosition`.
    void contextMenuRequested(QListWidgetItem *item, const QPoint &globalPosition);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *m_window;
    QPersistentModelIndex m_menuRow;
    bool m_redirecting = false;
};
