#include "generators/democard/demoscene.h"

#include "generators/mediagen/mediagen.h"

#include <QDateTime>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace DemoScene {

namespace {

const QDateTime kDriveStart(QDate(2026, 12, 1), QTime(8, 0, 0), Qt::UTC); // the recorder's clock

struct Moment
{
    double seconds;   // since the start of the drive
    double metres;    // travelled so far
    double speedKmh;
    double turn;      // degrees per second, positive to the right
};

Moment momentAt(const QList<DemoDrive::Second> &drive, double seconds)
{
    Moment moment{seconds, 0, 0, 0};
    const int whole = std::clamp(int(seconds), 0, int(drive.size()) - 1);
    for (int s = 0; s < whole; ++s)
        moment.metres += drive.at(s).speedKmh / 3.6;
    const double fraction = seconds - whole;
    moment.speedKmh = drive.at(whole).speedKmh;
    moment.metres += moment.speedKmh / 3.6 * fraction;
    const DemoDrive::Second &next = drive.at(std::min(whole + 1, int(drive.size()) - 1));
    moment.turn = next.headingDegrees - drive.at(whole).headingDegrees;
    return moment;
}

void paintRoad(QPainter &p, const QSize &size, const Moment &m, bool rear)
{
    const int w = size.width();
    const int h = size.height();
    const int horizon = h * 45 / 100;
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, rear ? QColor(70, 80, 100) : QColor(60, 90, 140));
    sky.setColorAt(1, QColor(190, 185, 170));
    p.fillRect(0, 0, w, horizon, sky);
    p.fillRect(0, horizon, w, h - horizon, QColor(60, 70, 55));

    // The road bends towards the turn; the vanishing point moves with it.
    const double bend = std::clamp(m.turn * (rear ? -1.0 : 1.0), -20.0, 20.0) / 20.0;
    const QPointF vanish(w / 2.0 + bend * w * 0.25, horizon);
    QPainterPath road;
    road.moveTo(vanish.x() - w * 0.02, horizon);
    road.lineTo(vanish.x() + w * 0.02, horizon);
    road.lineTo(w * 0.95, h);
    road.lineTo(w * 0.05, h);
    road.closeSubpath();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(road, QColor(48, 48, 52));

    // Lane dashes every 12 m, drawn in perspective (depth z metres ahead maps to y).
    const double travelled = rear ? -m.metres : m.metres;
    const double phase = std::fmod(travelled, 12.0);
    for (int i = 0; i < 12; ++i) {
        const double z = 3.0 + i * 12.0 - phase;
        if (z <= 1.0)
            continue;
        const double near = 1.0 / z;
        const double far = 1.0 / (z + 4.0);
        const double y1 = horizon + (h - horizon) * 3.0 * near;
        const double y2 = horizon + (h - horizon) * 3.0 * far;
        if (y2 > h)
            continue;
        auto xAt = [&](double y) { return vanish.x() + (w / 2.0 - vanish.x()) * (y - horizon) / (h - horizon); };
        const double halfWidth1 = w * 0.006 * (y1 - horizon) / (h - horizon) * 3;
        const double halfWidth2 = w * 0.006 * (y2 - horizon) / (h - horizon) * 3;
        QPolygonF dash({QPointF(xAt(y1) - halfWidth1, std::min<double>(y1, h)),
                        QPointF(xAt(y1) + halfWidth1, std::min<double>(y1, h)),
                        QPointF(xAt(y2) + halfWidth2, y2), QPointF(xAt(y2) - halfWidth2, y2)});
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 220, 170));
        p.drawPolygon(dash);
    }

    // Roadside posts every 25 m on both sides.
    const double postPhase = std::fmod(travelled, 25.0);
    for (int i = 0; i < 8; ++i) {
        const double z = 4.0 + i * 25.0 - postPhase;
        if (z <= 2.0)
            continue;
        const double scale = 3.0 / z;
        const double y = horizon + (h - horizon) * scale;
        const double height = h * 0.5 * scale;
        for (int side : {-1, 1}) {
            const double x = vanish.x() + side * w * 0.55 * scale * 1.4 + (w / 2.0 - vanish.x()) * scale;
            p.fillRect(QRectF(x - 2 * scale * 3, y - height, 4 * scale * 3, height), QColor(200, 200, 200));
        }
    }
}

void paintStamp(QPainter &p, const QSize &size, const Moment &m, bool rear, const QDateTime &start)
{
    const QDateTime when = start.addMSecs(qint64(m.seconds * 1000));
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(std::max(9, size.height() / 22));
    p.setFont(font);
    const QString text = QStringLiteral("QRD-7700 %1 %2  %3 km/h")
                             .arg(rear ? QStringLiteral("REAR") : QStringLiteral("FRONT"),
                                  when.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")))
                             .arg(qRound(m.speedKmh), 3);
    const QRect box(0, size.height() - font.pixelSize() - 8, size.width(), font.pixelSize() + 8);
    p.fillRect(box, QColor(0, 0, 0, 140));
    p.setPen(QColor(240, 240, 240));
    p.drawText(box.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
}

ClipWriter::VideoStream stream(const QList<DemoDrive::Second> &drive, int firstSecond, int framesPerSecond,
                               const QSize &size, bool rear, const QDateTime &driveStart)
{
    ClipWriter::VideoStream video;
    video.size = size;
    video.jpegQuality = 80;
    const QDateTime start = driveStart.isValid() ? driveStart : kDriveStart;
    video.paint = [drive, firstSecond, framesPerSecond, rear, start](QPainter &p, const QSize &picture, int frame) {
        const Moment m = momentAt(drive, firstSecond + double(frame) / framesPerSecond);
        paintRoad(p, picture, m, rear);
        paintStamp(p, picture, m, rear, start);
    };
    return video;
}

} // namespace

ClipWriter::VideoStream frontStream(const QList<DemoDrive::Second> &drive, int firstSecond, int framesPerSecond,
                                    const QDateTime &driveStart)
{
    return stream(drive, firstSecond, framesPerSecond, QSize(1280, 720), false, driveStart);
}

ClipWriter::VideoStream rearStream(const QList<DemoDrive::Second> &drive, int firstSecond, int framesPerSecond,
                                   const QDateTime &driveStart)
{
    return stream(drive, firstSecond, framesPerSecond, QSize(640, 360), true, driveStart);
}

bool writeMp4(const QString &path, const QList<DemoDrive::Second> &drive, int firstSecond, int seconds,
              QString *error)
{
    constexpr int kFps = 10;
    const QList<ClipWriter::VideoStream> streams = {frontStream(drive, firstSecond, kFps),
                                                    rearStream(drive, firstSecond, kFps)};
    MediaGen::ClipDesign design;
    design.channels = {streams[0].size, streams[1].size};
    design.fps = kFps;
    design.frames = seconds * kFps;
    design.audio = true;
    design.picture = [streams](int channel, int frame, const QSize &size) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::black);
        QPainter painter(&picture);
        streams.at(channel).paint(painter, size, frame);
        return picture;
    };
    return MediaGen::writeMp4(path, design, error);
}

} // namespace DemoScene
