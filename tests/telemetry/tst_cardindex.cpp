// The card's telemetry index: what it holds against reading each clip, hostile files on the card,
// its cache (used, refreshed, and rebuilt when damaged) and the background indexer's signals.
#include "telemetry/cardindex.h"
#include "telemetry/cardindexer.h"
#include "cardfixture.h"

#include <QCryptographicHash>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>
#include <fcntl.h>

using CardFixture::ClipPlan;

namespace {

const QDateTime kMorning(QDate(2025, 7, 2), QTime(9, 0, 14), Qt::UTC);

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

void putU32(QByteArray &bytes, qsizetype at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

QStringList pathsOf(const CardIndex &index)
{
    QStringList paths;
    for (const CardIndex::Entry &entry : index.entries())
        paths << entry.telemetry.summary.path;
    return paths;
}

} // namespace

class TestCardIndex : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void holdsWhatReadingEachClipGives();
    void cacheIsUsedUntilAClipChanges();
    void damagedCacheIsRebuilt_data();
    void damagedCacheIsRebuilt();
    void indexerReportsAndNewerWins();

private:
    CardIndex buildFresh(const QString &cache = QString());
    QTemporaryDir m_card;
    QTemporaryDir m_scratch;
    QStringList m_clips;
};

void TestCardIndex::initTestCase()
{
    QVERIFY(m_card.isValid() && m_scratch.isValid());
    for (int i = 0; i < 4; ++i) {
        ClipPlan plan;
        plan.recorderStart = kMorning.addSecs(i * 10);
        plan.offsetSeconds = 9 * 3600 + 75;
        plan.latitude = 37.5 + i * 0.001;
        m_clips << CardFixture::writeClip(m_card.path(), plan);
    }
    ClipPlan event;
    event.prefix = QStringLiteral("EVS");
    event.folder = QStringLiteral("EVENT");
    event.suffix = QStringLiteral("_I.avi");
    event.recorderStart = kMorning.addSecs(15);
    m_clips << CardFixture::writeClip(m_card.path(), event);
    QVERIFY(!m_clips.contains(QString()));
    // Hostile files beside them: cut, garbage, absurd sizes, an MP4 that is not one, an empty clip,
    // a FIFO with a clip's name.
    const QByteArray good = fileBytes(m_clips.first());
    const QString rec = m_card.filePath(QStringLiteral("REC/"));
    QVERIFY(writeBytes(rec + "REC_2025_07_02_10_00_00.avi", good.left(good.size() / 3)));
    QByteArray noise(5000, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919) % 251);
    QVERIFY(writeBytes(rec + "REC_2025_07_02_10_01_00.avi", "RIFF\xff\xff\xff\xff" "AVI " + noise));
    QByteArray huge = good;
    for (qsizetype at = 4; at + 4 < huge.size(); at += 997)
        putU32(huge, at, 0xffffffffu);
    QVERIFY(writeBytes(rec + "REC_2025_07_02_10_02_00.avi", huge));
    QVERIFY(writeBytes(rec + "REC_2025_07_02_10_03_00.mp4", "\0\0\0\x08moov\xff\xff\xff\xf0mvhd" + noise));
    QVERIFY(writeBytes(rec + "REC_2025_07_02_10_04_00.avi", QByteArray()));
    QCOMPARE(::mkfifo(QFile::encodeName(rec + "REC_2025_07_02_10_05_00.avi").constData(), 0600), 0);
}

CardIndex TestCardIndex::buildFresh(const QString &cache)
{
    CardIndex::BuildOptions options;
    options.cacheFile = cache;
    return CardIndex::build(m_card.path(), options);
}

// Every clip the scan finds, as reading it alone gives it; hostile files neither stop nor break it.
void TestCardIndex::holdsWhatReadingEachClipGives()
{
    const CardIndex index = buildFresh();
    QCOMPARE(index.entries().size(), m_clips.size() + 4); // the empty clip and the FIFO are no clips
    for (const CardIndex::Entry &entry : index.entries()) {
        const QString path = entry.telemetry.summary.path;
        QCOMPARE(entry.telemetry, readClipTelemetry(path));
        QCOMPARE(entry.size, QFileInfo(path).size());
    }
    QCOMPARE(index.clip(m_clips.first())->summary.ownOffsetMs, std::optional<qint64>((9 * 3600 + 75) * 1000));
    QCOMPARE(index.clip(m_clips.first())->samples.size(), 100);
    const QList<Trip> trips = index.trips(RecorderClock::FallbackZone(QTimeZone(0)));
    // The four clips, then the cut clip and the one with absurd sizes: their headers still give a length.
    QCOMPARE(trips.size(), 3);
    QCOMPARE(trips.first().clips.size(), 4);
    QCOMPARE(trips.first().events.size(), 1);
    const QList<TrackExport::Piece> pieces = index.pieces(trips.first());
    QCOMPARE(pieces.size(), 4);
    QCOMPARE(pieces.at(1).offsetMs, 10000);
    QCOMPARE(pieces.at(1).start, kMorning.addSecs(10 - 9 * 3600 - 75));
}

// The cache stands in for a clip as long as its size and modification time stay; a change to
// either has the clip read again. The cache file is rewritten only when something changed.
void TestCardIndex::cacheIsUsedUntilAClipChanges()
{
    const QString cache = m_scratch.filePath(QStringLiteral("used.index"));
    const CardIndex first = buildFresh(cache);
    QVERIFY(QFileInfo::exists(cache));
    QCOMPARE(CardIndexCache::load(cache, first.folder()), std::optional<QList<CardIndex::Entry>>(first.entries()));
    // Same size, same time, other bytes: the cache answers.
    const QString clip = m_clips.at(1);
    const QByteArray original = fileBytes(clip);
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(clip).constData(), &before), 0);
    QByteArray moved = original;
    moved.replace("3730.", "3630."); // a degree further south in every sentence
    QVERIFY(moved != original && writeBytes(clip, moved));
    const timespec times[2] = {before.st_atim, before.st_mtim};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(clip).constData(), times, 0), 0);
    QCOMPARE(buildFresh(cache).entries(), first.entries());
    // A new modification time: read again.
    const timespec later[2] = {before.st_atim, {before.st_mtim.tv_sec + 5, before.st_mtim.tv_nsec}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(clip).constData(), later, 0), 0);
    const CardIndex second = buildFresh(cache);
    QVERIFY(second.clip(clip)->samples.first().latitude < 37.0);
    QCOMPARE(second.entries().size(), first.entries().size());
    QVERIFY(writeBytes(clip, original));
    // A clip gone from the card leaves the index.
    const QString gone = m_scratch.filePath(QStringLiteral("moved-away.avi"));
    QVERIFY(QFile::rename(m_clips.at(2), gone));
    QVERIFY(!pathsOf(buildFresh(cache)).contains(m_clips.at(2)));
    QVERIFY(QFile::rename(gone, m_clips.at(2)));
}

void TestCardIndex::damagedCacheIsRebuilt_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("cut short") << "cut";
    QTest::newRow("a flipped byte in the body") << "flip";
    QTest::newRow("a newer version") << "version";
    QTest::newRow("random bytes") << "random";
    QTest::newRow("empty") << "empty";
    QTest::newRow("a huge count with a valid checksum") << "count";
    QTest::newRow("a folder at the cache's place") << "folder";
    QTest::newRow("another card's cache") << "other";
}

// Whatever stands where the cache should be, the index comes out as read afresh, and the cache
// is good again afterwards.
void TestCardIndex::damagedCacheIsRebuilt()
{
    QFETCH(QString, damage);
    const QString cache = m_scratch.filePath(damage + QStringLiteral(".index"));
    const CardIndex fresh = buildFresh(cache);
    QByteArray bytes = fileBytes(cache);
    const qsizetype header = qsizetype(strlen("QRD7700 card index\n")) + 4 + 8 + 20;
    if (damage == QLatin1String("cut")) {
        bytes.chop(bytes.size() / 2);
    } else if (damage == QLatin1String("flip")) {
        bytes[bytes.size() - 100] = char(bytes.at(bytes.size() - 100) ^ 0x20);
    } else if (damage == QLatin1String("version")) {
        bytes[header - 32] = char(2);
    } else if (damage == QLatin1String("random")) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 31 + 7) % 256);
    } else if (damage == QLatin1String("empty")) {
        bytes.clear();
    } else if (damage == QLatin1String("count")) {
        // A body that claims four billion clips, with a checksum that fits it.
        QByteArray body = bytes.mid(header);
        const quint32 folderSize = qFromLittleEndian<quint32>(body.constData());
        body.truncate(4 + folderSize);
        body += QByteArray("\xff\xff\xff\xff", 4);
        bytes = bytes.left(header - 28);
        QByteArray size(8, '\0');
        qToLittleEndian(quint64(body.size()), size.data());
        bytes += size + QCryptographicHash::hash(body, QCryptographicHash::Sha1) + body;
    } else if (damage == QLatin1String("other")) {
        QVERIFY(CardIndexCache::save(cache, m_scratch.path(), fresh.entries()));
        bytes = fileBytes(cache);
    }
    if (damage == QLatin1String("folder")) {
        QVERIFY(QFile::remove(cache) && QDir().mkdir(cache));
    } else {
        QVERIFY(writeBytes(cache, bytes));
    }
    QVERIFY(!CardIndexCache::load(cache, fresh.folder()));
    const CardIndex rebuilt = buildFresh(cache);
    QCOMPARE(rebuilt.entries(), fresh.entries());
    if (damage != QLatin1String("folder"))
        QCOMPARE(CardIndexCache::load(cache, fresh.folder()), std::optional<QList<CardIndex::Entry>>(fresh.entries()));
}

// Progress and partial indexes while the build runs, the whole index at the end, and only the
// newest request heard; cancelling and going away mid-build are safe.
void TestCardIndex::indexerReportsAndNewerWins()
{
    const QString cache = m_scratch.filePath(QStringLiteral("indexer.index"));
    QFile::remove(cache);
    CardIndexer indexer;
    QSignalSpy finished(&indexer, &CardIndexer::finished);
    QSignalSpy progressed(&indexer, &CardIndexer::progressed);
    const quint64 dropped = indexer.start(m_card.path(), cache);
    const quint64 request = indexer.start(m_card.path(), cache);
    QVERIFY(request > dropped);
    QVERIFY(indexer.isRunning());
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().at(0).value<quint64>(), request);
    const CardIndex index = finished.first().at(1).value<CardIndex>();
    QCOMPARE(index.entries(), buildFresh().entries());
    QVERIFY(!progressed.isEmpty());
    QCOMPARE(progressed.last().at(1).toInt(), int(index.entries().size()));
    for (const QList<QVariant> &signal : progressed)
        QCOMPARE(signal.at(0).value<quint64>(), request);
    QVERIFY(!indexer.isRunning());

    indexer.start(m_card.path(), m_scratch.filePath(QStringLiteral("cancelled.index")));
    indexer.cancel();
    QVERIFY(!finished.wait(300));
    QCOMPARE(finished.size(), 1);
    {
        CardIndexer leaving;
        leaving.start(m_card.path(), m_scratch.filePath(QStringLiteral("leaving.index")));
    } // goes away while reading
}

QTEST_GUILESS_MAIN(TestCardIndex)
#include "tst_cardindex.moc"
