#include "catalogue/clip.h"

#include <QTest>

class TestClip : public QObject
{
    Q_OBJECT
private slots:
    void kindAndStart_data();
    void kindAndStart();
    void displayDate_data();
    void displayDate();
};

void TestClip::kindAndStart_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDateTime>("start");

    const QDateTime invalid;
    QTest::newRow("normal") << "REC_2012_05_14_10_20_30.mp4" << 1
                            << QDateTime(QDate(2012, 5, 14), QTime(10, 20, 30));
    QTest::newRow("event") << "EVS_2013_01_02_03_04_05.mp4" << 2
                           << QDateTime(QDate(2013, 1, 2), QTime(3, 4, 5));
    QTest::newRow("last second of a day") << "REC_2012_12_31_23_59_59.mp4" << 1
                                          << QDateTime(QDate(2012, 12, 31), QTime(23, 59, 59));
    QTest::newRow("lower-case prefix") << "rec_2012_05_14_10_20_30.mp4" << 1 << invalid;
    QTest::newRow("mixed-case event prefix") << "Evs_2012_05_14_10_20_30.mp4" << 2 << invalid;
    QTest::newRow("cause marker") << "EVS_2012_05_14_10_20_30_I.mp4" << 2 << invalid;
    QTest::newRow("month 13") << "REC_2012_13_01_00_00_00.mp4" << 1 << invalid;
    QTest::newRow("hour 24") << "REC_2012_05_14_24_00_00.mp4" << 1 << invalid;
    QTest::newRow("capital extension") << "REC_2012_05_14_10_20_30.MP4" << 1 << invalid;
    QTest::newRow("avi extension") << "REC_2012_05_14_10_20_30.avi" << 1 << invalid;
    QTest::newRow("foreign name") << "movie.mp4" << 0 << invalid;
    QTest::newRow("prefix not at start") << "xREC_2012_05_14_10_20_30.mp4" << 0 << invalid;
    QTest::newRow("prefix only") << "REC_" << 1 << invalid;
}

void TestClip::kindAndStart()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(QDateTime, start);

    const Clip clip(QFileInfo(QStringLiteral("/card/REC/") + name));
    QCOMPARE(clip.kind(), kind);
    QCOMPARE(clip.startTime().isValid(), start.isValid());
    if (start.isValid())
        QCOMPARE(clip.startTime(), start);
    QCOMPARE(clip.file().fileName(), name);
}

void TestClip::displayDate_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("date");
    QTest::newRow("normal") << "REC_2012_05_14_10_20_30.mp4" << "2012.05.14";
    QTest::newRow("event") << "EVS_2013_01_02_03_04_05.mp4" << "2013.01.02";
    QTest::newRow("with marker") << "EVS_2013_01_02_03_04_05_M.mp4" << "2013.01.02";
    QTest::newRow("avi") << "REC_2014_07_08_09_10_11.avi" << "2014.07.08";
    QTest::newRow("short foreign name") << "a.mp4" << "a";
    QTest::newRow("empty") << "" << "";
}

void TestClip::displayDate()
{
    QFETCH(QString, name);
    QFETCH(QString, date);
    QCOMPARE(Clip::displayDateOf(name), date);
    if (!name.isEmpty())
        QCOMPARE(Clip(QFileInfo(QStringLiteral("/x/") + name)).displayDate(), date);
}

QTEST_GUILESS_MAIN(TestClip)
#include "tst_clip.moc"
