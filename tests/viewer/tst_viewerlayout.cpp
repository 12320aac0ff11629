#include "viewer/viewerlayout.h"

#include <QTest>

using namespace ViewerLayout;

class TestViewerLayout : public QObject
{
    Q_OBJECT
private slots:
    void defaultWindow();
    void wideWindow();
    void buttonsAt_data();
    void buttonsAt();
    void maximizeRule_data();
    void maximizeRule();
    void everyButtonHasThreeStates();
};

void TestViewerLayout::defaultWindow()
{
    QCOMPARE(transportOffset(1024), 0);
    QCOMPARE(largeViewRect(1024, 645), QRect(22, 32, 640, 360));
    QCOMPARE(smallViewRect(1024, 645), QRect(681, 32, 320, 180));
    QCOMPARE(dashboardRect(1024, 645), QRect(23, 394, 642, 250));
    QCOMPARE(mapRect(1024, 645), QRect(680, 224, 320, 206));
    QCOMPARE(listRect(1024, 645), QRect(681, 469, 320, 161));
    QCOMPARE(folderLabelRect(1024, 645), QRect(683, 431, 290, 18));
    QCOMPARE(volumeSliderRect(1024, 645), QRect(600, 445, 52, 9));
    QCOMPARE(swapButtonRect(1024, 645), QRect(666, 104, 13, 34));
}

void TestViewerLayout::wideWindow()
{
    QCOMPARE(transportOffset(1280), 120);
    QCOMPARE(buttonRect(Button::Play, 1280, 800).topLeft(), QPoint(147, 588));
    QCOMPARE(largeViewRect(1920, 1080), QRect(22, 32, 1530, 790));
    QCOMPARE(largeViewRect(1029, 770), QRect(22, 32, 640, 480));
}

void TestViewerLayout::buttonsAt_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("play") << int(Button::Play) << QRect(27, 433, 36, 36);
    QTest::newRow("pause shares play's place") << int(Button::Pause) << QRect(27, 433, 36, 36);
    QTest::newRow("rotate") << int(Button::Rotate) << QRect(529, 433, 36, 36);
    QTest::newRow("volume") << int(Button::Volume) << QRect(576, 442, 19, 17);
    QTest::newRow("setting") << int(Button::Setting) << QRect(677, 7, 19, 20);
    QTest::newRow("exit") << int(Button::Exit) << QRect(982, 8, 21, 19);
    QTest::newRow("folder open") << int(Button::FolderOpen) << QRect(980, 433, 20, 16);
}

void TestViewerLayout::buttonsAt()
{
    QFETCH(int, button);
    QFETCH(QRect, rect);
    QCOMPARE(buttonRect(Button(button), 1024, 645), rect);
}

void TestViewerLayout::maximizeRule_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("1024 wide") << QSize(1024, 768) << false;
    QTest::newRow("645 high") << QSize(1280, 645) << false;
    QTest::newRow("1025 x 646") << QSize(1025, 646) << true;
    QTest::newRow("full HD") << QSize(1920, 1080) << true;
}

void TestViewerLayout::maximizeRule()
{
    QFETCH(QSize, screen);
    QFETCH(bool, allowed);
    QCOMPARE(canMaximize(screen), allowed);
}

void TestViewerLayout::everyButtonHasThreeStates()
{
    for (const ButtonSpec &entry : buttonTable()) {
        QCOMPARE(entry.images.size(), 4);
        // normal, pressed (…3), hover (…2), disabled (= normal)
        QVERIFY(entry.images[0].endsWith(QLatin1String("1.png")));
        QVERIFY(entry.images[1].endsWith(QLatin1String("3.png")));
        QVERIFY(entry.images[2].endsWith(QLatin1String("2.png")));
        QCOMPARE(entry.images[3], entry.images[0]);
    }
    QCOMPARE(categoryButtonRect(1, 1024), QRect(725, 451, 46, 19));
    QCOMPARE(filterButtonRect(3, 1024), QRect(970, 451, 30, 19));
}

QTEST_GUILESS_MAIN(TestViewerLayout)
#include "tst_viewerlayout.moc"
