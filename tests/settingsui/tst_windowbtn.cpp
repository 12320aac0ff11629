#include <QAbstractButton>
#include <QPainter>
#include <QtTest>

#include "base/language.h"
#include "settingsui/windowbtn.h"

#include <memory>

namespace {

enum class Which { Timer, Battery12, Battery24 };

std::unique_ptr<WindowBtn> makeDialog(Which which, int initialValue)
{
    switch (which) {
    case Which::Timer:
        return std::make_unique<WindowBtn3>(nullptr, DeviceModel::Main, initialValue);
    case Which::Battery12:
        return std::make_unique<WindowBtn4>(nullptr, DeviceModel::Main, initialValue);
    case Which::Battery24:
        return std::make_unique<WindowBtn5>(nullptr, DeviceModel::Main, initialValue);
    }
    return nullptr;
}

// Centre of the off box (index 0) or of step `index`.
QPoint centreOf(int index)
{
    return StepLayout::target(index).center();
}

void click(QWidget *dialog, QPoint point)
{
    QTest::mouseClick(dialog, Qt::LeftButton, Qt::NoModifier, point);
}

void clickButton(QWidget *dialog, const char *name)
{
    auto *button = dialog->findChild<QAbstractButton *>(QLatin1String(name));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

Q_DECLARE_METATYPE(Which)

class TestWindowBtn : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void clicks_data();
    void clicks();
    void okAndCancel_data();
    void okAndCancel();
    void targetsFollowTheContainmentRule_data();
    void targetsFollowTheContainmentRule();
    void everyMarkLiesInsideItsTarget();
    void markedTarget_data();
    void markedTarget();
    void paintsTheMarkInTheChosenBox_data();
    void paintsTheMarkInTheChosenBox();
};

void TestWindowBtn::initTestCase()
{
    setCurrentLanguage(QStringLiteral("en"));
}

// Each row: dialog, initial value, the targets clicked in turn (-1 a point between boxes),
// the value afterwards.
void TestWindowBtn::clicks_data()
{
    QTest::addColumn<Which>("which");
    QTest::addColumn<int>("initial");
    QTest::addColumn<QList<int>>("targets");
    QTest::addColumn<int>("expected");

    QTest::newRow("12V off, off box switches on at 12.0V") << Which::Battery12 << 0 << QList<int>{0} << 6;
    QTest::newRow("timer 1Hr, off, on restores 1Hr") << Which::Timer << 4 << QList<int>{1, 0, 0} << 1;
    QTest::newRow("timer off with nothing remembered restores 12Hr") << Which::Timer << 0 << QList<int>{0} << 4;
    QTest::newRow("24V off box switches on at 25.5V") << Which::Battery24 << 0 << QList<int>{0} << 5;
    QTest::newRow("24V step 3 then off") << Which::Battery24 << 1 << QList<int>{3, 0} << 0;
    QTest::newRow("24V has no sixth step") << Which::Battery24 << 2 << QList<int>{6} << 2;
    QTest::newRow("12V sixth step") << Which::Battery12 << 2 << QList<int>{6} << 6;
    QTest::newRow("12V remembers the value it opened with") << Which::Battery12 << 3 << QList<int>{0, 0} << 3;
    QTest::newRow("a click at x 70 changes nothing") << Which::Timer << 2 << QList<int>{-1} << 2;
}

void TestWindowBtn::clicks()
{
    QFETCH(Which, which);
    QFETCH(int, initial);
    QFETCH(QList<int>, targets);
    QFETCH(int, expected);
    auto dialog = makeDialog(which, initial);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    for (int target : targets) {
        const QPoint point = target < 0 ? QPoint(70, 80)
                             : target > dialog->stepCount() ? QPoint(492, 80)
                                                            : centreOf(target);
        click(dialog.get(), point);
    }
    QCOMPARE(dialog->value, expected);
}

void TestWindowBtn::okAndCancel_data()
{
    QTest::addColumn<Which>("which");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<int>("stored");

    QTest::newRow("timer off and OK stores 1") << Which::Timer << "ok" << true << 1;
    QTest::newRow("12V off and OK stores 0") << Which::Battery12 << "ok" << true << 0;
    QTest::newRow("Cancel is not applied") << Which::Timer << "cancel" << false << 1;
    QTest::newRow("exit is not applied") << Which::Battery24 << "exit" << false << 0;
}

void TestWindowBtn::okAndCancel()
{
    QFETCH(Which, which);
    QFETCH(QString, button);
    QFETCH(bool, applied);
    QFETCH(int, stored);
    auto dialog = makeDialog(which, 2);
    dialog->applied = !applied;
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    click(dialog.get(), centreOf(StepLayout::kOffTarget));
    QCOMPARE(dialog->value, 0);
    clickButton(dialog.get(), button.toLatin1().constData());
    QCOMPARE(dialog->applied, applied);
    QCOMPARE(dialog->result(), applied ? QDialog::Accepted : QDialog::Rejected);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(StepLayout::storedValue(dialog->value, dialog->kind()), stored);
}

void TestWindowBtn::targetsFollowTheContainmentRule_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("target");
    QTest::newRow("off box left top corner") << QPoint(40, 59) << 0;
    QTest::newRow("off box right bottom corner") << QPoint(60, 99) << 0;
    QTest::newRow("right of the off box") << QPoint(61, 80) << -1;
    QTest::newRow("above the row") << QPoint(50, 58) << -1;
    QTest::newRow("below the row") << QPoint(50, 100) << -1;
    QTest::newRow("step 1") << QPoint(117, 80) << 1;
    QTest::newRow("step 6 right edge") << QPoint(502, 80) << 6;
}

void TestWindowBtn::targetsFollowTheContainmentRule()
{
    QFETCH(QPoint, point);
    QFETCH(int, target);
    QCOMPARE(StepLayout::targetAt(point, 6), target);
}

void TestWindowBtn::everyMarkLiesInsideItsTarget()
{
    for (int i = 0; i <= 6; ++i) {
        const QRect mark = StepLayout::markRect(i);
        QCOMPARE(StepLayout::targetAt(mark.topLeft(), 6), i);
        QCOMPARE(StepLayout::targetAt(mark.bottomRight(), 6), i);
    }
}

void TestWindowBtn::markedTarget_data()
{
    QTest::addColumn<Which>("which");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("marked");
    QTest::newRow("off") << Which::Battery12 << 0 << 0;
    QTest::newRow("a step") << Which::Battery24 << 5 << 5;
    QTest::newRow("timer out of range marks the last step") << Which::Timer << 9 << 6;
    QTest::newRow("12V out of range marks nothing") << Which::Battery12 << 7 << -1;
    QTest::newRow("24V negative marks nothing") << Which::Battery24 << -1 << -1;
}

void TestWindowBtn::markedTarget()
{
    QFETCH(Which, which);
    QFETCH(int, value);
    QFETCH(int, marked);
    auto dialog = makeDialog(which, value);
    QCOMPARE(StepLayout::markedTarget(value, dialog->kind()), marked);
}

void TestWindowBtn::paintsTheMarkInTheChosenBox_data()
{
    QTest::addColumn<Which>("which");
    QTest::addColumn<int>("value");
    QTest::newRow("12V off: off box ticked, every step unavailable") << Which::Battery12 << 0;
    QTest::newRow("12V at 11.7V") << Which::Battery12 << 3;
    QTest::newRow("24V at 25.5V") << Which::Battery24 << 5;
    QTest::newRow("24V out of range marks nothing") << Which::Battery24 << 9;
    QTest::newRow("timer out of range marks 48Hr") << Which::Timer << 9;
}

void TestWindowBtn::paintsTheMarkInTheChosenBox()
{
    QFETCH(Which, which);
    QFETCH(int, value);
    auto dialog = makeDialog(which, value);
    const QImage background(QStringLiteral(":/gfx_r/2012/") + QLatin1String(dialog->kind().background));
    if (background.isNull())
        QSKIP("skin images not available");
    const QImage shown = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int marked = StepLayout::markedTarget(value, dialog->kind());
    for (int i = 0; i <= dialog->stepCount(); ++i) {
        // The skin's empty box with the picture the value asks for on top.
        QString picture;
        if (marked == 0)
            picture = i == 0 ? QStringLiteral("check1.png") : QStringLiteral("discheck2.png");
        else if (i == marked)
            picture = QStringLiteral("check.png");
        QImage expected = background.scaled(dialog->size()).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QRect box = StepLayout::markRect(i);
        if (!picture.isEmpty()) {
            QPainter painter(&expected);
            painter.drawPixmap(box, QPixmap(QStringLiteral(":/gfx_r/2012/") + picture));
        }
        QVERIFY2(shown.copy(box) == expected.convertToFormat(QImage::Format_RGB32).copy(box),
                 qPrintable(QStringLiteral("box %1").arg(i)));
    }
}

QTEST_MAIN(TestWindowBtn)
#include "tst_windowbtn.moc"
