#include "viewer/maphost.h"

#include <QGuiApplication>
#include <QPainter>
#include <QWindow>

namespace {

// Where the host waits, off every screen, between showing and being embedded.
constexpr QPoint kOffScreen(-10000, -10000);

} // namespace

bool MapHost::isSupported()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

MapHost::MapHost(const QPixmap &frame)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , m_frame(frame)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

MapHost::~MapHost()
{
    delete m_container.data();
}

// A native window is embedded by handing its window id to a container in the pane. The host must
// be on screen before (it is, far off it) and the pane's window too, or nothing is drawn.
bool MapHost::embedInto(QWidget *pane, const QRect &rect)
{
    if (m_container || !isSupported())
        return m_container != nullptr;
    resize(rect.size());
    move(kOffScreen);
    show();
    QWindow *native = QWindow::fromWinId(winId());
    if (!native) {
        hide();
        return false;
    }
    m_pane = pane;
    m_container = QWidget::createWindowContainer(native, pane);
    m_container->setObjectName(QStringLiteral("mapHostContainer"));
    m_container->setGeometry(rect);
    m_container->show();
    // The viewer's keys work while the map has the focus.
    addActions(pane->window()->actions());
    return true;
}

void MapHost::paintEvent(QPaintEvent *)
{
    // The pane's frame picture, where the pane would show it, until the page paints over it.
    QPainter painter(this);
    if (m_frame.isNull() || !m_container) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    const QRect paneRect = m_pane ? m_pane->rect().adjusted(1, 1, -1, -1) : rect();
    const QPoint offset = m_container->pos();
    painter.translate(-offset);
    painter.drawPixmap(paneRect, m_frame);
}
