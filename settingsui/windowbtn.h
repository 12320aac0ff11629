#pragma once

#include <QDialog>
#include <QPixmap>

#include "settings/devicesettings.h"
#include "settingsui/steplayout.h"

class IconToolButton;
class IconButton;

// A small modal dialog choosing one step of a single setting from a row of tick boxes, or
// switching it off. The opener sets `value`, runs the dialog and, when `applied`, takes `value`
// back (through StepLayout::storedValue).
class WindowBtn : public QDialog
{
    Q_OBJECT

public:
    int value = 0;       // 0 off, 1 … N the steps left to right
    bool applied = false;
    int lastOn = 0;      // the step remembered when the setting was switched off

    const StepLayout::StepDialogKind &kind() const;
    int stepCount() const;

public slots:
    void OnSlotsOK();
    void OnSlotsCancel();

protected:
    WindowBtn(QWidget *parent, int initialValue, const StepLayout::StepDialogKind &kind);

    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildWidgets();

    const StepLayout::StepDialogKind &m_kind;
    QPixmap m_background;
    QPixmap m_check;
    QPixmap m_unavailable;
    QPixmap m_offTick;
    QFont m_labelFont;
};

// The power-off timer: 1, 2, 6, 12, 24 or 48 hours; off goes back as 1.
class WindowBtn3 : public WindowBtn
{
    Q_OBJECT

public:
    WindowBtn3(QWidget *parent, DeviceModel model, int initialValue);
};

// 12 V battery protection: off or 11.5 V … 12.0 V.
class WindowBtn4 : public WindowBtn
{
    Q_OBJECT

public:
    WindowBtn4(QWidget *parent, DeviceModel model, int initialValue);
};

// 24 V battery protection: off or 23.5 V … 25.5 V.
class WindowBtn5 : public WindowBtn
{
    Q_OBJECT

public:
    WindowBtn5(QWidget *parent, DeviceModel model, int initialValue);
};
