#include "viewer/viewerinput.h"

#include "skin/clearbutton.h"
#include "viewer/mainwindow.h"
#include "viewer/videoview.h"

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

ViewerInput::ViewerInput(MainWindow *window)
    : QObject(window)
    , m_window(window)
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    window->view1()->installEventFilter(this);
    window->view2()->installEventFilter(this);
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
        if (watched == m_window->view1() || watched == m_window->view2())
            return wheel(static_cast<VideoView *>(watched), static_cast<QWheelEvent *>(event));
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == m_window->view1() || watched == m_window->view2())
            return doubleClick(event);
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        if (watched == m_window)
            return drop(event);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// Only the large picture zooms, and only while the zoom buttons can be used.
bool ViewerInput::wheel(VideoView *view, QWheelEvent *event)
{
    const VideoView *other = view == m_window->view1() ? m_window->view2() : m_window->view1();
    if (view->width() < other->width() || !m_window->button(Button::ZoomIn)->isEnabled())
        return false;
    m_wheelDelta += event->angleDelta().y();
    while (m_wheelDelta >= kWheelStep) {
        m_wheelDelta -= kWheelStep;
        m_window->OnSlotszoom_in();
    }
    while (m_wheelDelta <= -kWheelStep) {
        m_wheelDelta += kWheelStep;
        m_window->OnSlotszoom_out();
    }
    event->accept();
    return true;
}

bool ViewerInput::doubleClick(QEvent *event)
{
    if (static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
        return false;
    if (m_window->isMaximizedLayout())
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
