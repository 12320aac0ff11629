#pragma once

#include "evidence/checksums.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

struct ExportPlan;

// The files of an evidence folder, written on a worker thread into a hidden folder beside the
// target, which takes the target's name in one step once everything in it is written, checked and
// on the disk. Plain functions: each looks at `cancelled` between files and between chunks.
namespace EvidenceFiles {

// Names inside the folder.
inline QString originalsFolder() { return QStringLiteral("originals"); }
inline QString segmentName() { return QStringLiteral("segment.mkv"); }
inline QString overlayName() { return QStringLiteral("overlay.mp4"); }
inline QString documentName() { return QStringLiteral("evidence.pdf"); }
inline QString routeName() { return QStringLiteral("route.gpx"); }
inline QString telemetryName() { return QStringLiteral("telemetry.csv"); }

struct Result
{
    QList<Checksums::Entry> entries; // what was written, with its SHA-256
    QString error;                   // empty when all went well (and nothing was cancelled)
};

// Copies each clip into the folder's originals/ byte for byte, keeping its modification time, and
// hashes what it copies. `progress` gets the bytes copied so far.
Result copyOriginals(const QStringList &clips, const QString &folder, const std::atomic<bool> &cancelled,
                     const std::function<void(qint64)> &progress);

// Writes the documents (the PDF, the GPX when the range has positions, the CSV), hashes them and
// the media files already in the folder, writes SHA256SUMS over everything with the originals'
// `entries`, and puts it all on the disk.
Result writeDocuments(const QString &folder, const ExportPlan &plan, const QList<QImage> &pictures,
                      const QList<Checksums::Entry> &originals, const std::atomic<bool> &cancelled);

// Gives the finished folder `staging` the name `target` in one step, never replacing anything at
// `target`, and puts the name on the disk.
bool publish(const QString &staging, const QString &target, QString *error);

} // namespace EvidenceFiles
