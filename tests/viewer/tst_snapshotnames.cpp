#include "viewer/snapshotnames.h"

#include <QTest>

using namespace Snapshot;

class TestSnapshotNames : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void tags_data();
    void tags();
    void proposed();
    void names_data();
    void names();
};

void TestSnapshotNames::tags_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("tag");
    QTest::newRow("1080") << 1080 << "-FHD";
    QTest::newRow("1440") << 1440 << "-FHD";
    QTest::newRow("1079") << 1079 << "-HD";
    QTest::newRow("720") << 720 << "-HD";
    QTest::newRow("719") << 719 << "-SD";
    QTest::newRow("360") << 360 << "-SD";
    QTest::newRow("unknown") << 0 << "-SD";
}

void TestSnapshotNames::tags()
{
    QFETCH(int, height);
    QFETCH(QString, tag);
    QCOMPARE(resolutionTag(height), tag);
}

void TestSnapshotNames::proposed()
{
    QCOMPARE(proposedName(QDateTime(QDate(2013, 1, 2), QTime(3, 4, 5))), QStringLiteral("QRD-7700_20130102030405.jpg"));
    QCOMPARE(proposedName(QDateTime(QDate(2026, 12, 8), QTime(23, 59, 0))), QStringLiteral("QRD-7700_20261208235900.jpg"));
}

void TestSnapshotNames::names_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("channels");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("two channels FHD + HD") << "/shots/a.jpg" << 2 << false
                                           << QStringList{"/shots/a-1ch-FHD.jpg", "/shots/a-2ch-HD.jpg"};
    QTest::newRow("one channel") << "/shots/b.png" << 1 << false << QStringList{"/shots/b-1ch-FHD.png"};
    QTest::newRow("capital extension kept") << "/shots/c.JPG" << 1 << false << QStringList{"/shots/c-1ch-FHD.JPG"};
    QTest::newRow("no extension gets one") << "/shots/picture" << 1 << false
                                           << QStringList{"/shots/picture-1ch-FHD.jpg"};
    QTest::newRow("other extension gets one") << "/shots/p.bmp" << 1 << false
                                              << QStringList{"/shots/p.bmp-1ch-FHD.jpg"};
    QTest::newRow("four characters is cancelled") << "a.jp" << 1 << true << QStringList{};
    QTest::newRow("null is cancelled") << QString() << 1 << true << QStringList{};
}

void TestSnapshotNames::names()
{
    QFETCH(QString, chosen);
    QFETCH(int, channels);
    QFETCH(bool, cancelled);
    QFETCH(QStringList, files);
    QCOMPARE(isCancelledName(chosen), cancelled);
    if (cancelled)
        return;
    const std::array<QSize, 2> sizes = {QSize(1920, 1080), QSize(1280, 720)};
    QCOMPARE(channelFileNames(withImageExtension(chosen, QStringLiteral(".jpg")), sizes, channels), files);
}

QTEST_GUILESS_MAIN(TestSnapshotNames)
#include "tst_snapshotnames.moc"
