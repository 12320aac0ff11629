#include "viewer/videogeometry.h"

#include <QTest>

using namespace VideoGeometry;

class TestVideoGeometry : public QObject
{
    Q_OBJECT
private slots:
    void box_data();
    void box();
    void fitted_data();
    void fitted();
    void zoomSteps();
    void zoomLimit_data();
    void zoomLimit();
    void zoomedPlacement();
    void pan_data();
    void pan();
    void loading_data();
    void loading();
};

void TestVideoGeometry::box_data()
{
    QTest::addColumn<QSize>("area");
    QTest::addColumn<QSize>("box");
    QTest::newRow("default large view") << QSize(640, 360) << QSize(640, 360);
    QTest::newRow("taller than 16:9") << QSize(640, 500) << QSize(640, 360);
    QTest::newRow("wider than 16:9") << QSize(1536, 790) << QSize(1404, 790);
    QTest::newRow("small view") << QSize(320, 180) << QSize(320, 180);
}

void TestVideoGeometry::box()
{
    QFETCH(QSize, area);
    QFETCH(QSize, box);
    QCOMPARE(boxForArea(area.width(), area.height()), box);
}

void TestVideoGeometry::fitted_data()
{
    QTest::addColumn<QSize>("view");
    QTest::addColumn<QSize>("video");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("720p in 800x400: side margins") << QSize(800, 400) << QSize(1280, 720) << QRect(44, 1, 712, 399);
    QTest::newRow("exact 16:9 fills less the frame") << QSize(640, 360) << QSize(1280, 720) << QRect(1, 1, 638, 358);
    // 3.00 becomes 3.01, so a 1-pixel margin remains and the height loses one row only.
    QTest::newRow("wider video is stretched") << QSize(640, 480) << QSize(1920, 800) << QRect(1, 1, 638, 479);
    QTest::newRow("4:3 video in 16:9 view") << QSize(640, 360) << QSize(640, 480) << QRect(81, 1, 478, 359);
}

void TestVideoGeometry::fitted()
{
    QFETCH(QSize, view);
    QFETCH(QSize, video);
    QFETCH(QRect, rect);
    const auto result = fittedRect(view, video);
    QVERIFY(result.has_value());
    QCOMPARE(*result, rect);
}

void TestVideoGeometry::zoomSteps()
{
    QVERIFY(!fittedRect(QSize(640, 360), QSize()).has_value());
    QVERIFY(!fittedRect(QSize(640, 360), QSize(0, 0)).has_value());
    QVERIFY(!fittedRect(QSize(0, 0), QSize(640, 360)).has_value());

    float zoom = 1.0f;
    const QList<float> expected = {1.3f, 1.6f, 1.9f, 2.2f, 2.5f, 2.8f, 3.1f, 3.4f, 3.7f, 4.0f, 4.0f};
    for (float value : expected) {
        zoom = steppedZoom(zoom, +1, 640);
        QVERIFY2(qAbs(zoom - value) < 1e-4f, qPrintable(QString::number(zoom)));
    }
    QCOMPARE(steppedZoom(1.3f, -1, 640), 1.0f);
    QCOMPARE(steppedZoom(1.0f, -1, 640), 1.0f);
}

void TestVideoGeometry::zoomLimit_data()
{
    QTest::addColumn<int>("boxWidth");
    QTest::addColumn<float>("limit");
    QTest::newRow("reference box") << 640 << 4.0f;
    QTest::newRow("half a box rounds up") << 320 << 3.0f;
    QTest::newRow("1.6 boxes round to 2") << 1066 << 2.0f;
    QTest::newRow("1.4 boxes round to 1") << 900 << 3.0f;
}

void TestVideoGeometry::zoomLimit()
{
    QFETCH(int, boxWidth);
    QFETCH(float, limit);
    QCOMPARE(maxZoom(boxWidth), limit);
}

void TestVideoGeometry::zoomedPlacement()
{
    // 1.3 × 640 × 360 in single precision is 832 × 467.99998, centred on the 640 × 360 box; the
    // truncations give 467 rows and a corner at (−96, −53).
    QCOMPARE(zoomedRect(QSize(640, 360), 1.3f, QSize(640, 360)), QRect(-96, -53, 832, 467));
    QCOMPARE(zoomedRect(QSize(640, 360), 2.0f, QSize(640, 360)), QRect(-320, -180, 1280, 720));
}

void TestVideoGeometry::pan_data()
{
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::addColumn<float>("zoom");
    QTest::addColumn<int>("verdict");
    const QSize view(640, 360);
    Q_UNUSED(view);
    QTest::newRow("not zoomed") << 0 << 0 << 1.0f << int(PanVerdict::NotZoomed);
    QTest::newRow("small move left") << -50 << -30 << 1.3f << int(PanVerdict::Accepted);
    QTest::newRow("20 right is the limit") << 20 << 0 << 1.3f << int(PanVerdict::Accepted);
    QTest::newRow("21 right uncovers the left edge") << 21 << 0 << 1.3f << int(PanVerdict::TooFarRightOrDown);
    QTest::newRow("21 down uncovers the top") << 0 << 21 << 1.3f << int(PanVerdict::TooFarRightOrDown);
    QTest::newRow("too far left uncovers the right") << -300 << 0 << 1.3f << int(PanVerdict::UncoversRight);
    QTest::newRow("too far up uncovers the bottom") << 0 << -200 << 1.3f << int(PanVerdict::UncoversBottom);
    QTest::newRow("far left allowed at 4x") << -1900 << -1000 << 4.0f << int(PanVerdict::Accepted);
}

void TestVideoGeometry::pan()
{
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(float, zoom);
    QFETCH(int, verdict);
    QCOMPARE(int(checkPan(dx, dy, QSize(640, 360), zoom, QSize(640, 360))), verdict);
}

void TestVideoGeometry::loading_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("720p") << QSize(1280, 720) << QRect(510, 332, 260, 56);
    QTest::newRow("720 wide") << QSize(720, 480) << QRect(295, 222, 130, 37);
    QTest::newRow("1080p") << QSize(1920, 1080) << QRect(765, 498, 390, 84);
}

void TestVideoGeometry::loading()
{
    QFETCH(QSize, picture);
    QFETCH(QRect, rect);
    QCOMPARE(loadingRect(picture, QSize(390, 84)), rect);
}

QTEST_GUILESS_MAIN(TestVideoGeometry)
#include "tst_videogeometry.moc"
