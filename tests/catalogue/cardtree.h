#pragma once

// Card trees for the tests of the catalogue and the clip library: files of a given size written
// anywhere below a temporary folder.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace CardTree {

// Writes `size` bytes to `path`, making its folders; stops the test program when it cannot.
inline QString writeFile(const QString &path, int size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(QByteArray(size, 'x')) != size)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace CardTree
