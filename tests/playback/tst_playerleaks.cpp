// Opening and closing clips many times gives everything back: descriptors (each pipeline's bus and
// bins hold sockets) and memory.
#include "playback/player.h"

#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "playertestclips.h"
#include "generators/mediagen/mediagen.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <limits>

#include <malloc.h>
#include <unistd.h>

namespace {

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

// Resident memory in bytes, after handing freed heap back to the system so that only what is still
// held counts.
qint64 residentBytes()
{
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

} // namespace

class TestPlayerLeaks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void hundredOpensGiveEverythingBack();

private:
    // Opens the clip, shows a few pictures on screen, and closes it again.
    void cycle(Player &player, const QString &name, bool opens);

    PlayerTestClips m_clips;
};

void TestPlayerLeaks::initTestCase()
{
    QVERIFY(MediaFramework::initialise());
    if (!m_clips.missingMp4().isEmpty() || !m_clips.missingAvi().isEmpty())
        QSKIP("GStreamer plugins missing for the test clips");
    QString error;
    QVERIFY2(m_clips.create(&error), qPrintable(error));
}

void TestPlayerLeaks::cycle(Player &player, const QString &name, bool opens)
{
    Clip clip{QFileInfo(m_clips.path(name))};
    QCOMPARE(PlayerTestClips::openAndWait(player, &clip), opens);
    if (opens) {
        player.setDisplaySize(0, QSize(160, 90));
        player.setDisplaySize(1, QSize(160, 90));
        QVERIFY(player.play());
        QTRY_VERIFY(player.status().deliveredPictures[0] > 3);
        QVERIFY(!player.grabFrame(0, true).isNull());
    }
    player.close();
}

void TestPlayerLeaks::hundredOpensGiveEverythingBack()
{
    PictureRecorder output; // keeps the latest pictures, as a view does
    Player player(Player::Options{&output});
    const QString clips[] = {PlayerTestClips::mp4Two(), PlayerTestClips::aviTwo(), PlayerTestClips::randomBytes()};
    int round = 0;
    // Runs `count` rounds; answers the least resident memory seen after the last `sampled` of
    // them. Freed memory goes back to the system unevenly (threads and their stacks come and go):
    // the least of several readings is the memory still held.
    auto run = [&](int count, int sampled) {
        qint64 least = std::numeric_limits<qint64>::max();
        for (int i = 0; i < count; ++i, ++round) {
            cycle(player, clips[round % 3], round % 3 != 2);
            if (i >= count - sampled)
                least = qMin(least, residentBytes());
        }
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return least;
    };
    // The first rounds load plugins and fill caches, pools and the heap's arenas once for the process.
    run(30, 0);
    const int descriptors = openDescriptors();
    const qint64 resident = run(9, 9);
    const qint64 residentAfter = run(100, 9);
    const int descriptorsAfter = openDescriptors();
    qInfo("descriptors %d -> %d, resident memory %.1f -> %.1f MB after 100 opens", descriptors, descriptorsAfter,
          resident / 1048576.0, residentAfter / 1048576.0);
    QCOMPARE(descriptorsAfter, descriptors);
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed memory in quarantine; its leak checker speaks for the memory here.
#else
    QVERIFY2(residentAfter - resident < 5 * 1048576, qPrintable(QString::number(residentAfter - resident)));
#endif
}

QTEST_MAIN(TestPlayerLeaks)
#include "tst_playerleaks.moc"
