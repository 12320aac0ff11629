#include "evidence/checksums.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

constexpr qint64 kChunk = 1 << 20;
constexpr qint64 kMaxListBytes = 16 << 20; // far more than any export lists
constexpr int kHexDigits = 64;

// sha256sum's escaping: a name with a backslash or a line break is written with "\\" and "\n"
// and the line starts with a backslash.
QByteArray escapedName(const QString &path, bool *escaped)
{
    const QByteArray name = QFile::encodeName(path);
    *escaped = name.contains('\\') || name.contains('\n') || name.contains('\r');
    if (!*escaped)
        return name;
    QByteArray out;
    for (const char c : name)
        out += c == '\\' ? QByteArray("\\\\") : c == '\n' ? QByteArray("\\n") : c == '\r' ? QByteArray("\\r") : QByteArray(1, c);
    return out;
}

std::optional<QByteArray> unescapedName(const QByteArray &name)
{
    QByteArray out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name.at(i) != '\\') {
            out += name.at(i);
            continue;
        }
        if (++i >= name.size())
            return std::nullopt;
        const char c = name.at(i);
        if (c != '\\' && c != 'n' && c != 'r')
            return std::nullopt;
        out += c == '\\' ? '\\' : c == 'n' ? '\n' : '\r';
    }
    return out;
}

bool isHex(const QByteArray &text)
{
    return text.size() == kHexDigits
           && std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// A name that stays inside the folder: relative, without "." or ".." or empty parts.
bool staysInside(const QString &path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')))
        return false;
    const QStringList parts = path.split(QLatin1Char('/'));
    return std::none_of(parts.begin(), parts.end(), [](const QString &part) {
        return part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..");
    });
}

// What is at `path` inside `folder`, looking at every part of the way without following links.
Checksums::Status statusOf(const QString &folder, const QString &path, const QByteArray &sha256)
{
    QString sofar = folder;
    const QStringList parts = path.split(QLatin1Char('/'));
    for (int i = 0; i < parts.size(); ++i) {
        sofar += QLatin1Char('/') + parts.at(i);
        const QFileInfo info(sofar);
        if (!info.exists() && !info.isSymLink())
            return Checksums::Status::Missing;
        const bool last = i + 1 == parts.size();
        if (info.isSymLink() || (last ? !info.isFile() : !info.isDir()))
            return Checksums::Status::NotAFile;
    }
    const QByteArray actual = Checksums::fileHash(sofar);
    return actual == sha256 ? Checksums::Status::Intact : Checksums::Status::Changed;
}

} // namespace

namespace Checksums {

QByteArray format(QList<Entry> entries)
{
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.path < b.path; });
    QByteArray text;
    for (const Entry &entry : entries) {
        bool escaped = false;
        const QByteArray name = escapedName(entry.path, &escaped);
        text += (escaped ? QByteArray("\\") : QByteArray()) + entry.sha256 + "  " + name + '\n';
    }
    return text;
}

Parsed parse(const QByteArray &text)
{
    Parsed parsed;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QByteArray line = lines.at(n);
        if (line.isEmpty() && n + 1 == lines.size())
            break;
        const bool escaped = line.startsWith('\\');
        if (escaped)
            line.remove(0, 1);
        const QByteArray hash = line.left(kHexDigits).toLower();
        const QByteArray marker = line.mid(kHexDigits, 2);
        const std::optional<QByteArray> name = escaped ? unescapedName(line.mid(kHexDigits + 2))
                                                       : std::optional<QByteArray>(line.mid(kHexDigits + 2));
        const QString path = name ? QFile::decodeName(*name) : QString();
        if (!isHex(hash) || (marker != "  " && marker != " *") || !name)
            parsed.problems << QStringLiteral("line %1 is no checksum line").arg(n + 1);
        else if (!staysInside(path))
            parsed.problems << QStringLiteral("line %1 names a file outside the folder").arg(n + 1);
        else
            parsed.entries << Entry{path, hash};
    }
    return parsed;
}

QByteArray fileHash(const QString &path, const std::atomic<bool> *cancelled)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray chunk(kChunk, Qt::Uninitialized);
    for (;;) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return QByteArray();
        const qint64 got = file.read(chunk.data(), kChunk);
        if (got < 0)
            return QByteArray();
        if (got == 0)
            break;
        hash.addData(QByteArrayView(chunk.constData(), got));
    }
    return hash.result().toHex();
}

bool Verification::intact() const
{
    if (!problem.isEmpty() || !badLines.isEmpty() || findings.isEmpty())
        return false;
    return std::all_of(findings.begin(), findings.end(), [](const Finding &finding) {
        return finding.status == Status::Intact || finding.status == Status::Unlisted;
    });
}

Verification verify(const QString &folder)
{
    Verification result;
    const QFileInfo list(folder + QLatin1Char('/') + QLatin1String(FileName));
    QFile file(list.filePath());
    if (!QFileInfo(folder).isDir())
        result.problem = QStringLiteral("not a folder");
    else if (!list.exists() || list.isSymLink() || !list.isFile())
        result.problem = QStringLiteral("no %1 file in the folder").arg(QLatin1String(FileName));
    else if (list.size() > kMaxListBytes || !file.open(QIODevice::ReadOnly))
        result.problem = QStringLiteral("%1 cannot be read").arg(QLatin1String(FileName));
    if (!result.problem.isEmpty())
        return result;
    const Parsed parsed = parse(file.readAll());
    result.badLines = parsed.problems;
    QSet<QString> listed{QLatin1String(FileName)};
    for (const Entry &entry : parsed.entries) {
        result.findings << Finding{entry.path, statusOf(folder, entry.path, entry.sha256)};
        listed.insert(entry.path);
    }
    const QDir root(QFileInfo(folder).absoluteFilePath());
    QDirIterator it(root.path(), QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QStringList unlisted;
    while (it.hasNext()) {
        const QString path = root.relativeFilePath(it.next());
        if (!listed.contains(path))
            unlisted << path;
    }
    unlisted.sort();
    for (const QString &path : unlisted)
        result.findings << Finding{path, Status::Unlisted};
    return result;
}

} // namespace Checksums
