#include <QHelpEvent>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

#include "skin/clearbutton.h"
#include "skin/iconbutton.h"
#include "skin/icontoolbutton.h"

Q_DECLARE_METATYPE(ButtonImage)

namespace {

constexpr QStyle::State kEnabled = QStyle::State_Enabled;
constexpr QStyle::State kOver = QStyle::State_MouseOver;

// The four images in constructor order, each a different solid colour.
const QColor kColours[4] = {QColor(10, 20, 30), QColor(200, 40, 40), QColor(40, 200, 40), QColor(90, 90, 90)};

// How a test puts a button into a state: enabled, mouse over it, held down, checked.
struct ButtonState
{
    bool enabled;
    bool over;
    bool down;
    bool checked;
};

void applyState(QAbstractButton *button, const ButtonState &s)
{
    button->setEnabled(s.enabled);
    button->setAttribute(Qt::WA_UnderMouse, s.over);
    button->setCheckable(s.checked);
    button->setChecked(s.checked);
    button->setDown(s.down);
}

} // namespace

class TestImageButtons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rule_data();
    void rule();
    void clearButton_data();
    void clearButton();
    void iconToolButton_data();
    void iconToolButton();
    void iconButton_data();
    void iconButton();
    void clearButtonTakesItsNormalImageSize();
    void clearButtonDrawsChosenImageAndText();
    void iconButtonWithoutNormalImageDrawsNothing();
    void toolTip_data();
    void toolTip();

private:
    QString path(int i) const { return m_dir.filePath(QStringLiteral("img%1.png").arg(i)); }
    void addStateRows();

    QTemporaryDir m_dir;
};

void TestImageButtons::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (int i = 0; i < 4; ++i) {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(kColours[i]);
        QVERIFY(image.save(path(i)));
    }
}

void TestImageButtons::rule_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<ButtonImage>("expected");

    const auto row = [](const char *name, QStyle::State state, ButtonImage image) {
        QTest::newRow(name) << int(state) << image;
    };
    row("disabled", {}, ButtonImage::Disabled);
    row("disabled under the mouse and down", kOver | QStyle::State_Sunken, ButtonImage::Disabled);
    row("idle", kEnabled, ButtonImage::Normal);
    row("down without the mouse (keyboard)", kEnabled | QStyle::State_Sunken, ButtonImage::Normal);
    row("checked without the mouse", kEnabled | QStyle::State_On, ButtonImage::Normal);
    row("mouse over", kEnabled | kOver, ButtonImage::Hover);
    row("mouse over and down", kEnabled | kOver | QStyle::State_Sunken, ButtonImage::Pressed);
    row("mouse over and checked", kEnabled | kOver | QStyle::State_On, ButtonImage::Pressed);
}

void TestImageButtons::rule()
{
    QFETCH(int, state);
    QFETCH(ButtonImage, expected);
    QCOMPARE(chooseButtonImage(QStyle::State(state)), expected);
    QCOMPARE(chooseClearButtonImage(QStyle::State(state), false), expected);
    QCOMPARE(chooseClearButtonImage(QStyle::State(state), true), ButtonImage::Hover);
}

void TestImageButtons::addStateRows()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("over");
    QTest::addColumn<bool>("down");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<ButtonImage>("expected");

    QTest::newRow("idle") << true << false << false << false << ButtonImage::Normal;
    QTest::newRow("hovered") << true << true << false << false << ButtonImage::Hover;
    QTest::newRow("pressed with the mouse") << true << true << true << false << ButtonImage::Pressed;
    QTest::newRow("pressed by keyboard") << true << false << true << false << ButtonImage::Normal;
    QTest::newRow("checked, mouse elsewhere") << true << false << false << true << ButtonImage::Normal;
    QTest::newRow("checked, mouse over") << true << true << false << true << ButtonImage::Pressed;
    QTest::newRow("disabled") << false << false << false << false << ButtonImage::Disabled;
    QTest::newRow("disabled, mouse over") << false << true << false << false << ButtonImage::Disabled;
}

#define FETCH_STATE                                                                                          \
    QFETCH(bool, enabled);                                                                                   \
    QFETCH(bool, over);                                                                                      \
    QFETCH(bool, down);                                                                                      \
    QFETCH(bool, checked);                                                                                   \
    QFETCH(ButtonImage, expected);                                                                           \
    const ButtonState state{enabled, over, down, checked}

void TestImageButtons::clearButton_data()
{
    addStateRows();
}

void TestImageButtons::clearButton()
{
    FETCH_STATE;
    ClearButton button(nullptr, path(0), path(1), path(2), path(3));
    applyState(&button, state);
    QCOMPARE(button.shownImage(), expected);
    button.setHighlighted(true);
    QVERIFY(button.isHighlighted());
    QCOMPARE(button.shownImage(), ButtonImage::Hover);
}

void TestImageButtons::iconToolButton_data()
{
    addStateRows();
}

void TestImageButtons::iconToolButton()
{
    FETCH_STATE;
    IconToolButton button(nullptr, path(0), path(1), path(2), path(3));
    button.resize(80, 28);
    applyState(&button, state);
    QCOMPARE(button.shownImage(), expected);
    const QImage shot = button.grab().toImage();
    QCOMPARE(shot.pixelColor(40, 14), kColours[int(expected)]);
}

void TestImageButtons::iconButton_data()
{
    addStateRows();
}

void TestImageButtons::iconButton()
{
    FETCH_STATE;
    IconButton button(nullptr, path(0), path(1), path(2), path(3), 21, 19);
    QCOMPARE(button.imageWidth(), 21);
    QCOMPARE(button.imageHeight(), 19);
    button.resize(60, 40);
    button.setIconSize(QSize(40, 30));
    applyState(&button, state);
    QCOMPARE(button.shownImage(), expected);
    const QImage shot = button.grab().toImage();
    QCOMPARE(shot.pixelColor(30, 20), kColours[int(expected)]);
}

void TestImageButtons::clearButtonTakesItsNormalImageSize()
{
    ClearButton button(nullptr, path(0), path(1), path(2), path(3), QStringLiteral("Play"));
    QCOMPARE(button.size(), QSize(40, 30));
    QVERIFY(button.autoRaise());
    QCOMPARE(button.font().pointSize(), 10);
    QCOMPARE(button.font().weight(), QFont::DemiBold);
    QCOMPARE(button.toolTipText(), QStringLiteral("Play"));
    QVERIFY(button.toolTip().isEmpty());
}

void TestImageButtons::clearButtonDrawsChosenImageAndText()
{
    ClearButton button(nullptr, path(0), path(1), path(2), path(3));
    button.resize(80, 40);
    button.setEnabled(false);
    button.setHighlighted(true);   // a disabled, highlighted button shows the hover image
    QImage shot = button.grab().toImage();
    QCOMPARE(shot.pixelColor(2, 2), kColours[2]);
    QCOMPARE(shot.pixelColor(78, 38), kColours[2]);

    button.setText(QStringLiteral("MMMM"));
    shot = button.grab().toImage();
    bool textPixel = false;
    for (int x = 0; x < shot.width() && !textPixel; ++x)
        textPixel = shot.pixelColor(x, 20).red() > 150 && shot.pixelColor(x, 20).blue() > 150;
    QVERIFY2(textPixel, "the light grey text is drawn over the image");
}

void TestImageButtons::iconButtonWithoutNormalImageDrawsNothing()
{
    QWidget parent;
    parent.setAutoFillBackground(true);
    parent.setPalette(QPalette(QColor(1, 2, 3)));
    parent.resize(60, 40);
    IconButton button(&parent, m_dir.filePath("missing.png"), path(1), path(2), path(3), 21, 19);
    button.setGeometry(0, 0, 60, 40);
    button.setIconSize(QSize(40, 30));
    const QImage shot = parent.grab().toImage();
    QCOMPARE(shot.pixelColor(30, 20), QColor(1, 2, 3));
}

void TestImageButtons::toolTip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("handled");

    QTest::newRow("tool tip text shows") << QStringLiteral("Next File") << true;
    QTest::newRow("empty tool tip shows nothing") << QString() << false;
}

void TestImageButtons::toolTip()
{
    QFETCH(QString, text);
    QFETCH(bool, handled);

    QToolTip::hideText();
    ClearButton button(nullptr, path(0), path(1), path(2), path(3));
    button.setToolTipText(text);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), button.mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(&button, &event);
    QCOMPARE(event.isAccepted(), handled);
    if (handled)
        QTRY_COMPARE(QToolTip::text(), text);
    else
        QVERIFY(!QToolTip::isVisible());
    QToolTip::hideText();
}

QTEST_MAIN(TestImageButtons)
#include "tst_imagebuttons.moc"
