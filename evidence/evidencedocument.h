#pragma once

#include <QImage>
#include <QList>
#include <QString>

struct ExportPlan;

// The PDF of an evidence folder: the page of the pictures at the plan's moment with its caption, as
// the viewer prints it, then a page for the whole range with its times, its route, a chart of its
// speed and G-forces and the driving events in it. Drawn with Qt's PDF writer (no printer, no
// widgets); safe on a worker thread while a GUI application object exists.
namespace EvidenceDocument {

// Writes the PDF to `path` (the file is replaced). `pictures`: one per channel, channel 0 first.
// False with *error set when it cannot be written.
bool write(const QString &path, const ExportPlan &plan, const QList<QImage> &pictures, QString *error);

} // namespace EvidenceDocument
