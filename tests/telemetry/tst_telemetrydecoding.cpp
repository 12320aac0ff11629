#include "telemetry/telemetrybatch.h"
#include "telemetry/telemetrydecoding.h"

#include <QtTest>

using Selection = std::array<int, TelemetryBatch::kRecordsPerFlush>;
Q_DECLARE_METATYPE(TelemetryPosition)

class TestTelemetryDecoding : public QObject
{
    Q_OBJECT

private slots:
    void coordinate_data();
    void coordinate();
    void speed_data();
    void speed();
    void accel_data();
    void accel();
    void sentence_data();
    void sentence();
    void fixTime_data();
    void fixTime();
    void selection_data();
    void selection();
    void flushWritesTenRecordsWithThePosition();
    void flushStopsAtCapacity();
};

void TestTelemetryDecoding::coordinate_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("micro");
    QTest::newRow("latitude shows single-precision minutes") << QByteArray("3723.4567") << 37390944;
    QTest::newRow("longitude with three degree digits") << QByteArray("12702.1234") << 127035390;
    QTest::newRow("whole half degree") << QByteArray("4530.0000") << 45500000;
    QTest::newRow("no point") << QByteArray("123") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("one digit before the point") << QByteArray("5.5") << 0;
    QTest::newRow("minutes only") << QByteArray("30.0") << 500000;
    QTest::newRow("degrees not a number") << QByteArray("x130.0000") << 500000;
    QTest::newRow("minutes not a number") << QByteArray("37ab.cd") << 37000000;
    QTest::newRow("first point decides") << QByteArray("37.5.5") << 0;
    QTest::newRow("degrees too large for the result") << QByteArray("99999930.0") << 0;
    QTest::newRow("minutes beyond single precision") << QByteArray("3739.0e39") << 37000000;
    QTest::newRow("minutes not a finite number") << QByteArray("37nan.") << 0;
}

void TestTelemetryDecoding::coordinate()
{
    QFETCH(QByteArray, text);
    QFETCH(int, micro);
    QCOMPARE(parseCoordinate(text), micro);
}

void TestTelemetryDecoding::speed_data()
{
    QTest::addColumn<QByteArray>("knots");
    QTest::addColumn<int>("kmh");
    QTest::newRow("one knot") << QByteArray("1") << 2;
    QTest::newRow("ten knots") << QByteArray("10") << 19;
    QTest::newRow("hundred knots") << QByteArray("100") << 185;
    QTest::newRow("fraction") << QByteArray("27.50") << 51;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("garbage") << QByteArray("fast") << 0;
    QTest::newRow("beyond the 32-bit range") << QByteArray("1e30") << 0;
    // A negative speed over ground is no speed, not a confident -92 km/h.
    QTest::newRow("negative speed is no speed") << QByteArray("-50") << 0;
    QTest::newRow("barely negative") << QByteArray("-0.1") << 0;
}

void TestTelemetryDecoding::speed()
{
    QFETCH(QByteArray, knots);
    QFETCH(int, kmh);
    QCOMPARE(knotsToKmh(knots), kmh);
}

void TestTelemetryDecoding::accel_data()
{
    QTest::addColumn<int>("raw");
    QTest::addColumn<int>("value");
    QTest::newRow("rest") << 128 << 0;
    QTest::newRow("zero byte is the largest positive") << 0 << 128;
    QTest::newRow("top byte is the largest negative") << 255 << -127;
    QTest::newRow("slightly negative") << 130 << -2;
}

void TestTelemetryDecoding::accel()
{
    QFETCH(int, raw);
    QFETCH(int, value);
    QCOMPARE(decodeAccel(quint8(raw)), qint16(value));
}

void TestTelemetryDecoding::sentence_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<TelemetryPosition>("position");
    const TelemetryPosition noFix;
    QTest::newRow("fix")
        << QByteArray("$GPRMC,102030.000,A,3723.4567,S,12702.1234,W,100.00,0.00,140512,,,A*00") << true
        << TelemetryPosition{37390944, 'S', 127035390, 'W', 185, 1336990830000};
    QTest::newRow("no fix keeps no time")
        << QByteArray("$GPRMC,102030.000,V,,,,,,,140512,,,N*00") << true << noFix;
    QTest::newRow("G variant") << QByteArray("G$GPRMC,1,A,4530.0000,N,00030.0,E,10") << true
                               << TelemetryPosition{45500000, 'N', 500000, 'E', 19, {}};
    QTest::newRow("status V") << QByteArray("$GPRMC,1,V,3723.4567,N,12702.1234,E,10") << true << noFix;
    QTest::newRow("status empty") << QByteArray("$GPRMC,1,,3723.4567,N,12702.1234,E,10") << true << noFix;
    QTest::newRow("status lower case") << QByteArray("$GPRMC,1,a,3723.4567,N,12702.1234,E,10") << true << noFix;
    QTest::newRow("empty hemispheres") << QByteArray("$GPRMC,1,A,3723.4567,,12702.1234,,1") << true
                                       << TelemetryPosition{37390944, 0, 127035390, 0, 2, {}};
    QTest::newRow("missing fields count as empty") << QByteArray("$GPRMC,1,A,3723.4567,N") << true
                                                   << TelemetryPosition{37390944, 'N', 0, 0, 0, {}};
    QTest::newRow("name only") << QByteArray("$GPRMC") << true << noFix;
    QTest::newRow("text ends at the first zero byte")
        << QByteArray("$GPRMC,1,A,3723.4567,N\0,12702.1234,E,10", 39) << true
        << TelemetryPosition{37390944, 'N', 0, 0, 0, {}};
    QTest::newRow("other sentence") << QByteArray("$GPGGA,1,A,3723.4567,N,12702.1234,E,10") << false << noFix;
    QTest::newRow("name with a blank") << QByteArray("$GPRMC ,1,A,3723.4567,N,12702.1234,E,10") << false
                                       << noFix;
    QTest::newRow("G without dollar") << QByteArray("GGPRMC,1,A,3723.4567,N,12702.1234,E,10") << false << noFix;
    // Coordinates off the globe come only from damaged sentences: they count as a lost fix.
    QTest::newRow("latitude beyond 90 degrees") << QByteArray("$GPRMC,1,A,9999.0000,N,12702.1234,E,10") << true
                                                << noFix;
    QTest::newRow("latitude minutes of 60") << QByteArray("$GPRMC,1,A,3760.0000,N,12702.1234,E,10") << true
                                            << noFix;
    QTest::newRow("longitude beyond 180 degrees") << QByteArray("$GPRMC,1,A,3723.4567,N,18030.0000,E,10") << true
                                                  << noFix;
    QTest::newRow("longitude minutes of 75") << QByteArray("$GPRMC,1,A,3723.4567,N,12775.0000,W,10") << true
                                             << noFix;
    QTest::newRow("negative minutes") << QByteArray("$GPRMC,1,A,37-5.0000,N,12702.1234,E,10") << true << noFix;
    QTest::newRow("the poles and the date line are on the globe")
        << QByteArray("$GPRMC,1,A,9000.0000,S,18000.0000,W,10") << true
        << TelemetryPosition{90000000, 'S', 180000000, 'W', 19, {}};
    // Letters other than N/S and E/W would become a confident -90, -180.
    QTest::newRow("hemisphere letters X and Y are no fix")
        << QByteArray("$GPRMC,1,A,9000.0000,X,18000.0000,Y,10") << true << noFix;
    QTest::newRow("lower-case hemisphere is no fix")
        << QByteArray("$GPRMC,1,A,3723.4567,n,12702.1234,e,10") << true << noFix;
    QTest::newRow("longitude letter on the latitude is no fix")
        << QByteArray("$GPRMC,1,A,3723.4567,E,12702.1234,N,10") << true << noFix;
}

void TestTelemetryDecoding::sentence()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, taken);
    QFETCH(TelemetryPosition, position);
    // Start from a position the sentence must replace (or, when ignored, keep).
    const TelemetryPosition before{1, 'x', 2, 'y', 3, 42};
    TelemetryPosition decoded = before;
    QCOMPARE(decodePositionSentence(text, &decoded), taken);
    const TelemetryPosition expected = taken ? position : before;
    QCOMPARE(decoded.latMicro, expected.latMicro);
    QCOMPARE(decoded.latHemisphere, expected.latHemisphere);
    QCOMPARE(decoded.lonMicro, expected.lonMicro);
    QCOMPARE(decoded.lonHemisphere, expected.lonHemisphere);
    QCOMPARE(decoded.speedKmh, expected.speedKmh);
    QCOMPARE(decoded.utcMs, expected.utcMs);
}

void TestTelemetryDecoding::fixTime_data()
{
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QString>("utc"); // ISO text, empty for none
    QTest::newRow("with milliseconds") << QByteArray("102030.250") << QByteArray("140512")
                                       << "2012-05-14T10:20:30.250Z";
    QTest::newRow("whole seconds") << QByteArray("000014") << QByteArray("020725") << "2025-07-02T00:00:14.000Z";
    QTest::newRow("one decimal") << QByteArray("235959.5") << QByteArray("311299") << "1999-12-31T23:59:59.500Z";
    QTest::newRow("sub-millisecond digits dropped") << QByteArray("120000.1239") << QByteArray("290224")
                                                    << "2024-02-29T12:00:00.123Z";
    QTest::newRow("year 79 is 2079") << QByteArray("000000") << QByteArray("010179") << "2079-01-01T00:00:00.000Z";
    QTest::newRow("year 80 is 1980") << QByteArray("000000") << QByteArray("060180") << "1980-01-06T00:00:00.000Z";
    QTest::newRow("empty time") << QByteArray() << QByteArray("140512") << QString();
    QTest::newRow("empty date") << QByteArray("102030") << QByteArray() << QString();
    QTest::newRow("hour 24") << QByteArray("240000") << QByteArray("140512") << QString();
    QTest::newRow("second 60") << QByteArray("235960") << QByteArray("140512") << QString();
    QTest::newRow("29 February of a common year") << QByteArray("120000") << QByteArray("290223") << QString();
    QTest::newRow("month 13") << QByteArray("120000") << QByteArray("011312") << QString();
    QTest::newRow("short time") << QByteArray("1020") << QByteArray("140512") << QString();
    QTest::newRow("long date") << QByteArray("102030") << QByteArray("1405120") << QString();
    QTest::newRow("signs and blanks") << QByteArray("+10203") << QByteArray(" 40512") << QString();
    QTest::newRow("letters after the point") << QByteArray("102030.x") << QByteArray("140512") << QString();
}

void TestTelemetryDecoding::fixTime()
{
    QFETCH(QByteArray, time);
    QFETCH(QByteArray, date);
    QFETCH(QString, utc);
    const std::optional<qint64> decoded = decodeFixTime(time, date);
    QCOMPARE(decoded.has_value(), !utc.isEmpty());
    if (decoded)
        QCOMPARE(QDateTime::fromMSecsSinceEpoch(*decoded, Qt::UTC).toString(Qt::ISODateWithMs), utc);
}

void TestTelemetryDecoding::selection_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<Selection>("chosen");
    QTest::newRow("one sample repeated") << 1 << Selection{0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("three samples") << 3 << Selection{0, 0, 0, 0, 1, 1, 1, 2, 2, 2};
    QTest::newRow("five samples doubled") << 5 << Selection{0, 0, 1, 1, 2, 2, 3, 3, 4, 4};
    QTest::newRow("ten samples as they are") << 10 << Selection{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("eleven samples skip one") << 11 << Selection{0, 1, 2, 3, 4, 5, 7, 8, 9, 10};
    QTest::newRow("twenty samples") << 20 << Selection{0, 1, 3, 5, 7, 9, 11, 13, 15, 17};
    QTest::newRow("sixty samples") << 60 << Selection{0, 3, 9, 15, 21, 27, 33, 39, 45, 51};
}

void TestTelemetryDecoding::selection()
{
    QFETCH(int, count);
    QFETCH(Selection, chosen);
    QCOMPARE(flushSelection(count), chosen);
}

void TestTelemetryDecoding::flushWritesTenRecordsWithThePosition()
{
    TelemetryRecords records{};
    TelemetryBatch batch;
    flushBatch(batch, records); // nothing buffered: no records
    QCOMPARE(batch.recordCount, 0);
    for (int i = 0; i < 70; ++i)
        batch.addSample({qint16(i), qint16(-i), 1});
    QCOMPARE(batch.sampleCount, TelemetryBatch::kMaxSamples);
    batch.position = TelemetryPosition{37390944, 'S', 127035390, 'W', 185, {}};
    flushBatch(batch, records);
    QCOMPARE(batch.recordCount, 10);
    QCOMPARE(batch.sampleCount, 0);
    QCOMPARE(records[9], (RawTelemetryRecord{51, -51, 1, 37390944, 'S', 127035390, 'W', 185, {}}));
}

void TestTelemetryDecoding::flushStopsAtCapacity()
{
    TelemetryRecords records{};
    TelemetryBatch batch;
    for (int second = 0; second < 70; ++second) {
        batch.addSample({qint16(second), 0, 0});
        flushBatch(batch, records);
    }
    QCOMPARE(batch.recordCount, kTelemetryCapacity);
    QCOMPARE(records.back().accelX, qint16(64)); // the first 650 records stay as written
}

QTEST_GUILESS_MAIN(TestTelemetryDecoding)
#include "tst_telemetrydecoding.moc"
