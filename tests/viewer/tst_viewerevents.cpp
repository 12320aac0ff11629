// The card's driving events in the real viewer window, with real keys and clicks: the marks on
// the timeline where the events are, N and Shift+N landing 2 s before them across clips, the
// events list (E and the clip list's menu) and choosing an entry, the list and marks filling in
// while the card is still read, and cards with nothing to find.
#include "viewer/mainwindow.h"

#include "base/language.h"
#include "base/messages.h"
#include "catalogue/clip.h"
#include "generators/clipwriter/aviclipwriter.h"
#include "generators/clipwriter/drivesynthesis.h"
#include "generators/mediagen/mediagen.h"
#include "session/eventfinder.h"
#include "session/playbacksession.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "tests/session/heldreading.h"
#include "tests/viewer/modaldialogs.h"
#include "tests/viewer/viewertestwindow.h"
#include "viewer/cliplist.h"
#include "viewer/dashboardgeometry.h"
#include "viewer/eventnavigator.h"
#include "viewer/eventslist.h"
#include "viewer/widgetprogressa.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace ClipWriter;
using ViewerTestWindow::rowIsOpen;
using ViewerTestWindow::shownFrame;

namespace {

constexpr int kFps = 10;

// The card, in the list's order (the recorder's clock), each clip's pushes on the car.
struct PlannedClip
{
    const char *path;
    int seconds;
    QList<Push> pushes;
};
const PlannedClip kClips[] = {
    {"REC/REC_2012_05_14_10_20_30.avi", 12, {{3, 2, -0.5}, {8.5, 1, 0, 0.5}}}, // row 0: a brake, a turn
    {"REC/REC_2012_05_14_10_20_42.avi", 8, {}},                                // row 1: steady
    {"REC/REC_2012_05_14_10_20_50.avi", 14, {{11, 2, 0.4}}},                   // row 2: a late start
    {"EVENT/EVS_2012_05_14_10_21_05_I.avi", 8, {{4, 0.1, 0, 0, 0.9}}},        // row 3: an impact
};
constexpr int kCardEvents = 4;
constexpr int kBrakeTurnRow = 0;
constexpr int kSteadyRow = 1;
constexpr int kLateStartRow = 2;
constexpr int kImpactRow = 3;

// A clip of the drive with sound, whose pictures carry their frame number, the GPS on the
// recorder's clock.
bool writeDrive(const QString &path, int seconds, const QList<Push> &pushes, QString *error)
{
    DriveScenario scenario;
    scenario.seconds = seconds;
    scenario.pushes = pushes;
    ClipDescription d;
    d.videoStreams = MediaGen::markedStreams({QSize(320, 180)});
    d.framesPerSecond = kFps;
    d.durationMs = seconds * 1000;
    d.audio = true; // the recorder's layout: the telemetry is stream "02tx"
    d.route = routeOf(synthesizeDrive(scenario));
    d.route->startUtc = QDateTime::fromString(QFileInfo(path).fileName().mid(4, 19), "yyyy_MM_dd_hh_mm_ss");
    d.route->startUtc.setTimeSpec(Qt::UTC);
    return QDir().mkpath(QFileInfo(path).path()) && writeAviClip(path, d, error);
}

qint64 landingOf(const DrivingEvent &event)
{
    return std::max<qint64>(0, event.offsetMs - EventNavigator::kLeadInMs);
}

} // namespace

class TestViewerEvents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void marksDrawnWhereTheEventsAre();
    void eventKeysLandTwoSecondsBefore();
    void tripViewMarksAndKeysFollowTheDrive();
    void listShowsTheCardAndPlaysTheChosenEntry_data();
    void listShowsTheCardAndPlaysTheChosenEntry();
    void clipMenuOpensTheListAtItsClip();
    void marksAndListFillInWhileTheCardIsRead();
    void cardsWithNothingToFind();

private:
    // Opens `folder` and waits until its clips are listed and, unless `wait` is false, its events
    // found.
    void openCard(const QString &folder, bool wait = true);
    void openPaused(int row) { ViewerTestWindow::openPaused(*m_window, row); }
    void press(int key, Qt::KeyboardModifiers modifiers = {});
    // Waits until `row` is open and paused 2 s before `event`, showing that picture.
    void expectLandedBefore(int row, const DrivingEvent &event);
    // N (or Shift+N) finds nothing that way: a jump would move the timeline's marker or the list's
    // row at once, before any picture comes.
    void expectNoJump(Qt::KeyboardModifiers modifiers);
    QList<DrivingEvent> eventsOfRow(int row) const;
    EventsList *eventsList() const { return m_window->findChild<EventsList *>(QStringLiteral("eventsList")); }
    QTreeWidget *eventsTable() const { return m_window->findChild<QTreeWidget *>(QStringLiteral("eventsTable")); }
    QString statusText() const { return m_window->findChild<QLabel *>(QStringLiteral("eventsStatus"))->text(); }
    WidgetProgressA *dashboard() const { return m_window->findChild<WidgetProgressA *>(); }
    PlaybackSession *session() const { return ViewerTestWindow::session(*m_window); }
    MyListWidget *list() const { return ViewerTestWindow::clipList(*m_window); }
    bool isPlaying() const { return ViewerTestWindow::isPlaying(*m_window); }

    QTemporaryDir m_dir;
    QString m_card;
    std::unique_ptr<MainWindow> m_window;
};

void TestViewerEvents::initTestCase()
{
    const QStringList missing = MediaGen::missingForAvi();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("GStreamer elements missing: ") + missing.join(", ")));
    m_card = m_dir.filePath(QStringLiteral("card"));
    for (const PlannedClip &clip : kClips) {
        QString error;
        QVERIFY2(writeDrive(m_card + '/' + clip.path, clip.seconds, clip.pushes, &error), qPrintable(error));
    }
}

void TestViewerEvents::init()
{
    setCurrentLanguage(QStringLiteral("kr"));
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestViewerEvents::cleanup()
{
    m_window.reset();
}

void TestViewerEvents::openCard(const QString &folder, bool wait)
{
    QSignalSpy finished(&m_window->events(), &EventFinder::finished);
    QVERIFY(ViewerTestWindow::openFolder(*m_window, folder));
    if (wait)
        QVERIFY(finished.count() == 1 || finished.wait(20000));
}

void TestViewerEvents::press(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get();
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

void TestViewerEvents::expectLandedBefore(int row, const DrivingEvent &event)
{
    const qint64 landing = landingOf(event);
    QTRY_VERIFY(rowIsOpen(*m_window, row));
    QTRY_COMPARE(shownFrame(*m_window), int(landing * kFps / 1000));
    QVERIFY2(qAbs(session()->position() - landing) <= 50, qPrintable(QString::number(session()->position())));
    QVERIFY(!isPlaying());
    QCOMPARE(list()->currentRow(), row);
}

void TestViewerEvents::expectNoJump(Qt::KeyboardModifiers modifiers)
{
    const int row = list()->currentRow();
    const QString time = dashboard()->timeText();
    press(Qt::Key_N, modifiers);
    QCOMPARE(list()->currentRow(), row);
    QCOMPARE(dashboard()->timeText(), time);
}

QList<DrivingEvent> TestViewerEvents::eventsOfRow(int row) const
{
    return m_window->events().clipEvents(MyListWidget::clipOf(list()->item(row))->file().absoluteFilePath());
}

// Each event a bar of its kind's colour above the graph, from its start; nothing in the band
// elsewhere. Below, the graph shows the brake under the rest line and the start above it.
void TestViewerEvents::marksDrawnWhereTheEventsAre()
{
    openCard(m_card);
    QCOMPARE(m_window->events().events().size(), kCardEvents);
    const QList<std::pair<int, QList<EventKind>>> rows = {
        {kImpactRow, {EventKind::Impact}},
        {kBrakeTurnRow, {EventKind::HardBrake, EventKind::SharpTurn}},
        {kSteadyRow, {}},
        {kLateStartRow, {EventKind::HardAcceleration}},
    };
    for (const auto &[row, kinds] : rows) {
        openPaused(row);
        const QList<DrivingEvent> events = eventsOfRow(row);
        QCOMPARE(events.size(), kinds.size());
        const int end = int(session()->length());
        QTRY_VERIFY(!dashboard()->track()->isLoading() && dashboard()->timeText() == Dashboard::timeText(0, end));
        const QImage shown = dashboard()->grab().toImage();
        QSet<int> marked;
        for (int i = 0; i < events.size(); ++i) {
            QCOMPARE(events.at(i).kind, kinds.at(i));
            const QRect place = Dashboard::markRect({events.at(i).offsetMs, events.at(i).durationMs, kinds.at(i)},
                                                    end, dashboard()->width());
            QCOMPARE(place.left(), Dashboard::markerX(int(events.at(i).offsetMs), end, dashboard()->width()));
            for (int x = place.left(); x <= place.right(); ++x) {
                marked.insert(x);
                QCOMPARE(shown.pixelColor(x, Dashboard::kMarkTop + 3), Dashboard::eventColour(kinds.at(i)));
            }
        }
        for (int x = 0; x < shown.width(); x += 7) {
            const QColor pixel = shown.pixelColor(x, Dashboard::kMarkTop + 3);
            if (!marked.contains(x))
                for (EventKind kind : {EventKind::HardBrake, EventKind::HardAcceleration, EventKind::SharpTurn,
                                       EventKind::Impact})
                    QVERIFY2(pixel != Dashboard::eventColour(kind), qPrintable(QString::number(x)));
        }
        // X (red) in the middle of a brake lies below the rest row, in the middle of a start above.
        for (const DrivingEvent &event : events) {
            if (event.kind != EventKind::HardBrake && event.kind != EventKind::HardAcceleration)
                continue;
            const int x = Dashboard::markerX(int(event.offsetMs + event.durationMs / 2), end, dashboard()->width());
            int redRow = -1;
            for (int y = Dashboard::kGraphTop; y <= Dashboard::kGraphBottom; ++y) {
                if (shown.pixelColor(x, y) == QColor(255, 0, 0))
                    redRow = y;
            }
            QVERIFY(redRow >= 0);
            if (event.kind == EventKind::HardBrake)
                QVERIFY2(redRow > Dashboard::kGraphRest + 3, qPrintable(QString::number(redRow)));
            else
                QVERIFY2(redRow < Dashboard::kGraphRest - 3, qPrintable(QString::number(redRow)));
        }
    }
}

// N and Shift+N from the first clip with events, through the steady clip, to the last event and
// back, each landing paused 2 s before its event; nothing further at either end.
void TestViewerEvents::eventKeysLandTwoSecondsBefore()
{
    openCard(m_card);
    openPaused(kBrakeTurnRow);
    const QList<DrivingEvent> first = eventsOfRow(kBrakeTurnRow);
    const QList<DrivingEvent> impact = eventsOfRow(kImpactRow);
    const QList<DrivingEvent> late = eventsOfRow(kLateStartRow);
    QCOMPARE(first.size(), 2);

    press(Qt::Key_N);
    expectLandedBefore(kBrakeTurnRow, first.at(0));
    press(Qt::Key_N);
    expectLandedBefore(kBrakeTurnRow, first.at(1));
    press(Qt::Key_N); // past the steady clip
    expectLandedBefore(kLateStartRow, late.at(0));
    press(Qt::Key_N);
    expectLandedBefore(kImpactRow, impact.at(0));
    expectNoJump(Qt::NoModifier); // the last event: nothing further

    press(Qt::Key_N, Qt::ShiftModifier);
    expectLandedBefore(kLateStartRow, late.at(0));
    // Just after the late start's lead-in the previous one is the clip before's, past the steady one.
    m_window->OnSlotsProgress(int(landingOf(late.at(0)) + 300));
    press(Qt::Key_N, Qt::ShiftModifier);
    expectLandedBefore(kBrakeTurnRow, first.at(1));
    press(Qt::Key_N, Qt::ShiftModifier);
    expectLandedBefore(kBrakeTurnRow, first.at(0));
    expectNoJump(Qt::ShiftModifier);

    // Playing, N goes on playing from 2 s before the next event, in the clip and in the next one
    // with events. Played on from where they were, neither would get there within the wait.
    m_window->OnSlotsplay();
    QTRY_VERIFY(isPlaying());
    press(Qt::Key_N);
    QTRY_VERIFY_WITH_TIMEOUT(session()->position() >= landingOf(first.at(1)), 3000);
    QVERIFY(landingOf(first.at(1)) - landingOf(first.at(0)) > 3000);
    QVERIFY(isPlaying());
    press(Qt::Key_N);
    QTRY_VERIFY_WITH_TIMEOUT(rowIsOpen(*m_window, kLateStartRow) && session()->position() >= landingOf(late.at(0)),
                             5000);
    QVERIFY(landingOf(late.at(0)) > 5000);
    QVERIFY(isPlaying());
    m_window->OnSlotspause();
}

// In the trip view the three normal clips are one drive: its events are marked on the drive's time
// line, and N and Shift+N go through them across the clips, paused 2 s before each.
void TestViewerEvents::tripViewMarksAndKeysFollowTheDrive()
{
    openCard(m_card);
    const QList<DrivingEvent> first = eventsOfRow(kBrakeTurnRow);
    const QList<DrivingEvent> late = eventsOfRow(kLateStartRow);
    QCOMPARE(first.size() + late.size(), 3);
    press(Qt::Key_T);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->trips().isReading() && m_window->trips().trips().size() == 1, 20000);
    list()->setCurrentRow(0);
    QTRY_VERIFY(session()->isTrip() && session()->isOpen());
    m_window->OnSlotspause();
    const qint64 lateOffset = (12 + 8) * 1000; // where the late start's clip begins on the drive
    QCOMPARE(session()->length(), (12 + 8 + 14) * 1000);
    // Every mark where its event lies on the drive's time line.
    QList<DrivingEvent> onDrive = first;
    onDrive.append(late.first());
    onDrive.last().offsetMs += lateOffset;
    for (const DrivingEvent &event : onDrive) {
        const QRect place = Dashboard::markRect({event.offsetMs, event.durationMs, event.kind}, int(session()->length()),
                                                dashboard()->width());
        QTRY_COMPARE(dashboard()->grab().toImage().pixelColor(place.center()), Dashboard::eventColour(event.kind));
    }
    m_window->OnSlotsProgress(0);
    const auto expectLanded = [this](const DrivingEvent &event, const char *clip) {
        QTRY_VERIFY(session()->clip() && session()->clip()->file().fileName() == QLatin1String(clip));
        QTRY_VERIFY2(qAbs(session()->position() - landingOf(event)) <= 50, qPrintable(QString::number(session()->position())));
        QVERIFY(session()->isTrip() && !isPlaying());
        QCOMPARE(list()->currentRow(), 0);
    };
    press(Qt::Key_N);
    expectLanded(onDrive.at(0), "REC_2012_05_14_10_20_30.avi");
    press(Qt::Key_N);
    expectLanded(onDrive.at(1), "REC_2012_05_14_10_20_30.avi");
    press(Qt::Key_N); // past the steady clip
    expectLanded(onDrive.at(2), "REC_2012_05_14_10_20_50.avi");
    expectNoJump(Qt::NoModifier); // the impact's clip is not part of the drive
    m_window->OnSlotsProgress(int(landingOf(onDrive.at(2)) + 300));
    press(Qt::Key_N, Qt::ShiftModifier);
    expectLanded(onDrive.at(1), "REC_2012_05_14_10_20_30.avi");
}

void TestViewerEvents::listShowsTheCardAndPlaysTheChosenEntry_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("category");
    QTest::addColumn<QStringList>("kinds"); // brake, start, turn, impact
    QTest::addColumn<QString>("status");
    QTest::newRow("Korean, every clip listed")
        << "kr" << 0 << QStringList{"급제동", "급가속", "급회전", "충격"} << "파일 4개에서 이벤트 4건";
    QTest::newRow("English, the list showing event clips only")
        << "en" << 2 << QStringList{"Hard brake", "Hard acceleration", "Sharp turn", "Impact"} << "4 events in 4 clips";
}

// E shows every event of the card in time order; a double click on the late start plays its clip
// from 2 s before it, the list showing every clip again when needed.
void TestViewerEvents::listShowsTheCardAndPlaysTheChosenEntry()
{
    QFETCH(QString, language);
    QFETCH(int, category);
    QFETCH(QStringList, kinds);
    QFETCH(QString, status);
    setCurrentLanguage(language);
    openCard(m_card);
    openPaused(0);
    if (category != 0) {
        ViewerTestWindow::click(*m_window, "category2");
        QTRY_COMPARE(list()->count(), 1);
    }
    press(Qt::Key_E);
    QTRY_VERIFY(eventsList() && eventsList()->isVisible());
    QTreeWidget *table = eventsTable();
    const QList<CardEvent> &events = m_window->events().events();
    QCOMPARE(table->topLevelItemCount(), kCardEvents);
    int lateRow = -1;
    for (int i = 0; i < kCardEvents; ++i) {
        const QTreeWidgetItem *item = table->topLevelItem(i);
        const DrivingEvent &event = events.at(i).event;
        QCOMPARE(item->text(0), events.at(i).localTime.toString("yyyy-MM-dd HH:mm:ss"));
        QCOMPARE(item->text(1), kinds.at(int(event.kind)));
        QCOMPARE(item->text(2), QString::number(event.peakG, 'f', 2) + " g");
        QVERIFY(item->text(4).startsWith(QFileInfo(event.clip).fileName()));
        if (i > 0)
            QVERIFY(events.at(i - 1).event.timeUtc <= event.timeUtc);
        if (event.kind == EventKind::HardAcceleration)
            lateRow = i;
    }
    QCOMPARE(statusText(), status);
    QCOMPARE(eventsList()->windowTitle(), Messages::eventsListTitle());

    const DrivingEvent chosen = events.at(lateRow).event;
    const QRect place = table->visualItemRect(table->topLevelItem(lateRow));
    // A double click as the pointer makes it: a click, then the second press that makes it double.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, place.center());
    // Played from the start, the clip would take longer than the wait to get past the lead-in.
    QTRY_VERIFY(rowIsOpen(*m_window, kLateStartRow));
    QCOMPARE(m_window->state().category(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(session()->position() >= landingOf(chosen), 5000);
    QVERIFY(landingOf(chosen) > 8000);
    QVERIFY(isPlaying());
    m_window->OnSlotspause();

    // Enter on the same entry with its clip open at the start seeks in it and plays.
    m_window->OnSlotsProgress(0);
    QTRY_COMPARE(shownFrame(*m_window), 0);
    table->setCurrentItem(table->topLevelItem(lateRow));
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Return);
    QTRY_VERIFY(isPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(session()->position() >= landingOf(chosen), 5000);
    QVERIFY(rowIsOpen(*m_window, kLateStartRow));
    m_window->OnSlotspause();
}

// The clip list's menu opens the list at the first event of the clip clicked, without playing it.
void TestViewerEvents::clipMenuOpensTheListAtItsClip()
{
    openCard(m_card);
    openPaused(0);
    QStringList entries;
    chooseFromNextMenu(Messages::eventsMenuEntry(), &entries);
    ViewerTestWindow::rightClick(*m_window, kLateStartRow);
    QTRY_VERIFY(eventsList() && eventsList()->isVisible());
    QVERIFY(entries.contains(Messages::eventsMenuEntry()));
    QTreeWidgetItem *current = eventsTable()->currentItem();
    QVERIFY(current);
    QVERIFY(current->text(4).startsWith(QStringLiteral("REC_2012_05_14_10_20_50.avi")));
    QVERIFY(rowIsOpen(*m_window, 0));
    QVERIFY(!isPlaying());
}

// While the card is still read the first clip's mark and list entry are there, and the window
// answers keys; the rest fills in once the reading goes on.
void TestViewerEvents::marksAndListFillInWhileTheCardIsRead()
{
    HeldReading reading;
    m_window->events().indexer().setBuilder(reading.builder());
    openCard(m_card, false);
    EventFinder &finder = m_window->events();
    QTRY_COMPARE(finder.events().size(), 1);
    QVERIFY(finder.isFinding());
    openPaused(kImpactRow);
    const QRect place = Dashboard::markRect({eventsOfRow(kImpactRow).first().offsetMs, 100, EventKind::Impact},
                                            int(session()->length()), dashboard()->width());
    QTRY_COMPARE(dashboard()->grab().toImage().pixelColor(place.center()), Dashboard::eventColour(EventKind::Impact));
    press(Qt::Key_E);
    QTRY_VERIFY(eventsList() && eventsList()->isVisible());
    QCOMPARE(eventsTable()->topLevelItemCount(), 1);
    QCOMPARE(statusText(), Messages::eventsReading(1, 4));
    // The window answers: play and pause, and N, with the card still being read.
    m_window->activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == m_window.get());
    list()->setFocus();
    press(Qt::Key_Space);
    QTRY_VERIFY(isPlaying());
    press(Qt::Key_Space);
    QTRY_VERIFY(!isPlaying());
    m_window->OnSlotsProgress(0);
    QTRY_COMPARE(shownFrame(*m_window), 0);
    press(Qt::Key_N);
    expectLandedBefore(kImpactRow, eventsOfRow(kImpactRow).first());
    QVERIFY(finder.isFinding());

    QSignalSpy finished(&finder, &EventFinder::finished);
    reading.release();
    QVERIFY(finished.wait(20000));
    QCOMPARE(eventsTable()->topLevelItemCount(), kCardEvents);
    QCOMPARE(statusText(), Messages::eventsFound(kCardEvents, 4));
}

// Garbage, a cut-off clip and clips without telemetry: nothing found, nothing broken; N stays put.
void TestViewerEvents::cardsWithNothingToFind()
{
    QTemporaryDir hostile;
    QVERIFY(QDir().mkpath(hostile.filePath("REC")));
    QString error;
    MediaGen::ClipDesign bare;
    bare.frames = 300; // long enough not to end (and move on to the garbage) while the test runs
    bare.audio = false;
    QVERIFY2(MediaGen::writeAvi(hostile.filePath("REC/REC_2013_02_02_10_00_00.avi"), bare, &error),
             qPrintable(error));
    QByteArray noise(20000, Qt::Uninitialized);
    QRandomGenerator(5).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    QFile garbage(hostile.filePath("REC/REC_2013_02_02_10_01_00.avi"));
    QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write("RIFF" + noise) > 0);
    garbage.close();
    QFile whole(m_card + '/' + kClips[kBrakeTurnRow].path);
    QVERIFY(whole.open(QIODevice::ReadOnly));
    QFile cut(hostile.filePath("REC/REC_2013_02_02_10_02_00.avi"));
    QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write(whole.read(whole.size() / 10)) > 0);
    cut.close();

    openCard(hostile.path());
    QCOMPARE(m_window->events().events().size(), 0);
    openPaused(0);
    expectNoJump(Qt::NoModifier);
    expectNoJump(Qt::ShiftModifier);
    QVERIFY(rowIsOpen(*m_window, 0));
    press(Qt::Key_E);
    QTRY_VERIFY(eventsList() && eventsList()->isVisible());
    QCOMPARE(eventsTable()->topLevelItemCount(), 0);
    QCOMPARE(statusText(), Messages::eventsFound(0, 3));
}

int main(int argc, char **argv)
{
    return ViewerTestWindow::run(argc, argv, [] { return std::make_unique<TestViewerEvents>(); });
}

#include "tst_viewerevents.moc"
