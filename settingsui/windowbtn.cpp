#include "settingsui/windowbtn.h"

#include "base/texttable.h"
#include "resources/gfxpaths.h"
#include "skin/iconbutton.h"
#include "skin/icontoolbutton.h"
#include "skin/skinfont.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr TextId kTitleText = 19;
constexpr TextId kOkText = 23;
constexpr TextId kCancelText = 24;
constexpr auto kTitleStyle = "color: rgb(220,220,220); font-family: \"Segoe UI\", Arial; font-size: 11pt;";

IconToolButton *imageButton(QWidget *parent, const QString &stem, const QRect &geometry, TextId text)
{
    auto *button = new IconToolButton(parent, Gfx::path(stem + QLatin1String("1.png")),
                                      Gfx::path(stem + QLatin1String("3.png")),
                                      Gfx::path(stem + QLatin1String("2.png")),
                                      Gfx::path(stem + QLatin1String("1.png")));
    button->setGeometry(geometry);
    button->setText(uiText(text));
    return button;
}

} // namespace

WindowBtn::WindowBtn(QWidget *parent, int initialValue, const StepLayout::StepDialogKind &kind)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , value(initialValue)
    , lastOn(initialValue)
    , m_kind(kind)
    , m_background(Gfx::path(QLatin1String(kind.background)))
    , m_check(Gfx::path(QStringLiteral("check.png")))
    , m_unavailable(Gfx::path(QStringLiteral("discheck2.png")))
    , m_offTick(Gfx::path(QStringLiteral("check1.png")))
{
    const QFont font = skinFont(8);
    setFont(font);
    m_labelFont = font;
    setFixedSize(554, 147);
    buildWidgets();
}

const StepLayout::StepDialogKind &WindowBtn::kind() const
{
    return m_kind;
}

int WindowBtn::stepCount() const
{
    return int(m_kind.steps.size());
}

void WindowBtn::buildWidgets()
{
    auto *ok = imageButton(this, QStringLiteral("OK"), QRect(464, 108, 79, 28), kOkText);
    ok->setObjectName(QStringLiteral("ok"));
    connect(ok, &QAbstractButton::clicked, this, &WindowBtn::OnSlotsOK);

    auto *cancel = imageButton(this, QStringLiteral("cancel"), QRect(385, 108, 79, 28), kCancelText);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(cancel, &QAbstractButton::clicked, this, &WindowBtn::OnSlotsCancel);

    auto *exit = new IconButton(this, Gfx::path(QStringLiteral("exit_1.png")),
                                Gfx::path(QStringLiteral("exit_3.png")),
                                Gfx::path(QStringLiteral("exit_2.png")),
                                Gfx::path(QStringLiteral("exit_1.png")), 21, 19);
    exit->setObjectName(QStringLiteral("exit"));
    exit->setGeometry(510, 13, 21, 19);
    connect(exit, &QAbstractButton::clicked, this, &WindowBtn::OnSlotsCancel);

    auto *title = new QLabel(uiText(kTitleText), this);
    title->setObjectName(QStringLiteral("title"));
    title->setGeometry(55, 10, 250, 24);
    title->setStyleSheet(QLatin1String(kTitleStyle));
}

void WindowBtn::OnSlotsOK()
{
    applied = true;
    accept();
}

void WindowBtn::OnSlotsCancel()
{
    applied = false;
    reject();
}

void WindowBtn::mouseReleaseEvent(QMouseEvent *event)
{
    const int hit = StepLayout::targetAt(event->position().toPoint(), stepCount());
    if (hit < 0)
        return;
    value = StepLayout::clickedValue(hit, value, lastOn, m_kind.restoreStep);
    update();
}

void WindowBtn::paintEvent(QPaintEvent *)
{
    using namespace StepLayout;
    QPainter painter(this);
    painter.drawPixmap(rect(), m_background);
    // The labels keep the dialog's own small font even where an opener's style sheet sets another.
    painter.setFont(m_labelFont);

    painter.setPen(QColor(220, 220, 220));
    painter.drawText(labelRect(kOffTarget, stepCount()), Qt::AlignCenter, uiText(kOffText));
    for (int i = 1; i <= stepCount(); ++i)
        painter.drawText(labelRect(i, stepCount()), Qt::AlignCenter, QLatin1String(m_kind.steps[size_t(i - 1)]));

    const int marked = markedTarget(value, m_kind);
    if (marked == kOffTarget) {
        painter.drawPixmap(markRect(kOffTarget), m_offTick);
        for (int i = 1; i <= stepCount(); ++i)
            painter.drawPixmap(markRect(i), m_unavailable);
    } else if (marked > 0) {
        painter.drawPixmap(markRect(marked), m_check);
    }
}

WindowBtn3::WindowBtn3(QWidget *parent, DeviceModel, int initialValue)
    : WindowBtn(parent, initialValue, StepLayout::timerKind())
{
}

WindowBtn4::WindowBtn4(QWidget *parent, DeviceModel, int initialValue)
    : WindowBtn(parent, initialValue, StepLayout::battery12Kind())
{
}

WindowBtn5::WindowBtn5(QWidget *parent, DeviceModel, int initialValue)
    : WindowBtn(parent, initialValue, StepLayout::battery24Kind())
{
}
