#include "settingsui/clockerrornote.h"

#include "base/messages.h"
#include "telemetry/cliptelemetry.h"

ClockErrorNote::ClockErrorNote(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("clockErrorNote"));
    setStyleSheet(QStringLiteral("color: rgb(255, 160, 40); font-family: \"Segoe UI\", Gulim; font-size: 9pt;"));
    hide();
    connect(&m_indexer, &CardIndexer::finished, this, &ClockErrorNote::take);
}

void ClockErrorNote::showCard(const QString &root)
{
    hide();
    m_read = false;
    if (root.isEmpty()) {
        m_indexer.cancel();
        m_request = 0;
        return;
    }
    m_request = m_indexer.start(root);
}

void ClockErrorNote::take(quint64 request, const CardIndex &index)
{
    if (request != m_request)
        return;
    const std::optional<qint64> error = recentClockErrorMs(index.summaries());
    const QString text = error ? Messages::recorderClockError(*error / 1000) : QString();
    setText(text);
    setVisible(!text.isEmpty());
    m_read = true;
}
