#include "catalogue/clip.h"

namespace {
constexpr auto kNormalPrefix = "REC_";
constexpr auto kEventPrefix = "EVS_";
constexpr auto kNormalPattern = "REC_yyyy_MM_dd_hh_mm_ss'.mp4'";
constexpr auto kEventPattern = "EVS_yyyy_MM_dd_hh_mm_ss'.mp4'";
} // namespace

Clip::Clip(const QFileInfo &fileInfo)
    : m_file(fileInfo)
{
    const QString name = m_file.fileName();
    // The prefix test ignores case; the kind stands even when the rest of the name does not parse
    // (a cause marker or an impossible date leaves the start time invalid).
    if (name.startsWith(QLatin1String(kNormalPrefix), Qt::CaseInsensitive))
        m_kind = Normal;
    else if (name.startsWith(QLatin1String(kEventPrefix), Qt::CaseInsensitive))
        m_kind = Event;
}

QDateTime Clip::startTime() const
{
    if (!m_startTime) {
        switch (m_kind) {
        case Normal:
            m_startTime = QDateTime::fromString(m_file.fileName(), QLatin1String(kNormalPattern));
            break;
        case Event:
            m_startTime = QDateTime::fromString(m_file.fileName(), QLatin1String(kEventPattern));
            break;
        default:
            m_startTime = QDateTime();
        }
    }
    return *m_startTime;
}

QString Clip::displayDate() const
{
    return displayDateOf(m_file.fileName());
}

QString Clip::displayDateOf(const QString &fileName)
{
    QString text = fileName;
    text.remove(QLatin1String(kNormalPrefix), Qt::CaseSensitive);
    text.remove(QLatin1String(kEventPrefix), Qt::CaseSensitive);
    text.remove(QLatin1String(".mp4"), Qt::CaseSensitive);
    text.remove(QLatin1Char('_'), Qt::CaseSensitive);
    // QString::insert pads with blanks past the end; the recorder's names are always long enough,
    // and short foreign names simply give a short text.
    if (text.size() >= 4)
        text.insert(4, QLatin1Char('.'));
    if (text.size() >= 7)
        text.insert(7, QLatin1Char('.'));
    return text.left(10);
}
