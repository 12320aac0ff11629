#pragma once

#include <QDateTime>
#include <QFileInfo>
#include <QString>

#include <optional>

// One recorded file found on the card: its file, the recording start read from its name, and its
// kind. Clips are owned by the catalogue that found them; everyone else holds a pointer.
class Clip
{
public:
    enum Kind : int {
        Unrecognised = 0, // any other name
        Normal = 1,       // "REC_…"
        Event = 2,        // "EVS_…"
    };

    explicit Clip(const QFileInfo &fileInfo);

    const QFileInfo &file() const { return m_file; }
    // Read from the name on first use (local time zone look-ups are costly, and a scan creates
    // thousands of clips of which the viewer shows the time of a few). Not thread-safe.
    QDateTime startTime() const;
    int kind() const { return m_kind; }

    // The date shown for the clip, "yyyy.MM.dd" taken from the name (REC_2012_05_14_… → 2012.05.14).
    QString displayDate() const;

    // The date text of any file name by the same rule.
    static QString displayDateOf(const QString &fileName);

private:
    QFileInfo m_file;
    mutable std::optional<QDateTime> m_startTime;
    int m_kind = Unrecognised;
};

// Item data role under which clip list entries carry their Clip pointer (first user role + 1).
constexpr int ClipPointerRole = 33;

// Cause markers recorders put before the extension dot: manual, driving (impact) and parking.
namespace CauseMarker {
inline QString manual() { return QStringLiteral("_M."); }
inline QString driving() { return QStringLiteral("_I."); }
inline QString parking() { return QStringLiteral("_P."); }
} // namespace CauseMarker
