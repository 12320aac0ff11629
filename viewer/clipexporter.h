#pragma once

#include "telemetry/recorderclock.h"
#include "telemetry/trackexport.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

// Exports a clip's telemetry from the viewer: reads the clip's track off the GUI thread, then asks
// for a file name and writes the document in one step. A clip without anything to export gets a
// message instead of an empty file. Talks to the user through boxes over `window`. GUI thread only.
class ClipExporter : public QObject
{
    Q_OBJECT

public:
    explicit ClipExporter(QWidget *window, QObject *parent = nullptr);

    // Starts the export of the clip file at `path`. A newer request replaces one still reading.
    void exportClip(const QString &path, TrackExport::Format format);

    // Folder the save dialog proposes: the last one chosen, at first the user's documents.
    QString proposedFolder() const;

signals:
    // `file` was written.
    void exported(const QString &file);
    // The request ended without a file: nothing to export, cancelled, or a failure (already told).
    void notExported(const QString &clipPath);

private:
    struct ReadResult;
    static ReadResult readClip(const QString &path, const RecorderClock::FallbackZone &fallback);
    void finishExport(const QString &path, TrackExport::Format format, const ReadResult &result);
    QString askFileName(const QString &clipPath, TrackExport::Format format);
    void warn(const QString &text);

    QPointer<QWidget> m_window;
    quint64 m_request = 0;
    QString m_lastFolder;
};
