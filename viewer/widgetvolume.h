#pragma once

#include "viewer/volumedevice.h"

#include <QPixmap>
#include <QWidget>

#include <memory>

// The volume bar: ten blocks that show and set the program's output volume. A click or a drag
// sets the level where the pointer is (the leftmost pixels are silence), the wheel steps it one
// block a notch; the main window switches the sound off and on through setSoundOn().
class WidgetVolume : public QWidget
{
    Q_OBJECT

public:
    // One block stands for this much of a 16-bit channel value.
    static constexpr int kUnitsPerLevel = 6553;
    // The blocks of the bar: levels 0 (silent) … kLevels.
    static constexpr int kLevels = 10;

    // Uses a program volume that plays nowhere when `device` is null.
    explicit WidgetVolume(QWidget *parent = nullptr, std::unique_ptr<VolumeDevice> device = {});
    ~WidgetVolume() override;

    int level() const { return m_level; }
    // Clamps to 0 … 10, stores the level and writes level × 6553 to both channels (while the sound
    // is off, only stores it).
    void setLevel(int level);
    // Off writes 0 to both channels and keeps the level; on writes the level again.
    void setSoundOn(bool on);
    // level = left channel / 6553 (0 … 10, not clamped). A device that cannot be read changes nothing.
    void syncFromDevice();

    QSize sizeHint() const override;

signals:
    // The user set `level` with the mouse or the wheel.
    void levelChosen(int level);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void choose(int level);

    std::unique_ptr<VolumeDevice> m_device;
    QPixmap m_barImage;
    QPixmap m_levelImage;
    int m_level = 9;
    bool m_soundOn = true;
    int m_wheelDelta = 0; // eighths of a degree not yet turned into a step
};

// The level a mouse position x selects before clamping: (x + 1) / 5, so 0 (silence) at the left end.
int volumeLevelAt(int x);
// The device value of a level on both channels: v | v << 16 with v = level × 6553.
quint32 volumeForLevel(int level);
