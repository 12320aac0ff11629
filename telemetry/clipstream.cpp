#include "telemetry/clipstream_p.h"

#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

bool ClipStream::open(const QString &path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    m_size = m_file.size();
    return true;
}

qint64 ClipStream::read(char *into, qint64 bytes)
{
    bytes = std::min(bytes, remaining());
    if (bytes <= 0)
        return 0;
    if (m_pos < m_windowStart || m_pos + bytes > m_windowStart + m_window.size()) {
        if (bytes > kWindowSize) {
            const qint64 got = readAt(m_pos, into, bytes);
            m_pos += std::max<qint64>(got, 0);
            return std::max<qint64>(got, 0);
        }
        fill();
    }
    const qint64 offset = m_pos - m_windowStart;
    const qint64 available = std::clamp<qint64>(m_window.size() - offset, 0, bytes);
    std::memcpy(into, m_window.constData() + offset, size_t(available));
    m_pos += available;
    return available;
}

qint64 ClipStream::readAt(qint64 position, char *into, qint64 bytes)
{
    if (position < 0 || bytes <= 0)
        return 0;
#ifdef Q_OS_UNIX
    // One positioned read: a single system call, and no shared file position to move.
    qint64 total = 0;
    while (total < bytes) {
        const ssize_t got = ::pread(m_file.handle(), into + total, size_t(bytes - total), off_t(position + total));
        if (got <= 0)
            break;
        total += got;
    }
    return total;
#else
    return m_file.seek(position) ? std::max<qint64>(m_file.read(into, bytes), 0) : 0;
#endif
}

void ClipStream::adviseRandomAccess()
{
#ifdef Q_OS_UNIX
    ::posix_fadvise(m_file.handle(), 0, 0, POSIX_FADV_RANDOM);
#endif
}

void ClipStream::adviseNormalAccess()
{
#ifdef Q_OS_UNIX
    ::posix_fadvise(m_file.handle(), 0, 0, POSIX_FADV_NORMAL);
#endif
}

void ClipStream::prefetch(qint64 position, qint64 bytes)
{
#ifdef Q_OS_UNIX
    ::posix_fadvise(m_file.handle(), off_t(position), off_t(bytes), POSIX_FADV_WILLNEED);
#else
    Q_UNUSED(position);
    Q_UNUSED(bytes);
#endif
}

void ClipStream::fill()
{
    m_window.resize(kWindowSize);
    const qint64 got = readAt(m_pos, m_window.data(), kWindowSize);
    m_window.resize(std::max<qint64>(got, 0));
    m_windowStart = m_pos;
}
