#include "viewer/videoview.h"

#include "resources/gfxpaths.h"
#include "viewer/videogeometry.h"

#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>

Q_LOGGING_CATEGORY(lcVideoView, "qrd7700.viewer.video")

VideoView::VideoView(QWidget *parent)
    : QLabel(parent)
    , m_player(std::make_unique<Player>())
    , m_background(Gfx::path(QStringLiteral("screen.png")))
    , m_loading(Gfx::path(QStringLiteral("loading.png")))
{
    connect(m_player.get(), &Player::opened, this, &VideoView::onOpened);
    connect(m_player.get(), &Player::failed, this, [this](const QString &reason) {
        m_showLoading = false;
        update();
        emit openFailed(reason);
    });
    connect(m_player.get(), &Player::pictureShown, this,
            [this](int channel) { onPictureShown(m_player.get(), channel); });
}

VideoView::~VideoView()
{
    m_player->close();
    m_player.reset();
}

bool VideoView::openClip(Clip *clip)
{
    if (!clip)
        return false;
    m_player->close();
    m_zoom = 1.0f;
    if (!m_player->open(clip))
        return false;
    m_showLoading = true;
    update();
    return true;
}

void VideoView::onOpened()
{
    layoutRenderers();
    update();
    emit fileOpened();
}

void VideoView::close()
{
    m_player->close();
    if (m_showLoading) {
        m_showLoading = false;
        update();
    }
}

void VideoView::setSecondChannelPlayer(Player *player)
{
    if (player == m_secondChannelPlayer)
        return;
    disconnect(m_secondChannelPictures);
    m_secondChannelPlayer = player;
    if (player) {
        m_secondChannelPictures = connect(player, &Player::pictureShown, this,
                                          [this, player](int channel) { onPictureShown(player, channel); });
    }
}

// A new picture shows a renderer hidden earlier again; the second picture of channel 0 ends the
// loading picture.
void VideoView::onPictureShown(Player *player, int channel)
{
    if (player == m_player.get() && channel == 0 && m_showLoading && m_player->pictureSerial(0) > 1) {
        m_showLoading = false;
        update();
    }
    const bool mine = (player == m_player.get() && channel == 0) || (player == m_secondChannelPlayer && channel == 1);
    if (mine && (!m_rendererVisible[0] || (m_secondChannelPlayer && !m_rendererVisible[1])))
        setVideoVisible(true);
}

bool VideoView::isLoadingShown() const
{
    return m_showLoading && !m_loading.isNull() && (m_player->isOpening() || m_player->clip());
}

void VideoView::setBoxForArea(int width, int height)
{
    m_box = VideoGeometry::boxForArea(width, height);
}

void VideoView::setVideoVisible(bool visible)
{
    if (visible != m_rendererVisible[0]) {
        m_rendererVisible[0] = visible;
        if (visible)
            layoutRenderers();
        else
            m_player->hideRenderer(0);
    }
    if (m_secondChannelPlayer && visible != m_rendererVisible[1]) {
        m_rendererVisible[1] = visible;
        if (visible)
            layoutRenderers();
        else
            m_secondChannelPlayer->hideRenderer(1);
    }
}

void VideoView::layoutRenderers()
{
    const auto rect = VideoGeometry::fittedRect(size(), m_videoSize);
    if (!rect)
        return;
    m_rendererRect = *rect;
    if (m_rendererVisible[0])
        m_player->showRenderer(this, *rect, 0);
    if (m_secondChannelPlayer && m_rendererVisible[1])
        m_secondChannelPlayer->showRenderer(this, *rect, 1);
    m_zoom = 1.0f;
    update();
}

Player *VideoView::zoomTarget(int *channel) const
{
    if (m_secondChannelPlayer && m_rendererVisible[1]) {
        *channel = 1;
        return m_secondChannelPlayer;
    }
    *channel = 0;
    return m_player.get();
}

void VideoView::zoomBy(int step)
{
    if (step != 0)
        m_zoom = VideoGeometry::steppedZoom(m_zoom, step, m_box.width());
    if (step == 0 || m_zoom <= 1.0f) {
        layoutRenderers();
        return;
    }
    const QRect zoomed = VideoGeometry::zoomedRect(size(), m_zoom, m_box);
    int channel = 0;
    Player *target = zoomTarget(&channel);
    target->resizeRenderer(this, zoomed.width(), zoomed.height(), channel);
    target->moveRenderer(this, zoomed.x(), zoomed.y(), channel);
    m_rendererRect = zoomed;
    setFocus();
    update();
}

bool VideoView::panTo(int dx, int dy)
{
    qCDebug(lcVideoView).noquote()
        << QStringLiteral("%1 %2 %3 %4 zoomLevel = %5").arg(dx).arg(dy).arg(width()).arg(height()).arg(m_zoom);
    switch (VideoGeometry::checkPan(dx, dy, size(), m_zoom, m_box)) {
    case VideoGeometry::PanVerdict::NotZoomed: qCDebug(lcVideoView) << "break 1"; return false;
    case VideoGeometry::PanVerdict::TooFarRightOrDown: qCDebug(lcVideoView) << "break 2"; return false;
    case VideoGeometry::PanVerdict::UncoversRight: qCDebug(lcVideoView) << "break 3"; return false;
    case VideoGeometry::PanVerdict::UncoversBottom: qCDebug(lcVideoView) << "break 4"; return false;
    case VideoGeometry::PanVerdict::Accepted: break;
    }
    int channel = 0;
    zoomTarget(&channel)->moveRenderer(this, dx, dy, channel);
    m_rendererRect.moveTo(dx, dy);
    update();
    return true;
}

void VideoView::mousePressEvent(QMouseEvent *event)
{
    if (!m_panEnabled)
        return;
    m_press = m_last = event->position().toPoint();
}

void VideoView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_panEnabled)
        return;
    const QPoint pos = event->position().toPoint();
    const QPoint delta = pos - m_last;
    if (delta.x() > -3 && delta.x() < 3 && delta.y() > -3 && delta.y() < 3)
        return;
    if (panTo(pos.x() - m_press.x(), pos.y() - m_press.y()))
        m_last = pos;
}

void VideoView::paintEvent(QPaintEvent *event)
{
    // The plain widget's painting only: a pixmap or text set on the label is never drawn.
    QWidget::paintEvent(event);
    QPainter painter(this);
    if (!m_background.isNull())
        painter.drawPixmap(QRect(1, 1, width() - 2, height() - 2), m_background, m_background.rect());
    m_player->paintRenderers(painter, this);
    if (m_secondChannelPlayer)
        m_secondChannelPlayer->paintRenderers(painter, this);
    if (isLoadingShown())
        painter.drawImage(loadingArea(), m_loading);
}

// Where the loading picture goes: its place on the decoded picture, carried over to the rectangle
// the picture is drawn in. While the clip is still opening its size is not known; the place it
// would have on a full-size recorder picture fitted into the view is used.
QRect VideoView::loadingArea() const
{
    static constexpr QSize kRecorderPicture(1920, 1080);
    const bool known = m_player->clip() && !m_videoSize.isEmpty() && !m_rendererRect.isEmpty();
    const QSize picture = known ? m_videoSize : kRecorderPicture;
    const QRect shown = known ? m_rendererRect : VideoGeometry::fittedRect(size(), picture).value_or(rect());
    const QRect spot = VideoGeometry::loadingRect(picture, m_loading.size());
    const double sx = double(shown.width()) / picture.width();
    const double sy = double(shown.height()) / picture.height();
    return QRectF(shown.x() + spot.x() * sx, shown.y() + spot.y() * sy, spot.width() * sx, spot.height() * sy)
        .toRect();
}

void VideoView::resizeEvent(QResizeEvent *)
{
    layoutRenderers();
}

void VideoView::showEvent(QShowEvent *event)
{
    QLabel::showEvent(event);
    layoutRenderers();
}

void VideoView::hideEvent(QHideEvent *event)
{
    QLabel::hideEvent(event);
    m_player->hideRenderer(0);
    if (m_secondChannelPlayer)
        m_secondChannelPlayer->hideRenderer(1);
}
