#pragma once

#include <QPixmap>
#include <QWidget>

class QLabel;

// The shock-sensitivity bar of the settings dialog: eleven numbered cells 0 … 10, one level
// picture per step below the value, and the value (or "Off") in a label at its right end.
// A click fills the bar up to the clicked step.
class WidgetBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kMaximum = 10;
    static constexpr int kStepWidth = 34;

    explicit WidgetBar(QWidget *parent = nullptr);

    int value() const;
    // Clamps to 0 … 10, shows the value and repaints.
    void setValue(int value);

    // The value a click at local x chooses, before clamping.
    static int valueAt(int x);
    // Where the level picture of step i (0-based) and the number n are painted.
    static QRect levelRect(int i);
    static QRect numberRect(int n);

signals:
    void valueChanged(int value);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeLabel();
    void updateLabel();

    int m_value = 5;
    QPixmap m_background;
    QPixmap m_level;
    QLabel *m_label = nullptr;
};
