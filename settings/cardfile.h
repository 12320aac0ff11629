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

} // namespace CardFile

// Replaces several files of one folder together, so that a failure part way leaves the folder as it
// was: stage() writes each file's bytes to a temporary file beside it and syncs it to the medium;
// commit() then renames every staged file over its target and syncs the folder, after which the new
// contents survive pulling the card. A target may be missing, a regular file or a link (the link
// itself is replaced, its target never written); any other kind is refused. Temporary files of a
// batch that is not committed are removed when the batch goes.
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
    // Renames the staged files in staging order, then syncs the folder. False when any rename or the
    // folder sync failed; failedNames() then says which (the folder's own name for the sync).
    bool commit();
    // Removes the staged temporary files; the targets stay as they are.
    void discard();
    const QStringList &failedNames() const { return m_failedNames; }

private:
    struct Staged
    {
        QString name;
        QByteArray temporaryPath;
    };

    QString m_folder;
    std::vector<Staged> m_staged;
    QStringList m_failedNames;
};
