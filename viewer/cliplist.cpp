#include "viewer/cliplist.h"

#include "base/messages.h"
#include "catalogue/clip.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QBrush>

MyListWidget::MyListWidget(QWidget *window, QWidget *parent)
    : QListWidget(parent)
    , m_window(window)
{
    setDragEnabled(true);
    setStyleSheet(styleSheetText());
}

QString MyListWidget::styleSheetText()
{
    return QStringLiteral(
        "QListWidget { border: 1px solid rgb(62,62,59); color: #ffffff; font-family: 'Segoe UI', 'Arial'; "
        "font-size: 10pt; background-color: rgb(7,7,7); }\n"
        "QScrollBar:vertical { border: 1px solid rgb(62,62,59); background: rgb(7,7,7); width: 23px; "
        "margin: 20px 0px 20px 0px; }\n"
        "QScrollBar::handle:vertical { border: 1px solid rgb(62,62,59); background: qlineargradient(spread:pad, "
        "x1:1, y1:1, x2:1, y2:0, stop:0 rgba(0, 0, 0, 255), stop:1 rgba(52, 52, 52, 255)); min-height: 20px; }\n"
        "QScrollBar::add-line:vertical { background: rgb(7,7,7); height: 16px; subcontrol-position: bottom; "
        "subcontrol-origin: margin; border: 1px solid rgb(62,62,59); }\n"
        "QScrollBar::sub-line:vertical { background: rgb(7,7,7); height: 16px; subcontrol-position: top; "
        "subcontrol-origin: margin; border: 1px solid rgb(62,62,59); }\n"
        "QScrollBar:up-arrow:vertical { width: 23px; height: 17px; background: white; border: none; "
        "image: url(:/gfx_r/2012/list_up_1.png); }\n"
        "QScrollBar:down-arrow:vertical { width: 23px; height: 17px; background: white; border: none; "
        "image: url(:/gfx_r/2012/list_down_1.png); }\n"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }");
}

void MyListWidget::appendClip(Clip *clip)
{
    auto *item = new QListWidgetItem(clip->file().fileName());
    item->setData(ClipPointerRole, QVariant::fromValue(reinterpret_cast<quintptr>(clip)));
    addItem(item);
}

Clip *MyListWidget::clipOf(const QListWidgetItem *item)
{
    if (!item)
        return nullptr;
    return reinterpret_cast<Clip *>(item->data(ClipPointerRole).value<quintptr>());
}

QString MyListWidget::filePathOf(const QListWidgetItem *item)
{
    const Clip *clip = clipOf(item);
    return clip ? clip->file().filePath() : QString();
}

int MyListWidget::rowOf(const Clip *clip) const
{
    for (int row = 0; row < count(); ++row) {
        if (clipOf(item(row)) == clip)
            return row;
    }
    return -1;
}

void MyListWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->globalPosition().toPoint() == QCursor::pos()) {
        // The right button only opens the context menu (the context menu event follows).
        if (event->button() == Qt::RightButton)
            event->accept();
        else
            QListWidget::mousePressEvent(event);
        return;
    }
    // A press that the pointer did not make (one sent by a program).
    const QPoint cursor = QCursor::pos();
    if (m_redirecting || !m_window || cursor.x() < 1 || cursor.y() < 1)
        return;
    m_redirecting = true;
    const QPointF at(100, 100);
    const QPointF global = m_window->mapToGlobal(at);
    QCoreApplication::postEvent(m_window, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                          Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(m_window, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                          Qt::NoButton, Qt::NoModifier));
    // Presses that arrive before the posted click has been delivered are ignored.
    QMetaObject::invokeMethod(this, [this] { m_redirecting = false; }, Qt::QueuedConnection);
}

void MyListWidget::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() == QContextMenuEvent::Keyboard) {
        requestMenuForCurrentItem();
        return;
    }
    if (QListWidgetItem *entry = itemAt(event->pos()))
        emit contextMenuRequested(entry, event->globalPos());
}

void MyListWidget::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Menu) {
        requestMenuForCurrentItem();
        return;
    }
    QListWidget::keyPressEvent(event);
}

QString MyListWidget::emptyText() const
{
    return count() == 0 ? Messages::emptyListHint() : QString();
}

void MyListWidget::paintEvent(QPaintEvent *event)
{
    QListWidget::paintEvent(event);
    if (count() != 0)
        return;
    static const QColor kHintColour(170, 170, 165);
    QPainter painter(viewport());
    painter.setPen(kHintColour);
    painter.drawText(viewport()->rect().adjusted(14, 10, -14, -10), Qt::AlignCenter | Qt::TextWordWrap, emptyText());
}

QListWidgetItem *MyListWidget::menuItem() const
{
    return m_menuRow.isValid() ? itemFromIndex(m_menuRow) : nullptr;
}

void MyListWidget::setMenuItem(QListWidgetItem *item)
{
    // A colour of its own, apart from the current entry's, under the list's white text.
    static const QColor kMenuRowColour(150, 90, 20);
    if (QListWidgetItem *marked = menuItem())
        marked->setData(Qt::BackgroundRole, QVariant());
    m_menuRow = item ? QPersistentModelIndex(indexFromItem(item)) : QPersistentModelIndex();
    if (item)
        item->setData(Qt::BackgroundRole, QBrush(kMenuRowColour));
}

void MyListWidget::requestMenuForCurrentItem()
{
    QListWidgetItem *entry = currentItem();
    if (!entry)
        return;
    scrollToItem(entry);
    const QRect place = visualItemRect(entry);
    emit contextMenuRequested(entry, viewport()->mapToGlobal(QPoint(place.left() + 8, place.bottom())));
}
