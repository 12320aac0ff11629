#pragma once

#include <QWidget>

class ExportSession;
class QLabel;
class QProgressBar;
class QPushButton;

// The bar in the viewer window while an export runs: what is exported, how far it is, and a
// Cancel button. Shown from the export's start to its end; follows the export session.
class ExportProgress : public QWidget
{
    Q_OBJECT

public:
    ExportProgress(ExportSession *session, QWidget *window);

    // Places the bar along the bottom of the large picture of a window w × h.
    void place(int w, int h);

private:
    void started(const QString &title);
    void ended();
    void showText(int percent);

    QLabel *m_label;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    QString m_title;
};
