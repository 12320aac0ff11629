// qrd7700-cli clips: the clips the viewer's list shows for a folder, category and cause filter.
#include "tools/cli/clicommand.h"

#include "catalogue/clipcatalogue.h"
#include "catalogue/cliplistfilter.h"

#include <QFileInfo>

namespace Cli {

namespace {

constexpr int ExitNoClips = 3; // the folder holds no clips

const QStringList kCategories = {QStringLiteral("all"), QStringLiteral("rec"), QStringLiteral("event")};
const QStringList kFilters = {QStringLiteral("all"), QStringLiteral("manual"), QStringLiteral("driving"),
                              QStringLiteral("parking")};

int runClips(const QStringList &arguments);

} // namespace

extern const Command clipsCommand = {
    "clips",
    "list the clips the viewer shows for a folder",
    "usage: qrd7700-cli clips DIR [--category all|rec|event] [--filter all|manual|driving|parking]\n"
    "\n"
    "Scans DIR as the viewer does (every sub-folder too when DIR is on a removable drive or in a\n"
    "QRD7700_CARDS folder) and prints one line per clip the list would show, in list order:\n"
    "  KIND<TAB>START<TAB>PATH\n"
    "KIND is 0 (other name), 1 (REC_) or 2 (EVS_); START is yyyy-MM-ddTHH:mm:ss, or - when the\n"
    "name gives none; PATH is absolute, with backslashes and control characters written as \\\\,\n"
    "\\n, \\t, \\r or \\xHH. Clip files that are links are not listed. --category rec/event keeps\n"
    "the clips in the REC/EVENT folder at the root of their volume; --filter keeps names with the\n"
    "_M. / _I. / _P. marker.\n"
    "Exit codes: 0 clips found (possibly none shown), 1 DIR is no folder, 2 usage error,\n"
    "3 the folder holds no clips.\n",
    runClips,
};

namespace {

// Reads "--name VALUE" or "--name=VALUE" at `index`; the value's position in `choices`, or -1.
int takeChoice(const QStringList &arguments, qsizetype &index, const QString &name, const QStringList &choices,
               bool *matched)
{
    const QString &argument = arguments[index];
    const QString option = QStringLiteral("--") + name;
    *matched = true;
    if (argument.startsWith(option + QLatin1Char('=')))
        return int(choices.indexOf(argument.mid(option.size() + 1)));
    if (argument == option)
        return ++index < arguments.size() ? int(choices.indexOf(arguments[index])) : -1;
    *matched = false;
    return -1;
}

int runClips(const QStringList &arguments)
{
    QString folder;
    int category = ClipListFilter::AllCategories;
    int filter = ClipListFilter::AllCauses;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        bool matched = false;
        if (const int value = takeChoice(arguments, i, QStringLiteral("category"), kCategories, &matched); matched) {
            if (value < 0)
                return usageError(clipsCommand, QStringLiteral("--category takes all, rec or event"));
            category = value;
        } else if (const int cause = takeChoice(arguments, i, QStringLiteral("filter"), kFilters, &matched);
                   matched) {
            if (cause < 0)
                return usageError(clipsCommand, QStringLiteral("--filter takes all, manual, driving or parking"));
            filter = cause;
        } else if (arguments[i].startsWith(QLatin1String("--")) || !folder.isNull()) {
            return usageError(clipsCommand, QStringLiteral("unexpected argument '%1'").arg(arguments[i]));
        } else {
            folder = arguments[i];
        }
    }
    if (folder.isEmpty())
        return usageError(clipsCommand, QStringLiteral("DIR is missing"));
    if (!QFileInfo(folder).isDir())
        return unreadable(folder, QStringLiteral("not a folder"));

    const ClipCatalogue catalogue(folder);
    if (!catalogue.hasClips())
        return ExitNoClips;
    for (const Clip *clip : ClipListFilter::visibleClips(catalogue, category, filter)) {
        const QDateTime start = clip->startTime();
        out() << clip->kind() << '\t'
              << (start.isValid() ? start.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) : QStringLiteral("-"))
              << '\t' << printable(clip->file().absoluteFilePath()) << '\n';
    }
    out().flush();
    return ExitOk;
}

} // namespace

} // namespace Cli
