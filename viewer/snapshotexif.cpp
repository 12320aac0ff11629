#include "viewer/snapshotexif.h"

#include "telemetry/recorderclock.h"

// Exiv2 0.27 still declares std::auto_ptr in its interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QLoggingCategory>

#include <cmath>
#include <exception>

Q_LOGGING_CATEGORY(lcSnapshot, "qrd7700.viewer.snapshot")

namespace SnapshotExif {

namespace {

constexpr qint64 kMicro = 1000000;

QString offsetText(const QDateTime &time)
{
    return RecorderClock::offsetText(time.offsetFromUtc() * qint64(1000));
}

void setText(Exiv2::ExifData &exif, const char *key, const QString &value)
{
    exif[key] = std::string(value.toUtf8().constData());
}

void setRational(Exiv2::ExifData &exif, const char *key, const QString &value)
{
    Exiv2::Value::AutoPtr rational = Exiv2::Value::create(Exiv2::unsignedRational);
    rational->read(value.toStdString());
    exif.add(Exiv2::ExifKey(key), rational.get());
}

void addTime(Exiv2::ExifData &exif, const QDateTime &at)
{
    setText(exif, "Exif.Photo.DateTimeOriginal", at.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")));
    setText(exif, "Exif.Photo.SubSecTimeOriginal", at.toString(QStringLiteral("zzz")));
    setText(exif, "Exif.Photo.OffsetTimeOriginal", offsetText(at));
}

// The GPS's own date and time (UTC), with the milliseconds in the seconds' rational.
void addGpsTime(Exiv2::ExifData &exif, const QDateTime &at)
{
    const QDateTime utc = at.toUTC();
    setText(exif, "Exif.GPSInfo.GPSDateStamp", utc.toString(QStringLiteral("yyyy:MM:dd")));
    setRational(exif, "Exif.GPSInfo.GPSTimeStamp", QStringLiteral("%1/1 %2/1 %3/1000")
                                                       .arg(utc.time().hour())
                                                       .arg(utc.time().minute())
                                                       .arg(utc.time().second() * 1000 + utc.time().msec()));
}

void addPosition(Exiv2::ExifData &exif, const TelemetrySample &sample)
{
    Exiv2::Value::AutoPtr version = Exiv2::Value::create(Exiv2::unsignedByte);
    version->read("2 3 0 0");
    exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSVersionID"), version.get());
    setText(exif, "Exif.GPSInfo.GPSLatitudeRef", sample.latitude < 0 ? QStringLiteral("S") : QStringLiteral("N"));
    setRational(exif, "Exif.GPSInfo.GPSLatitude", rationalDegrees(sample.latitude));
    setText(exif, "Exif.GPSInfo.GPSLongitudeRef", sample.longitude < 0 ? QStringLiteral("W") : QStringLiteral("E"));
    setRational(exif, "Exif.GPSInfo.GPSLongitude", rationalDegrees(sample.longitude));
    setText(exif, "Exif.GPSInfo.GPSSpeedRef", QStringLiteral("K"));
    setRational(exif, "Exif.GPSInfo.GPSSpeed", QStringLiteral("%1/1").arg(std::max(0, sample.speedKmh)));
    setText(exif, "Exif.GPSInfo.GPSMapDatum", QStringLiteral("WGS-84"));
}

} // namespace

QString rationalDegrees(double degrees)
{
    // Whole micro-degrees, as the recorder stored them; seconds in millionths are then exact.
    const qint64 micro = std::llround(std::abs(degrees) * kMicro);
    const qint64 whole = micro / kMicro;
    const qint64 microSeconds = (micro % kMicro) * 3600; // fraction of a degree in millionths of a second
    const qint64 minutes = microSeconds / (60 * kMicro);
    const qint64 seconds = microSeconds % (60 * kMicro);
    return QStringLiteral("%1/1 %2/1 %3/%4").arg(whole).arg(minutes).arg(seconds).arg(kMicro);
}

std::optional<QByteArray> withExif(const QByteArray &jpeg, const ShownMoment &moment, QString *error)
{
    try {
        Exiv2::Image::AutoPtr image =
            Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(jpeg.constData()), long(jpeg.size()));
        image->readMetadata();
        Exiv2::ExifData &exif = image->exifData();
        if (const QString model = moment.knownModel(); !model.isEmpty()) {
            setText(exif, "Exif.Image.Make", model);
            setText(exif, "Exif.Image.Model", model);
        }
        if (moment.recordedAt.isValid())
            addTime(exif, moment.recordedAt);
        if (moment.recordedAt.isValid() && moment.timeFromGps)
            addGpsTime(exif, moment.recordedAt);
        if (moment.sample.hasUsablePosition())
            addPosition(exif, moment.sample);
        image->writeMetadata();
        Exiv2::BasicIo &io = image->io();
        io.seek(0, Exiv2::BasicIo::beg);
        const Exiv2::DataBuf bytes = io.read(long(io.size()));
        return QByteArray(reinterpret_cast<const char *>(bytes.pData_), bytes.size_);
    } catch (const std::exception &e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
    }
    return std::nullopt;
}

QByteArray encodeSnapshot(const QImage &image, const QString &fileName, const ShownMoment &moment)
{
    const QByteArray suffix = QFileInfo(fileName).suffix().toLower().toLatin1();
    const bool jpeg = suffix == "jpg" || suffix == "jpeg";
    if (image.isNull() || (!jpeg && !QImageWriter::supportedImageFormats().contains(suffix)))
        return QByteArray();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, jpeg ? "JPG" : suffix.constData()))
        return QByteArray();
    if (!jpeg)
        return bytes;
    QString error;
    if (std::optional<QByteArray> tagged = withExif(bytes, moment, &error))
        return *tagged;
    qCWarning(lcSnapshot) << "saving" << fileName << "without EXIF:" << error;
    return bytes;
}

} // namespace SnapshotExif
