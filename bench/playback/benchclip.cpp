#include "benchclip.h"

#include "catalogue/clip.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

namespace Bench {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void printLoad()
{
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (loadavg.open(QIODevice::ReadOnly))
        QTextStream(stdout) << "load average: " << loadavg.readLine().trimmed() << Qt::endl;
}

bool writeClip(const QString &path, const MediaGen::ClipSpec &clipSpec)
{
    QTextStream out(stdout);
    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!MediaGen::writeMp4(path, clipSpec, &error)) {
        out << "cannot write " << path << ": " << error << Qt::endl;
        return false;
    }
    out << "generated " << path << " in " << timer.elapsed() / 1000.0 << " s" << Qt::endl;
    return true;
}

RunResult playToEnd(const QString &path, CountingFilter &filter, bool clockSync)
{
    RunResult result;
    Clip clip{QFileInfo(path)};
    Player player;
    player.setClockSync(clockSync);
    SampleHandler first(&filter);
    SampleHandler second(&filter);
    first.setChannel(0);
    second.setChannel(1);
    SampleHandler *handlers[2] = {&first, &second};
    if (!player.open(&clip, handlers)) {
        QTextStream(stdout) << "cannot open " << path << ": " << player.errorString() << Qt::endl;
        return result;
    }
    QEventLoop loop;
    QObject::connect(&player, &Player::endOfStream, &loop, &QEventLoop::quit);
    QObject::connect(&player, &Player::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    player.rewind();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    player.play();
    loop.exec();
    result.wallSeconds = timer.elapsed() / 1000.0;
    result.cpuSeconds = cpuSeconds() - cpuBefore;
    result.ok = player.positionMs() == player.lengthMs();
    return result;
}

} // namespace Bench
