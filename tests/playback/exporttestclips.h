#pragma once

// The generated clips of the export tests, written once per test executable into a temporary
// folder: recorder-named AVI clips (MJPEG, PCM sound, telemetry) that follow one another as one
// drive, an MP4 clip (H.264 with a key frame every second, AAC sound), a one-channel MP4 without
// sound, and files that are no clips. Every picture carries its frame number (MediaGen's mark).
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class ExportTestClips
{
public:
    static constexpr int Fps = 15;

    // Writes the clips; false with *error set (or the missing plugins named) when it cannot.
    bool create(QString *error);
    // Starts the media framework and writes the clips: empty when all went well, else the problem,
    // with *skip set when it is a missing plugin (the test then has nothing to test).
    QString prepare(bool *skip);
    QStringList missingPlugins() const { return m_missing; }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString folder() const { return m_dir.path(); }

    // 4 s and 2 s of one drive; the second starts where the first ends.
    static QString aviFirst() { return QStringLiteral("REC_2012_05_14_10_20_30.avi"); }
    static QString aviSecond() { return QStringLiteral("REC_2012_05_14_10_20_34.avi"); }
    static QString mp4Two() { return QStringLiteral("REC_2012_05_14_11_00_00.mp4"); } // 4 s
    static QString mp4Mono() { return QStringLiteral("REC_2012_05_14_11_10_00.mp4"); } // 2 s, no sound
    static QString randomBytes() { return QStringLiteral("REC_2012_05_14_12_00_00.avi"); }
    static QString brokenAvi() { return QStringLiteral("REC_2012_05_14_12_10_00.avi"); }

private:
    QTemporaryDir m_dir;
    QStringList m_missing;
};
