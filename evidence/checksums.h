#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// The SHA256SUMS file of an evidence folder, in the format `sha256sum -c` checks ("HASH  NAME",
// names relative to the folder with "/" between folders; a name with a backslash or a line break
// escaped the way sha256sum escapes it), and the check of a folder against it. Safe on any thread.
namespace Checksums {

constexpr const char *FileName = "SHA256SUMS";

struct Entry
{
    QString path;        // relative to the folder
    QByteArray sha256;   // lowercase hex

    friend bool operator==(const Entry &, const Entry &) = default;
};

// The file's text: one line per entry, sorted by name.
QByteArray format(QList<Entry> entries);

struct Parsed
{
    QList<Entry> entries;
    QStringList problems; // lines that are no checksum line, names that leave the folder
};
Parsed parse(const QByteArray &text);

// The file's SHA-256 in lowercase hex; empty when it cannot be read (or `cancelled` was set).
QByteArray fileHash(const QString &path, const std::atomic<bool> *cancelled = nullptr);

enum class Status {
    Intact,   // as listed
    Changed,  // other content
    Missing,  // listed, not there
    NotAFile, // listed, but a folder, a link or a device is there
    Unlisted, // there, but not listed (not a failure: file managers add such files)
};

struct Finding
{
    QString path;
    Status status = Status::Intact;
};

struct Verification
{
    QString problem;          // why the folder cannot be checked at all; empty when it can
    QStringList badLines;     // of the SHA256SUMS file
    QList<Finding> findings;  // listed files in their order, then the unlisted ones

    // Every listed file as listed, and the list itself sound.
    bool intact() const;
};

// Checks the folder against its SHA256SUMS. Links are never followed: a link where a listed file
// should be counts as no file, and names that leave the folder are refused.
Verification verify(const QString &folder);

} // namespace Checksums
