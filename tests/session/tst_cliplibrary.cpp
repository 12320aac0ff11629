// The clip library on card trees in a temporary folder: scans on the worker and their order, the
// category and filter over the catalogue read, files added one by one, stepping through the list.
#include "session/cliplibrary.h"

#include "catalogue/clip.h"
#include "catalogue/clipcatalogue.h"
#include "catalogue/removabledrive.h"
#include "session/viewerstate.h"
#include "tests/catalogue/cardtree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QStringList names(const QList<Clip *> &clips)
{
    QStringList result;
    for (const Clip *clip : clips)
        result.append(clip->file().fileName());
    return result;
}

} // namespace

class TestClipLibrary : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void newerScanWinsOverOlderSlowOne();
    void selectionFiltersWithoutReadingTheCard();
    void selectionDuringScanShapesItsAnswer();
    void selectionAfterRefusedFolderReadsTheShownFolder();
    void folderWithoutClips();
    void addedFilesFollowTheCatalogue();
    void neighbourWraps_data();
    void neighbourWraps();
    void scanUnderWayWhenLibraryGoes();
    void cutOffSettingsSaveFinishedWhenTheCardOpens();

private:
    QString file(const QString &relative, int size = 4);
    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    // Opens `relative` and waits for the answer; true when it listed clips.
    bool open(ClipLibrary &library, const QString &relative);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ViewerState> m_state;
};

void TestClipLibrary::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_state = std::make_unique<ViewerState>();
    file(QStringLiteral("CARD/REC/REC_2012_05_14_10_00_00.mp4"));
    file(QStringLiteral("CARD/REC/REC_2012_05_14_10_01_00_M.mp4"));
    file(QStringLiteral("CARD/EVENT/EVS_2012_05_14_10_02_00_I.mp4"));
    file(QStringLiteral("CARD/EVENT/EVS_2012_05_14_10_03_00_P.avi"));
    file(QStringLiteral("OTHER/REC_2013_01_01_00_00_00.mp4"));
    QVERIFY(QDir().mkpath(path(QStringLiteral("EMPTY"))));
    qputenv(kCardsVariable, path(QStringLiteral("CARD")).toLocal8Bit());
}

void TestClipLibrary::cleanup()
{
    qunsetenv(kCardsVariable);
    m_state.reset();
}

QString TestClipLibrary::file(const QString &relative, int size)
{
    return CardTree::writeFile(path(relative), size);
}

bool TestClipLibrary::open(ClipLibrary &library, const QString &relative)
{
    QSignalSpy finished(&library, &ClipLibrary::scanFinished);
    const int request = library.openFolder(path(relative));
    if (!finished.wait(10000) || finished.constLast().at(0).toInt() != request)
        return false;
    return finished.constLast().at(1).toBool();
}

// The user opens a large card, then another folder before the first scan ends: the second folder's
// clips show as soon as they are read, the first scan is told to stop, and its late answer changes
// nothing.
void TestClipLibrary::newerScanWinsOverOlderSlowOne()
{
    QSemaphore releaseCard;
    std::atomic<bool> cardCancelled = false;
    std::atomic<bool> cardReturned = false;
    std::weak_ptr<ClipCatalogue> cardCatalogue;
    const QString card = path(QStringLiteral("CARD"));
    ClipLibrary library(m_state.get(), [&](const QString &folder, const std::atomic<bool> *cancelled) {
        if (folder != card)
            return std::make_shared<ClipCatalogue>(folder, cancelled);
        releaseCard.acquire();
        cardCancelled = cancelled->load();
        // A scan that reads on although it was told to stop.
        auto catalogue = std::make_shared<ClipCatalogue>(folder);
        cardCatalogue = catalogue;
        cardReturned = true;
        return catalogue;
    });
    QSignalSpy resets(&library, &ClipLibrary::listReset);
    QSignalSpy finished(&library, &ClipLibrary::scanFinished);

    const int older = library.openFolder(card);
    QVERIFY(library.isScanning());
    const int newer = library.openFolder(path(QStringLiteral("OTHER")));
    QVERIFY(newer > older);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.constLast(), (QVariantList{newer, true}));
    QCOMPARE(names(library.entries()), QStringList{"REC_2013_01_01_00_00_00.mp4"});
    QCOMPARE(m_state->folder(), path(QStringLiteral("OTHER")));
    QVERIFY(!library.isScanning());

    releaseCard.release();
    QTRY_VERIFY(cardReturned);
    QVERIFY(cardCancelled);
    // The answer arrived and was dropped: nobody keeps the card's catalogue.
    QTRY_VERIFY(cardCatalogue.expired());
    QCOMPARE(finished.size(), 1);
    QCOMPARE(resets.size(), 1);
    QCOMPARE(names(library.entries()), QStringList{"REC_2013_01_01_00_00_00.mp4"});
    QCOMPARE(m_state->folder(), path(QStringLiteral("OTHER")));
}

// Category and filter choose among the clips read when the folder was opened: a clip written to the
// card since does not appear, and the card is not read again.
void TestClipLibrary::selectionFiltersWithoutReadingTheCard()
{
    int scans = 0;
    ClipLibrary library(m_state.get(), [&scans](const QString &folder, const std::atomic<bool> *cancelled) {
        ++scans;
        return std::make_shared<ClipCatalogue>(folder, cancelled);
    });
    QVERIFY(open(library, QStringLiteral("CARD")));
    QCOMPARE(library.entries().size(), 4);
    file(QStringLiteral("CARD/REC/REC_2012_05_14_10_09_00_M.mp4"));
    QSignalSpy resets(&library, &ClipLibrary::listReset);
    QSignalSpy aboutToReset(&library, &ClipLibrary::aboutToReset);

    struct Step
    {
        int category;
        int filter;
        QStringList shown;
    };
    const QList<Step> steps = {
        {1, 0, {"REC_2012_05_14_10_00_00.mp4", "REC_2012_05_14_10_01_00_M.mp4"}},
        {1, 1, {"REC_2012_05_14_10_01_00_M.mp4"}},
        {2, 1, {}},
        {2, 3, {"EVS_2012_05_14_10_03_00_P.avi"}},
        {0, 2, {"EVS_2012_05_14_10_02_00_I.mp4"}},
        {0, 0, {"EVS_2012_05_14_10_02_00_I.mp4", "EVS_2012_05_14_10_03_00_P.avi", "REC_2012_05_14_10_00_00.mp4",
                "REC_2012_05_14_10_01_00_M.mp4"}},
    };
    for (const Step &step : steps) {
        QCOMPARE(library.select(step.category, step.filter), 0);
        QCOMPARE(names(library.entries()), step.shown);
        QCOMPARE(m_state->category(), step.category);
        QCOMPARE(m_state->filter(), step.filter);
    }
    QCOMPARE(resets.size(), steps.size());
    QCOMPARE(aboutToReset.size(), steps.size());
    QCOMPARE(scans, 1);
    QVERIFY(!library.isScanning());
}

// A category chosen while the folder is still being read applies to what the scan finds.
void TestClipLibrary::selectionDuringScanShapesItsAnswer()
{
    ClipLibrary library(m_state.get());
    QSignalSpy finished(&library, &ClipLibrary::scanFinished);
    const int request = library.openFolder(path(QStringLiteral("CARD")));
    QCOMPARE(library.select(2, 0), 0);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.constLast(), (QVariantList{request, true}));
    QCOMPARE(names(library.entries()), QStringList({"EVS_2012_05_14_10_02_00_I.mp4", "EVS_2012_05_14_10_03_00_P.avi"}));
    QCOMPARE(m_state->category(), 2);
}

// After a folder without clips the list is empty and nothing of the earlier catalogue is left; a
// category then reads the folder shown before again, and with none shown, the working folder.
void TestClipLibrary::selectionAfterRefusedFolderReadsTheShownFolder()
{
    ClipLibrary library(m_state.get());
    QSignalSpy finished(&library, &ClipLibrary::scanFinished);
    const int selectFirst = library.select(1, 0);
    QVERIFY(selectFirst > 0);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.constLast(), (QVariantList{selectFirst, false})); // no clips where the tests run

    QVERIFY(open(library, QStringLiteral("CARD")));
    QVERIFY(!open(library, QStringLiteral("EMPTY")));
    QVERIFY(library.entries().isEmpty());
    QCOMPARE(m_state->folder(), path(QStringLiteral("CARD")));
    const int request = library.select(1, 0);
    QVERIFY(request > 0);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.constLast(), (QVariantList{request, true}));
    QCOMPARE(names(library.entries()), QStringList({"REC_2012_05_14_10_00_00.mp4", "REC_2012_05_14_10_01_00_M.mp4"}));
}

void TestClipLibrary::folderWithoutClips()
{
    ClipLibrary library(m_state.get());
    QSignalSpy aboutToReset(&library, &ClipLibrary::aboutToReset);
    QSignalSpy resets(&library, &ClipLibrary::listReset);
    file(QStringLiteral("EMPTY/REC_2012_05_14_10_00_00.mp4"), 0); // empty files are no clips
    file(QStringLiteral("EMPTY/notes.txt"));
    QVERIFY(!open(library, QStringLiteral("EMPTY")));
    QVERIFY(library.entries().isEmpty());
    QCOMPARE(resets.size(), 0);
    QCOMPARE(aboutToReset.size(), 1);
    QVERIFY(m_state->folder().isEmpty());
    QVERIFY(!m_state->hasClips());
    QVERIFY(!open(library, QStringLiteral("gone")));
    QVERIFY(library.entries().isEmpty());
}

// Files added one by one follow the catalogue's entries, make the transport usable, and leave the
// list with the next folder or category, while their clips stay valid for whoever still plays one.
void TestClipLibrary::addedFilesFollowTheCatalogue()
{
    ClipLibrary library(m_state.get());
    QSignalSpy added(&library, &ClipLibrary::entriesAdded);
    QCOMPARE(library.addFiles({}), -1);
    const QString loose = path(QStringLiteral("OTHER/REC_2013_01_01_00_00_00.mp4"));
    QCOMPARE(library.addFiles({loose}), 0);
    QVERIFY(m_state->hasClips());
    Clip *first = library.entries().constFirst();
    QVERIFY(library.isAddedFile(first));

    QVERIFY(open(library, QStringLiteral("CARD")));
    QCOMPARE(library.entries().size(), 4);
    QVERIFY(!library.isAddedFile(library.entries().constFirst()));
    QCOMPARE(library.addFiles({loose, loose}), 4);
    QCOMPARE(added.constLast(), QVariantList{4});
    QCOMPARE(library.entries().size(), 6);
    QVERIFY(library.entries().at(4) != library.entries().at(5)); // each entry its own clip
    QCOMPARE(first->file().absoluteFilePath(), loose);

    library.select(2, 0);
    QCOMPARE(library.entries().size(), 2);
    QVERIFY(library.isAddedFile(first));
    // Added while a folder is read, kept behind what the scan finds.
    QSignalSpy finished(&library, &ClipLibrary::scanFinished);
    library.openFolder(path(QStringLiteral("CARD")));
    QCOMPARE(library.addFiles({loose}), 0);
    QVERIFY(finished.wait(10000));
    QCOMPARE(library.entries().size(), 5);
    QVERIFY(library.isAddedFile(library.entries().constLast()));
}

void TestClipLibrary::neighbourWraps_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("expected");
    QTest::newRow("next of the last wraps to the first") << 3 << 2 << 1 << 0;
    QTest::newRow("previous of the first wraps to the last") << 3 << 0 << -1 << 2;
    QTest::newRow("next in the middle") << 3 << 1 << 1 << 2;
    QTest::newRow("previous in the middle") << 3 << 1 << -1 << 0;
    QTest::newRow("no current row, next") << 3 << -1 << 1 << 0;
    QTest::newRow("a single entry stays") << 1 << 0 << 1 << -1;
    QTest::newRow("an empty list") << 0 << -1 << -1 << -1;
}

void TestClipLibrary::neighbourWraps()
{
    QFETCH(int, entries);
    QFETCH(int, row);
    QFETCH(int, direction);
    QFETCH(int, expected);
    ClipLibrary library(m_state.get());
    for (int i = 0; i < entries; ++i)
        library.addFiles({file(QStringLiteral("loose/REC_2012_05_14_10_0%1_00.mp4").arg(i))});
    QCOMPARE(library.neighbour(row, direction), expected);
}

// The window closes while a large card is still being read: the library stops the scan and goes.
void TestClipLibrary::scanUnderWayWhenLibraryGoes()
{
    std::atomic<bool> sawCancel = false;
    QSemaphore started;
    {
        ClipLibrary library(m_state.get(), [&](const QString &folder, const std::atomic<bool> *cancelled) {
            started.release();
            while (!cancelled->load())
                QThread::yieldCurrentThread();
            sawCancel = true;
            return std::make_shared<ClipCatalogue>(folder, cancelled);
        });
        library.openFolder(path(QStringLiteral("CARD")));
        QVERIFY(started.tryAcquire(1, 10000));
    }
    QVERIFY(sawCancel);
    QCoreApplication::processEvents();
}

// A settings save on the card was cut off after its journal, half way through its renames: opening a
// folder of the card in the viewer finishes it before the clips are listed.
void TestClipLibrary::cutOffSettingsSaveFinishedWhenTheCardOpens()
{
    file(QStringLiteral("CARD/setting/setsound.dat"), 1);
    CardTree::writeFile(path(QStringLiteral("CARD/setting/.setsound.dat.a1")), 2);
    QFile journal(path(QStringLiteral("CARD/setting/.qrd7700-commit")));
    QVERIFY(journal.open(QIODevice::WriteOnly));
    journal.write(".setsound.dat.a1\n");
    journal.close();
    ClipLibrary library(m_state.get());
    QVERIFY(open(library, QStringLiteral("CARD/REC")));
    QCOMPARE(QDir(path(QStringLiteral("CARD/setting"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("setsound.dat")});
    QCOMPARE(QFileInfo(path(QStringLiteral("CARD/setting/setsound.dat"))).size(), 2);
}

QTEST_GUILESS_MAIN(TestClipLibrary)

#include "tst_cliplibrary.moc"
