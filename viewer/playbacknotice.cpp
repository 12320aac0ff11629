#include "viewer/playbacknotice.h"

#include "skin/skinfont.h"

#include <QMouseEvent>

PlaybackNotice::PlaybackNotice(QWidget *window)
    : QLabel(window)
{
    setObjectName(QStringLiteral("playbackNotice"));
    setFont(skinFont(9));
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    setStyleSheet(QStringLiteral("QLabel { color: rgb(255, 196, 110); background-color: rgba(9, 9, 9, 215); "
                                 "border: 1px solid rgb(255, 152, 32); border-radius: 3px; padding: 4px 8px; }"));
    hide();
    m_hide.setSingleShot(true);
    m_hide.setInterval(kShownMs);
    connect(&m_hide, &QTimer::timeout, this, &QWidget::hide);
}

void PlaybackNotice::showText(const QString &text, const QRect &area)
{
    setText(text);
    const int width = std::min(area.width() - 40, 560);
    const int height = heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height();
    setGeometry(area.left() + (area.width() - width) / 2, area.top() + 36, width, height);
    show();
    raise();
    m_hide.start();
}

void PlaybackNotice::mousePressEvent(QMouseEvent *event)
{
    hide();
    event->accept();
}
