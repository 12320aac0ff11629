#include "viewer/widgetvolume.h"

#include "resources/gfxpaths.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace {
constexpr int kMinLevel = 0;
constexpr int kMaxLevel = WidgetVolume::kLevels;
constexpr int kBlockPitch = 5;
constexpr QSize kBlockSize(5, 7);
constexpr QSize kBarSize(52, 9);
constexpr int kWheelStep = 120; // one notch of a common mouse wheel
} // namespace

int volumeLevelAt(int x)
{
    return (x + 1) / kBlockPitch;
}

quint32 volumeForLevel(int level)
{
    const auto v = static_cast<quint16>(level * WidgetVolume::kUnitsPerLevel);
    return VolumeScale::pack(v, v);
}

WidgetVolume::WidgetVolume(QWidget *parent, std::unique_ptr<VolumeDevice> device)
    : QWidget(parent)
    , m_device(device ? std::move(device) : std::make_unique<ProgramVolumeDevice>())
    , m_barImage(Gfx::path(QStringLiteral("volume_bar.png")))
    , m_levelImage(Gfx::path(QStringLiteral("volume_level.png")))
{
    syncFromDevice();
}

WidgetVolume::~WidgetVolume() = default;

void WidgetVolume::setLevel(int level)
{
    m_level = std::clamp(level, kMinLevel, kMaxLevel);
    if (m_soundOn)
        m_device->setVolume(volumeForLevel(m_level));
    update();
}

void WidgetVolume::setSoundOn(bool on)
{
    m_soundOn = on;
    if (on)
        setLevel(m_level);
    else
        m_device->setVolume(0);
}

void WidgetVolume::syncFromDevice()
{
    if (const auto packed = m_device->volume())
        m_level = VolumeScale::left(*packed) / kUnitsPerLevel;
    update();
}

QSize WidgetVolume::sizeHint() const
{
    return kBarSize;
}

void WidgetVolume::choose(int level)
{
    setLevel(level);
    emit levelChosen(m_level);
}

void WidgetVolume::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    choose(volumeLevelAt(event->position().toPoint().x()));
}

void WidgetVolume::mouseMoveEvent(QMouseEvent *event)
{
    choose(volumeLevelAt(event->position().toPoint().x()));
}

// Fine wheels and touchpads add up to whole notches.
void WidgetVolume::wheelEvent(QWheelEvent *event)
{
    m_wheelDelta += event->angleDelta().y();
    const int steps = m_wheelDelta / kWheelStep;
    m_wheelDelta -= steps * kWheelStep;
    if (steps != 0)
        choose(m_level + steps);
    event->accept();
}

void WidgetVolume::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), m_barImage);
    if (!isEnabled())
        return;
    for (int i = 0; i < m_level; ++i)
        painter.drawPixmap(QRect(QPoint(1 + kBlockPitch * i, 1), kBlockSize), m_levelImage);
}
