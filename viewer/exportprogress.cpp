#include "viewer/exportprogress.h"

#include "base/exportmessages.h"
#include "session/exportsession.h"
#include "viewer/viewerlayout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

constexpr int kHeight = 30;
constexpr int kProgressSteps = 1000;

} // namespace

ExportProgress::ExportProgress(ExportSession *session, QWidget *window)
    : QWidget(window)
    , m_label(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_cancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("exportProgress"));
    m_bar->setObjectName(QStringLiteral("exportBar"));
    m_cancel->setObjectName(QStringLiteral("exportCancel"));
    m_bar->setRange(0, kProgressSteps);
    m_bar->setTextVisible(false);
    setAttribute(Qt::WA_StyledBackground, true); // the style sheet paints the bar's own background
    setStyleSheet(QStringLiteral("ExportProgress { background: #202020; } QLabel { color: #e0e0e0; }"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 3, 8, 3);
    layout->addWidget(m_label);
    layout->addWidget(m_bar, 1);
    layout->addWidget(m_cancel);
    hide();
    connect(m_cancel, &QPushButton::clicked, session, &ExportSession::cancelExport);
    connect(session, &ExportSession::exportStarted, this, &ExportProgress::started);
    connect(session, &ExportSession::exportProgress, this, [this](double fraction) {
        m_bar->setValue(qRound(fraction * kProgressSteps));
        showText(qRound(fraction * 100));
    });
    connect(session, &ExportSession::exportFinished, this, &ExportProgress::ended);
    connect(session, &ExportSession::exportFailed, this, &ExportProgress::ended);
    connect(session, &ExportSession::exportCancelled, this, &ExportProgress::ended);
}

// Under the large picture only: the map beside it may be a native window of its own, which would
// cover any part of the bar (its Cancel button) that reached under it.
void ExportProgress::place(int w, int h)
{
    const QRect view = ViewerLayout::largeViewRect(w, h);
    setGeometry(view.left(), view.bottom() + 1 - kHeight, view.width(), kHeight);
}

void ExportProgress::started(const QString &title)
{
    m_title = title;
    m_bar->setValue(0);
    showText(0);
    m_cancel->setText(Messages::exportCancel());
    show();
    raise();
}

// The text beside the bar, shortened in the middle of the title to leave the bar most of the room.
void ExportProgress::showText(int percent)
{
    const int room = width() * 2 / 5;
    QString text = Messages::exportProgress(m_title, percent);
    for (QString title = m_title; m_label->fontMetrics().horizontalAdvance(text) > room && title.size() > 8;) {
        title = m_label->fontMetrics().elidedText(m_title, Qt::ElideMiddle,
                                                   m_label->fontMetrics().horizontalAdvance(title) * 9 / 10);
        text = Messages::exportProgress(title, percent);
    }
    m_label->setText(text);
}

void ExportProgress::ended()
{
    hide();
}
