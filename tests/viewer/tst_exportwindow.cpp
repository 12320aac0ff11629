// Exporting a moment from the real viewer window with keys and clicks: I and O mark the range on
// the timeline, Ctrl+E and the clip list's menu open the dialog with the range and its size, the
// bar under the pictures shows the export and cancels it, the window's notice names the folder that
// comes out, and it checks.
#include "viewer/mainwindow.h"

#include "base/language.h"
#include "evidence/checksums.h"
#include "modaldialogs.h"
#include "session/exportsession.h"
#include "session/playbacksession.h"
#include "session/viewerstate.h"
#include "tests/viewer/viewertestwindow.h"
#include "viewer/cliplist.h"
#include "viewer/dashboardgeometry.h"
#include "viewer/exportdialog.h"
#include "viewer/savednotice.h"
#include "viewer/widgetprogressa.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace ViewerTestWindow;

namespace {

constexpr int kLongRow = Card::LongRow;             // REC_2012_05_14_10_20_30.avi, 6 s, one channel
constexpr int kTwoChannelRow = Card::TwoChannelRow; // REC_2012_05_14_10_21_30.avi, 2 s

// What the dialog showed, and what the test did with it.
struct DialogSeen
{
    QString range;
    QString sizeWithout;
    QString sizeWith;
    bool answered = false;
};

// Answers the next export dialog: reads it, ticks the overlay box when asked, and exports into
// `folder` (or cancels it when `folder` is empty), with clicks.
void answerExportDialog(DialogSeen *seen, bool overlay, const QString &folder)
{
    answerNextModal<ExportDialog>([=](ExportDialog *dialog) {
        seen->range = dialog->findChild<QLabel *>(QStringLiteral("exportRange"))->text();
        auto *size = dialog->findChild<QLabel *>(QStringLiteral("exportSize"));
        seen->sizeWithout = size->text();
        if (overlay)
            QTest::mouseClick(dialog->findChild<QCheckBox *>(QStringLiteral("exportOverlay")), Qt::LeftButton,
                              {}, QPoint(5, 5));
        seen->sizeWith = size->text();
        seen->answered = true;
        if (folder.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->findChild<QLineEdit *>(QStringLiteral("exportParent"))->setText(QFileInfo(folder).absolutePath());
        dialog->findChild<QLineEdit *>(QStringLiteral("exportName"))->setText(QFileInfo(folder).fileName());
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("exportStart")), Qt::LeftButton);
    });
}

} // namespace

class TestExportWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void marksExportAndVerify();
    void cancelFromTheBar();
    void menuOffersAnotherClipFromItsStart();

private:
    void openPausedAt(int row, qint64 positionMs);
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    QStringList outEntries() const
    {
        return QDir(m_out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    ExportSession *exports() const { return m_window->findChild<ExportSession *>(); }
    QWidget *progressBar() const { return m_window->findChild<QWidget *>(QStringLiteral("exportProgress")); }

    Card m_card;
    QTemporaryDir m_out;
    std::unique_ptr<MainWindow> m_window;
};

void TestExportWindow::initTestCase()
{
    QString error;
    if (!m_card.create(&error))
        QSKIP(qPrintable(error));
    qputenv("QRD7700_CARDS", QFile::encodeName(m_card.path()));
}

void TestExportWindow::init()
{
    setCurrentLanguage(QStringLiteral("en"));
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestExportWindow::cleanup()
{
    m_window.reset();
    for (const QString &entry : outEntries())
        QDir(m_out.filePath(entry)).removeRecursively();
}

void TestExportWindow::openPausedAt(int row, qint64 positionMs)
{
    QVERIFY(openFolder(*m_window, m_card.path()));
    m_window->playSelectClip(row);
    QTRY_VERIFY(rowIsOpen(*m_window, row));
    m_window->OnSlotspause();
    m_window->OnSlotsProgress(int(positionMs));
    QTRY_COMPARE(session(*m_window)->position(), positionMs);
    clipList(*m_window)->setFocus();
}

void TestExportWindow::press(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get();
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

// I at 1 s and O at 4 s: the timeline shows the range between them, Ctrl+E offers it with its size
// (larger with the overlay video), the bar shows the export, and the folder checks.
void TestExportWindow::marksExportAndVerify()
{
    openPausedAt(kLongRow, 1000);
    press(Qt::Key_I);
    m_window->OnSlotsProgress(4000);
    QTRY_COMPARE(session(*m_window)->position(), qint64(4000));
    press(Qt::Key_O);
    QCOMPARE(m_window->state().markIn(), std::optional<qint64>(1000));
    QCOMPARE(m_window->state().markOut(), std::optional<qint64>(4000));

    auto *dashboard = m_window->findChild<WidgetProgressA *>(QStringLiteral("dashboard"));
    const QImage strip = dashboard->grab().toImage();
    const auto x = [&](int ms) { return Dashboard::markerX(ms, int(ViewerTestWindow::Card::LongClipMs), dashboard->width()); };
    const QColor inside = strip.pixelColor(x(2500), 30);
    const QColor outside = strip.pixelColor(x(5500), 30);
    QVERIFY2(inside.green() > outside.green() + 20, qPrintable(inside.name() + " / " + outside.name()));
    QVERIFY2(strip.pixelColor(x(1000), 20).green() > 200, qPrintable(strip.pixelColor(x(1000), 20).name()));

    DialogSeen seen;
    const QString folder = m_out.filePath(QStringLiteral("evidence"));
    answerExportDialog(&seen, true, folder);
    QSignalSpy started(exports(), &ExportSession::exportStarted);
    press(Qt::Key_E, Qt::ControlModifier);
    QTRY_VERIFY(seen.answered);
    QCOMPARE(seen.range, QStringLiteral("Range: 0:01.000 to 0:04.000 of REC_2012_05_14_10_20_30.avi (0:03.000)"));
    QVERIFY2(seen.sizeWithout.startsWith(QStringLiteral("Estimated size: about ")), qPrintable(seen.sizeWithout));
    QVERIFY(seen.sizeWith != seen.sizeWithout);
    QTRY_COMPARE(started.size(), 1);
    // The window's notice names the folder and shows it where it was made.
    auto *notice = m_window->findChild<SavedNotice *>();
    QTRY_VERIFY_WITH_TIMEOUT(notice->isVisible(), 120000);
    QCOMPARE(notice->files(), QStringList{folder});
    QCOMPARE(notice->text(), QStringLiteral("Saved evidence"));
    QVERIFY(!progressBar()->isVisible());
    QVERIFY(Checksums::verify(folder).intact());
    QVERIFY(QFileInfo(folder + QStringLiteral("/overlay.mp4")).isFile());
    QCOMPARE(outEntries(), QStringList{"evidence"});
}

// Without marks Ctrl+E offers the 30 s around the position: all of a 6 s clip. Cancel on the bar,
// clear of the panes beside the picture, stops the export and leaves nothing.
void TestExportWindow::cancelFromTheBar()
{
    openPausedAt(kLongRow, 3000);
    DialogSeen seen;
    answerExportDialog(&seen, true, m_out.filePath(QStringLiteral("evidence")));
    QSignalSpy cancelled(exports(), &ExportSession::exportCancelled);
    press(Qt::Key_E, Qt::ControlModifier);
    QTRY_VERIFY(seen.answered);
    QCOMPARE(seen.range, QStringLiteral("Range: 0:00.000 to 0:06.000 of REC_2012_05_14_10_20_30.avi (0:06.000)"));
    QTRY_VERIFY(progressBar()->isVisible());
    auto *bar = progressBar()->findChild<QProgressBar *>(QStringLiteral("exportBar"));
    auto *cancel = progressBar()->findChild<QPushButton *>(QStringLiteral("exportCancel"));
    // Nothing beside the large picture lies over the button: the map pane may be a native window,
    // which covers whatever reaches under it.
    const QRect button(cancel->mapTo(m_window.get(), QPoint(0, 0)), cancel->size());
    for (const QString &pane : {QStringLiteral("mapPane"), QStringLiteral("view2")})
        QVERIFY2(!button.intersects(m_window->findChild<QWidget *>(pane)->geometry()), qPrintable(pane));
    QTRY_VERIFY_WITH_TIMEOUT(bar->value() > 0, 60000);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTRY_COMPARE(cancelled.size(), 1);
    QVERIFY(!progressBar()->isVisible());
    QCOMPARE(outEntries(), QStringList());
}

// The clip list's menu on a clip that is not open offers its first 30 s (all its 2 s); the marks
// of the open clip do not apply to it.
void TestExportWindow::menuOffersAnotherClipFromItsStart()
{
    openPausedAt(kLongRow, 3000);
    press(Qt::Key_I);
    MyListWidget *list = clipList(*m_window);
    const QRect row = list->visualItemRect(list->item(kTwoChannelRow));
    DialogSeen seen;
    answerExportDialog(&seen, false, QString());
    QTimer::singleShot(0, [] {
        auto *timer = new QTimer;
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, timer, [timer] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            timer->deleteLater();
            timer->stop();
            menu->setActiveAction(menu->actions().first());
            QTest::keyClick(menu, Qt::Key_Return);
        });
        timer->start();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, row.center(), list->viewport()->mapToGlobal(row.center()));
    QApplication::sendEvent(list->viewport(), &event);
    QTRY_VERIFY(seen.answered);
    QCOMPARE(seen.range, QStringLiteral("Range: 0:00.000 to 0:02.000 of REC_2012_05_14_10_21_30.avi (0:02.000)"));
    QCOMPARE(outEntries(), QStringList());
}

int main(int argc, char **argv)
{
    return ViewerTestWindow::run(argc, argv, [] { return std::make_unique<TestExportWindow>(); });
}

#include "tst_exportwindow.moc"
