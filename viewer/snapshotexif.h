#pragma once

#include "evidence/shownmoment.h"

#include <QByteArray>
#include <QString>

class QImage;

#include <optional>

// EXIF for saved JPEG snapshots, written with Exiv2: DateTimeOriginal in the car's local time (with
// sub-seconds and its UTC offset), GPSDateStamp and GPSTimeStamp in UTC when that time comes from
// the GPS clock, the GPS position at full precision and the speed in km/h when the sample has a
// usable position, and the recorder model as Make and Model when the dashboard recognised it.
namespace SnapshotExif {

// `jpeg` with the EXIF of `moment` added; nothing (and *error set) when Exiv2 cannot read the
// picture or write the data.
std::optional<QByteArray> withExif(const QByteArray &jpeg, const ShownMoment &moment, QString *error = nullptr);

// `image` encoded for `fileName`: JPEG for a ".jpg"/".jpeg" name, with the EXIF of `moment` (plain
// when Exiv2 fails, so that the picture is still saved), PNG or the format the extension names
// otherwise, plain. Empty when the picture cannot be encoded.
QByteArray encodeSnapshot(const QImage &image, const QString &fileName, const ShownMoment &moment);

// One coordinate as EXIF degrees, minutes and seconds: "d/1 m/1 s/1000000", exact to the
// micro-degree.
QString rationalDegrees(double degrees);

} // namespace SnapshotExif
