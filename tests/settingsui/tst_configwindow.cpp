#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "catalogue/removabledrive.h"
#include "settingsui/configwindow.h"
#include "settingsui/widgetbar.h"
#include "settingsui/windowbtn.h"
#include "skin/dialogpalette.h"
#include "tests/skin/readability.h"

#include <functional>
#include <memory>

#include <sys/mount.h>
#include <sys/stat.h>

// The settings dialog driven with mouse clicks on temporary card folders listed in QRD7700_CARDS.

namespace {

using Files = QMap<QString, QByteArray>;
constexpr int Battery = ConfigLayout::slotOf(RecorderSetting::Battery);
constexpr int PowerOff = ConfigLayout::slotOf(RecorderSetting::PowerOff);

constexpr auto kVersion = "QRD-7700 1.2.3 build";

QByteArray byte(int value)
{
    return QByteArray(1, char(value));
}

// Every one-value file of a recorder card, with values different from the dialog's own defaults.
Files oneValueFiles()
{
    return {{"setresolution.dat", byte(1)}, {"setquality.dat", byte(2)},  {"setframe.dat", byte(1)},
            {"setsound.dat", byte(1)},      {"setspeak.dat", byte(1)},    {"setsensitivity.dat", byte(3)},
            {"seteventcnt.dat", byte(60)},  {"setparking.dat", byte(0)},  {"setmotion.dat", byte(1)},
            {"setbattery.dat", byte(0)},    {"setbattery2.dat", byte(2)}, {"setspeedunit.dat", byte(2)},
            {"sethourunit.dat", byte(0)},   {"setsecurity.dat", byte(0)}, {"setrearsecurity.dat", byte(1)},
            {"setpoweroff.dat", byte(2)},   {"enterSS.dat", byte(0)},     {"setTheme.dat", byte(1)}};
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

Files readFolder(const QString &folder)
{
    Files files;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files)) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly))
            files.insert(info.fileName(), file.readAll());
    }
    return files;
}

// Clicks where a user would: on the child widget under the point, else on the dialog itself.
void clickAt(QWidget *window, QPoint point)
{
    QWidget *child = window->childAt(point);
    if (child)
        QTest::mouseClick(child, Qt::LeftButton, Qt::NoModifier, child->mapFrom(window, point));
    else
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, point);
}

void clickButton(QWidget *window, const QString &name)
{
    auto *button = window->findChild<QAbstractButton *>(name);
    QVERIFY2(button, qPrintable(name));
    QTest::mouseClick(button, Qt::LeftButton);
}

// Runs `action` on the next modal dialog of type T as soon as it is up (used for exec() calls).
template<typename T>
void whenModal(std::function<void(T *)> action)
{
    auto *poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            action(dialog);
        }
    });
    poll->start();
}

// Same picture within a rounding step per colour channel (blending may round differently).
bool nearlyEqual(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (qAbs(qRed(p) - qRed(q)) > 2 || qAbs(qGreen(p) - qGreen(q)) > 2 || qAbs(qBlue(p) - qBlue(q)) > 2)
                return false;
        }
    }
    return true;
}

} // namespace

class TestConfigWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void loadsOneValueFiles();
    void loadsSettingDat();
    void editsAndWrites_data();
    void editsAndWrites();
    void clockControlsFollowTheTickBox();
    void clockFollowsTheTimeUntilEdited_data();
    void clockFollowsTheTimeUntilEdited();
    void writeProtectedCardIsNamed();
    void cancelAndExitWriteNothing_data();
    void cancelAndExitWriteNothing();
    void cardWithoutVersionFile();
    void otherModelLeavesItsRowsAlone();
    void noModelWritesNothing();
    void eventFilesStoredAsZero();
    void chooserPicksTheLastCardWithVersion();
    void refusedWriteWarnsAndStaysOpen_data();
    void refusedWriteWarnsAndStaysOpen();
    void noCardWarnsAndWritesNothing();
    void optionDialogs_data();
    void optionDialogs();
    void viewerRunsItModal();
    void leavingEndsTheSettingsMode_data();
    void leavingEndsTheSettingsMode();
    void marksAreDrawnInTheirBoxes();
    void screenshots();

private:
    QString makeCard(const QString &name, bool withVersion, const Files &files);
    std::unique_ptr<ConfigWindow> openDialog();

    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_cards;
};

void TestConfigWindow::initTestCase()
{
    // The standard dialogs in the program's dark colours, as both run modes have them.
    DialogPalette::apply();
    // The dialog builds in the language read at its construction: Korean here, whatever the desktop
    // running the tests speaks, and no stored choice of the user's is read or written.
    QStandardPaths::setTestModeEnabled(true);
    qputenv("QRD7700_LANG", "kr");
}

void TestConfigWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_cards.clear();
}

void TestConfigWindow::cleanup()
{
    qunsetenv("QRD7700_CARDS");
    m_dir.reset();
}

QString TestConfigWindow::makeCard(const QString &name, bool withVersion, const Files &files)
{
    const QString root = m_dir->filePath(name);
    QDir().mkpath(root);
    if (withVersion)
        writeFile(root + "/update/version.txt", kVersion);
    for (auto it = files.begin(); it != files.end(); ++it)
        writeFile(root + "/setting/" + it.key(), it.value());
    m_cards.append(root);
    return root;
}

std::unique_ptr<ConfigWindow> TestConfigWindow::openDialog()
{
    qputenv("QRD7700_CARDS", m_cards.join(QLatin1Char(':')).toLocal8Bit());
    auto window = std::make_unique<ConfigWindow>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("settings dialog not exposed");
    return window;
}

void TestConfigWindow::loadsOneValueFiles()
{
    const QString card = makeCard("CARD", true, oneValueFiles());
    auto window = openDialog();
    QCOMPARE(window->settingsFolder(), card + "/setting");
    QCOMPARE(window->updateFolder(), card + "/update");
    QCOMPARE(window->model(), DeviceModel::Main);
    QCOMPARE(window->firmwareText(), QStringLiteral("QRD-7700"));
    const ConfigLayout::Values expected{1, 2, 1, 1, 1, 0, 0, 3, 60, 0, 1, 0, 2, 2, 0, 1, 2, 1, 0};
    QCOMPARE(window->values(), expected);
    QCOMPARE(window->findChild<WidgetBar *>()->value(), 3);
    QVERIFY(!window->findChild<QDateTimeEdit *>("dateTime")->isEnabled());
    QVERIFY(!window->findChild<QAbstractButton *>("getTime")->isEnabled());
    QCOMPARE(window->windowTitle(), QStringLiteral("QRD-7700 Setting"));
    QCOMPARE(window->findChild<QComboBox *>("drive")->currentText(), QStringLiteral("CARD (%1)").arg(card));
}

void TestConfigWindow::loadsSettingDat()
{
    makeCard("CARD", true,
             {{"setting.dat", "qualityValue=1\nframeValue=2\nsensitivityValue=8\neventNumValue=020\n"
                              "securityValue =0\nthemeValue=0\nenterSSValue=2\npoweroffValue=6\n"}});
    auto window = openDialog();
    const ConfigLayout::Values &v = window->values();
    QCOMPARE(v[ConfigLayout::slotOf(RecorderSetting::Quality)], 1);
    QCOMPARE(v[ConfigLayout::slotOf(RecorderSetting::Frame)], 2);
    QCOMPARE(v[ConfigLayout::slotOf(RecorderSetting::Sensitivity)], 8);
    QCOMPARE(v[ConfigLayout::slotOf(RecorderSetting::EventNum)], 20);
    QCOMPARE(v[ConfigLayout::slotOf(RecorderSetting::SecurityLed)], 0);
    QCOMPARE(v[ConfigLayout::slotOf(RecorderSetting::Theme)], 0);
    QCOMPARE(v[ConfigLayout::slotOf(RecorderSetting::ScreenSaver)], 2);
    QCOMPARE(v[ConfigLayout::slotOf(RecorderSetting::PowerOff)], 6);
    // Settings the file leaves out come from the store's defaults.
    QCOMPARE(v[ConfigLayout::slotOf(RecorderSetting::Sound)], 0);
    QCOMPARE(v[ConfigLayout::slotOf(RecorderSetting::Parking)], 0);
}

// Each row: the clicks on the dialog (a negative x clicks the shock bar at local x -x - 1),
// whether the clock is ticked on its box, and the files that then differ from the card's.
void TestConfigWindow::editsAndWrites_data()
{
    QTest::addColumn<QList<QPoint>>("clicks");
    QTest::addColumn<Files>("changed");

    QTest::newRow("untouched") << QList<QPoint>{} << Files{};
    QTest::newRow("quality low") << QList<QPoint>{{200, 95}} << Files{{"setquality.dat", byte(1)}};
    QTest::newRow("frame rate high") << QList<QPoint>{{400, 120}} << Files{{"setframe.dat", byte(3)}};
    QTest::newRow("sound off then on then off")
        << QList<QPoint>{{200, 147}, {300, 147}, {200, 147}} << Files{{"setsound.dat", byte(0)}};
    QTest::newRow("volume high") << QList<QPoint>{{500, 173}} << Files{{"setspeak.dat", byte(3)}};
    QTest::newRow("12-Hr") << QList<QPoint>{{500, 290}} << Files{{"sethourunit.dat", byte(1)}};
    QTest::newRow("event files 20") << QList<QPoint>{{200, 378}} << Files{{"seteventcnt.dat", byte(20)}};
    QTest::newRow("parking shock") << QList<QPoint>{{300, 402}} << Files{{"setparking.dat", byte(1)}};
    QTest::newRow("motion high") << QList<QPoint>{{400, 430}} << Files{{"setmotion.dat", byte(3)}};
    QTest::newRow("both LEDs toggle")
        << QList<QPoint>{{200, 508}, {300, 508}}
        << Files{{"setsecurity.dat", byte(1)}, {"setrearsecurity.dat", byte(0)}};
    QTest::newRow("theme off") << QList<QPoint>{{200, 533}} << Files{{"setTheme.dat", byte(0)}};
    QTest::newRow("screen saver 2 min") << QList<QPoint>{{400, 560}} << Files{{"enterSS.dat", byte(2)}};
    QTest::newRow("shock bar at x 400") << QList<QPoint>{{-401, 12}} << Files{{"setsensitivity.dat", byte(10)}};
    QTest::newRow("shock bar at x 0") << QList<QPoint>{{-1, 12}} << Files{{"setsensitivity.dat", byte(0)}};
    QTest::newRow("shock bar at step 6") << QList<QPoint>{{-200, 12}} << Files{{"setsensitivity.dat", byte(6)}};
    QTest::newRow("clock ticked") << QList<QPoint>{{170, 237}} << Files{{"settime.dat", "2013-04-05-17-30-00"}};
    QTest::newRow("clock ticked twice") << QList<QPoint>{{170, 237}, {170, 237}} << Files{};
    QTest::newRow("resolution and speed unit rows") << QList<QPoint>{{400, 67}, {290, 481}} << Files{};
    QTest::newRow("between two boxes") << QList<QPoint>{{250, 95}} << Files{};
}

void TestConfigWindow::editsAndWrites()
{
    QFETCH(QList<QPoint>, clicks);
    QFETCH(Files, changed);
    const QString card = makeCard("CARD", true, oneValueFiles());
    auto window = openDialog();
    auto *bar = window->findChild<WidgetBar *>();
    for (const QPoint &point : clicks) {
        if (point.x() < 0)
            QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(-point.x() - 1, point.y()));
        else
            clickAt(window.get(), point);
    }
    window->findChild<QDateTimeEdit *>("dateTime")->setDateTime(QDateTime(QDate(2013, 4, 5), QTime(17, 30)));
    clickAt(window.get(), QPoint(500, 630));   // OK
    QCOMPARE(window->result(), int(QDialog::Accepted));
    QVERIFY(!window->isVisible());

    Files expected = oneValueFiles();
    for (auto it = changed.begin(); it != changed.end(); ++it)
        expected.insert(it.key(), it.value());
    QCOMPARE(readFolder(card + "/setting"), expected);
}

void TestConfigWindow::clockControlsFollowTheTickBox()
{
    makeCard("CARD", true, {{"settime.dat", "2020-01-01-00-00-00"}});
    auto window = openDialog();
    auto *clock = window->findChild<QDateTimeEdit *>("dateTime");
    auto *getTime = window->findChild<QAbstractButton *>("getTime");
    // A card holding settime.dat starts ticked, with the editor on the current time, not the file's.
    QCOMPARE(window->values()[ConfigLayout::Slot::WriteClock], 1);
    QVERIFY(clock->isEnabled() && getTime->isEnabled());
    QVERIFY(clock->styleSheet().contains("background-color: #ffffff;color: rgb(0,0,0);QSpinBox {\t\t\t"));
    QVERIFY(qAbs(clock->dateTime().secsTo(QDateTime::currentDateTime())) < 60);
    QCOMPARE(clock->displayFormat(), QStringLiteral("yyyy-MM-dd hh:mm:ss"));

    clock->setDateTime(QDateTime(QDate(2013, 4, 5), QTime(17, 30)));
    clickButton(window.get(), "getTime");
    QVERIFY(qAbs(clock->dateTime().secsTo(QDateTime::currentDateTime())) < 60);

    clickAt(window.get(), QPoint(170, 237));   // untick
    QVERIFY(!clock->isEnabled() && !getTime->isEnabled());
    QVERIFY(clock->styleSheet().contains("background-color: rgb(224,223,228);color: rgb(172,173,177);"));
    clickButton(window.get(), "ok");
    // Unticked: the clock file on the card stays as it was.
    QCOMPARE(readFolder(window->settingsFolder()).value("settime.dat"), QByteArray("2020-01-01-00-00-00"));
}

// The clock field runs with the computer's clock until the user edits it, so OK writes the time of the
// OK; an edited time is written as edited, and Get Current Time makes the field follow again.
void TestConfigWindow::clockFollowsTheTimeUntilEdited_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<bool>("getTimeAfterwards");
    QTest::newRow("untouched") << false << false;
    QTest::newRow("year edited with the arrow key") << true << false;
    QTest::newRow("edited, then Get Current Time") << true << true;
}

void TestConfigWindow::clockFollowsTheTimeUntilEdited()
{
    QFETCH(bool, edit);
    QFETCH(bool, getTimeAfterwards);
    const QString card = makeCard("CARD", true, {{"settime.dat", "2020-01-01-00-00-00"}});
    auto window = openDialog();
    auto *clock = window->findChild<QDateTimeEdit *>("dateTime");
    const QDateTime opened = clock->dateTime();
    QTRY_VERIFY_WITH_TIMEOUT(clock->dateTime() > opened, 5000); // it runs
    if (edit) {
        clock->setFocus();
        clock->setCurrentSection(QDateTimeEdit::YearSection);
        QTest::keyClick(clock, Qt::Key_Up);
        window->setFocus(); // the user moves on
    }
    if (getTimeAfterwards)
        clickButton(window.get(), "getTime");
    const QDateTime shown = clock->dateTime();

    const QDateTime beforeOk = QDateTime::currentDateTime();
    clickButton(window.get(), "ok");
    const QDateTime afterOk = QDateTime::currentDateTime();
    QCOMPARE(window->result(), int(QDialog::Accepted));
    const QDateTime written = QDateTime::fromString(QString::fromLatin1(readFolder(card + "/setting")["settime.dat"]),
                                                    QStringLiteral("yyyy-MM-dd-hh-mm-ss"));
    QVERIFY(written.isValid());
    if (edit && !getTimeAfterwards) {
        QCOMPARE(written, shown.addMSecs(-shown.time().msec()));
        QCOMPARE(written.date().year(), opened.date().year() + 1);
    } else {
        QVERIFY2(written.toSecsSinceEpoch() >= beforeOk.toSecsSinceEpoch()
                     && written.toSecsSinceEpoch() <= afterOk.toSecsSinceEpoch(),
                 qPrintable(written.toString() + " not within the OK at " + beforeOk.toString()));
    }
}

namespace {

// Set in the copy of this test that runs in a mount namespace of its own.
constexpr auto kInsideNamespace = "QRD7700_TEST_OWN_MOUNTS";

// Runs one test function of this program again in new user and mount namespaces, where it may mount
// file systems without touching the machine's. Empty when it passed; `skipped` when it could not run.
QString runWithOwnMounts(const char *function, bool *skipped)
{
    QProcess inner;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(kInsideNamespace), QStringLiteral("1"));
    inner.setProcessEnvironment(environment);
    inner.start(QStringLiteral("unshare"), {QStringLiteral("--user"), QStringLiteral("--map-root-user"),
                                            QStringLiteral("--mount"), QStringLiteral("--"),
                                            QCoreApplication::applicationFilePath(), QLatin1String(function)});
    const bool finished = inner.waitForStarted() && inner.waitForFinished(60000);
    const QString output = QString::fromLocal8Bit(inner.readAllStandardOutput() + inner.readAllStandardError());
    *skipped = !finished || !output.contains(QLatin1String("Start testing"))
               || output.contains(QLatin1String("SKIP   : "));
    if (*skipped || (inner.exitStatus() == QProcess::NormalExit && inner.exitCode() == 0))
        return *skipped ? output : QString();
    return output;
}

} // namespace

// A card that only reads (a locked card, mounted read-only) is named as such when OK cannot write it.
void TestConfigWindow::writeProtectedCardIsNamed()
{
    if (!qEnvironmentVariableIsSet(kInsideNamespace)) {
        bool skipped = false;
        const QString failure = runWithOwnMounts("writeProtectedCardIsNamed", &skipped);
        if (skipped)
            QSKIP(qPrintable(QStringLiteral("no mount namespace of our own here: ") + failure.right(300)));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        return;
    }
    const QByteArray root = QFile::encodeName(m_dir->filePath(QStringLiteral("CARD")));
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("CARD"))));
    if (::mount("card", root.constData(), "tmpfs", 0, "size=1m") != 0)
        QSKIP("cannot mount a card here");
    const auto unmount = qScopeGuard([&root] { ::umount2(root.constData(), MNT_DETACH); });
    const QString card = makeCard("CARD", true, oneValueFiles());
    QCOMPARE(::mount(nullptr, root.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    auto window = openDialog();
    clickAt(window.get(), QPoint(200, 95)); // quality low
    QString text, details;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        text = box->text();
        details = box->informativeText();
        box->button(QMessageBox::Ok)->click();
    });
    clickButton(window.get(), "ok");
    QCOMPARE(text, QStringLiteral("메모리 카드가 쓰기 방지되어 있습니다."));
    QVERIFY(!details.isEmpty());
    QVERIFY(window->isVisible());
    QCOMPARE(readFolder(card + "/setting"), oneValueFiles());
}

void TestConfigWindow::cancelAndExitWriteNothing_data()
{
    QTest::addColumn<QPoint>("button");
    QTest::newRow("Cancel") << QPoint(420, 630);
    QTest::newRow("exit") << QPoint(530, 22);
}

void TestConfigWindow::cancelAndExitWriteNothing()
{
    QFETCH(QPoint, button);
    const QString card = makeCard("CARD", true, oneValueFiles());
    auto window = openDialog();
    clickAt(window.get(), QPoint(200, 95));
    clickAt(window.get(), QPoint(170, 237));
    clickAt(window.get(), button);
    QCOMPARE(window->result(), int(QDialog::Rejected));
    QVERIFY(!window->isVisible());
    QCOMPARE(readFolder(card + "/setting"), oneValueFiles());
}

void TestConfigWindow::cardWithoutVersionFile()
{
    const QString card = makeCard("CARD", false, {});
    auto window = openDialog();
    QCOMPARE(window->model(), DeviceModel::Main);
    QVERIFY(window->firmwareText().isEmpty());
    QCOMPARE(window->values(), ConfigLayout::constructionValues());
    clickButton(window.get(), "ok");
    QCOMPARE(window->result(), int(QDialog::Accepted));
    // Applying still writes the values shown, which are the dialog's own.
    const Files written = readFolder(card + "/setting");
    QCOMPARE(written.value("setquality.dat"), byte(3));
    QCOMPARE(written.value("seteventcnt.dat"), byte(40));
    QCOMPARE(written.value("setpoweroff.dat"), byte(4));
    QVERIFY(!written.contains("settime.dat"));
    QVERIFY(!written.contains("setresolution.dat"));
}

void TestConfigWindow::otherModelLeavesItsRowsAlone()
{
    const QString card = makeCard("CARD", true, {});
    auto window = openDialog();
    window->setModel(DeviceModel::Second);
    const ConfigLayout::Values before = window->values();
    clickAt(window.get(), QPoint(300, 508));   // rear LED
    clickAt(window.get(), QPoint(200, 533));   // theme off
    clickAt(window.get(), QPoint(200, 560));   // screen saver off
    QCOMPARE(window->values(), before);
    clickButton(window.get(), "ok");
    QCOMPARE(window->result(), int(QDialog::Accepted));
    const QStringList written = readFolder(card + "/setting").keys();
    for (const char *name : {"setframe.dat", "setrearsecurity.dat", "enterSS.dat", "setTheme.dat"})
        QVERIFY2(!written.contains(QLatin1String(name)), name);
    for (const char *name : {"setquality.dat", "setsecurity.dat", "setpoweroff.dat", "setbattery2.dat"})
        QVERIFY2(written.contains(QLatin1String(name)), name);
}

void TestConfigWindow::noModelWritesNothing()
{
    const QString card = makeCard("CARD", true, {});
    auto window = openDialog();
    window->setModel(DeviceModel::NoModel);
    QVERIFY(!window->findChild<WidgetBar *>()->isEnabled());
    QCOMPARE(window->findChild<WidgetBar *>()->value(), 0);
    QVERIFY(!window->findChild<QAbstractButton *>("battery12")->isEnabled());
    const ConfigLayout::Values before = window->values();
    clickAt(window.get(), QPoint(200, 95));
    QCOMPARE(window->values(), before);
    clickAt(window.get(), QPoint(340, 600));   // the hidden mph target still answers
    QCOMPARE(window->viewerSpeedUnit, 2);

    bool warned = false;
    whenModal<QMessageBox>([&warned](QMessageBox *box) {
        warned = true;
        box->button(QMessageBox::Ok)->click();
    });
    clickButton(window.get(), "ok");
    QVERIFY(warned);
    QVERIFY(window->isVisible());
    QVERIFY(readFolder(card + "/setting").isEmpty());
}

void TestConfigWindow::eventFilesStoredAsZero()
{
    Files files = oneValueFiles();
    files["seteventcnt.dat"] = byte(0);
    const QString card = makeCard("CARD", true, files);
    auto window = openDialog();
    QCOMPARE(window->values()[ConfigLayout::slotOf(RecorderSetting::EventNum)], 10);
    const ConfigLayout::BoxGroup *group = ConfigLayout::groupForSlot(ConfigLayout::slotOf(RecorderSetting::EventNum));
    QCOMPARE(group->boxes[size_t(ConfigLayout::chosenBoxIndex(*group, 10))].value, 60);
    clickButton(window.get(), "ok");
    QCOMPARE(readFolder(card + "/setting").value("seteventcnt.dat"), byte(10));
}

void TestConfigWindow::chooserPicksTheLastCardWithVersion()
{
    makeCard("A", true, {{"setquality.dat", byte(1)}});
    const QString b = makeCard("B", true, {{"setquality.dat", byte(2)}});
    makeCard("C", false, {{"setquality.dat", byte(3)}});
    auto window = openDialog();
    auto *chooser = window->findChild<QComboBox *>("drive");
    QCOMPARE(chooser->count(), 3);
    QCOMPARE(chooser->currentIndex(), 1);
    QCOMPARE(window->settingsFolder(), b + "/setting");
    QCOMPARE(window->values()[ConfigLayout::slotOf(RecorderSetting::Quality)], 2);
    // Choosing another entry reloads everything from that card.
    chooser->setCurrentIndex(0);
    QCOMPARE(window->values()[ConfigLayout::slotOf(RecorderSetting::Quality)], 1);
}

void TestConfigWindow::refusedWriteWarnsAndStaysOpen_data()
{
    QTest::addColumn<QString>("blocked");  // the settings file whose write fails
    QTest::addColumn<QString>("kind");     // what is in its way: "folder", "fifo" or "protected" (folder)
    QTest::addColumn<QByteArray>("after"); // the file once the card takes writes again
    QTest::newRow("a folder in the way of a settings file") << "setquality.dat" << "folder" << byte(1);
    QTest::newRow("a folder in the way of the motion file") << "setmotion.dat" << "folder" << byte(0);
    QTest::newRow("a FIFO in the way of a settings file") << "setframe.dat" << "fifo" << byte(1);
    QTest::newRow("write-protected settings folder") << "setquality.dat" << "protected" << byte(1);
}

// A failed write is reported with the files that failed, and the dialog stays open. The card's
// settings that were missing (or no regular file) when it was read get the store's defaults.
void TestConfigWindow::refusedWriteWarnsAndStaysOpen()
{
    QFETCH(QString, blocked);
    QFETCH(QString, kind);
    QFETCH(QByteArray, after);
    const QString card = makeCard("CARD", true, oneValueFiles());
    const QString blocker = card + "/setting/" + blocked;
    QFile::remove(blocker);
    if (kind == QLatin1String("protected")) {
        QFile::setPermissions(card + "/setting", QFile::ReadOwner | QFile::ExeOwner);
        if (QFile(blocker).open(QIODevice::WriteOnly)) {
            QFile::remove(blocker);
            QFile::setPermissions(card + "/setting", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("this user writes into write-protected folders (root)");
        }
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(blocker).constData(), 0600), 0);
    } else {
        QVERIFY(QDir().mkpath(blocker));
    }
    auto window = openDialog();

    QString title, text, details;
    QMessageBox::StandardButtons buttons;
    Readability::Report readability;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        title = box->windowTitle();
        text = box->text();
        details = box->informativeText();
        buttons = box->standardButtons();
        readability = Readability::measureTexts(box);
        box->button(QMessageBox::Ok)->click();
    });
    clickButton(window.get(), "ok");
    QCOMPARE(title, QStringLiteral("QRD-7700"));
    QCOMPARE(text, QStringLiteral("설정 저장이 실패하였습니다."));
    QCOMPARE(details, blocked);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    // Readable in the program's colours: the text, the file names and the button.
    QCOMPARE(readability.checked, 3);
    QVERIFY2(readability.unreadable.isEmpty(), qPrintable(readability.unreadable.join(u'\n')));
    QVERIFY(window->isVisible());

    // Once the card takes writes again, OK saves and closes.
    if (kind == QLatin1String("protected"))
        QFile::setPermissions(card + "/setting", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    else if (kind == QLatin1String("fifo"))
        QVERIFY(QFile::remove(blocker));
    else
        QVERIFY(QDir(blocker).removeRecursively());
    clickButton(window.get(), "ok");
    QCOMPARE(window->result(), int(QDialog::Accepted));
    QCOMPARE(readFolder(card + "/setting").value(blocked), after);
}

// With no card at all, the dialog says so as soon as it is up, and again at OK, in its language; it
// writes nothing, and Cancel still closes it.
void TestConfigWindow::noCardWarnsAndWritesNothing()
{
    qputenv("QRD7700_CARDS", QByteArray());
    if (!listRemovableDrives().isEmpty())
        QSKIP("this machine has removable drives");
    QString atOpen;
    whenModal<QMessageBox>([&atOpen](QMessageBox *box) {
        atOpen = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    auto window = openDialog();
    QTRY_COMPARE(atOpen, QStringLiteral("메모리 카드를 찾을 수 없습니다."));
    QCOMPARE(window->findChild<QComboBox *>("drive")->count(), 0);
    QString text;
    whenModal<QMessageBox>([&text](QMessageBox *box) {
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    clickButton(window.get(), "ok");
    QCOMPARE(text, QStringLiteral("메모리 카드를 찾을 수 없습니다."));
    QVERIFY(window->isVisible());
    QVERIFY(window->settingsFolder().isEmpty());
    clickButton(window.get(), "cancel");
    QCOMPARE(window->result(), int(QDialog::Rejected));
    QVERIFY(!window->isVisible());
}

// Each row: the opener button, the slot and its value on the card, the sub-dialog targets clicked,
// how the sub-dialog is left, and the slot afterwards.
void TestConfigWindow::optionDialogs_data()
{
    QTest::addColumn<QString>("opener");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("initial");
    QTest::addColumn<QList<int>>("targets");
    QTest::addColumn<QString>("leaveBy");
    QTest::addColumn<int>("expected");

    QTest::newRow("12V off, off box, OK stores 6")
        << "battery12" << int(Battery) << "setbattery.dat" << 0 << QList<int>{0} << "ok" << 6;
    QTest::newRow("timer 1Hr, off, on, OK keeps 1Hr")
        << "timer" << int(PowerOff) << "setpoweroff.dat" << 5 << QList<int>{1, 0, 0} << "ok" << 1;
    QTest::newRow("timer off and OK stores 1")
        << "timer" << int(PowerOff) << "setpoweroff.dat" << 5 << QList<int>{0} << "ok" << 1;
    QTest::newRow("Cancel leaves the slot")
        << "battery24" << int(ConfigLayout::slotOf(RecorderSetting::Battery2)) << "setbattery2.dat" << 2 << QList<int>{5} << "cancel"
        << 2;
    QTest::newRow("exit leaves the slot")
        << "battery12" << int(Battery) << "setbattery.dat" << 3 << QList<int>{0} << "exit" << 3;
    QTest::newRow("a click at x 70 changes nothing")
        << "timer" << int(PowerOff) << "setpoweroff.dat" << 3 << QList<int>{-1} << "ok" << 3;
}

void TestConfigWindow::optionDialogs()
{
    QFETCH(QString, opener);
    QFETCH(int, slot);
    QFETCH(QString, file);
    QFETCH(int, initial);
    QFETCH(QList<int>, targets);
    QFETCH(QString, leaveBy);
    QFETCH(int, expected);
    const QString card = makeCard("CARD", true, {{file, byte(initial)}});
    auto window = openDialog();
    QCOMPARE(window->values()[size_t(slot)], initial);

    bool ran = false;
    whenModal<WindowBtn>([&](WindowBtn *dialog) {
        ran = true;
        for (int target : targets) {
            const QPoint point = target < 0 ? QPoint(70, 80) : StepLayout::target(target).center();
            QTest::mouseClick(dialog, Qt::LeftButton, Qt::NoModifier, point);
        }
        clickButton(dialog, leaveBy);
    });
    clickButton(window.get(), opener);
    QVERIFY(ran);
    QCOMPARE(window->values()[size_t(slot)], expected);
    // Nothing reaches the card before the settings dialog applies.
    QCOMPARE(readFolder(card + "/setting").value(file), byte(initial));
    clickButton(window.get(), "ok");
    QCOMPARE(readFolder(card + "/setting").value(file), byte(expected));
}

void TestConfigWindow::viewerRunsItModal()
{
    makeCard("CARD", true, {});
    qputenv("QRD7700_CARDS", m_cards.join(QLatin1Char(':')).toLocal8Bit());
    QWidget viewer;
    viewer.resize(800, 600);
    viewer.show();
    ConfigWindow dialog(&viewer);
    QVERIFY(dialog.isWindow());
    dialog.viewerSpeedUnit = 2;
    whenModal<ConfigWindow>([](ConfigWindow *shown) {
        clickAt(shown, QPoint(250, 600));   // the hidden km/h target
        clickAt(shown, QPoint(500, 630));   // OK
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(dialog.viewerSpeedUnit, 1);
}

void TestConfigWindow::leavingEndsTheSettingsMode_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("OK") << "ok";
    QTest::newRow("Cancel") << "cancel";
    QTest::newRow("exit") << "exit";
}

// As the window of the settings mode, leaving the dialog closes the last window, which ends the
// event loop of that mode.
void TestConfigWindow::leavingEndsTheSettingsMode()
{
    QFETCH(QString, button);
    makeCard("CARD", true, {});
    auto window = openDialog();
    QTimer::singleShot(0, window.get(), [&window, button] { clickButton(window.get(), button); });
    QTimer safety;   // stops a loop that would otherwise run forever
    safety.setSingleShot(true);
    connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    safety.start(10000);
    QCOMPARE(QApplication::exec(), 0);
}

void TestConfigWindow::marksAreDrawnInTheirBoxes()
{
    const QImage background(QStringLiteral(":/gfx_r/2012/marlow_setting_bg.png"));
    if (background.isNull())
        QSKIP("skin images not available");
    makeCard("CARD", true, oneValueFiles());
    auto window = openDialog();
    window->findChild<QDateTimeEdit *>("dateTime")->setDateTime(QDateTime(QDate(2013, 4, 5), QTime(17, 30)));
    clickAt(window.get(), QPoint(170, 237));   // tick the clock so its box shows a mark too
    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const ConfigPictures pictures = ConfigPictures::load();

    const auto marks = ConfigLayout::marks(window->values(), ConfigLayout::ModelGroup::Main);
    int marked = 0;
    for (const ConfigLayout::BoxGroup &group : ConfigLayout::boxGroups()) {
        for (const ConfigLayout::Box &box : group.boxes) {
            // What the box must look like: the skin's empty box with its mark, if any, on top.
            QImage expected = background.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            ConfigLayout::Mark mark = ConfigLayout::Mark::None;
            for (const auto &paint : marks) {
                if (paint.rect == box.mark)
                    mark = paint.mark;
            }
            if (mark != ConfigLayout::Mark::None) {
                QPainter painter(&expected);
                painter.drawPixmap(box.mark, pictures.forMark(mark));
                ++marked;
            }
            expected = expected.convertToFormat(QImage::Format_RGB32);
            QVERIFY2(nearlyEqual(shown.copy(box.mark), expected.copy(box.mark)),
                     qPrintable(QStringLiteral("slot %1, box of value %2").arg(group.slot).arg(box.value)));
        }
    }
    // Every row shows one mark; the read-only rows show their unavailable boxes too.
    QVERIFY(marked >= int(ConfigLayout::boxGroups().size()));
}

void TestConfigWindow::screenshots()
{
    const QString folder = qEnvironmentVariable("QRD7700_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("set QRD7700_SCREENSHOT_DIR to write the screenshots");
    const auto save = [&folder](QWidget &widget, const char *name) {
        const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB888);
        QVERIFY(image.save(folder + QLatin1Char('/') + QLatin1String(name)));
    };
    makeCard("CARD", true, oneValueFiles());
    auto window = openDialog();
    save(*window, "settings-main-card.png");
    window->setModel(DeviceModel::Second);
    save(*window, "settings-other-model.png");
    window.reset();

    m_cards.clear();
    makeCard("NOMODEL", false, {});
    window = openDialog();
    save(*window, "settings-card-without-model.png");

    WindowBtn4 battery(nullptr, DeviceModel::Main, 3);
    save(battery, "settings-12v-dialog.png");
}

QTEST_MAIN(TestConfigWindow)
#include "tst_configwindow.moc"
