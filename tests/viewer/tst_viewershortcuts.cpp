// The viewer's keyboard on the real window, keys typed wherever the focus is: transport, clips,
// zoom, maximize, mute, the dialogs, quitting; the tool tips that name the keys; and playback speed
// measured on a generated clip.
#include "viewer/viewershortcuts.h"

#include "base/language.h"
#include "session/playbacksession.h"
#include "session/viewerstate.h"
#include "skin/clearbutton.h"
#include "tests/viewer/viewertestwindow.h"
#include "viewer/cliplist.h"
#include "viewer/folderbrowser.h"
#include "viewer/mainwindow.h"
#include "viewer/videoview.h"
#include "viewer/widgetprogressa.h"
#include "viewer/widgetvolume.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using ViewerLayout::Button;
using ViewerTestWindow::isMaximized;
using ViewerTestWindow::rowIsOpen;
using ViewerTestWindow::shownFrame;

namespace {

constexpr int kLongRow = 1; // REC_2012_05_14_10_20_30.avi, 6 s with sound

// Closes the next modal dialog of type T once it shows, remembering that it did.
template <typename T>
void rejectNextModal(bool *seen)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, seen] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            *seen = true;
            timer->stop();
            timer->deleteLater();
            dialog->reject();
        }
    });
    timer->start();
}

} // namespace

class TestViewerShortcuts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void keysNeedAnOpenFolder();
    void spaceWhereverTheFocusIs_data();
    void spaceWhereverTheFocusIs();
    void listKeepsUpAndDown();
    void arrowsStepOneFramePaused();
    void shiftArrowsSeekFiveSeconds();
    void pageKeysChangeClip_data();
    void pageKeysChangeClip();
    void zoomKeys();
    void maximizeKeys();
    void muteKey();
    void dialogKeys_data();
    void dialogKeys();
    void quitKey();
    void toolTipsNameTheKeys_data();
    void toolTipsNameTheKeys();
    void speedSteps_data();
    void speedSteps();
    void playbackAdvancesAtChosenRate_data();
    void playbackAdvancesAtChosenRate();
    void speedShownSilencedAndResetByNextClip();

private:
    // Opens the card, selects `row` and waits until it is open, then pauses it and puts the focus
    // in the clip list, as after a click on it.
    void openPaused(int row);
    void press(int key, Qt::KeyboardModifiers modifiers = {});
    // The window's parts, found by name as a user finds them by sight.
    ClearButton *button(Button which) const { return ViewerTestWindow::button(*m_window, which); }
    MyListWidget *list() const { return ViewerTestWindow::clipList(*m_window); }
    VideoView *frontView() const { return m_window->findChild<VideoView *>(QStringLiteral("view1")); }
    WidgetVolume *volumeBar() const { return m_window->findChild<WidgetVolume *>(QStringLiteral("volumeSlider")); }
    WidgetProgressA *dashboard() const { return m_window->findChild<WidgetProgressA *>(); }
    PlaybackSession *session() const { return ViewerTestWindow::session(*m_window); }
    bool isPlaying() const { return ViewerTestWindow::isPlaying(*m_window); }

    ViewerTestWindow::Card m_card;
    std::unique_ptr<MainWindow> m_window;
};

void TestViewerShortcuts::initTestCase()
{
    QString error;
    if (!m_card.create(&error))
        QSKIP(qPrintable(error));
    qputenv("QRD7700_CARDS", QFile::encodeName(m_card.path()));
}

void TestViewerShortcuts::init()
{
    setCurrentLanguage(QStringLiteral("kr"));
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestViewerShortcuts::cleanup()
{
    m_window.reset();
}

void TestViewerShortcuts::openPaused(int row)
{
    QVERIFY(ViewerTestWindow::openFolder(*m_window, m_card.path()));
    ViewerTestWindow::openPaused(*m_window, row);
}

// Keys go to whatever has the focus, as a user's would.
void TestViewerShortcuts::press(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get();
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

// Without a folder the transport buttons are disabled, and so are their keys.
void TestViewerShortcuts::keysNeedAnOpenFolder()
{
    for (int key : {Qt::Key_Space, Qt::Key_Right, Qt::Key_Left, Qt::Key_PageDown, Qt::Key_Plus, Qt::Key_M,
                    Qt::Key_BracketRight})
        press(key);
    press(Qt::Key_Right, Qt::ShiftModifier);
    QVERIFY(!isPlaying());
    QVERIFY(!session()->clip());
    QVERIFY(volumeBar()->isEnabled() == false);
    QCOMPARE(frontView()->zoom(), 1.0f);
}

void TestViewerShortcuts::spaceWhereverTheFocusIs_data()
{
    QTest::addColumn<QString>("focus");
    QTest::newRow("clip list") << "list";
    QTest::newRow("window") << "window";
    QTest::newRow("stop button") << "button";
    QTest::newRow("video view") << "view";
}

void TestViewerShortcuts::spaceWhereverTheFocusIs()
{
    QFETCH(QString, focus);
    openPaused(kLongRow);
    QWidget *target = focus == QLatin1String("list")     ? static_cast<QWidget *>(list())
                      : focus == QLatin1String("button") ? button(Button::Stop)
                      : focus == QLatin1String("view")   ? static_cast<QWidget *>(frontView())
                                                         : static_cast<QWidget *>(m_window.get());
    target->setFocusPolicy(Qt::StrongFocus);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    QTest::keyClick(target, Qt::Key_Space);
    QVERIFY(isPlaying());
    QTRY_VERIFY(session()->engineStatus().running);
    QTest::keyClick(target, Qt::Key_Space);
    QVERIFY(!isPlaying());
    QCOMPARE(list()->currentRow(), kLongRow); // the list did not take the key
    // A held Space (the keyboard repeating it) plays once, instead of flickering.
    QTest::keyPress(target, Qt::Key_Space);
    for (int repeat = 0; repeat < 3; ++repeat)
        QTest::simulateEvent(target, true, Qt::Key_Space, {}, QStringLiteral(" "), true);
    QTest::keyRelease(target, Qt::Key_Space);
    QVERIFY(isPlaying());
}

// Up and Down still move through the list; the clip selected opens as a click would open it.
void TestViewerShortcuts::listKeepsUpAndDown()
{
    openPaused(0);
    press(Qt::Key_Down);
    QCOMPARE(list()->currentRow(), 1);
    QTRY_VERIFY(rowIsOpen(*m_window, 1));
    press(Qt::Key_Down);
    QCOMPARE(list()->currentRow(), 2);
    press(Qt::Key_Up);
    QCOMPARE(list()->currentRow(), 1);
    QTRY_VERIFY(rowIsOpen(*m_window, 1));
}

void TestViewerShortcuts::arrowsStepOneFramePaused()
{
    openPaused(kLongRow);
    press(Qt::Key_Right);
    QTRY_COMPARE(shownFrame(*m_window), 1);
    press(Qt::Key_Right);
    QTRY_COMPARE(shownFrame(*m_window), 2);
    press(Qt::Key_Left);
    QTRY_COMPARE(shownFrame(*m_window), 1);
    QCOMPARE(list()->currentRow(), kLongRow);
    // Holding Right keeps stepping, one picture per repeat.
    QWidget *focused = list();
    QTest::keyPress(focused, Qt::Key_Right);
    for (int repeat = 0; repeat < 3; ++repeat)
        QTest::simulateEvent(focused, true, Qt::Key_Right, {}, QString(), true);
    QTest::keyRelease(focused, Qt::Key_Right);
    QTRY_COMPARE(shownFrame(*m_window), 5);
    // A step while playing pauses first.
    press(Qt::Key_Space);
    QTRY_VERIFY(shownFrame(*m_window) > 3);
    press(Qt::Key_Right);
    QVERIFY(!isPlaying());
    QTRY_VERIFY(!session()->engineStatus().running);
    QVERIFY(button(Button::Play)->isVisible());
}

// Five seconds either way from the picture shown, never past the clip's ends.
void TestViewerShortcuts::shiftArrowsSeekFiveSeconds()
{
    openPaused(kLongRow);
    const qint64 length = session()->length();
    QVERIFY(length > ViewerShortcuts::kSeekStepMs);
    const auto near = [this](qint64 expected) {
        return qAbs(session()->position() - expected) <= 100;
    };
    press(Qt::Key_Right, Qt::ShiftModifier);
    QTRY_VERIFY(near(ViewerShortcuts::kSeekStepMs));
    QTRY_COMPARE(shownFrame(*m_window), int(ViewerShortcuts::kSeekStepMs * ViewerTestWindow::Card::Fps / 1000));
    press(Qt::Key_Right, Qt::ShiftModifier);
    QTRY_VERIFY(near(length));
    press(Qt::Key_Left, Qt::ShiftModifier);
    QTRY_VERIFY(near(length - ViewerShortcuts::kSeekStepMs));
    press(Qt::Key_Left, Qt::ShiftModifier);
    QTRY_VERIFY(near(0));
    QVERIFY(!isPlaying());
    QTRY_COMPARE(dashboard()->timeText(), QStringLiteral("00:00/00:06"));
}

void TestViewerShortcuts::pageKeysChangeClip_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("expected"); // from the first of three rows
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 0 << 1;
    QTest::newRow("Ctrl+Right") << int(Qt::Key_Right) << int(Qt::ControlModifier) << 1;
    QTest::newRow("Page Up wraps to the last") << int(Qt::Key_PageUp) << 0 << 2;
    QTest::newRow("Ctrl+Left wraps to the last") << int(Qt::Key_Left) << int(Qt::ControlModifier) << 2;
}

void TestViewerShortcuts::pageKeysChangeClip()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, expected);
    openPaused(0);
    press(key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(list()->currentRow(), expected);
    QTRY_VERIFY(rowIsOpen(*m_window, expected));
    QVERIFY(isPlaying()); // a clip chosen plays, as from the buttons
}

void TestViewerShortcuts::zoomKeys()
{
    openPaused(kLongRow);
    VideoView *view = frontView();
    press(Qt::Key_Plus);
    const float once = view->zoom();
    QVERIFY(once > 1.0f);
    press(Qt::Key_Equal);
    QVERIFY(view->zoom() > once);
    press(Qt::Key_Minus);
    QCOMPARE(view->zoom(), once);
    press(Qt::Key_Plus, Qt::KeypadModifier);
    QVERIFY(view->zoom() > once);
    press(Qt::Key_0);
    QCOMPARE(view->zoom(), 1.0f);
}

void TestViewerShortcuts::maximizeKeys()
{
    if (!ViewerLayout::canMaximize(m_window->screen()->geometry().size()))
        QSKIP("the test screen is too small to maximize");
    openPaused(kLongRow);
    press(Qt::Key_F);
    QVERIFY(isMaximized(*m_window));
    QCOMPARE(m_window->size(), m_window->screen()->geometry().size());
    press(Qt::Key_Escape);
    QVERIFY(!isMaximized(*m_window));
    QCOMPARE(m_window->size(), QSize(1024, 645));
    press(Qt::Key_Escape); // nothing to restore
    QVERIFY(!isMaximized(*m_window));
    press(Qt::Key_F11);
    QVERIFY(isMaximized(*m_window));
    press(Qt::Key_F11);
    QVERIFY(!isMaximized(*m_window));
}

// M mutes and restores the program's sound, as the volume button does.
void TestViewerShortcuts::muteKey()
{
    openPaused(kLongRow);
    QVERIFY(session()->engineStatus().hasAudio);
    const double level = session()->engineStatus().appliedVolume;
    QVERIFY(level > 0);
    press(Qt::Key_M);
    QVERIFY(!volumeBar()->isEnabled());
    QVERIFY(button(Button::Volume)->isHighlighted());
    QCOMPARE(session()->engineStatus().appliedVolume, 0.0);
    press(Qt::Key_M);
    QVERIFY(volumeBar()->isEnabled());
    QVERIFY(qAbs(session()->engineStatus().appliedVolume - level) < 0.001); // the bar's top level
}

void TestViewerShortcuts::dialogKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("Ctrl+S saves a snapshot") << int(Qt::Key_S) << "save";
    QTest::newRow("Ctrl+P prints") << int(Qt::Key_P) << "print";
    QTest::newRow("Ctrl+O opens a folder") << int(Qt::Key_O) << "folder";
}

void TestViewerShortcuts::dialogKeys()
{
    QFETCH(int, key);
    QFETCH(QString, dialog);
    openPaused(kLongRow);
    m_window->OnSlotsplay();
    bool seen = false;
    if (dialog == QLatin1String("save")) {
        rejectNextModal<QFileDialog>(&seen);
        // Cancelling the save is answered with the cancel message.
        auto *closer = new QTimer(this);
        connect(closer, &QTimer::timeout, closer, [closer] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                closer->deleteLater();
                box->accept();
            }
        });
        closer->start(20);
    } else if (dialog == QLatin1String("print")) {
        rejectNextModal<QPrintDialog>(&seen);
    } else {
        rejectNextModal<FolderBrowserDialog>(&seen);
    }
    press(key, Qt::ControlModifier);
    QVERIFY(seen);
    if (dialog != QLatin1String("folder"))
        QVERIFY(!isPlaying()); // saving and printing pause first
    QCOMPARE(list()->count(), 3);
}

void TestViewerShortcuts::quitKey()
{
    press(Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!m_window->isVisible());
}

void TestViewerShortcuts::toolTipsNameTheKeys_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("toolTip");
    const auto row = [](const char *name, const char *language, Button button, const QString &tip) {
        QTest::newRow(name) << QString::fromLatin1(language) << int(button) << tip;
    };
    row("play, Korean", "kr", Button::Play, QStringLiteral("재생 (Space)"));
    row("play, English", "en", Button::Play, QStringLiteral("Play (Space)"));
    row("pause, English", "en", Button::Pause, QStringLiteral("Pause (Space)"));
    row("previous file, English", "en", Button::PreviousFile, QStringLiteral("Previous File (PgUp, Ctrl+Left)"));
    row("next file, Korean", "kr", Button::NextFile, QStringLiteral("다음 파일 (PgDown, Ctrl+Right)"));
    row("frame back, English", "en", Button::FrameBack, QStringLiteral("Rewind 1 Frame (Left)"));
    row("zoom in, English", "en", Button::ZoomIn, QStringLiteral("Zoom-In (+, =)"));
    row("actual size, Korean", "kr", Button::ActualSize, QStringLiteral("\u00d7 1.0 (0)"));
    row("volume, English", "en", Button::Volume, QStringLiteral("Volume (M)"));
    row("capture, English", "en", Button::Snapshot, QStringLiteral("Capture (Ctrl+S)"));
    row("printer, Korean", "kr", Button::Print, QStringLiteral("프린터 (Ctrl+P)"));
    row("folder button, keys only", "kr", Button::FolderOpen, QStringLiteral("Ctrl+O"));
    row("maximize button, keys only", "en", Button::Maximize, QStringLiteral("F, F11"));
    row("restore button, keys only", "en", Button::Restore, QStringLiteral("Esc"));
    row("stop has no key", "en", Button::Stop, QStringLiteral("Stop"));
    row("file button has neither", "en", Button::FileOpen, QString());
}

void TestViewerShortcuts::toolTipsNameTheKeys()
{
    QFETCH(QString, language);
    QFETCH(int, button);
    QFETCH(QString, toolTip);
    setCurrentLanguage(language);
    MainWindow window(nullptr, Qt::FramelessWindowHint);
    QCOMPARE(ViewerTestWindow::button(window, Button(button))->toolTipText(), toolTip);
}

void TestViewerShortcuts::speedSteps_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<int>("direction");
    QTest::addColumn<double>("to");
    QTest::newRow("normal, faster") << 1.0 << 1 << 2.0;
    QTest::newRow("normal, slower") << 1.0 << -1 << 0.5;
    QTest::newRow("fastest stays") << 4.0 << 1 << 4.0;
    QTest::newRow("slowest stays") << 0.25 << -1 << 0.25;
    QTest::newRow("between steps, faster") << 1.5 << 1 << 2.0;
    QTest::newRow("between steps, slower") << 1.5 << -1 << 1.0;
    QTest::newRow("beyond the fastest, slower") << 8.0 << -1 << 4.0;
}

void TestViewerShortcuts::speedSteps()
{
    QFETCH(double, from);
    QFETCH(int, direction);
    QFETCH(double, to);
    QCOMPARE(PlaybackSession::steppedRate(from, direction), to);
}

void TestViewerShortcuts::playbackAdvancesAtChosenRate_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("mediaMs"); // how far to let it play for the measurement
    QTest::newRow("0.25x") << QList<int>{Qt::Key_BracketLeft, Qt::Key_BracketLeft} << 0.25 << 300;
    QTest::newRow("0.5x") << QList<int>{Qt::Key_BracketLeft} << 0.5 << 500;
    QTest::newRow("1x after a detour") << QList<int>{Qt::Key_BracketRight, Qt::Key_BracketLeft} << 1.0 << 1000;
    QTest::newRow("2x") << QList<int>{Qt::Key_BracketRight} << 2.0 << 1600;
    QTest::newRow("4x") << QList<int>{Qt::Key_BracketRight, Qt::Key_BracketRight, Qt::Key_BracketRight} << 4.0
                        << 2800;
}

// The position moves on at the speed chosen with [ and ]: measured against the wall clock while it
// plays, with room for a busy machine.
void TestViewerShortcuts::playbackAdvancesAtChosenRate()
{
    QFETCH(QList<int>, keys);
    QFETCH(double, rate);
    QFETCH(int, mediaMs);
    openPaused(kLongRow);
    for (int key : keys)
        press(key);
    QCOMPARE(m_window->state().rate(), rate);
    QCOMPARE(session()->engineStatus().rate, rate);
    press(Qt::Key_Space);
    const PlaybackSession *playback = session();
    // Measure once the pipeline runs and the position has started moving.
    QTRY_VERIFY(playback->engineStatus().running && playback->position() > 100 * rate);
    QElapsedTimer clock;
    const qint64 from = playback->position();
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(playback->position() >= from + mediaMs, 10000);
    const double measured = double(playback->position() - from) / double(clock.elapsed());
    QVERIFY2(measured > rate * 0.6 && measured < rate * 1.5,
             qPrintable(QStringLiteral("played at %1x instead of %2x").arg(measured).arg(rate)));
}

// Another speed shows on the dashboard and silences the clip (the volume bar keeps its level); the
// next clip starts at normal speed with its sound.
void TestViewerShortcuts::speedShownSilencedAndResetByNextClip()
{
    openPaused(kLongRow);
    const double level = session()->engineStatus().appliedVolume;
    QVERIFY(level > 0);
    QVERIFY(dashboard()->rateText().isEmpty());
    press(Qt::Key_BracketRight);
    QCOMPARE(dashboard()->rateText(), QStringLiteral("\u00d72"));
    QCOMPARE(session()->engineStatus().appliedVolume, 0.0);
    QVERIFY(volumeBar()->isEnabled());
    press(Qt::Key_BracketLeft);
    press(Qt::Key_BracketLeft);
    QCOMPARE(dashboard()->rateText(), QStringLiteral("\u00d70.5"));
    press(Qt::Key_BracketRight);
    QVERIFY(dashboard()->rateText().isEmpty());
    QVERIFY(qAbs(session()->engineStatus().appliedVolume - level) < 0.001);

    press(Qt::Key_BracketLeft);
    press(Qt::Key_BracketLeft);
    QCOMPARE(m_window->state().rate(), 0.25);
    press(Qt::Key_PageUp);
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QCOMPARE(m_window->state().rate(), 1.0);
    QCOMPARE(session()->engineStatus().rate, 1.0);
    QVERIFY(dashboard()->rateText().isEmpty());
    press(Qt::Key_PageDown);
    QTRY_VERIFY(rowIsOpen(*m_window, kLongRow));
    QVERIFY(qAbs(session()->engineStatus().appliedVolume - level) < 0.001);
}

int main(int argc, char **argv)
{
    return ViewerTestWindow::run(argc, argv, [] { return std::make_unique<TestViewerShortcuts>(); });
}

#include "tst_viewershortcuts.moc"
