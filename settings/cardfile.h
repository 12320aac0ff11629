#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Careful access to the small files on a recorder card, whose contents and file kinds are not ours
// to trust: reads that never block on a FIFO or device and never follow a link off the card, and a
// set of files replaced together.
namespace CardFile {

// The first `maxBytes` bytes of the regular file at `path`; nothing when the path is missing, a link,
// a folder, a FIFO, a device or unreadable. Never blocks and never reads more than asked.
std::optional<QByteArray> readRegular(const QString &path, qint64 maxBytes);

// The lines of `bytes`: with their line ends, or without any trailing CR and LF bytes. A final line
// end starts no further line.
QList<QByteArray> lines(const QByteArray &bytes, bool keepLineEnds);

// Whether `path` (or, when it is missing, the nearest folder above it) lies on a file system that
// only reads, as a locked memory card does.
bool isReadOnlyMedium(const QString &path);

} // namespace CardFile

// Replaces several files of one folder together, so that a failure part way leaves the folder as it
// was: stage() writes each file's bytes to a temporary file beside it (".NAME.HEX") and syncs it to
// the medium; commit() records the renames it is about to make in a journal file in the folder,
// renames every staged file over its target and syncs the folder, after which the new contents
// survive pulling the card, and removes the journal. A commit cut off part way (the process killed,
// the card pulled) is finished by recover() at the next use of the folder. A target may be missing,
// a regular file or a link (the link itself is replaced, its target never written); any other kind
// is refused. Temporary files of a batch that is not committed are removed when the batch goes.
// While a batch lives it holds the folder's lock, so that no recover() of another process takes its
// work under way for the remains of an interrupted one.
class CardWriteBatch
{
public:
    explicit CardWriteBatch(const QString &folder);
    ~CardWriteBatch();
    CardWriteBatch(const CardWriteBatch &) = delete;
    CardWriteBatch &operator=(const CardWriteBatch &) = delete;

    // Writes `bytes` for the file `name` of the folder; false (nothing staged) when the target is of
    // another kind or the temporary file cannot be written and synced whole.
    bool stage(const QString &name, const QByteArray &bytes);
    // Journals and renames the staged files in staging order, then syncs the folder. False when any
    // rename or the folder sync failed; failedNames() then says which (the folder's own name for the
    // sync). When the journal cannot be written nothing is renamed and every staged file failed.
    bool commit();
    // Removes the staged temporary files; the targets stay as they are.
    void discard();
    const QStringList &failedNames() const { return m_failedNames; }

    // Brings `folder` back to one whole set of files after a commit or a batch that was cut off: the
    // renames of a journalled commit are finished, and every temporary file a batch of `names` (the
    // files batches in this folder write) left behind is removed. Does nothing in a folder that is
    // missing or a link; true when the folder is clean afterwards.
    static bool recover(const QString &folder, const QStringList &names);

private:
    bool writeJournal() const;
    void removeJournal() const;

    struct Staged
    {
        QString name;
        QByteArray temporaryPath;
    };

    QString m_folder;
    int m_lock = -1; // the folder, opened and locked
    std::vector<Staged> m_staged;
    QStringList m_failedNames;
};
