#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include "skin/background.h"

class TestBackground : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void strip_data();
    void strip();
    void regionsAtFullHd();
    void defaultSizeCutsNothing();
    void painting_data();
    void painting();

private:
    QTemporaryDir m_dir;
    QString m_skinPath;
};

static const QSize kSkin(1024, 645);

void TestBackground::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A skin whose every pixel is red, with the video area white: painting shows which parts
    // came from the image.
    QImage skin(kSkin, QImage::Format_RGB32);
    skin.fill(Qt::red);
    QPainter(&skin).fillRect(22, 32, 640, 360, Qt::white);
    m_skinPath = m_dir.filePath("skin.png");
    QVERIFY(skin.save(m_skinPath));
}

void TestBackground::strip_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QRect>("target");

    QTest::newRow("1024 x 768 snaps the video area to 640") << QSize(1024, 768) << QRect(661, 31, 18, 480);
    QTest::newRow("1029 x 770 widens only the strip") << QSize(1029, 770) << QRect(661, 31, 23, 480);
    QTest::newRow("default size") << QSize(1024, 645) << QRect(661, 31, 18, 360);
    QTest::newRow("1920 x 1080") << QSize(1920, 1080) << QRect(1551, 31, 24, 790);
}

void TestBackground::strip()
{
    QFETCH(QSize, window);
    QFETCH(QRect, target);

    const QList<SkinRegion> regions = maximizedSkinRegions(window, kSkin);
    QCOMPARE(regions.size(), 8);
    QCOMPARE(regions.last().source, QRect(661, 31, 18, 320));
    QCOMPARE(regions.last().target, target);
    // The strip closes the gap between the video area and the right panel.
    QCOMPARE(target.left(), 21 + snappedVideoWidth(window.width()));
    QCOMPARE(target.right() + 1, window.width() - 345);
}

void TestBackground::regionsAtFullHd()
{
    const QList<SkinRegion> r = maximizedSkinRegions(QSize(1920, 1080), kSkin);
    QCOMPARE(r[0].target, QRect(0, 0, 22, 32));
    QCOMPARE(r[1].source, QRect(22, 0, 978, 31));
    QCOMPARE(r[1].target, QRect(22, 0, 1874, 31));
    QCOMPARE(r[2].source, QRect(1000, 0, 24, 32));
    QCOMPARE(r[2].target, QRect(1896, 0, 24, 32));
    QCOMPARE(r[3].target, QRect(0, 32, 22, 1048));
    QCOMPARE(r[4].source, QRect(679, 32, 344, 438));
    QCOMPARE(r[4].target, QRect(1575, 32, 344, 438));
    QCOMPARE(r[5].source, QRect(679, 470, 344, 145));
    QCOMPARE(r[5].target, QRect(1575, 470, 344, 580));
    QCOMPARE(r[6].source, QRect(679, 615, 344, 30));
    QCOMPARE(r[6].target, QRect(1575, 1050, 344, 30));
}

void TestBackground::defaultSizeCutsNothing()
{
    // At the skin's own size every piece lands where it came from.
    for (const SkinRegion &region : maximizedSkinRegions(kSkin, kSkin)) {
        if (region.source.height() == 320)
            continue;   // the strip is stretched to the video height
        QCOMPARE(region.target, region.source);
    }
}

void TestBackground::painting_data()
{
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QColor>("colour");

    const QColor window(9, 9, 9);
    QTest::newRow("plain: skin at its own place") << false << QPoint(100, 10) << QColor(Qt::red);
    QTest::newRow("plain: video area drawn from the skin") << false << QPoint(100, 100) << QColor(Qt::white);
    QTest::newRow("plain: beyond the skin is window colour") << false << QPoint(1100, 700) << window;
    QTest::newRow("maximized: title strip stretched") << true << QPoint(1000, 10) << QColor(Qt::red);
    QTest::newRow("maximized: right panel bottom") << true << QPoint(1200, 795) << QColor(Qt::red);
    QTest::newRow("maximized: video area left unpainted") << true << QPoint(100, 100) << window;
    QTest::newRow("maximized: below the strip unpainted") << true << QPoint(700, 600) << window;
}

void TestBackground::painting()
{
    QFETCH(bool, maximized);
    QFETCH(QPoint, point);
    QFETCH(QColor, colour);

    Background background(nullptr, m_skinPath);
    QVERIFY(!background.image().isNull());
    background.resize(1280, 800);
    background.setMaximizedLayout(maximized);
    QCOMPARE(background.isMaximizedLayout(), maximized);
    const QImage shot = background.grab().toImage();
    QCOMPARE(shot.pixelColor(point), colour);
}

QTEST_MAIN(TestBackground)
#include "tst_background.moc"
