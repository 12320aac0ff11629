#include "settingsui/widgetbar.h"

#include "base/texttable.h"
#include "resources/gfxpaths.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr TextId kOffText = 29;
constexpr auto kLabelStyle = "color: rgb(0,0,0); font-family: \"Segoe UI\", Arial; font-size: 10pt; "
                             "qproperty-alignment: AlignCenter;";

} // namespace

WidgetBar::WidgetBar(QWidget *parent)
    : QWidget(parent)
    , m_background(Gfx::path(QStringLiteral("marlow_bar_bg.png")))
    , m_level(Gfx::path(QStringLiteral("volume_level.png")))
    , m_label(new QLabel(this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_label->setStyleSheet(QLatin1String(kLabelStyle));
    // The label only shows the value; clicks on it still reach the bar.
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    placeLabel();
    updateLabel();
}

int WidgetBar::value() const
{
    return m_value;
}

void WidgetBar::setValue(int value)
{
    const int clamped = std::clamp(value, 0, kMaximum);
    const bool changed = clamped != m_value;
    m_value = clamped;
    updateLabel();
    update();
    if (changed)
        emit valueChanged(m_value);
}

int WidgetBar::valueAt(int x)
{
    return (x + 11) / kStepWidth;
}

QRect WidgetBar::levelRect(int i)
{
    return QRect(i * kStepWidth + 6, 11, kStepWidth, 8);
}

QRect WidgetBar::numberRect(int n)
{
    return QRect(n == kMaximum ? 337 : 2 + kStepWidth * n, 0, kStepWidth, 9);
}

void WidgetBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The numbers take the same look as the style sheet the dialog gives its small texts.
    QFont font(QStringList{QStringLiteral("Segoe UI"), QStringLiteral("Arial")});
    font.setPointSize(8);
    painter.setFont(font);
    painter.setPen(QColor(220, 220, 220));
    for (int n = 0; n <= kMaximum; ++n)
        painter.drawText(numberRect(n), Qt::AlignLeft | Qt::AlignVCenter, QString::number(n));
    painter.drawPixmap(rect(), m_background);
    if (!isEnabled())
        return;
    for (int i = 0; i < m_value; ++i)
        painter.drawPixmap(levelRect(i), m_level);
}

void WidgetBar::mouseReleaseEvent(QMouseEvent *event)
{
    setValue(valueAt(event->position().toPoint().x()));
    event->ignore();
}

void WidgetBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeLabel();
}

void WidgetBar::placeLabel()
{
    m_label->setVisible(width() > 32);
    if (width() > 32)
        m_label->setGeometry(width() - 36, 1, 34, 24);
}

void WidgetBar::updateLabel()
{
    m_label->setText(m_value == 0 ? uiText(kOffText) : QString::number(m_value));
}
