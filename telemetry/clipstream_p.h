#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>

// Reads a clip file at a moving position through a small window, so that runs of small chunks
// (sound, telemetry) cost one system call while large payloads are skipped by position, never read.
// Positioned reads (readAt) bypass the window for reads that jump through the file.
class ClipStream
{
public:
    bool open(const QString &path);

    qint64 size() const { return m_size; }
    qint64 position() const { return m_pos; }
    qint64 remaining() const { return std::max<qint64>(0, m_size - m_pos); }
    void skip(qint64 bytes) { m_pos += bytes; }
    void seek(qint64 position) { m_pos = position; }

    // Reads up to `bytes` at the current position and moves past them; returns the count read,
    // short when the file ends (or shrank since it was opened).
    qint64 read(char *into, qint64 bytes);

    // Reads up to `bytes` at `position` without the window and without moving; returns the count.
    qint64 readAt(qint64 position, char *into, qint64 bytes);

    // Tells the system that reads will jump through the file, so that it reads no pages ahead of
    // them (each read of a cold page would otherwise bring in its neighbours too).
    void adviseRandomAccess();
    // Back to the system's usual reading ahead, for a walk through the file.
    void adviseNormalAccess();
    // Asks the system to start reading `bytes` at `position` now, without waiting for them: many
    // such requests let the disk work on them together.
    void prefetch(qint64 position, qint64 bytes);

private:
    static constexpr qint64 kWindowSize = 2048;

    void fill();

    QFile m_file;
    qint64 m_size = 0;
    qint64 m_pos = 0;
    QByteArray m_window;
    qint64 m_windowStart = 0;
};
