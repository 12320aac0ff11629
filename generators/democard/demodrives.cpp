// The demo card's later drives, for the trip view: a long one in one-minute clips with an event
// clip, and a short one whose middle clip was cut off when the card was pulled.
#include "generators/democard/demodrives_p.h"

#include <QFile>

namespace DemoCard {

namespace {

QString clipPath(const QString &root, const QString &folder, const QString &prefix, const QDateTime &at,
                 const QString &marker = QString())
{
    return QStringLiteral("%1/%2/%3_%4%5.avi")
        .arg(root, folder, prefix, at.toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss")), marker);
}

// Keeps the clip's headers (and so its length) and drops its pictures.
bool cutShort(const QString &path, QString *error)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite)) {
        const qsizetype movi = file.readAll().indexOf("movi");
        if (movi > 0 && file.resize(movi + 12))
            return true;
    }
    if (error)
        *error = QStringLiteral("%1: cannot cut it short").arg(path);
    return false;
}

} // namespace

bool writeMoreDrives(const QString &root, int longDriveMinutes, QStringList *written, QString *error)
{
    // An hour after the first drive: one-minute clips end to end, an event clip in its 13th minute.
    const QDateTime long_ = demoDriveStart().addSecs(3600);
    const QList<DemoDrive::Second> cruise = DemoDrive::cruise(longDriveMinutes * 60);
    for (int minute = 0; minute < longDriveMinutes; ++minute) {
        const QString path = clipPath(root, QStringLiteral("REC"), QStringLiteral("REC"), long_.addSecs(minute * 60));
        if (!writeDriveClip(path, cruise, long_, minute * 60, 60, error))
            return false;
        written->append(path);
    }
    const int eventSecond = std::min(12 * 60 + 30, longDriveMinutes * 60 - 20);
    const QString event = clipPath(root, QStringLiteral("EVENT"), QStringLiteral("EVS"), long_.addSecs(eventSecond),
                                   QStringLiteral("_I"));
    if (!writeDriveClip(event, cruise, long_, eventSecond, 20, error))
        return false;
    written->append(event);

    // Two hours after the first drive: three clips of 20 s, the middle one cut short.
    const QDateTime short_ = demoDriveStart().addSecs(7200);
    const QList<DemoDrive::Second> town = DemoDrive::drive();
    for (int k = 0; k < 3; ++k) {
        const QString path = clipPath(root, QStringLiteral("REC"), QStringLiteral("REC"), short_.addSecs(k * 20));
        if (!writeDriveClip(path, town, short_, k * 20, 20, error) || (k == 1 && !cutShort(path, error)))
            return false;
        written->append(path);
    }
    return true;
}

} // namespace DemoCard
