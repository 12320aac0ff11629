// The skin's dark colours on the program's standard dialogs: every text readable on its
// background, children included, while the skinned dialogs keep their own look.
#include "skin/dialogpalette.h"
#include "tests/skin/readability.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeView>


namespace {

using Readability::contrast;

// A skinned dialog of the program's own (a class the palette does not name).
class SkinnedDialog : public QDialog
{
public:
    using QDialog::QDialog;
};

} // namespace

class TestDialogPalette : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void readablePairs_data();
    void readablePairs();
    void messageBoxAndChildrenAreDark();
    void fileDialogChildrenAreDark();
    void otherDialogsKeepTheirLook();
    void messageBoxDrawsDark_data();
    void messageBoxDrawsDark();
};

void TestDialogPalette::initTestCase()
{
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    DialogPalette::apply({QStringLiteral("FolderBrowserDialog")});
}

void TestDialogPalette::readablePairs_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("foreground");
    QTest::addColumn<int>("background");
    QTest::addColumn<double>("minimum");
    const auto row = [](const char *name, QPalette::ColorGroup group, QPalette::ColorRole fg, QPalette::ColorRole bg,
                        double minimum) { QTest::newRow(name) << int(group) << int(fg) << int(bg) << minimum; };
    // 7:1 for body text; 3:1 for what is greyed out or large.
    row("window text", QPalette::Active, QPalette::WindowText, QPalette::Window, 7);
    row("field text", QPalette::Active, QPalette::Text, QPalette::Base, 7);
    row("button text", QPalette::Active, QPalette::ButtonText, QPalette::Button, 7);
    row("selected text", QPalette::Active, QPalette::HighlightedText, QPalette::Highlight, 4.5);
    row("tool tip", QPalette::Active, QPalette::ToolTipText, QPalette::ToolTipBase, 7);
    row("link on a field", QPalette::Active, QPalette::Link, QPalette::Base, 4.5);
    row("inactive window text", QPalette::Inactive, QPalette::WindowText, QPalette::Window, 7);
    row("disabled button text", QPalette::Disabled, QPalette::ButtonText, QPalette::Button, 3);
    row("disabled field text", QPalette::Disabled, QPalette::Text, QPalette::Base, 3);
    row("placeholder", QPalette::Active, QPalette::PlaceholderText, QPalette::Base, 3);
}

void TestDialogPalette::readablePairs()
{
    QFETCH(int, group);
    QFETCH(int, foreground);
    QFETCH(int, background);
    QFETCH(double, minimum);
    const QPalette palette = DialogPalette::palette();
    const QColor fg = palette.color(QPalette::ColorGroup(group), QPalette::ColorRole(foreground));
    const QColor bg = palette.color(QPalette::ColorGroup(group), QPalette::ColorRole(background));
    QVERIFY2(contrast(fg, bg) >= minimum, qPrintable(QStringLiteral("%1 on %2: %3").arg(fg.name(), bg.name()).arg(contrast(fg, bg))));
}

void TestDialogPalette::messageBoxAndChildrenAreDark()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Viewer"), QStringLiteral("파일 재생이 실패하였습니다."),
                    QMessageBox::Ok);
    box.ensurePolished(); // as showing it does
    QCOMPARE(box.palette().color(QPalette::Window), DialogPalette::palette().color(QPalette::Window));
    QCOMPARE(box.windowTitle(), QStringLiteral("Viewer"));
    QAbstractButton *ok = box.button(QMessageBox::Ok);
    QCOMPARE(ok->palette().color(QPalette::ButtonText), DialogPalette::palette().color(QPalette::ButtonText));
    for (QLabel *label : box.findChildren<QLabel *>())
        QCOMPARE(label->palette().color(QPalette::WindowText), DialogPalette::palette().color(QPalette::WindowText));
}

void TestDialogPalette::fileDialogChildrenAreDark()
{
    QFileDialog dialog(nullptr, QStringLiteral("QRD-7700 Save File"));
    dialog.ensurePolished();
    const QColor base = DialogPalette::palette().color(QPalette::Base);
    const QList<QLineEdit *> edits = dialog.findChildren<QLineEdit *>();
    QVERIFY(!edits.isEmpty());
    for (QLineEdit *edit : edits)
        QCOMPARE(edit->palette().color(QPalette::Base), base);
    for (QTreeView *view : dialog.findChildren<QTreeView *>())
        QCOMPARE(view->palette().color(QPalette::Text), DialogPalette::palette().color(QPalette::Text));
}

void TestDialogPalette::otherDialogsKeepTheirLook()
{
    SkinnedDialog skinned;
    skinned.ensurePolished();
    QCOMPARE(skinned.palette().color(QPalette::Window), QApplication::palette().color(QPalette::Window));
    QVERIFY(QApplication::palette().color(QPalette::Window) != DialogPalette::palette().color(QPalette::Window));
}

void TestDialogPalette::messageBoxDrawsDark_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("Korean") << QStringLiteral("폴더를 먼저 선택해 주세요.");
    QTest::newRow("English") << QStringLiteral("Please select proper folder");
}

// Drawn, the box is dark with light text on it, in either language.
void TestDialogPalette::messageBoxDrawsDark()
{
    QFETCH(QString, text);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Viewer"), text, QMessageBox::Ok);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QImage picture = box.grab().toImage();
    int dark = 0;
    int light = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const int value = qGray(picture.pixel(x, y));
            dark += value < 60;
            light += value > 160;
        }
    }
    const int all = picture.width() * picture.height();
    QVERIFY2(dark > all * 7 / 10, qPrintable(QStringLiteral("%1 of %2 dark").arg(dark).arg(all)));
    QVERIFY(light > 20); // the text and the button's caption
}

QTEST_MAIN(TestDialogPalette)
#include "tst_dialogpalette.moc"
