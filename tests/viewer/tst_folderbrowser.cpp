#include "viewer/folderbrowser.h"

#include "base/localconfig.h"
#include "base/messages.h"
#include "catalogue/removabledrive.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QFileSystemModel>
#include <QScopeGuard>
#include <QTreeView>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <unistd.h>

// The folder chooser: its OK button follows the folder check, it starts at the last folder and
// remembers the folder chosen. A card in a temporary folder listed in QRD7700_CARDS.
class TestFolderBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void okButtonFollowsFolder_data();
    void okButtonFollowsFolder();
    void okButtonOffWhileChecking();
    void listsFoldersOnly();
    void lastFolderScrolledIntoView();
    void pathFieldGoesToFolder_data();
    void pathFieldGoesToFolder();
    void typedPathIsWhatOkOpens();
    void browseStoresChoice();
    void browseCancelled();
    void specialFilesDoNotFreezeIt();

private:
    QString path(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    void file(const QString &relative);
    // Runs browse() and, once its dialog shows, selects `folder` and presses OK when it is enabled
    // (or Cancel when `accept` is false).
    // `shownFirst` gets the folder selected when the dialog appeared.
    bool browseAndPick(FolderBrowser &browser, const QString &folder, bool accept, QString *shownFirst);

    QTemporaryDir m_dir;
};

void TestFolderBrowser::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The last folder lives in the documents folder: keep it inside the temporary folder.
    qputenv("HOME", path(QStringLiteral("home")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", path(QStringLiteral("home/.config")).toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    file(QStringLiteral("CARD/REC/deep/REC_2012_05_14_10_00_00.mp4"));
    file(QStringLiteral("copy/REC/REC_2012_05_14_10_00_00.mp4"));
    file(QStringLiteral("plain/REC_2012_05_14_10_00_00.avi"));
    file(QStringLiteral("plain/notes.txt"));
    QVERIFY(QDir().mkpath(path(QStringLiteral("plain/sub"))));
    QVERIFY(QDir().mkpath(path(QStringLiteral("empty"))));
    // Enough folders beside each other that the last ones are out of view at first.
    for (int i = 0; i < 80; ++i)
        QVERIFY(QDir().mkpath(path(QStringLiteral("many/f%1").arg(i, 2, 10, QLatin1Char('0')))));
    file(QStringLiteral("many/f77/deep/REC_2012_05_14_10_00_00.mp4"));
    qputenv(kCardsVariable, path(QStringLiteral("CARD")).toLocal8Bit());
}

void TestFolderBrowser::cleanupTestCase()
{
    qunsetenv(kCardsVariable);
}

void TestFolderBrowser::file(const QString &relative)
{
    QDir().mkpath(QFileInfo(path(relative)).path());
    QFile out(path(relative));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("clip");
}

void TestFolderBrowser::okButtonFollowsFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("card root, clips below") << "CARD" << true;
    QTest::newRow("folder holding a clip") << "plain" << true;
    QTest::newRow("copy of a card on a fixed disk") << "copy" << true;
    QTest::newRow("REC folder of the copy") << "copy/REC" << true;
    QTest::newRow("empty folder") << "empty" << false;
}

void TestFolderBrowser::okButtonFollowsFolder()
{
    QFETCH(QString, folder);
    QFETCH(bool, enabled);
    FolderBrowserDialog dialog;
    QSignalSpy checked(&dialog, &FolderBrowserDialog::folderChecked);
    QVERIFY(!dialog.okButton()->isEnabled());
    // Start from the opposite answer, so the button has to change.
    QVERIFY(dialog.selectFolder(path(enabled ? QStringLiteral("empty") : QStringLiteral("plain"))));
    QTRY_COMPARE(checked.size(), 1);
    QCOMPARE(dialog.okButton()->isEnabled(), !enabled);

    QVERIFY(dialog.selectFolder(path(folder)));
    QCOMPARE(dialog.selectedPath(), path(folder));
    QTRY_COMPARE(checked.size(), 2);
    QCOMPARE(checked.last().at(0).toString(), path(folder));
    QCOMPARE(checked.last().at(1).toBool(), enabled);
    QCOMPARE(dialog.okButton()->isEnabled(), enabled);
    QVERIFY(!dialog.isChecking());
}

void TestFolderBrowser::okButtonOffWhileChecking()
{
    FolderBrowserDialog dialog;
    QVERIFY(dialog.selectFolder(path(QStringLiteral("plain"))));
    QTRY_VERIFY(dialog.okButton()->isEnabled());
    QVERIFY(dialog.selectFolder(path(QStringLiteral("CARD"))));
    QVERIFY(dialog.isChecking());
    QVERIFY(!dialog.okButton()->isEnabled());
    QTRY_VERIFY(dialog.okButton()->isEnabled());
    QVERIFY(!dialog.selectFolder(path(QStringLiteral("missing"))));
}

void TestFolderBrowser::listsFoldersOnly()
{
    FolderBrowserDialog dialog;
    QVERIFY(dialog.selectFolder(path(QStringLiteral("plain/sub"))));
    auto *tree = dialog.findChild<QTreeView *>(QStringLiteral("folderTree"));
    QVERIFY(tree);
    const QModelIndex plain = tree->currentIndex().parent();
    QTRY_COMPARE(tree->model()->rowCount(plain), 1); // "sub"; the clip and the text file are not shown
    QCOMPARE(tree->model()->index(0, 0, plain).data().toString(), QStringLiteral("sub"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Browse For Folder"));
}

// The preselected folder sits far down a long list whose folders are read while the dialog shows:
// it ends up in view, not somewhere below the visible rows.
void TestFolderBrowser::lastFolderScrolledIntoView()
{
    FolderBrowserDialog dialog;
    const QString target = path(QStringLiteral("many/f77/deep"));
    QVERIFY(dialog.selectFolder(target));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *tree = dialog.findChild<QTreeView *>(QStringLiteral("folderTree"));
    // Once "many" has been read and sorted (f77 is its 78th row), the selection is on screen.
    const auto settledInView = [tree] {
        const QModelIndex f77 = tree->currentIndex().parent();
        if (tree->model()->rowCount(f77.parent()) != 80 || f77.row() != 77)
            return false;
        tree->doItemsLayout();
        return tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex()));
    };
    QTRY_VERIFY(settledInView());
    QCOMPARE(dialog.pathField()->text(), target);
    QTRY_VERIFY(dialog.okButton()->isEnabled());
}

void TestFolderBrowser::pathFieldGoesToFolder_data()
{
    QTest::addColumn<QString>("typed"); // "@" stands for the temporary folder
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("card") << "@/CARD" << "CARD" << true;
    QTest::newRow("trailing separator and blanks") << "  @/copy/  " << "copy" << true;
    QTest::newRow("dotted path") << "@/plain/sub/.." << "plain" << true;
    QTest::newRow("folder without clips") << "@/empty" << "empty" << false;
    // OK never opens another folder than the one typed.
    QTest::newRow("missing folder keeps the selection, OK waits") << "@/missing" << "many/f77/deep" << false;
    QTest::newRow("file keeps the selection, OK waits") << "@/plain/notes.txt" << "many/f77/deep" << false;
}

// Typing a path and pressing Return selects that folder (and checks it); it never closes the
// dialog, nor accepts the folder selected before.
void TestFolderBrowser::pathFieldGoesToFolder()
{
    QFETCH(QString, typed);
    QFETCH(QString, selected);
    QFETCH(bool, enabled);
    FolderBrowserDialog dialog;
    QVERIFY(dialog.selectFolder(path(QStringLiteral("many/f77/deep"))));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_VERIFY(dialog.okButton()->isEnabled());
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QLineEdit *field = dialog.pathField();
    field->setFocus();
    field->setText(typed.replace(QLatin1Char('@'), m_dir.path()));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(dialog.selectedPath(), path(selected));
    QTRY_VERIFY(!dialog.isChecking());
    QCOMPARE(dialog.okButton()->isEnabled(), enabled);
    // A greyed OK says why.
    QCOMPARE(dialog.statusText().isEmpty(), enabled);
    QVERIFY(dialog.isVisible());
    QCOMPARE(accepted.size(), 0);
}

// Typed with the keys, a path holds OK back until Return goes there; a completion picked from the
// list goes to its folder at once; OK then opens what was typed, not the folder selected before.
// A folder without clips says why OK is greyed.
void TestFolderBrowser::typedPathIsWhatOkOpens()
{
    FolderBrowserDialog dialog;
    QVERIFY(dialog.selectFolder(path(QStringLiteral("plain"))));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_VERIFY(dialog.okButton()->isEnabled());
    QVERIFY(dialog.statusText().isEmpty());
    QLineEdit *field = dialog.pathField();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, path(QStringLiteral("empty")));
    QVERIFY(!dialog.okButton()->isEnabled()); // "plain" is still selected, but not what was typed
    QCOMPARE(dialog.statusText(), Messages::typedPathPressReturn());
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(dialog.selectedPath(), path(QStringLiteral("empty")));
    QTRY_VERIFY(!dialog.isChecking());
    QVERIFY(!dialog.okButton()->isEnabled());
    QCOMPARE(dialog.statusText(), Messages::folderWithoutClips());

    // A completion: the list offers CARD for "CA"; Return on it goes there.
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, path(QStringLiteral("CA")));
    QAbstractItemView *popup = field->completer()->popup();
    QTRY_VERIFY(popup->isVisible());
    QTest::keyClick(popup, Qt::Key_Down);
    QCOMPARE(popup->currentIndex().data().toString(), QStringLiteral("CARD"));
    QTest::keyClick(popup, Qt::Key_Return);
    QTRY_COMPARE(dialog.selectedPath(), path(QStringLiteral("CARD")));
    QTRY_VERIFY(dialog.okButton()->isEnabled());
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    QCOMPARE(accepted.size(), 1);
    QCOMPARE(dialog.selectedPath(), path(QStringLiteral("CARD")));
}

bool TestFolderBrowser::browseAndPick(FolderBrowser &browser, const QString &folder, bool accept,
                                      QString *shownFirst)
{
    QTimer driver;
    bool selected = false;
    connect(&driver, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<FolderBrowserDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (!selected) {
            *shownFirst = dialog->selectedPath();
            selected = dialog->selectFolder(folder);
        }
        else if (!accept)
            dialog->reject();
        else if (dialog->okButton()->isEnabled())
            dialog->okButton()->click();
    });
    driver.start(10);
    return browser.browse();
}

void TestFolderBrowser::browseStoresChoice()
{
    saveLastFolder(path(QStringLiteral("copy/REC")));
    FolderBrowser browser(nullptr);
    QString shownFirst;
    QVERIFY(browseAndPick(browser, path(QStringLiteral("CARD")), true, &shownFirst));
    QCOMPARE(shownFirst, path(QStringLiteral("copy/REC"))); // opened at the last folder
    QCOMPARE(browser.chosenPath(), path(QStringLiteral("CARD")));
    QString stored;
    QVERIFY(loadLastFolder(stored));
    QCOMPARE(stored, path(QStringLiteral("CARD")));
}

void TestFolderBrowser::browseCancelled()
{
    saveLastFolder(path(QStringLiteral("plain")));
    FolderBrowser browser(nullptr);
    QString shownFirst;
    QVERIFY(!browseAndPick(browser, path(QStringLiteral("CARD")), false, &shownFirst));
    QCOMPARE(shownFirst, path(QStringLiteral("plain")));
    QVERIFY(browser.chosenPath().isEmpty());
    QString stored;
    QVERIFY(loadLastFolder(stored));
    QCOMPARE(stored, path(QStringLiteral("plain")));
}

// The last folder is /proc/self/fd, whose entries are this very program's pipes and sockets: the
// chooser opens there, lists them and answers, without ever reading what they hold.
void TestFolderBrowser::specialFilesDoNotFreezeIt()
{
    int pipeEnds[2];
    QCOMPARE(::pipe(pipeEnds), 0); // one more entry nobody writes to
    const auto closePipe = qScopeGuard([&pipeEnds] {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
    });
    // A frozen chooser never comes back to this test: end it with a failure rather than a hang.
    std::atomic<bool> done = false;
    std::thread watchdog([&done] {
        for (int waited = 0; waited < 200 && !done; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!done) {
            std::fputs("FAIL!  : the folder chooser froze on /proc/self/fd\n", stderr);
            std::_Exit(1);
        }
    });
    const auto stopWatchdog = qScopeGuard([&] {
        done = true;
        watchdog.join();
    });

    const QString fds = QStringLiteral("/proc/self/fd");
    saveLastFolder(fds);
    FolderBrowser browser(nullptr);
    bool loaded = false;
    QString shown;
    QTimer driver;
    connect(&driver, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<FolderBrowserDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto *tree = dialog->findChild<QTreeView *>(QStringLiteral("folderTree"));
        auto *model = qobject_cast<QFileSystemModel *>(tree->model());
        if (shown.isEmpty()) {
            shown = dialog->selectedPath();
            connect(model, &QFileSystemModel::directoryLoaded, this, [&](const QString &folder) {
                loaded = loaded || folder == fds;
            });
            tree->expand(tree->currentIndex());
            model->fetchMore(tree->currentIndex());
        }
        // Every entry has been looked at and the tree drawn with its icons: done.
        if (loaded && !tree->grab().isNull())
            dialog->reject();
    });
    driver.start(50);
    QVERIFY(!browser.browse());
    QCOMPARE(shown, fds);
}

QTEST_MAIN(TestFolderBrowser)
#include "tst_folderbrowser.moc"
