#include <QLabel>
#include <QtTest>

#include "base/language.h"
#include "settingsui/widgetbar.h"

// The shock-sensitivity bar: clicks fill it up to the clicked step, the label names the value.
class TestWidgetBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void click_data();
    void click();
    void setValueClamps_data();
    void setValueClamps();
    void levelsShowOnlyWhileEnabled();
};

void TestWidgetBar::initTestCase()
{
    setCurrentLanguage(QStringLiteral("en"));
}

void TestWidgetBar::click_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("label");
    QTest::newRow("x 0 is off") << 0 << 0 << "Off";
    QTest::newRow("x 22 still off") << 22 << 0 << "Off";
    QTest::newRow("x 23 is step 1") << 23 << 1 << "1";
    QTest::newRow("x 200 is step 6") << 200 << 6 << "6";
    QTest::newRow("x 400 clamps to 10") << 400 << 10 << "10";
}

void TestWidgetBar::click()
{
    QFETCH(int, x);
    QFETCH(int, value);
    QFETCH(QString, label);
    WidgetBar bar;
    bar.resize(388, 25);
    bar.show();   // a hidden widget gets its resize event when shown
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QCOMPARE(bar.value(), 5);
    QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(x, 12));
    QCOMPARE(bar.value(), value);
    auto *text = bar.findChild<QLabel *>();
    QCOMPARE(text->text(), label);
    QCOMPARE(text->geometry(), QRect(388 - 36, 1, 34, 24));
}

void TestWidgetBar::setValueClamps_data()
{
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("kept");
    QTest::newRow("negative") << -3 << 0;
    QTest::newRow("in range") << 7 << 7;
    QTest::newRow("too large") << 11 << 10;
}

void TestWidgetBar::setValueClamps()
{
    QFETCH(int, given);
    QFETCH(int, kept);
    WidgetBar bar;
    bar.setValue(given);
    QCOMPARE(bar.value(), kept);
}

void TestWidgetBar::levelsShowOnlyWhileEnabled()
{
    const QImage level(QStringLiteral(":/gfx_r/2012/volume_level.png"));
    if (level.isNull())
        QSKIP("skin images not available");
    WidgetBar bar;
    bar.resize(388, 25);
    bar.setValue(3);
    const QImage on = bar.grab().toImage();
    bar.setEnabled(false);
    const QImage off = bar.grab().toImage();
    // Steps below the value differ between the two; the step at the value does not.
    QVERIFY(on.copy(WidgetBar::levelRect(2)) != off.copy(WidgetBar::levelRect(2)));
    QCOMPARE(on.copy(WidgetBar::levelRect(3)), off.copy(WidgetBar::levelRect(3)));
}

QTEST_MAIN(TestWidgetBar)
#include "tst_widgetbar.moc"
