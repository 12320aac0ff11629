// The trip view on the real window: a generated card of three drives (a short one with an event
// clip, one with a clip cut short, one over an hour long) recorded in Seoul by a recorder whose
// clock runs 75 s fast. Keys, the trip button, the rows, a trip played across its clips, the
// timeline and the notices, as a user meets them.
#include "tests/viewer/viewertestwindow.h"

#include "tests/viewer/modaldialogs.h"

#include "base/language.h"
#include "catalogue/clip.h"
#include "session/cliplibrary.h"
#include "session/playbacksession.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "skin/clearbutton.h"
#include "viewer/cliplist.h"
#include "viewer/cliplistmenu.h"
#include "viewer/dashboardgeometry.h"
#include "viewer/mainwindow.h"
#include "viewer/playbacknotice.h"
#include "viewer/viewersession.h"
#include "viewer/widgetprogressa.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

using ViewerTestWindow::rowIsOpen;

const QDateTime kDay(QDate(2025, 7, 2), QTime(0, 0), Qt::UTC);
constexpr qint64 kRecorderAheadMs = 9 * 3600 * 1000 + 75 * 1000; // Seoul, 75 s fast

// A clip of `seconds` named after the recorder's clock at `recorderTime` (from kDay), its GPS
// giving the true time; pictures carry marks counting from `firstFrame`.
bool writeDriveClip(const QString &path, QTime recorderTime, int firstFrame, QString *error)
{
    MediaGen::ClipDesign design;
    design.channels = {QSize(320, 180), QSize(160, 90)};
    design.fps = 15;
    design.frames = 30;
    design.firstFrame = firstFrame;
    ClipWriter::TelemetryRoute route;
    route.positions = {{37.5665, 126.9780}, {37.5670, 126.9790}};
    route.speedKnots = {20.0, 22.0};
    route.startUtc = QDateTime(kDay.date(), recorderTime, Qt::UTC).addMSecs(-kRecorderAheadMs);
    design.route = route;
    return MediaGen::writeAvi(path, design, error);
}

// A clip cut off in its data: the header (and so its length) is whole, the pictures are gone.
bool cutShort(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qsizetype movi = file.readAll().indexOf("movi");
    return movi > 0 && file.resize(movi + 12);
}

} // namespace

class TestTripView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void keyAndButtonSwitchTheList();
    void tripPlaysAcrossItsClipsAtTheChosenSpeed();
    void timelineSeeksAcrossTheLongTrip();
    void clipThatCannotBePlayedIsPassedOverWithANotice_data();
    void clipThatCannotBePlayedIsPassedOverWithANotice();
    void tripViewIsRemembered();
    void tripRowExportsTheWholeDrive();

private:
    QString card() const { return m_card.path(); }
    QString clipPath(const char *relative) const { return m_card.filePath(QLatin1String(relative)); }
    MyListWidget *list() const { return ViewerTestWindow::clipList(*m_window); }
    WidgetProgressA *dashboard() const { return m_window->findChild<WidgetProgressA *>(); }
    PlaybackSession *session() const { return ViewerTestWindow::session(*m_window); }
    ClearButton *tripButton() const { return ViewerTestWindow::button(*m_window, "trip_view"); }
    PlaybackNotice *notice() const { return m_window->findChild<PlaybackNotice *>(); }
    int painted() const { return ViewerTestWindow::shownFrame(*m_window); }
    // A key as the user presses it, to whatever has the focus.
    void press(int key)
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get(), Qt::Key(key));
    }
    void pressT() { press(Qt::Key_T); }
    void showNewWindow()
    {
        m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    // Opens the card in the trip view and waits until all its trips are read.
    void openTrips();
    QStringList rows() const;

    QTemporaryDir m_card;
    std::unique_ptr<MainWindow> m_window;
    MessageBoxRecorder m_boxes; // a box would stop playing on: answered at once, remembered
};

void TestTripView::initTestCase()
{
    qRegisterMetaType<Clip *>();
    const QStringList missing = MediaGen::missingForAvi();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("GStreamer elements missing: ") + missing.join(QLatin1String(", "))));
    QVERIFY(QDir(card()).mkpath(QStringLiteral("REC")) && QDir(card()).mkpath(QStringLiteral("EVENT")));
    QString error;
    // The first drive: three clips end to end, an event clip a second into the second one.
    const struct { const char *name; QTime at; int firstFrame; } drive[] = {
        {"REC/REC_2025_07_02_09_00_00.avi", QTime(9, 0, 0), 0},
        {"REC/REC_2025_07_02_09_00_02.avi", QTime(9, 0, 2), 30},
        {"REC/REC_2025_07_02_09_00_04.avi", QTime(9, 0, 4), 60},
        {"EVENT/EVS_2025_07_02_09_00_03_I.avi", QTime(9, 0, 3), 500},
        // The second drive: its middle clip was cut short.
        {"REC/REC_2025_07_02_10_00_00.avi", QTime(10, 0, 0), 100},
        {"REC/REC_2025_07_02_10_00_02.avi", QTime(10, 0, 2), 130},
        {"REC/REC_2025_07_02_10_00_04.avi", QTime(10, 0, 4), 160},
    };
    for (const auto &clip : drive)
        QVERIFY2(writeDriveClip(clipPath(clip.name), clip.at, clip.firstFrame, &error), qPrintable(error));
    QVERIFY(cutShort(clipPath("REC/REC_2025_07_02_10_00_02.avi")));
    // The third drive: two clips of 31 minutes, one picture a second, without telemetry.
    for (int k = 0; k < 2; ++k) {
        MediaGen::ClipDesign design;
        design.channels = {QSize(160, 90)};
        design.fps = 1;
        design.frames = 31 * 60;
        design.audio = false;
        design.distinctFrames = 2;
        const QString name = QStringLiteral("REC/REC_2025_07_02_11_%1_00.avi").arg(k * 31, 2, 10, QLatin1Char('0'));
        QVERIFY2(MediaGen::writeAvi(m_card.filePath(name), design, &error), qPrintable(error));
    }
    qputenv("QRD7700_CARDS", QFile::encodeName(card()));
}

void TestTripView::init()
{
    setCurrentLanguage(QStringLiteral("en"));
    m_boxes.clear();
    showNewWindow();
}

void TestTripView::cleanup()
{
    m_window.reset();
}

void TestTripView::openTrips()
{
    QVERIFY(ViewerTestWindow::openFolder(*m_window, card()));
    if (!m_window->state().isTripView())
        pressT();
    QVERIFY(m_window->state().isTripView());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->trips().isReading() && list()->count() == 3, 20000);
}

QStringList TestTripView::rows() const
{
    QStringList texts;
    for (int row = 0; row < list()->count(); ++row)
        texts << list()->item(row)->text();
    return texts;
}

// T and the button beside EVENT switch between one row per clip and one row per drive, oldest
// first, in the car's true local time (the recorder's clock was 75 s ahead); what plays goes on.
void TestTripView::keyAndButtonSwitchTheList()
{
    QVERIFY(ViewerTestWindow::openFolder(*m_window, card()));
    QCOMPARE(list()->count(), 9);
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QVERIFY(!tripButton()->isHighlighted());
    QCOMPARE(tripButton()->toolTipText(), QStringLiteral("Trips (T)"));
    pressT();
    QVERIFY(tripButton()->isHighlighted());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->trips().isReading() && list()->count() == 3, 20000);
    const QStringList texts = rows();
    QVERIFY2(texts.at(0).startsWith(QStringLiteral("2025-07-02 08:58\u201308:58 \u00b7 0 min \u00b7 0.")),
             qPrintable(texts.join(QLatin1Char('\n'))));
    QVERIFY(texts.at(1).startsWith(QStringLiteral("2025-07-02 09:58\u201309:58")));
    QVERIFY2(texts.at(2).startsWith(QStringLiteral("2025-07-02 10:58\u201312:00 \u00b7 1 h 02 min \u00b7 0.0 km")),
             qPrintable(texts.at(2)));
    // The clip that played goes on as part of its drive, whose row is chosen; and back.
    QTRY_VERIFY(session()->isOpen() && session()->isTrip());
    QCOMPARE(list()->currentRow(), 0);
    QCOMPARE(session()->length(), 6000);
    m_window->OnSlotspause();
    const QString onScreen = session()->clip()->file().fileName();
    QVERIFY2(onScreen.startsWith(QLatin1String("REC_2025_07_02_09_00_0")), qPrintable(onScreen));
    ViewerTestWindow::click(*m_window, "trip_view");
    QVERIFY(!m_window->state().isTripView());
    QCOMPARE(list()->count(), 9);
    QCOMPARE(MyListWidget::clipOf(list()->currentItem())->file().fileName(), onScreen);
    QTRY_VERIFY(session()->isOpen() && !session()->isTrip());
    QCOMPARE(session()->clip()->file().fileName(), onScreen);
    ViewerTestWindow::click(*m_window, "trip_view");
    QCOMPARE(rows(), texts);
    // The clip keys step through the drives, wrapping round at the ends as through the clips.
    list()->setCurrentRow(0);
    QTRY_VERIFY(session()->isTrip());
    for (const auto &[key, row] : {std::pair{Qt::Key_PageUp, 2}, std::pair{Qt::Key_PageDown, 0}, std::pair{Qt::Key_PageDown, 1}}) {
        press(key);
        QCOMPARE(list()->currentRow(), row);
        QTRY_VERIFY(session()->isTrip() && m_window->trips().tripOf(session()->clip()->file().absoluteFilePath()) == row);
    }
    QCOMPARE(m_boxes.texts(), QStringList());
}

// A drive chosen plays from its start on one time line; the next clip takes over at the end of
// each one without a lost picture; the speed chosen stays; the event clip is marked on the
// timeline and the recorder's clock error shows beside the date.
void TestTripView::tripPlaysAcrossItsClipsAtTheChosenSpeed()
{
    openTrips();
    list()->setCurrentRow(1);
    list()->setCurrentRow(0);
    QTRY_VERIFY(session()->isOpen() && session()->isTrip() && session()->position() > 0);
    m_window->OnSlotspause();
    m_window->OnSlotsProgress(0);
    QTRY_COMPARE(painted(), 0);
    QTRY_COMPARE(dashboard()->timeText(), QStringLiteral("00:00/00:06"));
    QCOMPARE(dashboard()->tripEvents(), QList<qint64>{3000});
    QCOMPARE(dashboard()->clockNote(), QStringLiteral("Recorder clock 1 min 15 s fast"));
    // The event's flag sits on the strip where its clip started.
    const QImage strip = dashboard()->grab().toImage();
    const int flagX = Dashboard::markerX(3000, 6000, dashboard()->width());
    const QColor flag = strip.pixelColor(flagX, Dashboard::kStripHeight - 3);
    QVERIFY2(flag.red() > 200 && flag.blue() > 150 && flag.green() < 150, qPrintable(flag.name()));

    press(Qt::Key_BracketRight);
    QCOMPARE(m_window->state().rate(), 2.0);
    QSignalSpy changed(session(), &PlaybackSession::clipChanged);
    m_window->OnSlotsplay();
    QTRY_VERIFY_WITH_TIMEOUT(changed.count() >= 1, 10000);
    QCOMPARE(session()->clip()->file().fileName(), QStringLiteral("REC_2025_07_02_09_00_02.avi"));
    QCOMPARE(session()->engineStatus().rate, 2.0);
    QCOMPARE(dashboard()->rateText(), QStringLiteral("\u00d72"));
    QTRY_VERIFY_WITH_TIMEOUT(painted() >= 61, 10000);
    QCOMPARE(session()->clip()->file().fileName(), QStringLiteral("REC_2025_07_02_09_00_04.avi"));
    // The drive's end plays on into the next drive, at the same speed.
    QTRY_COMPARE_WITH_TIMEOUT(list()->currentRow(), 1, 10000);
    QTRY_VERIFY(session()->isTrip() && session()->clip()->file().fileName() == QLatin1String("REC_2025_07_02_10_00_00.avi"));
    QCOMPARE(m_window->state().rate(), 2.0);
    QCOMPARE(m_boxes.texts(), QStringList());
}

// The time text counts hours on a drive over an hour long; a click on the timeline lands in the
// clip that was recorded then.
void TestTripView::timelineSeeksAcrossTheLongTrip()
{
    openTrips();
    list()->setCurrentRow(2);
    QTRY_VERIFY(session()->isOpen() && session()->isTrip());
    m_window->OnSlotspause();
    QCOMPARE(session()->length(), 62 * 60 * 1000);
    QTRY_VERIFY(dashboard()->timeText().endsWith(QLatin1String("/01:02:00")));
    const int x = dashboard()->width() * 2 / 3;
    const int target = Dashboard::releasePosition(0, 62 * 60 * 1000, x, dashboard()->width());
    QVERIFY(target > 31 * 60 * 1000);
    QTest::mouseClick(dashboard(), Qt::LeftButton, {}, QPoint(x, 10));
    QTRY_COMPARE(session()->clip()->file().fileName(), QStringLiteral("REC_2025_07_02_11_31_00.avi"));
    QTRY_VERIFY(qAbs(session()->position() - target) <= 1000);
    QTRY_COMPARE(dashboard()->timeText(), Dashboard::timeText(int(session()->position()), 62 * 60 * 1000));
    QVERIFY(dashboard()->timeText().startsWith(QLatin1String("00:4")));
}

void TestTripView::clipThatCannotBePlayedIsPassedOverWithANotice_data()
{
    QTest::addColumn<bool>("tripView");
    QTest::newRow("in a drive of the trip view") << true;
    QTest::newRow("playing on through the clip list") << false;
}

// No box stops the drive: a note that names the file shows over the picture for a while, and the
// pictures go on with the clip after it.
void TestTripView::clipThatCannotBePlayedIsPassedOverWithANotice()
{
    QFETCH(bool, tripView);
    if (tripView) {
        openTrips();
        list()->setCurrentRow(1);
    } else {
        QVERIFY(ViewerTestWindow::openFolder(*m_window, card()));
        list()->setCurrentRow(4); // REC_2025_07_02_10_00_00.avi
    }
    QTRY_VERIFY_WITH_TIMEOUT(notice()->isVisible(), 15000);
    QVERIFY2(notice()->text().contains(QLatin1String("REC_2025_07_02_10_00_02.avi")), qPrintable(notice()->text()));
    QTRY_VERIFY_WITH_TIMEOUT(painted() >= 161, 15000);
    QVERIFY(ViewerTestWindow::isPlaying(*m_window));
    QCOMPARE(session()->clip()->file().fileName(), QStringLiteral("REC_2025_07_02_10_00_04.avi"));
    QCOMPARE(m_boxes.texts(), QStringList());
    if (!tripView)
        QCOMPARE(list()->currentRow(), 6);
}

// The view chosen is kept in viewer.conf: the next start shows the drives, the first one paused.
void TestTripView::tripViewIsRemembered()
{
    openTrips();
    ViewerSession::save(*m_window);
    showNewWindow();
    ViewerSession::restore(*m_window);
    QVERIFY(m_window->state().isTripView());
    QVERIFY(tripButton()->isHighlighted());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->trips().isReading() && list()->count() == 3, 20000);
    QTRY_VERIFY(session()->isOpen() && session()->isTrip());
    QCOMPARE(list()->currentRow(), 0);
    QTRY_COMPARE(painted(), 0);
    QVERIFY(!ViewerTestWindow::isPlaying(*m_window));
    // Back to the clips, and that is kept too.
    pressT();
    ViewerSession::save(*m_window);
    showNewWindow();
    ViewerSession::restore(*m_window);
    QVERIFY(!m_window->state().isTripView());
    QTRY_COMPARE(list()->count(), 9);
}

// A drive's row exports its clips as one track in true UTC, proposed under the drive's start.
void TestTripView::tripRowExportsTheWholeDrive()
{
    openTrips();
    QTemporaryDir target;
    const QString gpx = target.filePath(QStringLiteral("drive.gpx"));
    chooseFromNextMenu(QString::fromUtf8(ClipListMenu::kExportGpx));
    QString proposed;
    answerNextModal<QFileDialog>([&proposed, gpx](QFileDialog *dialog) {
        proposed = dialog->selectedFiles().value(0).section(QLatin1Char('/'), -1);
        typeFileName(dialog, gpx);
    });
    ViewerTestWindow::rightClick(*m_window, 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(gpx), 10000);
    QCOMPARE(proposed, QStringLiteral("trip_2025-07-02_0858.gpx"));
    QFile file(gpx);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray document = file.readAll();
    QCOMPARE(document.count("<trk>"), 1);
    QVERIFY(document.contains("<name>Trip 2025-07-02 08:58</name>"));
    // 09:00:00 by the recorder's clock was 23:58:45 UTC; the third clip starts at 23:58:49 and
    // runs into the next second.
    QVERIFY2(document.contains("<time>2025-07-01T23:58:45.000Z</time>"), document.constData());
    QVERIFY(document.contains("<time>2025-07-01T23:58:49.000Z</time>"));
    QVERIFY(document.contains("<time>2025-07-01T23:58:50."));
    QCOMPARE(m_boxes.texts(), QStringList());
}

int main(int argc, char **argv)
{
    return ViewerTestWindow::run(argc, argv, [] { return std::make_unique<TestTripView>(); });
}

#include "tst_tripview.moc"
