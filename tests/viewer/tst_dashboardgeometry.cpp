#include "viewer/dashboardgeometry.h"

#include <QTest>

#include <limits>

using namespace Dashboard;

class TestDashboardGeometry : public QObject
{
    Q_OBJECT

private slots:
    void speedDisplay_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<bool>("unitKm");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("segments");
        QTest::addColumn<int>("hundreds");
        QTest::addColumn<int>("tens");
        QTest::addColumn<int>("units");
        QTest::newRow("0 shows the units digit only") << 0 << true << 0 << 0 << -1 << -1 << 0;
        QTest::newRow("7 shows 7 and no segment") << 7 << true << 7 << 0 << -1 << -1 << 7;
        QTest::newRow("10 lights one segment") << 10 << true << 10 << 1 << -1 << 1 << 0;
        QTest::newRow("105 shows 105 and 10 segments") << 105 << true << 105 << 10 << 1 << 0 << 5;
        QTest::newRow("240 lights all 24") << 240 << true << 240 << 24 << 2 << 4 << 0;
        QTest::newRow("241 shows 241, all 24") << 241 << true << 241 << 24 << 2 << 4 << 1;
        QTest::newRow("100 km/h is 62 mph, 6 segments") << 100 << false << 62 << 6 << -1 << 6 << 2;
        QTest::newRow("1 km/h is 0 mph") << 1 << false << 0 << 0 << -1 << -1 << 0;
        QTest::newRow("241 km/h is 149 mph") << 241 << false << 149 << 14 << 1 << 4 << 9;
    }
    void speedDisplay()
    {
        QFETCH(int, speed);
        QFETCH(bool, unitKm);
        QFETCH(int, shown);
        QFETCH(int, segments);
        QFETCH(int, hundreds);
        QFETCH(int, tens);
        QFETCH(int, units);
        QCOMPARE(displaySpeed(speed, unitKm), shown);
        QCOMPARE(litSegments(shown), segments);
        const SpeedDigits digits = speedDigits(shown);
        QCOMPARE(digits.hundreds, hundreds);
        QCOMPARE(digits.tens, tens);
        QCOMPARE(digits.units, units);
    }

    void segmentPlaces_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("x0");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("first segment, panel at the left") << 0 << 0 << QRect(289, 199, 20, 31);
        QTest::newRow("middle segment") << 13 << 0 << QRect(297, 93, 17, 31);
        QTest::newRow("last segment, centred panel") << 23 << 101 << QRect(459, 165, 31, 16);
    }
    void segmentPlaces()
    {
        QFETCH(int, k);
        QFETCH(int, x0);
        QFETCH(QRect, rect);
        QCOMPARE(segmentRect(k, x0), rect);
    }

    void panelCentring_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("x0");
        QTest::newRow("642 stays left") << 642 << 0;
        QTest::newRow("657 stays left") << 657 << 0;
        QTest::newRow("658 rounds down to 0") << 658 << 0;
        QTest::newRow("659 moves 1") << 659 << 1;
        QTest::newRow("859 centres at 101") << 859 << 101;
    }
    void panelCentring()
    {
        QFETCH(int, width);
        QFETCH(int, x0);
        QCOMPARE(panelX0(width), x0);
    }

    void playTime_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << 0 << 0 << "00:00/00:00";
        QTest::newRow("61 s of 125 s") << 61000 << 125000 << "01:01/02:05";
        QTest::newRow("seconds truncate") << 59999 << 60999 << "00:59/01:00";
        QTest::newRow("75 minutes are not wrapped") << 4500000 << 4560000 << "75:00/76:00";
    }
    void playTime()
    {
        QFETCH(int, position);
        QFETCH(int, end);
        QFETCH(QString, text);
        QCOMPARE(timeText(position, end), text);
    }

    void marker_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("x");
        QTest::newRow("empty range") << 0 << 0 << 654 << 2;
        QTest::newRow("start") << 0 << 60000 << 654 << 2;
        QTest::newRow("half") << 30000 << 60000 << 654 << 328;
        QTest::newRow("end") << 60000 << 60000 << 654 << 651;
        QTest::newRow("two hours, no overflow") << 7000000 << 7200000 << 1000 << 972;
    }
    void marker()
    {
        QFETCH(int, position);
        QFETCH(int, end);
        QFETCH(int, width);
        QFETCH(int, x);
        QCOMPARE(markerX(position, end, width), x);
    }

    void graph_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("y");
        QTest::newRow("rest on the graph's middle row") << 0 << 23;
        QTest::newRow("small force goes up") << 20 << 21;
        QTest::newRow("too small to leave the middle") << 5 << 23;
        QTest::newRow("negative goes down: braking and accelerating differ") << -20 << 25;
        QTest::newRow("1 g at the graph's top") << 128 << 11;
        QTest::newRow("most negative at the bottom") << -127 << 35;
        QTest::newRow("out of range kept below the marks") << 5000 << 11;
        QTest::newRow("out of range kept inside the strip") << -5000 << 35;
    }
    void graph()
    {
        QFETCH(int, value);
        QFETCH(int, y);
        QCOMPARE(graphY(value), y);
    }

    void graphColumns()
    {
        QCOMPARE(graphSlots(60000, 601), 600);
        QCOMPARE(graphSlots(60000, 20), 20);
        QCOMPARE(graphSlots(0, 20), 20);
        QCOMPARE(graphSlots(50, 20), 0);
        // 640 pixels over 600 slots: i·640/600 rounded half up.
        QCOMPARE(graphX(0, 640, 600), 0);
        QCOMPARE(graphX(1, 640, 600), 1);
        QCOMPARE(graphX(2, 640, 600), 2);
        QCOMPARE(graphX(3, 640, 600), 3);
        QCOMPARE(graphX(7, 640, 600), 7);
        QCOMPARE(graphX(8, 640, 600), 9);
        QCOMPARE(graphX(600, 640, 600), 640);
        QCOMPARE(graphX(1, 3, 2), 2);
        QCOMPARE(graphX(5, 640, 0), 0);
    }

    // Marks line up with the position marker and stay visible and inside the strip whatever the
    // event's numbers.
    void marks_data()
    {
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<int>("end");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("begins where the marker would stand")
            << qint64(30000) << qint64(3000) << 60000 << QRect(markerX(30000, 60000, 654), kMarkTop, 32, kMarkHeight);
        QTest::newRow("a short impact still three pixels wide")
            << qint64(30000) << qint64(100) << 60000 << QRect(328, kMarkTop, kMarkMinWidth, kMarkHeight);
        QTest::newRow("running past the clip's end stops at its edge")
            << qint64(59000) << qint64(9000) << 60000 << QRect(643, kMarkTop, 11, kMarkHeight);
        QTest::newRow("at the very end still shown inside")
            << qint64(60000) << qint64(0) << 60000 << QRect(654 - kMarkMinWidth, kMarkTop, kMarkMinWidth, kMarkHeight);
        QTest::newRow("beyond the range and negative length")
            << qint64(1) << qint64(-5000) << 60000 << QRect(2, kMarkTop, kMarkMinWidth, kMarkHeight);
        QTest::newRow("huge numbers do not overflow")
            << std::numeric_limits<qint64>::max() << std::numeric_limits<qint64>::max() << 60000
            << QRect(654 - kMarkMinWidth, kMarkTop, kMarkMinWidth, kMarkHeight);
        QTest::newRow("no time range, no mark") << qint64(0) << qint64(1000) << 0 << QRect();
    }
    void marks()
    {
        QFETCH(qint64, start);
        QFETCH(qint64, duration);
        QFETCH(int, end);
        QFETCH(QRect, rect);
        QCOMPARE(markRect({start, duration, EventKind::Impact}, end, 654), rect);
        QVERIFY(rect.isNull() || rect.bottom() < kGraphTop);
    }

    void release_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("position");
        QTest::newRow("x 322 is the middle") << 0 << 60000 << 322 << 654 << 30000;
        QTest::newRow("x 2 is the start") << 0 << 60000 << 2 << 654 << 0;
        QTest::newRow("x 641 is just below the end") << 0 << 60000 << 641 << 654 << 59906;
        QTest::newRow("empty range gives 0") << 0 << 0 << 322 << 654 << 0;
        QTest::newRow("2 hours on 640 pixels does not overflow") << 0 << 7200000 << 641 << 654 << 7188750;
        QTest::newRow("too narrow to map") << 0 << 60000 << 5 << 14 << 0;
    }
    void release()
    {
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(int, x);
        QFETCH(int, width);
        QFETCH(int, position);
        QCOMPARE(releasePosition(start, end, x, width), position);
    }

    void strip()
    {
        const QRect area = stripArea(QRect(0, 0, 654, 286));
        QVERIFY(area.contains(2, 1));
        QVERIFY(area.contains(641, 284));
        QVERIFY(!area.contains(1, 10));
        QVERIFY(!area.contains(642, 10));
        QVERIFY(!area.contains(10, 0));
    }

    void panelTexts_data()
    {
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("rest") << 0 << "0";
        QTest::newRow("1 g") << 128 << "1";
        QTest::newRow("three digits") << 100 << "0.781";
        QTest::newRow("negative") << -127 << "-0.992";
    }
    void panelTexts()
    {
        QFETCH(int, raw);
        QFETCH(QString, text);
        QCOMPARE(accelerationText(raw), text);
        QCOMPARE(coordinateText(37.390944), QStringLiteral("37.3909"));
        QCOMPARE(coordinateText(-127.03539), QStringLiteral("-127.035"));
    }
};

QTEST_GUILESS_MAIN(TestDashboardGeometry)
#include "tst_dashboardgeometry.moc"
