#include "generators/democard/democard.h"

#include "generators/clipwriter/aviclipwriter.h"
#include "generators/democard/demodrive.h"
#include "generators/democard/demoscene.h"
#include "settings/settingtable.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace DemoCard {

namespace {

struct DemoClip
{
    QString folder;     // "REC" or "EVENT"
    QString name;
    int firstSecond;    // where the clip starts on the drive
    bool mp4;
};

const QDateTime kDriveStart(QDate(2026, 12, 1), QTime(8, 0, 0));

QList<DemoClip> clipList(int clipSeconds)
{
    auto stamp = [](int second) { return kDriveStart.addSecs(second).toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss")); };
    const int s = clipSeconds;
    return {
        {QStringLiteral("REC"), QStringLiteral("REC_%1.avi").arg(stamp(0)), 0, false},
        {QStringLiteral("REC"), QStringLiteral("REC_%1.avi").arg(stamp(s)), s, false},
        {QStringLiteral("REC"), QStringLiteral("REC_%1.avi").arg(stamp(2 * s)), 2 * s, false},
        {QStringLiteral("REC"), QStringLiteral("REC_%1.avi").arg(stamp(3 * s)), 3 * s, false},
        {QStringLiteral("REC"), QStringLiteral("REC_%1.mp4").arg(stamp(4 * s)), 4 * s, true},
        {QStringLiteral("EVENT"), QStringLiteral("EVS_%1_I.avi").arg(stamp(45)), 45, false},
        {QStringLiteral("EVENT"), QStringLiteral("EVS_%1_M.mp4").arg(stamp(20)), 20, true},
        {QStringLiteral("EVENT"), QStringLiteral("EVS_%1_P.avi").arg(kDriveStart.addSecs(-3600).toString(
                                      QStringLiteral("yyyy_MM_dd_hh_mm_ss"))), 0, false},
    };
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool writeSettings(const QString &root, QStringList *written, QString *error)
{
    const QString folder = root + QStringLiteral("/setting");
    QDir().mkpath(folder);
    // The demo recorder's settings, in the table's order.
    constexpr int kDemoValues[SettingTable::kCount] = {1, 3, 3, 1, 2, 5, 40, 1, 2, 3, 2, 1, 0, 1, 0, 4, 1, 1};
    for (const SettingTable::Entry &entry : SettingTable::kEntries) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(entry.file);
        if (!writeFile(path, QByteArray(1, char(kDemoValues[int(entry.setting)])), error))
            return false;
        written->append(path);
    }
    const QString clock = folder + QLatin1Char('/') + QLatin1String(SettingTable::kClockFile);
    if (!writeFile(clock, kDriveStart.toString(QLatin1String(SettingTable::kClockPattern)).toLatin1(), error))
        return false;
    written->append(clock);

    const QString update = root + QStringLiteral("/update");
    QDir().mkpath(update);
    const QString version = update + QStringLiteral("/version.txt");
    if (!writeFile(version, QByteArrayLiteral("V1.02 QRD-7700\nbuild 2026-11-20\n"), error))
        return false;
    written->append(version);
    return true;
}

bool writeAvi(const QString &path, const QList<DemoDrive::Second> &drive, const DemoClip &clip, int seconds,
              QString *error)
{
    ClipWriter::ClipDescription description;
    description.framesPerSecond = 10;
    description.durationMs = seconds * 1000;
    description.audio = true;
    description.videoStreams = {DemoScene::frontStream(drive, clip.firstSecond, description.framesPerSecond),
                                DemoScene::rearStream(drive, clip.firstSecond, description.framesPerSecond)};
    ClipWriter::TelemetryRoute route = DemoDrive::routeFor(drive, clip.firstSecond, seconds);
    route.startUtc = kDriveStart.addSecs(clip.firstSecond).toUTC();
    description.route = route;
    return ClipWriter::writeAviClip(path, description, error);
}

} // namespace

bool write(const QString &root, const Options &options, QStringList *written, QString *error)
{
    QStringList files;
    if (!QDir().mkpath(root + QStringLiteral("/REC")) || !QDir().mkpath(root + QStringLiteral("/EVENT"))) {
        if (error)
            *error = QStringLiteral("%1: cannot create the card folders").arg(root);
        return false;
    }
    const QList<DemoDrive::Second> drive = DemoDrive::drive();
    for (const DemoClip &clip : clipList(options.clipSeconds)) {
        if (clip.mp4 && !options.withMp4)
            continue;
        const QString path = root + QLatin1Char('/') + clip.folder + QLatin1Char('/') + clip.name;
        const bool ok = clip.mp4 ? DemoScene::writeMp4(path, drive, clip.firstSecond, options.clipSeconds, error)
                                 : writeAvi(path, drive, clip, options.clipSeconds, error);
        if (!ok)
            return false;
        files << path;
    }
    // A clip the recorder never finished: the viewer leaves zero-byte files out.
    const QString empty = root + QStringLiteral("/REC/REC_%1.avi")
                                     .arg(kDriveStart.addSecs(5 * options.clipSeconds)
                                              .toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss")));
    if (!writeFile(empty, QByteArray(), error))
        return false;
    files << empty;
    if (!writeSettings(root, &files, error))
        return false;
    if (written)
        *written = files;
    return true;
}

} // namespace DemoCard
