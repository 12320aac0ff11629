#include "viewer/videoview.h"

#include "playback/colorconversion.h"
#include "resources/gfxpaths.h"
#include "viewer/videogeometry.h"

#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QTransform>

#include <cstring>

Q_LOGGING_CATEGORY(lcVideoView, "qrd7700.viewer.video")

VideoView::VideoView(QWidget *parent)
    : QLabel(parent)
    , m_player(std::make_unique<Player>())
    , m_background(Gfx::path(QStringLiteral("screen.png")))
    , m_loading(Gfx::path(QStringLiteral("loading.png")))
{
    for (int channel = 0; channel < 2; ++channel) {
        m_handlers[channel] = std::make_unique<SampleHandler>(this);
        m_handlers[channel]->setChannel(channel);
    }
}

VideoView::~VideoView()
{
    // The streaming threads call back into this view until the player is closed.
    m_player->close();
    m_player.reset();
}

bool VideoView::openClip(Clip *clip)
{
    if (!clip)
        return false;
    m_player->close();
    m_zoom = 1.0f;
    SampleHandler *const callbacks[2] = {m_handlers[0].get(), m_handlers[1].get()};
    // Set before opening: the player shows the clip's first picture while it opens.
    m_showLoading.store(true);
    if (!m_player->open(clip, callbacks))
        return false;
    layoutRenderers();
    emit fileOpened();
    return true;
}

void VideoView::close()
{
    m_player->close();
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
    m_somethingHidden.store(!m_rendererVisible[0] || (m_secondChannelPlayer && !m_rendererVisible[1]));
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

void VideoView::processSample(int channel, double, uchar *bytes, int length)
{
    if (!bytes || length <= 0 || channel < 0 || channel > 1)
        return;
    const int rotation = m_player->rotation();
    const bool loading = channel == 0 && m_showLoading.load();
    if (rotation != 0 || loading) {
        const QSize size = m_player->videoSize(channel);
        // A picture smaller than its announced size is passed on untouched.
        if (!size.isEmpty() && qint64(size.width()) * size.height() * 2 <= length) {
            if (loading) {
                m_showLoading.store(false);
                paintLoading(bytes, size);
            } else {
                rotatePicture(channel, bytes, length, size, rotation);
            }
        }
    }
    requestVideoVisible();
}

void VideoView::paintLoading(uchar *bytes, const QSize &size)
{
    QImage picture = ColorConversion::yuy2ToImage(bytes, size.width(), size.height(), size.width() * 2);
    if (!m_loading.isNull()) {
        QPainter painter(&picture);
        const QRect target = VideoGeometry::loadingRect(size, m_loading.size());
        painter.drawImage(target, m_loading.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
    ColorConversion::imageToYuy2(picture, bytes, size.width() * 2);
}

void VideoView::rotatePicture(int channel, uchar *bytes, int length, const QSize &size, int rotation)
{
    std::vector<uchar> &copy = m_rotatedCopy[channel];
    if (m_rotateToggle[channel] == 1) {
        // Every second picture repeats the last rotated one, halving the cost of rotation.
        m_rotateToggle[channel] = 0;
        if (!copy.empty())
            std::memcpy(bytes, copy.data(), std::min<size_t>(copy.size(), size_t(length)));
        return;
    }
    if (size != m_copySize[channel] || copy.size() != size_t(length)) {
        copy.assign(size_t(length), 0);
        m_copySize[channel] = size;
    }
    m_rotateToggle[channel] = 1;
    const QImage picture = ColorConversion::yuy2ToImage(bytes, size.width(), size.height(), size.width() * 2);
    QImage rotated = picture.transformed(QTransform().rotate(rotation), Qt::FastTransformation);
    if (rotated.size() != size)
        rotated = rotated.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    ColorConversion::imageToYuy2(rotated, bytes, size.width() * 2);
    std::memcpy(copy.data(), bytes, copy.size());
}

void VideoView::requestVideoVisible()
{
    // Showing a hidden renderer touches widgets: carry it to the GUI thread, one request at a time.
    if (!m_somethingHidden.load() || m_visibilityRequested.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_visibilityRequested.store(false);
            setVideoVisible(true);
        },
        Qt::QueuedConnection);
}
