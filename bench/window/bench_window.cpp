// The whole viewer window against GStreamer's own display of the same clip, both under one
// virtual X display: the real viewer (every process it starts) plays a two-channel 1080p + 720p
// clip with the dashboard and the map live, then gst-launch-1.0 decodes the same file, scales both
// channels to the sizes of the viewer's boxes and shows them with ximagesink. The two alternate
// ROUNDS times per codec (MJPEG AVI with telemetry, H.264 MP4); the medians and their ratio are
// printed. Exit code 2 when a ratio is above the target, 1 when something could not be run.
//
//   bench_window [SECONDS] [ROUNDS]      measured seconds per run (12), rounds (3)
#include "generators/mediagen/mediagen.h"
#include "playback/mediaframework.h"
#include "processtree.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <optional>

#include <unistd.h>

namespace {

constexpr double kTarget = 1.3;
constexpr int kWarmUpSeconds = 4;
constexpr QSize kLargeBox(628, 359); // the viewer's boxes at its default size
constexpr QSize kSmallBox(318, 178);
constexpr auto kWindowTitle = "Viewer"; // matched anywhere in the title

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

struct Codec
{
    QString name;
    QString file;  // inside the card's REC folder
    QString demux;
};

// A card copy holding one clip of the codec, long enough for the warm-up and the measurement.
bool writeCard(const QString &card, const Codec &codec, int seconds)
{
    if (!QDir().mkpath(card + QStringLiteral("/REC")))
        return false;
    MediaGen::ClipDesign design;
    design.channels = {QSize(1920, 1080), QSize(1280, 720)};
    design.fps = 30;
    design.frames = 30 * seconds;
    design.textured = true;
    design.telemetry = codec.file.endsWith(QLatin1String(".avi"));
    QElapsedTimer timer;
    timer.start();
    const QString path = card + QStringLiteral("/REC/") + codec.file;
    QString error;
    const bool written = design.telemetry ? MediaGen::writeAvi(path, design, &error) : MediaGen::writeMp4(path, design, &error);
    if (!written)
        out() << "cannot write " << path << ": " << error << Qt::endl;
    else
        out() << "generated " << codec.name << " clip (" << seconds << " s) in " << timer.elapsed() / 1000.0 << " s" << Qt::endl;
    return written;
}

// A display number whose socket is free; the server is ready once its socket exists.
std::optional<int> startDisplay(ProcessTree &server)
{
    for (int display = 91; display < 120; ++display) {
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(display);
        if (QFile::exists(socket) || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)))
            continue;
        if (!server.start(QStringLiteral("Xvfb"),
                          {QStringLiteral(":%1").arg(display), QStringLiteral("-screen"), QStringLiteral("0"),
                           QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")},
                          QProcessEnvironment::systemEnvironment()))
            return std::nullopt;
        for (int wait = 0; wait < 100 && !QFile::exists(socket); ++wait)
            QThread::msleep(50);
        return QFile::exists(socket) ? std::optional<int>(display) : std::nullopt;
    }
    return std::nullopt;
}

// Runs a short helper (xdotool) to its end; its standard output.
QString runTool(const QProcessEnvironment &environment, const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// CPU of the group over `seconds`, in percent of one core, after the warm-up.
double measure(const ProcessTree &tree, int seconds)
{
    QThread::sleep(kWarmUpSeconds);
    const double before = tree.cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    QThread::sleep(seconds);
    return 100.0 * (tree.cpuSeconds() - before) / (timer.elapsed() / 1000.0);
}

struct Environment
{
    QProcessEnvironment base;
    QString home;
};

// The viewer comes back to the card it was left on (paused on its first clip); Space plays it.
std::optional<double> runViewer(const Environment &env, const QString &card, int seconds)
{
    QProcessEnvironment environment = env.base;
    QDir(env.home).removeRecursively();
    QDir().mkpath(env.home + QStringLiteral("/config/qrd7700"));
    QDir().mkpath(env.home + QStringLiteral("/runtime"));
    QFile::setPermissions(env.home + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile conf(env.home + QStringLiteral("/config/qrd7700/viewer.conf"));
    if (!conf.open(QIODevice::WriteOnly))
        return std::nullopt;
    conf.write("[viewer]\nlastFolder=" + card.toUtf8() + "\n");
    conf.close();
    environment.insert(QStringLiteral("HOME"), env.home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), env.home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), env.home + QStringLiteral("/cache"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), env.home + QStringLiteral("/runtime"));
    ProcessTree viewer;
    if (!viewer.start(QStringLiteral(QRD7700_EXECUTABLE), {}, environment))
        return std::nullopt;
    QString window;
    for (int wait = 0; wait < 300 && window.isEmpty() && viewer.isRunning(); ++wait) {
        QThread::msleep(100);
        window = runTool(environment, QStringLiteral("xdotool"),
                         {QStringLiteral("search"), QStringLiteral("--name"), QLatin1String(kWindowTitle)})
                     .section(QLatin1Char('\n'), 0, 0);
    }
    if (window.isEmpty()) {
        viewer.stop();
        out() << "the viewer did not show its window:\n" << viewer.output() << Qt::endl;
        return std::nullopt;
    }
    QThread::sleep(3); // the folder scan and the first clip's opening
    runTool(environment, QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    runTool(environment, QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("space")});
    const double cpu = measure(viewer, seconds);
    const bool alive = viewer.isRunning();
    viewer.stop();
    if (!alive) {
        out() << "the viewer ended during the measurement:\n" << viewer.output() << Qt::endl;
        return std::nullopt;
    }
    return cpu;
}

std::optional<double> runGStreamer(const Environment &env, const QString &path, const Codec &codec, int seconds)
{
    const auto branch = [](int channel, const QSize &box) {
        return QStringLiteral(" d.video_%1 ! queue ! decodebin ! videoscale ! videoconvert ! "
                              "video/x-raw,width=%2,height=%3 ! ximagesink")
            .arg(channel).arg(box.width()).arg(box.height());
    };
    const QString description = QStringLiteral("filesrc location=\"%1\" ! %2 name=d").arg(path, codec.demux)
                                + branch(0, kLargeBox) + branch(1, kSmallBox)
                                + QStringLiteral(" d.audio_0 ! queue ! decodebin ! audioconvert ! audioresample ! autoaudiosink");
    ProcessTree pipeline;
    if (!pipeline.start(QStringLiteral("gst-launch-1.0"), QProcess::splitCommand(description), env.base))
        return std::nullopt;
    const double cpu = measure(pipeline, seconds);
    const bool alive = pipeline.isRunning();
    pipeline.stop();
    if (!alive) {
        out() << "gst-launch-1.0 ended early:\n" << pipeline.output() << Qt::endl;
        return std::nullopt;
    }
    return cpu;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // this process only paints the clips
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int seconds = args.size() > 1 ? qMax(2, args.at(1).toInt()) : 12;
    const int rounds = args.size() > 2 ? qMax(1, args.at(2).toInt()) : 3;
    for (const char *tool : {"Xvfb", "xdotool", "gst-launch-1.0"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            out() << tool << " is not installed (scripts/install-deps installs it)" << Qt::endl;
            return 1;
        }
    }
    if (!MediaFramework::initialise())
        return 1;
    // BENCH_WINDOW_DIR keeps the generated cards there (and reuses them) for profiling by hand.
    const QString keep = qEnvironmentVariable("BENCH_WINDOW_DIR");
    QTemporaryDir temporary;
    const QString scratchPath = keep.isEmpty() ? temporary.path() : keep;
    ProcessTree server;
    const std::optional<int> display = startDisplay(server);
    if ((keep.isEmpty() && !temporary.isValid()) || !display) {
        out() << "cannot start a virtual X display" << Qt::endl;
        return 1;
    }
    Environment env;
    env.base = QProcessEnvironment::systemEnvironment();
    env.base.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(*display));
    env.base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.base.insert(QStringLiteral("QRD7700_LANG"), QStringLiteral("en"));
    env.base.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.webenginecontext.info=false"));
    env.base.remove(QStringLiteral("QRD7700_MAP_URL"));
    if (getuid() == 0) // the web engine's sandbox refuses to run as root
        env.base.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    env.home = scratchPath + QStringLiteral("/home");

    const QList<Codec> codecs = {
        {QStringLiteral("MJPEG"), QStringLiteral("REC_2025_07_02_09_00_00.avi"), QStringLiteral("avidemux")},
        {QStringLiteral("H.264"), QStringLiteral("REC_2025_07_02_09_00_00.mp4"), QStringLiteral("qtdemux")},
    };
    bool missed = false;
    for (const Codec &codec : codecs) {
        const QString card = scratchPath + QStringLiteral("/card-") + codec.demux;
        const bool reuse = !keep.isEmpty() && QFile::exists(card + QStringLiteral("/REC/") + codec.file);
        if (!reuse && !writeCard(card, codec, kWarmUpSeconds + seconds + 8))
            return 1;
        QList<double> viewer;
        QList<double> gstreamer;
        for (int round = 0; round < rounds; ++round) {
            const auto v = runViewer(env, card, seconds);
            const auto g = runGStreamer(env, card + QStringLiteral("/REC/") + codec.file, codec, seconds);
            if (!v || !g)
                return 1;
            out() << codec.name << " round " << round + 1 << ": viewer " << *v << " %, GStreamer " << *g << " %"
                  << Qt::endl;
            viewer << *v;
            gstreamer << *g;
        }
        const double ratio = median(gstreamer) > 0 ? median(viewer) / median(gstreamer) : 0;
        out() << codec.name << ": viewer " << median(viewer) << " % of a core, GStreamer's own display "
              << median(gstreamer) << " %, ratio " << ratio << " (target at most " << kTarget << ")" << Qt::endl;
        missed = missed || ratio > kTarget;
    }
    return missed ? 2 : 0;
}
