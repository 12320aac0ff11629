// Builds a card with 10,000 clips in REC/ and EVENT/ (plus empty clips and other files) in a temporary
// folder, then times, in one run, the catalogue's scan of the card against plain walks of the same tree:
// a QDirIterator walk over every entry, `find`, and the walk plus the size of every clip file (the
// least a scan that drops empty files must do: one stat per clip). Prints the times and the ratios.
// Usage: bench_scan [CLIPS] [ROUNDS]
#include "bench/benchtiming.h"
#include "catalogue/clipcatalogue.h"
#include "catalogue/removabledrive.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QString clipName(const char *prefix, int index, const char *marker)
{
    const QDateTime start = QDateTime(QDate(2013, 4, 5), QTime(0, 0)).addSecs(qint64(index) * 60);
    return QLatin1String(prefix) + start.toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss")) + QLatin1String(marker)
           + QLatin1String(".mp4");
}

// REC/ and EVENT/ share the clips; every tenth event clip carries a cause marker. Each folder also gets
// empty clips, logs and a sub-folder of pictures, and the root a settings folder.
bool buildCard(const QString &root, int clips)
{
    const char *markers[] = {"_M", "_I", "_P"};
    QDir card(root);
    if (!card.mkpath(QStringLiteral("REC/thumbs")) || !card.mkpath(QStringLiteral("EVENT"))
        || !card.mkpath(QStringLiteral("setting")))
        return false;
    for (int i = 0; i < clips; ++i) {
        const bool event = i % 2 == 1;
        const char *marker = event && i % 10 == 1 ? markers[(i / 10) % 3] : "";
        const QString name = clipName(event ? "EVS_" : "REC_", i, marker);
        if (!writeFile(root + (event ? "/EVENT/" : "/REC/") + name, QByteArray(64, 'x')))
            return false;
        if (i % 20 == 0 && !writeFile(root + "/REC/thumbs/" + QString::number(i) + ".jpg", "jpg"))
            return false;
    }
    for (int i = 0; i < clips / 50; ++i) {
        if (!writeFile(root + "/REC/" + clipName("REC_", clips + i, "") , {})
            || !writeFile(root + "/EVENT/log" + QString::number(i) + ".txt", "log"))
            return false;
    }
    return writeFile(root + "/setting/setquality.dat", "\x02");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int clips = args.size() > 1 ? args[1].toInt() : 10000;
    const int rounds = args.size() > 2 ? args[2].toInt() : 7;
    QTextStream out(stdout);

    QTemporaryDir dir;
    const QString card = dir.path() + QStringLiteral("/CARD");
    if (!dir.isValid() || !buildCard(card, clips)) {
        out << "cannot build the card in " << dir.path() << '\n';
        return 1;
    }
    qputenv(kCardsVariable, card.toLocal8Bit());

    // Rounds interleave the three measurements, so a busy machine slows them alike; each reports its
    // median. The scan is timed, deleting the catalogue afterwards is not.
    const bool haveFind = !QStandardPaths::findExecutable(QStringLiteral("find")).isEmpty();
    std::vector<double> scanTimes, walkTimes, sizedTimes, findTimes;
    qsizetype found = 0;
    qsizetype entries = 0;
    qsizetype sized = 0;
    for (int round = 0; round < rounds; ++round) {
        std::unique_ptr<ClipCatalogue> catalogue;
        scanTimes.push_back(Bench::elapsedMs([&] { catalogue = std::make_unique<ClipCatalogue>(card); }));
        found = qsizetype(catalogue->clips().size());
        catalogue.reset();
        walkTimes.push_back(Bench::elapsedMs([&] {
            entries = 0;
            QDirIterator it(card, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                it.next();
                ++entries;
            }
        }));
        // The least any scan does: the walk plus each clip file's size (one stat per clip).
        sizedTimes.push_back(Bench::elapsedMs([&] {
            sized = 0;
            QDirIterator it(card, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                it.next();
                if (it.fileName().endsWith(QLatin1String(".mp4")) && it.fileInfo().size() > 0)
                    ++sized;
            }
        }));
        if (haveFind) {
            findTimes.push_back(Bench::elapsedMs([&] {
                QProcess find;
                find.setStandardOutputFile(QProcess::nullDevice());
                find.start(QStringLiteral("find"), {card});
                find.waitForFinished(-1);
            }));
        }
    }
    const double scanMs = Bench::median(scanTimes);
    const double walkMs = Bench::median(walkTimes);
    const double findMs = Bench::median(findTimes);
    const double sizedMs = Bench::median(sizedTimes);

    out << "card: " << clips << " clips, " << entries << " entries; scan found " << found << " clips, the sized walk " << sized
        << '\n';
    out << QStringLiteral("catalogue scan     %1 ms\n").arg(scanMs, 0, 'f', 2);
    out << QStringLiteral("QDirIterator walk  %1 ms   ratio scan/walk %2\n")
               .arg(walkMs, 0, 'f', 2).arg(scanMs / walkMs, 0, 'f', 2);
    out << QStringLiteral("walk + clip sizes  %1 ms   ratio scan/(walk + sizes) %2\n")
               .arg(sizedMs, 0, 'f', 2).arg(scanMs / sizedMs, 0, 'f', 2);
    if (findMs > 0)
        out << QStringLiteral("find               %1 ms   ratio scan/find %2\n")
                   .arg(findMs, 0, 'f', 2).arg(scanMs / findMs, 0, 'f', 2);
    out << "target: ratio within 2.00\n";
    return 0;
}
