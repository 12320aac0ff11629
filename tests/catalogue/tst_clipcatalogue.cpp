#include "catalogue/clipcatalogue.h"
#include "catalogue/cliplistfilter.h"
#include "catalogue/removabledrive.h"
#include "catalogue/volumemap.h"
#include "tests/catalogue/cardtree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Scanning folders into catalogues, the folder chooser's acceptance test and the clip list's category
// and cause filters, on card trees in a temporary folder listed in QRD7700_CARDS.
class TestClipCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cardWithRecAndEvent();
    void copyOnFixedDisk();
    void zeroByteFiles();
    void duplicateNames();
    void walkRules();
    void rescan();
    void properFolder_data();
    void properFolder();
    void properFolderCancelled();
    void causeFilter_data();
    void causeFilter();
    void startTimeFromName_data();
    void startTimeFromName();

private:
    // Writes `relative` below the temporary folder with `size` bytes.
    QString file(const QString &relative, int size = 4);
    QString path(const QString &relative) const { return m_dir->path() + QLatin1Char('/') + relative; }
    static QStringList names(const QList<Clip *> &clips);
    static QStringList relativePaths(const ClipCatalogue &catalogue, const QString &root);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestClipCatalogue::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(path(QStringLiteral("CARD"))));
    qputenv(kCardsVariable, path(QStringLiteral("CARD")).toLocal8Bit());
}

void TestClipCatalogue::cleanup()
{
    qunsetenv(kCardsVariable);
}

QString TestClipCatalogue::file(const QString &relative, int size)
{
    return CardTree::writeFile(path(relative), size);
}

QStringList TestClipCatalogue::names(const QList<Clip *> &clips)
{
    QStringList result;
    for (const Clip *clip : clips)
        result.append(clip->file().fileName());
    return result;
}

QStringList TestClipCatalogue::relativePaths(const ClipCatalogue &catalogue, const QString &root)
{
    QStringList result;
    for (const auto &[name, clip] : catalogue.clips())
        result.append(QDir(root).relativeFilePath(clip->file().absoluteFilePath()));
    return result;
}

void TestClipCatalogue::cardWithRecAndEvent()
{
    file(QStringLiteral("CARD/REC/REC_2012_05_14_10_00_00.mp4"));
    file(QStringLiteral("CARD/REC/REC_2012_05_14_09_00_00.mp4"));
    file(QStringLiteral("CARD/EVENT/EVS_2012_05_14_11_00_00_I.mp4"));
    file(QStringLiteral("CARD/setting/setquality.dat"), 1);
    const QString card = path(QStringLiteral("CARD"));
    QVERIFY(isProperFolder(card));

    ClipCatalogue catalogue(card);
    QCOMPARE(catalogue.path(), card);
    QVERIFY(catalogue.hasClips());
    // Map order: by bare name, so events first and each group oldest first.
    const QStringList all = {QStringLiteral("EVENT/EVS_2012_05_14_11_00_00_I.mp4"),
                             QStringLiteral("REC/REC_2012_05_14_09_00_00.mp4"),
                             QStringLiteral("REC/REC_2012_05_14_10_00_00.mp4")};
    QCOMPARE(relativePaths(catalogue, card), all);

    using namespace ClipListFilter;
    QCOMPARE(names(visibleClips(catalogue, AllCategories, AllCauses)).size(), 3);
    QCOMPARE(names(visibleClips(catalogue, NormalCategory, AllCauses)),
             QStringList({QStringLiteral("REC_2012_05_14_09_00_00.mp4"), QStringLiteral("REC_2012_05_14_10_00_00.mp4")}));
    QCOMPARE(names(visibleClips(catalogue, EventCategory, AllCauses)),
             QStringList({QStringLiteral("EVS_2012_05_14_11_00_00_I.mp4")}));
    QCOMPARE(names(visibleClips(catalogue, EventCategory, DrivingCause)),
             QStringList({QStringLiteral("EVS_2012_05_14_11_00_00_I.mp4")}));
    QVERIFY(visibleClips(catalogue, NormalCategory, DrivingCause).isEmpty());
    // A sub-folder of the card opened by itself still sits in the card's REC folder.
    ClipCatalogue recOnly(path(QStringLiteral("CARD/REC")));
    QCOMPARE(visibleClips(recOnly, NormalCategory, AllCauses).size(), 2);
}

// A card copied into a folder of a fixed disk, however deep: the folder holding REC and EVENT is
// opened like the card (both searched, each its own category); one of its folders opened by itself is
// a plain folder, and a folder named REC that is a link makes no copy.
void TestClipCatalogue::copyOnFixedDisk()
{
    file(QStringLiteral("disk/a/b/copy/REC/REC_2012_05_14_10_00_00.mp4"));
    file(QStringLiteral("disk/a/b/copy/REC/old/REC_2012_05_14_09_00_00.mp4"));
    file(QStringLiteral("disk/a/b/copy/EVENT/EVS_2012_05_14_11_00_00_I.mp4"));
    file(QStringLiteral("disk/a/b/copy/other/EVS_2012_05_14_12_00_00.mp4"));
    const QString copy = path(QStringLiteral("disk/a/b/copy"));
    QVERIFY(isProperFolder(copy));
    ClipCatalogue catalogue(copy);
    QCOMPARE(relativePaths(catalogue, copy),
             QStringList({QStringLiteral("EVENT/EVS_2012_05_14_11_00_00_I.mp4"),
                          QStringLiteral("other/EVS_2012_05_14_12_00_00.mp4"),
                          QStringLiteral("REC/old/REC_2012_05_14_09_00_00.mp4"),
                          QStringLiteral("REC/REC_2012_05_14_10_00_00.mp4")}));
    using namespace ClipListFilter;
    QCOMPARE(names(visibleClips(catalogue, NormalCategory, AllCauses)),
             QStringList({QStringLiteral("REC_2012_05_14_09_00_00.mp4"), QStringLiteral("REC_2012_05_14_10_00_00.mp4")}));
    QCOMPARE(names(visibleClips(catalogue, EventCategory, DrivingCause)),
             QStringList({QStringLiteral("EVS_2012_05_14_11_00_00_I.mp4")}));
    // The folders above the copy are no card.
    QVERIFY(!isProperFolder(path(QStringLiteral("disk/a"))));

    ClipCatalogue rec(path(QStringLiteral("disk/a/b/copy/REC")));
    QCOMPARE(visibleClips(rec, AllCategories, AllCauses).size(), 1);
    QVERIFY(visibleClips(rec, NormalCategory, AllCauses).isEmpty());

    file(QStringLiteral("disk/linked/target/REC_2012_05_14_10_00_00.mp4"));
    QVERIFY(QDir().mkpath(path(QStringLiteral("disk/fake"))));
    QVERIFY(QFile::link(path(QStringLiteral("disk/linked/target")), path(QStringLiteral("disk/fake/REC"))));
    QVERIFY(!isProperFolder(path(QStringLiteral("disk/fake"))));
    QVERIFY(!ClipCatalogue(path(QStringLiteral("disk/fake"))).hasClips());
}

void TestClipCatalogue::zeroByteFiles()
{
    file(QStringLiteral("CARD/REC/REC_2012_05_14_10_00_00.mp4"), 0);
    file(QStringLiteral("CARD/REC/REC_2012_05_14_11_00_00.mp4"), 1);
    // An empty file of the same name scanned later does not replace the real clip.
    file(QStringLiteral("CARD/EVENT/EVS_2012_05_14_12_00_00.mp4"), 8);
    file(QStringLiteral("CARD/EVENT/sub/EVS_2012_05_14_12_00_00.mp4"), 0);
    ClipCatalogue catalogue(path(QStringLiteral("CARD")));
    QCOMPARE(relativePaths(catalogue, path(QStringLiteral("CARD"))),
             QStringList({QStringLiteral("EVENT/EVS_2012_05_14_12_00_00.mp4"),
                          QStringLiteral("REC/REC_2012_05_14_11_00_00.mp4")}));

    // A folder whose only clip file is empty passes the folder check but yields no catalogue.
    file(QStringLiteral("empty/REC_2012_05_14_10_00_00.mp4"), 0);
    QVERIFY(isProperFolder(path(QStringLiteral("empty"))));
    QVERIFY(!ClipCatalogue(path(QStringLiteral("empty"))).hasClips());
}

void TestClipCatalogue::duplicateNames()
{
    // The folder itself is scanned before its sub-folders, and a folder before the folders below it:
    // the one scanned last stays.
    file(QStringLiteral("CARD/REC_2012_05_14_10_00_00.mp4"));
    file(QStringLiteral("CARD/REC/REC_2012_05_14_10_00_00.mp4"));
    file(QStringLiteral("CARD/REC/REC_2012_05_14_11_00_00.mp4"));
    file(QStringLiteral("CARD/REC/old/REC_2012_05_14_11_00_00.mp4"));
    ClipCatalogue catalogue(path(QStringLiteral("CARD")));
    QCOMPARE(relativePaths(catalogue, path(QStringLiteral("CARD"))),
             QStringList({QStringLiteral("REC/REC_2012_05_14_10_00_00.mp4"),
                          QStringLiteral("REC/old/REC_2012_05_14_11_00_00.mp4")}));
    QCOMPARE(ClipListFilter::visibleClips(catalogue, 0, 0).size(), 2);
}

void TestClipCatalogue::walkRules()
{
    file(QStringLiteral("CARD/REC/REC_2012_05_14_10_00_00.MP4"));   // any case of the extension
    file(QStringLiteral("CARD/REC/REC_2012_05_14_10_01_00.avi"));
    file(QStringLiteral("CARD/REC/notes.txt"));
    file(QStringLiteral("CARD/REC/.REC_2012_05_14_10_02_00.mp4")); // hidden file
    file(QStringLiteral("CARD/.Trashes/REC_2012_05_14_10_03_00.mp4")); // hidden folder
    file(QStringLiteral("CARD/x.lnk/REC_2012_05_14_10_04_00.mp4"));  // shortcut-named folder: skipped
    file(QStringLiteral("CARD/x.lnk/in/REC_2012_05_14_10_05_00.mp4")); // … but its sub-folders are not
    QVERIFY(QDir().mkpath(path(QStringLiteral("CARD/folder.mp4"))));  // a folder is no clip
    file(QStringLiteral("outside/REC_2012_05_14_10_06_00.mp4"));
    QVERIFY(QFile::link(path(QStringLiteral("outside")), path(QStringLiteral("CARD/linked"))));
    // A clip-named link is skipped like a linked folder: it may point anywhere, off the card too.
    QVERIFY(QFile::link(path(QStringLiteral("outside/REC_2012_05_14_10_06_00.mp4")),
                        path(QStringLiteral("CARD/REC/REC_2012_05_14_10_07_00.mp4"))));

    ClipCatalogue catalogue(path(QStringLiteral("CARD")));
    QCOMPARE(relativePaths(catalogue, path(QStringLiteral("CARD"))),
             QStringList({QStringLiteral("REC/REC_2012_05_14_10_00_00.MP4"),
                          QStringLiteral("REC/REC_2012_05_14_10_01_00.avi"),
                          QStringLiteral("x.lnk/in/REC_2012_05_14_10_05_00.mp4")}));
    QVERIFY(QDir().mkpath(path(QStringLiteral("linkonly"))));
    QVERIFY(QFile::link(QStringLiteral("/etc/passwd"), path(QStringLiteral("linkonly/REC_2012_05_14_10_08_00.mp4"))));
    QVERIFY(!isProperFolder(path(QStringLiteral("linkonly"))));
}

void TestClipCatalogue::rescan()
{
    file(QStringLiteral("CARD/REC/REC_2012_05_14_10_00_00.mp4"));
    ClipCatalogue catalogue(path(QStringLiteral("CARD")));
    QCOMPARE(catalogue.clips().size(), size_t(1));
    file(QStringLiteral("CARD/EVENT/EVS_2012_05_14_10_00_00.mp4"));
    QVERIFY(catalogue.rescan());
    QCOMPARE(catalogue.clips().size(), size_t(2));
    QVERIFY(QDir(path(QStringLiteral("CARD/REC"))).removeRecursively());
    QVERIFY(QDir(path(QStringLiteral("CARD/EVENT"))).removeRecursively());
    QVERIFY(!catalogue.rescan());
    QVERIFY(!catalogue.hasClips());
    // The card taken out of the listing: only the folder itself counts now, unless it holds REC or
    // EVENT, which makes it a copy of a card.
    file(QStringLiteral("CARD/sub/REC_2012_05_14_10_00_00.mp4"));
    qunsetenv(kCardsVariable);
    QVERIFY(!catalogue.rescan());
    file(QStringLiteral("CARD/EVENT/EVS_2012_05_14_10_00_00.mp4"));
    QVERIFY(catalogue.rescan());
    QCOMPARE(catalogue.clips().size(), size_t(2));
}

void TestClipCatalogue::properFolder_data()
{
    QTest::addColumn<QString>("clipFile");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("expected");
    QTest::newRow("card root, clip deep below") << "CARD/a/b/c/REC_1.avi" << "CARD" << true;
    QTest::newRow("card sub-folder, clip below") << "CARD/a/b/REC_1.mp4" << "CARD/a" << true;
    QTest::newRow("card root, only a shortcut folder") << "CARD/x.lnk/REC_1.mp4" << "CARD" << false;
    QTest::newRow("card root, only other files") << "CARD/REC/REC_1.mov" << "CARD" << false;
    QTest::newRow("fixed disk, clip in the folder") << "disk/REC_1.mp4" << "disk" << true;
    QTest::newRow("fixed disk, clip below") << "disk/a/REC_1.mp4" << "disk" << false;
    QTest::newRow("card copy on a fixed disk, clip in its REC") << "disk/REC/REC_1.mp4" << "disk" << true;
    QTest::newRow("card copy, clip deep in its EVENT") << "disk/EVENT/a/b/EVS_1.mp4" << "disk" << true;
    QTest::newRow("card copy without clips") << "disk/REC/notes.txt" << "disk" << false;
    QTest::newRow("lower-case rec folder is no copy") << "disk/rec/REC_1.mp4" << "disk" << false;
    QTest::newRow("missing folder") << "disk/REC_1.mp4" << "nothing" << false;
}

void TestClipCatalogue::properFolder()
{
    QFETCH(QString, clipFile);
    QFETCH(QString, folder);
    QFETCH(bool, expected);
    file(clipFile);
    QCOMPARE(isProperFolder(path(folder)), expected);
}

void TestClipCatalogue::properFolderCancelled()
{
    file(QStringLiteral("CARD/REC/REC_2012_05_14_10_00_00.mp4"));
    const std::atomic<bool> cancelled{true};
    QVERIFY(!isProperFolder(path(QStringLiteral("CARD")), &cancelled));
    const std::atomic<bool> running{false};
    QVERIFY(isProperFolder(path(QStringLiteral("CARD")), &running));
}

void TestClipCatalogue::causeFilter_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("all") << 0 << QStringList({"EVS_1_I.mp4", "EVS_1_M.mp4", "EVS_1_P.mp4", "EVS_1_i.mp4",
                                              "REC_1.mp4", "_I.mp4"});
    QTest::newRow("manual") << 1 << QStringList({"EVS_1_M.mp4"});
    QTest::newRow("driving, lower case and leading marker left out") << 2 << QStringList({"EVS_1_I.mp4"});
    QTest::newRow("parking") << 3 << QStringList({"EVS_1_P.mp4"});
    QTest::newRow("unknown filter selects all") << 7 << QStringList({"EVS_1_I.mp4", "EVS_1_M.mp4", "EVS_1_P.mp4",
                                                                     "EVS_1_i.mp4", "REC_1.mp4", "_I.mp4"});
}

void TestClipCatalogue::causeFilter()
{
    QFETCH(int, filter);
    QFETCH(QStringList, expected);
    for (const char *name : {"EVS_1_I.mp4", "EVS_1_M.mp4", "EVS_1_P.mp4", "EVS_1_i.mp4", "REC_1.mp4", "_I.mp4"})
        file(QStringLiteral("CARD/EVENT/") + QLatin1String(name));
    ClipCatalogue catalogue(path(QStringLiteral("CARD")));
    QCOMPARE(names(ClipListFilter::visibleClips(catalogue, ClipListFilter::AllCategories, filter)), expected);
    // The filter applies within the category: nothing of EVENT is in REC.
    QVERIFY(ClipListFilter::visibleClips(catalogue, ClipListFilter::NormalCategory, filter).isEmpty());
    QCOMPARE(names(ClipListFilter::visibleClips(catalogue, ClipListFilter::EventCategory, filter)), expected);
}

void TestClipCatalogue::startTimeFromName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDateTime>("start");
    QTest::newRow("normal") << "REC_2012_05_14_10_20_30.mp4" << int(Clip::Normal)
                            << QDateTime(QDate(2012, 5, 14), QTime(10, 20, 30));
    QTest::newRow("event") << "EVS_2013_04_05_17_30_00.mp4" << int(Clip::Event)
                           << QDateTime(QDate(2013, 4, 5), QTime(17, 30));
    QTest::newRow("event with marker") << "EVS_2013_04_05_17_30_00_I.mp4" << int(Clip::Event) << QDateTime();
    QTest::newRow("impossible date") << "REC_2013_02_30_17_30_00.mp4" << int(Clip::Normal) << QDateTime();
    QTest::newRow("other name") << "MOV0001.avi" << int(Clip::Unrecognised) << QDateTime();
}

// The scan creates clips without reading their times; the time read later must be the name's.
void TestClipCatalogue::startTimeFromName()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(QDateTime, start);
    file(QStringLiteral("CARD/") + name);
    ClipCatalogue catalogue(path(QStringLiteral("CARD")));
    QCOMPARE(catalogue.clips().size(), size_t(1));
    const Clip &clip = *catalogue.clips().begin()->second;
    QCOMPARE(clip.kind(), kind);
    QCOMPARE(clip.startTime(), start);
    QCOMPARE(clip.startTime().isValid(), start.isValid());
}

QTEST_GUILESS_MAIN(TestClipCatalogue)
#include "tst_clipcatalogue.moc"
