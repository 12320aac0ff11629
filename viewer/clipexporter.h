#pragma once

#include "telemetry/recorderclock.h"
#include "telemetry/trackexport.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

// Exports a clip's or a trip's telemetry from the viewer: reads a clip's track off the GUI thread
// (a trip's comes read from the card's index), then asks for a file name and writes the document
// in one step. A clip without anything to export gets a
// message instead of an empty file. Talks to the user through boxes over `window`. GUI thread only.
class ClipExporter : public QObject
{
    Q_OBJECT

public:
    explicit ClipExporter(QWidget *window, QObject *parent = nullptr);

    // Starts the export of the clip file at `path`. A newer request replaces one still reading.
    void exportClip(const QString &path, TrackExport::Format format);
    // Exports a trip already read (the card's index): its clips as one track named `name`, the
    // file proposed as `fileBase` plus the format's extension.
    void exportTrip(const QList<TrackExport::Piece> &pieces, const QString &name, const QString &fileBase,
                    TrackExport::Format format);

    // Folder the save dialog proposes: the last one chosen, at first the user's documents.
    QString proposedFolder() const;

signals:
    // `file` was written.
    void exported(const QString &file);
    // The request ended without a file: nothing to export, cancelled, or a failure (already told).
    // `source` is the clip's path or the trip's name.
    void notExported(const QString &source);

private:
    struct ReadResult;
    static ReadResult readClip(const QString &path, const RecorderClock::FallbackZone &fallback);
    void finishExport(const QString &path, TrackExport::Format format, const ReadResult &result);
    // Writes the pieces after asking where; false when nothing was written.
    bool writePieces(const QList<TrackExport::Piece> &pieces, const QString &name, const QString &fileBase,
                     TrackExport::Format format);
    QString askFileName(const QString &fileBase, TrackExport::Format format);
    void warn(const QString &text);

    QPointer<QWidget> m_window;
    quint64 m_request = 0;
    QString m_lastFolder;
};
