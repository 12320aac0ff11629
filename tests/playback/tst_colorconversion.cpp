#include "playback/colorconversion.h"

#include <QTest>

#include <array>

using Bytes = QByteArray;

class TestColorConversion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void yuy2ToRgb_data();
    void yuy2ToRgb();
    void oddLastPixelIsLeftAlone();
    void rgbToYuy2_data();
    void rgbToYuy2();
    void paddedRowsConvertRowByRow();
    void imageRoundTripStaysClose();
};

static Bytes bytes(std::initializer_list<int> values)
{
    Bytes result;
    for (int v : values)
        result.append(char(v));
    return result;
}

void TestColorConversion::yuy2ToRgb_data()
{
    QTest::addColumn<Bytes>("yuy2");
    QTest::addColumn<Bytes>("rgb");
    QTest::newRow("limited-range black") << bytes({16, 128, 16, 128}) << bytes({0, 0, 0, 0, 0, 0});
    QTest::newRow("limited-range white") << bytes({235, 128, 235, 128}) << bytes({255, 255, 255, 255, 255, 255});
    QTest::newRow("bt601 red") << bytes({81, 90, 81, 240}) << bytes({255, 0, 0, 255, 0, 0});
    QTest::newRow("all 255 clamps red and blue") << bytes({255, 255, 255, 255}) << bytes({255, 125, 255, 255, 125, 255});
    QTest::newRow("all zero clamps below") << bytes({0, 0, 0, 0}) << bytes({0, 135, 0, 0, 135, 0});
    QTest::newRow("two lumas share the chroma") << bytes({16, 128, 235, 128}) << bytes({0, 0, 0, 255, 255, 255});
}

void TestColorConversion::yuy2ToRgb()
{
    QFETCH(Bytes, yuy2);
    QFETCH(Bytes, rgb);
    Bytes out(rgb.size(), char(0x55));
    ColorConversion::yuy2ToRgb(reinterpret_cast<const uchar *>(yuy2.constData()),
                               reinterpret_cast<uchar *>(out.data()), 2);
    QCOMPARE(out, rgb);
}

void TestColorConversion::oddLastPixelIsLeftAlone()
{
    const Bytes yuy2 = bytes({235, 128, 235, 128, 235, 128, 235, 128});
    Bytes out(9, char(0x55));
    ColorConversion::yuy2ToRgb(reinterpret_cast<const uchar *>(yuy2.constData()),
                               reinterpret_cast<uchar *>(out.data()), 3);
    QCOMPARE(out, bytes({255, 255, 255, 255, 255, 255, 0x55, 0x55, 0x55}));
}

void TestColorConversion::rgbToYuy2_data()
{
    QTest::addColumn<Bytes>("rgb");
    QTest::addColumn<Bytes>("yuy2");
    QTest::newRow("black") << bytes({0, 0, 0, 0, 0, 0}) << bytes({16, 128, 16, 128});
    QTest::newRow("white") << bytes({255, 255, 255, 255, 255, 255}) << bytes({235, 128, 235, 128});
    QTest::newRow("red and blue average their chroma") << bytes({255, 0, 0, 0, 0, 255}) << bytes({82, 165, 41, 175});
}

void TestColorConversion::rgbToYuy2()
{
    QFETCH(Bytes, rgb);
    QFETCH(Bytes, yuy2);
    Bytes out(yuy2.size(), char(0x55));
    ColorConversion::rgbToYuy2(reinterpret_cast<const uchar *>(rgb.constData()),
                               reinterpret_cast<uchar *>(out.data()), 2);
    QCOMPARE(out, yuy2);
}

void TestColorConversion::paddedRowsConvertRowByRow()
{
    // Two rows of two pixels, each row padded to 8 bytes with junk that must not be read.
    const Bytes yuy2 = bytes({16, 128, 16, 128, 99, 99, 99, 99, 235, 128, 235, 128, 99, 99, 99, 99});
    const QImage image = ColorConversion::yuy2ToImage(reinterpret_cast<const uchar *>(yuy2.constData()), 2, 2, 8);
    QCOMPARE(image.size(), QSize(2, 2));
    QCOMPARE(image.format(), QImage::Format_RGB888);
    QCOMPARE(image.pixel(1, 0), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(0, 1), qRgb(255, 255, 255));
    QVERIFY(ColorConversion::yuy2ToImage(reinterpret_cast<const uchar *>(yuy2.constData()), 4, 2, 4).isNull());
}

void TestColorConversion::imageRoundTripStaysClose()
{
    QImage image(6, 3, QImage::Format_RGB32); // rows of 18 RGB bytes: padded in Format_RGB888
    image.fill(qRgb(90, 140, 200));
    Bytes yuy2(6 * 2 * 3, char(0));
    ColorConversion::imageToYuy2(image, reinterpret_cast<uchar *>(yuy2.data()), 12);
    const QImage back = ColorConversion::yuy2ToImage(reinterpret_cast<const uchar *>(yuy2.constData()), 6, 3, 12);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
            const QRgb p = back.pixel(x, y);
            QVERIFY2(qAbs(qRed(p) - 90) <= 2 && qAbs(qGreen(p) - 140) <= 2 && qAbs(qBlue(p) - 200) <= 2,
                     qPrintable(QStringLiteral("pixel %1,%2 is %3").arg(x).arg(y).arg(p, 8, 16)));
        }
    }
}

QTEST_GUILESS_MAIN(TestColorConversion)
#include "tst_colorconversion.moc"
