#pragma once

#include <QListWidget>

class Clip;

// The clip list of the viewer window: one entry per clip, the clip pointer under the clip role.
// Presses that do not come from the real pointer are turned into a click on the window instead.
class MyListWidget : public QListWidget
{
    Q_OBJECT
public:
    explicit MyListWidget(QWidget *window, QWidget *parent = nullptr);

    static QString styleSheetText();

    // Appends an entry for `clip` (named by its file), or for a loose file that has no clip yet.
    void appendClip(Clip *clip);
    void appendLooseFile(const QString &path);
    static Clip *clipOf(const QListWidgetItem *item);
    static QString looseFileOf(const QListWidgetItem *item);
    int rowOf(const Clip *clip) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QWidget *m_window;
    bool m_redirecting = false;
};
