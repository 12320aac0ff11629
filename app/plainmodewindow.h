#pragma once

#include <QWidget>

// The top-level window of a run mode until that mode's own window exists: frameless, titled, and
// returning to the suite launcher when destroyed with `returnToSuite` set.
class PlainModeWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PlainModeWindow(const QString &title, QWidget *parent = nullptr);
    ~PlainModeWindow() override;

    bool returnToSuite = false;
};
