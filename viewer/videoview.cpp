#include "viewer/videoview.h"

#include "resources/gfxpaths.h"
#include "session/playbacksession.h"
#include "viewer/videogeometry.h"

#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>

Q_LOGGING_CATEGORY(lcVideoView, "qrd7700.viewer.video")

// The part of the view the picture covers, as a child of its own that paints every pixel of itself:
// a new picture repaints only this child, and nothing beneath it (neither the view's background
// nor the window's skin) is painted again first. Mouse events go through to the view.
class VideoView::PictureSurface : public QWidget
{
public:
    explicit PictureSurface(VideoView *view)
        : QWidget(view)
        , m_view(view)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.translate(-pos());
        m_view->paintPicture(painter);
        m_view->paintLoading(painter);
    }

private:
    VideoView *m_view;
};

VideoView::VideoView(QWidget *parent)
    : QLabel(parent)
    , m_background(Gfx::path(QStringLiteral("screen.png")))
    , m_loading(Gfx::path(QStringLiteral("loading.png")))
    , m_surface(new PictureSurface(this))
{
}

VideoView::~VideoView()
{
    if (m_session)
        m_session->setOutput(m_channel, nullptr);
}

void VideoView::showChannel(PlaybackSession *session, int channel)
{
    m_session = session;
    m_channel = channel == 1 ? 1 : 0;
    session->setOutput(m_channel, this);
    // view -> session: the size the pictures are drawn at; session -> view: their rotation.
    connect(this, &VideoView::displaySizeChanged, session,
            [session, c = m_channel](const QSize &size) { session->setDisplaySize(c, size); });
    connect(session, &PlaybackSession::rotationChanged, this, &VideoView::setRotation);
    if (!m_rendererRect.isEmpty())
        session->setDisplaySize(m_channel, m_rendererRect.size());
}

// A new picture shows a picture hidden earlier again; the second picture of an open ends the
// loading picture.
void VideoView::presentPicture(int channel, const QImage &picture, quint64 serial)
{
    if ((channel == 1 ? 1 : 0) != m_channel)
        return;
    const bool sameShape = picture.size() == m_picture.size() && !m_picture.isNull();
    m_picture = picture;
    const bool loadingEnds = m_showLoading && serial > 1;
    if (loadingEnds)
        m_showLoading = false;
    if (!m_videoVisible)
        setVideoVisible(true);
    if (sameShape && !loadingEnds && m_surface->isVisible())
        m_surface->update();
    else
        refresh();
}

void VideoView::resetPictures(bool opening)
{
    m_picture = QImage();
    m_videoSize = QSize();
    m_zoom = 1.0f;
    m_showLoading = opening;
    refresh();
}

bool VideoView::isLoadingShown() const
{
    return m_showLoading && !m_loading.isNull();
}

void VideoView::setBoxForArea(int width, int height)
{
    m_box = VideoGeometry::boxForArea(width, height);
}

void VideoView::setVideoVisible(bool visible)
{
    if (visible == m_videoVisible)
        return;
    m_videoVisible = visible;
    if (visible)
        layoutRenderers();
    else
        refresh();
}

void VideoView::setRotation(int degrees)
{
    m_rotation = degrees;
    refresh();
}

void VideoView::layoutRenderers()
{
    const auto rect = VideoGeometry::fittedRect(size(), m_videoSize);
    if (!rect)
        return;
    m_rendererRect = *rect;
    m_zoom = 1.0f;
    emit displaySizeChanged(rect->size());
    refresh();
}

void VideoView::zoomBy(int step)
{
    if (step != 0)
        m_zoom = VideoGeometry::steppedZoom(m_zoom, step, m_box.width());
    if (step == 0 || m_zoom <= 1.0f) {
        layoutRenderers();
        return;
    }
    showZoomed(VideoGeometry::zoomedRect(size(), m_zoom, m_box));
    setFocus();
}

void VideoView::zoomAt(int step, const QPointF &anchor)
{
    if (m_rendererRect.isEmpty())
        return;
    m_zoom = VideoGeometry::steppedZoom(m_zoom, step, m_box.width());
    if (m_zoom <= 1.0f) {
        layoutRenderers();
        return;
    }
    showZoomed(VideoGeometry::zoomedRectAt(m_rendererRect, anchor, size(), m_zoom, m_box));
}

void VideoView::showZoomed(const QRect &rect)
{
    const bool resized = rect.size() != m_rendererRect.size();
    m_rendererRect = rect;
    if (resized)
        emit displaySizeChanged(rect.size());
    refresh();
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
    m_rendererRect.moveTo(dx, dy);
    refresh();
    return true;
}

void VideoView::mousePressEvent(QMouseEvent *event)
{
    if (!m_panEnabled)
        return;
    m_press = m_last = event->position().toPoint();
}

// A drag moves the picture by as much as the pointer moved since the picture last moved, so that
// drags add up; moves of less than 3 pixels wait until they add up to more.
void VideoView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_panEnabled)
        return;
    const QPoint pos = event->position().toPoint();
    const QPoint delta = pos - m_last;
    if (delta.x() > -3 && delta.x() < 3 && delta.y() > -3 && delta.y() < 3)
        return;
    panBy(delta);
    m_last = pos;
}

void VideoView::panBy(const QPoint &delta)
{
    if (m_zoom <= 1.0f)
        return;
    const QRect moved = VideoGeometry::pannedRect(m_rendererRect, delta, size(), m_zoom, m_box);
    if (moved == m_rendererRect)
        return;
    m_rendererRect = moved;
    refresh();
}

void VideoView::paintEvent(QPaintEvent *event)
{
    // The plain widget's painting only: a pixmap or text set on the label is never drawn.
    QWidget::paintEvent(event);
    QPainter painter(this);
    if (!m_background.isNull())
        painter.drawPixmap(QRect(1, 1, width() - 2, height() - 2), m_background, m_background.rect());
    if (m_surface->isVisible())
        return; // the surface paints the picture and what goes over it
    if (m_videoVisible && !m_picture.isNull() && !m_rendererRect.isEmpty())
        paintPicture(painter);
    paintLoading(painter);
}

void VideoView::paintLoading(QPainter &painter) const
{
    if (isLoadingShown())
        painter.drawImage(loadingArea(), m_loading);
}

// The surface takes the picture's place when the picture covers it whole: opaque, not turned
// sideways. Everything else is painted by the view itself.
void VideoView::placeSurface()
{
    const QRect area = m_rendererRect.intersected(rect());
    const bool covered = m_videoVisible && !m_picture.isNull() && !m_picture.hasAlphaChannel() && m_rotation % 180 == 0
                         && !area.isEmpty();
    if (covered)
        m_surface->setGeometry(area);
    m_surface->setVisible(covered);
}

void VideoView::refresh()
{
    placeSurface();
    update();
}

// The picture stretched into its rectangle; turned about the rectangle's centre and stretched
// back into it, as a turned camera would fill the same frame.
void VideoView::paintPicture(QPainter &painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform,
                          m_rendererRect.size() != m_picture.size() || m_rotation % 180);
    if (m_rotation % 360 == 0) {
        painter.drawImage(m_rendererRect, m_picture);
    } else {
        const QRectF area(m_rendererRect);
        const QSizeF turned = m_rotation % 180 != 0 ? area.size().transposed() : area.size();
        painter.translate(area.center());
        painter.rotate(m_rotation);
        painter.drawImage(QRectF(QPointF(-turned.width() / 2, -turned.height() / 2), turned), m_picture);
    }
    painter.restore();
}

// Where the loading picture goes: its place on the decoded picture, carried over to the rectangle
// the picture is drawn in. While the clip is still opening its size is not known; the place it
// would have on a full-size recorder picture fitted into the view is used.
QRect VideoView::loadingArea() const
{
    static constexpr QSize kRecorderPicture(1920, 1080);
    const bool known = !m_videoSize.isEmpty() && !m_rendererRect.isEmpty();
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
