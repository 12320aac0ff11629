// Still pictures of a moment, read from generated clips: every channel's picture at its full size,
// the one the moment falls in (by the frame number it carries).
#include "playback/mediaframework.h"
#include "playback/stillreader.h"

#include "exporttestclips.h"

#include "generators/mediagen/mediagen.h"

#include <QSignalSpy>
#include <QTest>

class TestStillReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        bool skip = false;
        const QString problem = m_clips.prepare(&skip);
        if (skip)
            QSKIP(qPrintable(problem));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void reads_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<qint64>("atMs");
        QTest::addColumn<QList<QSize>>("sizes"); // empty: no picture there
        QTest::addColumn<int>("frame");
        const QList<QSize> two{QSize(320, 180), QSize(160, 90)};
        QTest::newRow("avi, on a picture's start") << ExportTestClips::aviFirst() << qint64(1000) << two << 15;
        QTest::newRow("avi, inside a picture") << ExportTestClips::aviFirst() << qint64(1050) << two << 15;
        QTest::newRow("mp4, between key frames") << ExportTestClips::mp4Two() << qint64(1500) << two << 22;
        QTest::newRow("mp4, one channel") << ExportTestClips::mp4Mono() << qint64(0) << QList<QSize>{QSize(320, 180)} << 0;
        QTest::newRow("past the clip's end") << ExportTestClips::aviFirst() << qint64(9000) << QList<QSize>() << -1;
        QTest::newRow("not a clip") << ExportTestClips::brokenAvi() << qint64(0) << QList<QSize>() << -1;
    }

    void reads()
    {
        QFETCH(QString, clip);
        QFETCH(qint64, atMs);
        QFETCH(QList<QSize>, sizes);
        QFETCH(int, frame);
        StillReader reader(m_clips.path(clip), atMs);
        QSignalSpy finished(&reader, &StillReader::finished);
        QSignalSpy failed(&reader, &StillReader::failed);
        QVERIFY(reader.start());
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty() || !failed.isEmpty(), 30000);
        QCOMPARE(finished.isEmpty(), sizes.isEmpty());
        const QList<QImage> pictures = reader.pictures();
        if (sizes.isEmpty())
            return;
        QCOMPARE(pictures.size(), sizes.size());
        for (int channel = 0; channel < sizes.size(); ++channel) {
            QCOMPARE(pictures.at(channel).size(), sizes.at(channel));
            const MediaGen::FrameMark mark = MediaGen::readFrameMark(pictures.at(channel));
            QCOMPARE(mark.channel, channel);
            QCOMPARE(mark.frame, frame);
        }
    }

private:
    ExportTestClips m_clips;
};

QTEST_GUILESS_MAIN(TestStillReader)
#include "tst_stillreader.moc"
