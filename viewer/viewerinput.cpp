#include "viewer/viewerinput.h"

#include "session/viewerstate.h"
#include "viewer/mainwindow.h"
#include "viewer/videoview.h"
#include "viewer/viewercontrols.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QWheelEvent>

using ViewerLayout::Button;

namespace {

// One notch of a common mouse wheel; finer wheels and touchpads add up to it.
constexpr int kWheelStep = 120;

bool isClipFile(const QFileInfo &file)
{
    const QString suffix = file.suffix().toLower();
    return file.isFile() && (suffix == QLatin1String("mp4") || suffix == QLatin1String("avi"));
}

} // namespace

ViewerInput::ViewerInput(MainWindow *window, const ViewerState *state, VideoView *front, VideoView *rear)
    : QObject(window)
    , m_window(window)
    , m_state(state)
    , m_views{front, rear}
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    front->installEventFilter(this);
    rear->installEventFilter(this);
}

void ViewerInput::takeDropsOn(QWidget *window)
{
    if (!window)
        return;
    m_dropWindows.append(window);
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

ViewerInput::DropPlan ViewerInput::planDrop(const QList<QUrl> &urls)
{
    DropPlan plan;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo file(url.toLocalFile());
        if (file.isDir()) {
            plan.folder = file.absoluteFilePath();
            plan.files.clear();
            return plan;
        }
        if (isClipFile(file))
            plan.files.append(file.absoluteFilePath());
    }
    return plan;
}

bool ViewerInput::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Wheel:
        if (watched == m_views[0] || watched == m_views[1])
            return wheel(static_cast<VideoView *>(watched), static_cast<QWheelEvent *>(event));
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == m_views[0] || watched == m_views[1])
            return doubleClick(event);
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        if (watched == m_window || m_dropWindows.contains(watched))
            return drop(event);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// Only the large picture zooms, and only while the zoom buttons can be used; it zooms by the
// buttons' steps about the point under the pointer, as image viewers do.
bool ViewerInput::wheel(VideoView *view, QWheelEvent *event)
{
    if (view != m_views[m_state->largeChannel()] || !ViewerControls::isEnabled(Button::ZoomIn, *m_state))
        return false;
    m_wheelDelta += event->angleDelta().y();
    while (m_wheelDelta >= kWheelStep) {
        m_wheelDelta -= kWheelStep;
        view->zoomAt(+1, event->position());
    }
    while (m_wheelDelta <= -kWheelStep) {
        m_wheelDelta += kWheelStep;
        view->zoomAt(-1, event->position());
    }
    event->accept();
    return true;
}

bool ViewerInput::doubleClick(QEvent *event)
{
    if (static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
        return false;
    if (m_state->isMaximized())
        m_window->OnSlotsback2origin();
    else
        m_window->OnSlotsmaximize();
    return true;
}

// Drops are accepted only when they hold something to open. The opening itself waits until the
// drop has been answered: it may scan a card or show a warning.
bool ViewerInput::drop(QEvent *event)
{
    auto *dropEvent = static_cast<QDropEvent *>(event);
    const DropPlan plan = planDrop(dropEvent->mimeData()->urls());
    if (plan.isEmpty()) {
        dropEvent->ignore();
        return true;
    }
    dropEvent->setDropAction(Qt::CopyAction);
    dropEvent->accept();
    if (event->type() != QEvent::Drop)
        return true;
    QMetaObject::invokeMethod(
        m_window,
        [window = m_window, plan] {
            if (!plan.folder.isEmpty())
                window->openFolder(plan.folder);
            else
                window->openFiles(plan.files);
        },
        Qt::QueuedConnection);
    return true;
}
