#pragma once

#include <QByteArray>

// Writing files whole with the system's own calls, for the writers that must know exactly what
// reached the medium (the card's settings, exported files): file descriptors closed on every way
// out, complete writes, temporary files beside their targets.
namespace RawFile {

// Closes a file descriptor on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd);
    ~Descriptor();
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    // Closes now and says whether the close succeeded (a late write error shows up here).
    bool close();

private:
    int m_fd;
};

// Writes all of `bytes`, going on after interruptions; false with errno set otherwise.
bool writeAll(int fd, const QByteArray &bytes);

// Creates a new, empty file ".NAME.HEX" beside `target` (a native path) for writing, never through
// a link; its descriptor, or -1 with errno set.
int createTemporaryBeside(const QByteArray &target, QByteArray *temporaryPath);

} // namespace RawFile
