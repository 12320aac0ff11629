// The drive out of the viewer, end to end on a generated card: the route on the real map page while
// clips change, the clip list's context menu and its exports, EXIF in saved snapshots and the
// caption of the printed page.
#include "viewer/mainwindow.h"

#include "base/exportmessages.h"
#include "base/messages.h"
#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "session/playbacksession.h"
#include "telemetry/cliptelemetry.h"
#include "telemetry/telemetrytrack.h"
#include "telemetry/trackexport.h"
#include "generators/clipwriter/aviclipwriter.h"
#include "generators/mediagen/mediagen.h"
#include "modaldialogs.h"
#include "tests/viewer/viewertestwindow.h"
#include "viewer/cliplist.h"
#include "viewer/cliplistmenu.h"
#include "viewer/mapview.h"
#include "viewer/savednotice.h"
#include "viewer/snapshotnames.h"
#include "viewer/widgetprogressa.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr QSize kFront(320, 180);
constexpr QSize kRear(160, 90);
// Rows of the list, in the order of the recorder's clock.
constexpr int kSeoulRow = 0;   // REC_… 10_20_30: a lost fix in its third second
constexpr int kSydneyRow = 1;  // EVS_… 10_22_30: a fix all along
constexpr int kNoGpsRow = 2;   // REC_… 10_24_30: no telemetry at all

bool writeClip(const QString &path, const QList<ClipWriter::RoutePoint> &positions, const QSet<int> &lostFix)
{
    ClipWriter::ClipDescription description;
    description.framesPerSecond = 10;
    description.durationMs = 4000;
    description.audio = false;
    description.videoStreams = MediaGen::markedStreams({kFront, kRear});
    if (!positions.isEmpty()) {
        ClipWriter::TelemetryRoute route;
        route.positions = positions;
        route.speedKnots = {54.0}; // 100 km/h
        route.lostFixSeconds = lostFix;
        // The GPS's UTC for a recorder set to the car's +09:00.
        const std::optional<qint64> stamp = RecorderClock::stampFromName(QFileInfo(path).fileName());
        route.startUtc = RecorderClock::naiveDateTime(*stamp).addSecs(-9 * 3600);
        description.route = route;
    }
    return ClipWriter::writeAviClip(path, description);
}

// Runs a script in the page and waits for its answer.
QVariant evaluate(QWebEnginePage *page, const QString &script)
{
    std::optional<QVariant> answer;
    page->runJavaScript(script, [&answer](const QVariant &result) { answer = result; });
    if (!QTest::qWaitFor([&answer] { return answer.has_value(); }, 10000))
        return QStringLiteral("<no answer>");
    return *answer;
}

QList<TelemetrySample> positionsOf(const QList<TelemetrySample> &samples)
{
    QList<TelemetrySample> usable;
    for (const TelemetrySample &sample : samples) {
        if (sample.hasUsablePosition())
            usable << sample;
    }
    return usable;
}

} // namespace

class TestViewerExports : public QObject
{
    Q_OBJECT

public slots:
    void openUrl(const QUrl &url) { m_openedUrls << url; }

private slots:
    void initTestCase();
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    void init();
    void cleanup();
    void routeFollowsTheOpenClip();
    void rightClickExportsGpxWithoutSwitchingClips();
    void menuKeyExportsCsvOfTheCurrentClip();
    void clipsWithoutPositionsAreRefused();
    void copyPathAndShowFolder();
    void menuRowIsMarkedAndMenuKeyWorksAnywhere();
    void snapshotCarriesTimeAndPlace();
    void printedPageHasTheCaption();

private:
    QString card() const { return m_card.path(); }
    QString clipPath(int row) const { return MyListWidget::filePathOf(clipList()->item(row)); }
    QWebEnginePage *page() const { return m_window->findChild<MapView *>()->webView()->page(); }
    // The window's parts, found by name as a user finds them by sight.
    MyListWidget *clipList() const { return ViewerTestWindow::clipList(*m_window); }
    WidgetProgressA *dashboard() const { return m_window->findChild<WidgetProgressA *>(); }
    PlaybackSession *session() const { return ViewerTestWindow::session(*m_window); }
    SavedNotice *savedNotice() const { return m_window->findChild<SavedNotice *>(QStringLiteral("savedNotice")); }
    int routeVertexCount() const;
    // Opens the card and pauses the clip of `row` once it and its telemetry are open.
    void openCardPaused(int row = kSydneyRow);
    void rightClick(int row);

    QTemporaryDir m_card;
    QTemporaryDir m_scratch;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_warnings;
    int m_fileDialogsRefused = 0;
    QList<QUrl> m_openedUrls;
    QTimer m_warningCloser;
};

void TestViewerExports::initTestCase()
{
    const QStringList missing = MediaGen::missingForAvi();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("GStreamer elements missing: ") + missing.join(QLatin1String(", "))));
    qputenv("TZ", "EST5EDT"); // the computer's zone plays no part in the times written
    QVERIFY(QDir(card()).mkpath(QStringLiteral("REC")));
    QVERIFY(QDir(card()).mkpath(QStringLiteral("EVENT")));
    QVERIFY(QDir(card()).mkpath(QStringLiteral("update")));
    QVERIFY(writeClip(card() + QStringLiteral("/EVENT/EVS_2012_05_14_10_22_30_I.avi"),
                      {{-33.868801, 151.209296}, {-33.869012, 151.209611}, {-33.869223, 151.209926}, {-33.869434, 151.210241}},
                      {}));
    QVERIFY(writeClip(card() + QStringLiteral("/REC/REC_2012_05_14_10_20_30.avi"),
                      {{37.5, 127.0}, {37.5003, 127.0004}, {37.5006, 127.0008}, {37.5009, 127.0012}}, {2}));
    QVERIFY(writeClip(card() + QStringLiteral("/REC/REC_2012_05_14_10_24_30.avi"), {}, {}));
    QFile version(card() + QStringLiteral("/update/version.txt"));
    QVERIFY(version.open(QIODevice::WriteOnly) && version.write("V QRD-7700 1.01\n") > 0);
    version.close();
    qputenv("QRD7700_CARDS", QFile::encodeName(card()));
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");

    // Message boxes are answered at once and remembered; a file dialog here would be a fault.
    connect(&m_warningCloser, &QTimer::timeout, this, [this] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            m_warnings << box->text();
            box->accept();
        }
    });
    m_warningCloser.start(20);
}

void TestViewerExports::init()
{
    m_warnings.clear();
    m_openedUrls.clear();
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    m_window->show();
}

void TestViewerExports::cleanup()
{
    m_window.reset();
}

int TestViewerExports::routeVertexCount() const
{
    return evaluate(page(), QStringLiteral("typeof routeLines === 'function' ? "
                                           "routeLines().reduce(function (n, l) { return n + l.length; }, 0) : -1"))
        .toInt();
}

void TestViewerExports::openCardPaused(int row)
{
    QVERIFY(ViewerTestWindow::openFolder(*m_window, card()));
    QCOMPARE(clipList()->count(), 3);
    clipList()->setCurrentRow(row);
    // The clip opens and its telemetry arrives a moment after the selection.
    QTRY_VERIFY(ViewerTestWindow::rowIsOpen(*m_window, row) && !dashboard()->track()->isLoading());
    ViewerTestWindow::click(*m_window, "pause");
}

void TestViewerExports::rightClick(int row)
{
    ViewerTestWindow::rightClick(*m_window, row);
}

void TestViewerExports::routeFollowsTheOpenClip()
{
    QVERIFY(ViewerTestWindow::openFolder(*m_window, card()));
    const auto expectedCount = [this] { return int(positionsOf(dashboard()->track()->samples()).size()); };
    QTRY_VERIFY(expectedCount() > 30);
    QTRY_COMPARE_WITH_TIMEOUT(routeVertexCount(), expectedCount(), 20000);

    // Clips switched faster than the page answers: only the last one's route stays.
    MyListWidget *list = clipList();
    list->setCurrentRow(kSeoulRow);
    list->setCurrentRow(kNoGpsRow);
    list->setCurrentRow(kSydneyRow);
    list->setCurrentRow(kSeoulRow);
    const TelemetryTrack &track = *dashboard()->track();
    QTRY_VERIFY(session()->clip() == MyListWidget::clipOf(list->item(kSeoulRow)) && !track.isLoading()
                && !track.samples().isEmpty());
    const QList<TelemetrySample> seoul = positionsOf(track.samples());
    QVERIFY(!seoul.isEmpty() && seoul.size() < dashboard()->track()->samples().size());
    QTRY_COMPARE_WITH_TIMEOUT(routeVertexCount(), int(seoul.size()), 10000);
    QCOMPARE(evaluate(page(), QStringLiteral("routeLines().length")).toInt(), 2); // the lost fix is a gap
    const QVariantList first = evaluate(page(), QStringLiteral("routeLines()[0][0]")).toList();
    QVERIFY(qAbs(first.value(0).toDouble() - seoul.first().latitude) < 1e-9);
    QVERIFY(qAbs(first.value(1).toDouble() - seoul.first().longitude) < 1e-9);

    // A clip without telemetry takes the route away.
    list->setCurrentRow(kNoGpsRow);
    QTRY_COMPARE_WITH_TIMEOUT(routeVertexCount(), 0, 10000);
}

void TestViewerExports::rightClickExportsGpxWithoutSwitchingClips()
{
    openCardPaused();
    MyListWidget *list = clipList();
    QCOMPARE(list->currentRow(), kSydneyRow);
    const QString gpx = m_scratch.filePath(QStringLiteral("seoul.gpx"));
    QStringList entries;
    chooseFromNextMenu(QString::fromUtf8(ClipListMenu::kExportGpx), &entries);
    answerNextModal<QFileDialog>([gpx](QFileDialog *dialog) {
        QCOMPARE(dialog->selectedFiles().value(0).section(QLatin1Char('/'), -1), QStringLiteral("REC_2012_05_14_10_20_30.gpx"));
        typeFileName(dialog, gpx);
    });
    rightClick(kSeoulRow);
    QCOMPARE(entries, QStringList({Messages::exportMenuEntry(), "Export route as GPX…", "Export route as KML…",
                                   "Export telemetry as CSV…", Messages::eventsMenuEntry(), "Show in file manager",
                                   "Copy path"}));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(gpx), 10000);
    QTRY_COMPARE(savedNotice()->text(), QStringLiteral("Saved seoul.gpx"));
    // The playing clip stayed; the file holds the other clip's positions, in two segments.
    QCOMPARE(list->currentRow(), kSydneyRow);
    QCOMPARE(session()->clip()->file().fileName(), QStringLiteral("EVS_2012_05_14_10_22_30_I.avi"));
    QFile file(gpx);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray document = file.readAll();
    // One point per second with a fix: three of the clip's four seconds.
    QCOMPARE(document.count("<trkpt "), 3);
    QCOMPARE(readClipTelemetry(clipPath(kSeoulRow)).fixes.size(), 3);
    QCOMPARE(document.count("<trkseg>"), 2);
    QVERIFY(document.contains("<time>2012-05-14T01:20:30.000Z</time>"));
    QVERIFY(m_warnings.isEmpty());
}

void TestViewerExports::menuKeyExportsCsvOfTheCurrentClip()
{
    openCardPaused();
    const QString csv = m_scratch.filePath(QStringLiteral("sydney"));
    chooseFromNextMenu(QString::fromUtf8(ClipListMenu::kExportCsv));
    answerNextModal<QFileDialog>([csv](QFileDialog *dialog) { typeFileName(dialog, csv); });
    clipList()->setFocus();
    QTest::keyClick(clipList(), Qt::Key_Menu);
    // The dialog adds the format's extension to a bare name.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(csv + QStringLiteral(".csv")), 10000);
    QFile file(csv + QStringLiteral(".csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), dashboard()->track()->samples().size() + 1);
    QVERIFY(lines.at(1).endsWith(",2012-05-14T01:22:30.000Z"));
    QVERIFY(lines.at(1).contains(",-33.868801,151.209296,100,"));
}

void TestViewerExports::clipsWithoutPositionsAreRefused()
{
    openCardPaused();
    auto refuseFileDialogs = std::make_shared<QTimer>();
    connect(refuseFileDialogs.get(), &QTimer::timeout, this, [this] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            ++m_fileDialogsRefused;
            dialog->reject();
        }
    });
    refuseFileDialogs->start(20);
    chooseFromNextMenu(QString::fromUtf8(ClipListMenu::kExportKml));
    rightClick(kNoGpsRow);
    QTRY_COMPARE_WITH_TIMEOUT(m_warnings, QStringList{QStringLiteral("no positions in this clip")}, 10000);
    chooseFromNextMenu(QString::fromUtf8(ClipListMenu::kExportCsv));
    rightClick(kNoGpsRow);
    QTRY_COMPARE_WITH_TIMEOUT(m_warnings.size(), 2, 10000);
    QCOMPARE(m_warnings.last(), QStringLiteral("no telemetry in this clip"));
    QCOMPARE(m_fileDialogsRefused, 0);
    QCOMPARE(QDir(m_scratch.path()).entryList({QStringLiteral("*.kml")}, QDir::Files), QStringList());
}

void TestViewerExports::copyPathAndShowFolder()
{
    openCardPaused();
    chooseFromNextMenu(QString::fromUtf8(ClipListMenu::kCopyPath));
    rightClick(kSeoulRow);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QDir::toNativeSeparators(QFileInfo(clipPath(kSeoulRow)).absoluteFilePath()));
    chooseFromNextMenu(QString::fromUtf8(ClipListMenu::kShowInFileManager));
    rightClick(kSeoulRow);
    QCOMPARE(m_openedUrls, QList<QUrl>{QUrl::fromLocalFile(QFileInfo(clipPath(kSeoulRow)).absolutePath())});
    QVERIFY(m_warnings.isEmpty());
}

// While its menu is open, the right-clicked entry shows a bar of its own (the current entry stays
// as it was); the mark goes with the menu. The Menu key opens the current clip's menu wherever the
// focus is in the window.
void TestViewerExports::menuRowIsMarkedAndMenuKeyWorksAnywhere()
{
    openCardPaused();
    MyListWidget *list = clipList();
    const auto rowColour = [list](int row) {
        const QImage shot = list->viewport()->grab().toImage();
        const QRect place = list->visualItemRect(list->item(row));
        return shot.pixelColor(place.right() - 4, place.center().y());
    };
    const QColor plain = rowColour(kNoGpsRow);
    QListWidgetItem *marked = nullptr;
    QColor markedColour;
    auto *watcher = new QTimer(this);
    connect(watcher, &QTimer::timeout, this, [&, watcher] {
        if (!qobject_cast<QMenu *>(QApplication::activePopupWidget()))
            return;
        watcher->deleteLater();
        marked = list->menuItem();
        markedColour = rowColour(kNoGpsRow);
    });
    watcher->start(10);
    chooseFromNextMenu(QString::fromUtf8(ClipListMenu::kCopyPath));
    rightClick(kNoGpsRow);
    QCOMPARE(marked, list->item(kNoGpsRow));
    QVERIFY2(markedColour != plain, qPrintable(markedColour.name() + QLatin1Char(' ') + plain.name()));
    QCOMPARE(list->currentRow(), kSydneyRow);
    QCOMPARE(list->menuItem(), nullptr);
    QCOMPARE(rowColour(kNoGpsRow), plain);
    QCOMPARE(QGuiApplication::clipboard()->text(), QDir::toNativeSeparators(QFileInfo(clipPath(kNoGpsRow)).absoluteFilePath()));

    for (QWidget *focus : {static_cast<QWidget *>(m_window.get()), m_window->findChild<QWidget *>(QStringLiteral("volumeSlider")),
                           static_cast<QWidget *>(dashboard())}) {
        QGuiApplication::clipboard()->clear();
        // The window's keys work while it is the active window (the menu just closed may not have
        // given that back yet).
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        focus->setFocus();
        chooseFromNextMenu(QString::fromUtf8(ClipListMenu::kCopyPath));
        QTest::keyClick(m_window.get(), Qt::Key_Menu);
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), QDir::toNativeSeparators(QFileInfo(clipPath(kSydneyRow)).absoluteFilePath()));
    }
}

void TestViewerExports::snapshotCarriesTimeAndPlace()
{
    openCardPaused();
    m_window->OnSlotsProgress(1500);
    QTRY_VERIFY(qAbs(session()->position() - 1500) <= 100);
    QTRY_VERIFY(ViewerTestWindow::paintedMark(*m_window).isValid());
    const QString chosen = m_scratch.filePath(QStringLiteral("shot.jpg"));
    answerNextModal<QFileDialog>([chosen](QFileDialog *dialog) { typeFileName(dialog, chosen); });
    ViewerTestWindow::click(*m_window, "snapshot");
    QVERIFY(m_warnings.isEmpty());
    // The window says what was saved where, without stopping anything, and shows the folder.
    SavedNotice *notice = savedNotice();
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->text(), QStringLiteral("Saved shot-1ch-SD.jpg, shot-2ch-SD.jpg"));
    QVERIFY(!QApplication::activeModalWidget());
    QTest::mouseClick(notice->findChild<QPushButton *>(QStringLiteral("savedNoticeShowFolder")), Qt::LeftButton);
    QCOMPARE(m_openedUrls, QList<QUrl>{QUrl::fromLocalFile(m_scratch.path())});
    QVERIFY(!notice->isVisible());
    const qint64 position = session()->position();
    const TelemetrySample sample = session()->sampleAt(position).value_or(TelemetrySample());
    QVERIFY(sample.hasUsablePosition());
    for (const char *name : {"shot-1ch-SD.jpg", "shot-2ch-SD.jpg"}) {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(m_scratch.filePath(QLatin1String(name)).toStdString());
        image->readMetadata();
        Exiv2::ExifData &exif = image->exifData();
        const QDateTime expected =
            QDateTime(QDate(2012, 5, 14), QTime(10, 22, 30), Qt::OffsetFromUTC, 9 * 3600).addMSecs(position);
        QCOMPARE(QString::fromStdString(exif["Exif.Photo.DateTimeOriginal"].toString()),
                 expected.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")));
        QCOMPARE(QString::fromStdString(exif["Exif.Photo.OffsetTimeOriginal"].toString()), QStringLiteral("+09:00"));
        QCOMPARE(QString::fromStdString(exif["Exif.GPSInfo.GPSDateStamp"].toString()), QStringLiteral("2012:05:14"));
        QCOMPARE(QString::fromStdString(exif["Exif.GPSInfo.GPSLatitudeRef"].toString()), QStringLiteral("S"));
        const Exiv2::Value &latitude = exif["Exif.GPSInfo.GPSLatitude"].value();
        const double degrees = latitude.toFloat(0) + latitude.toFloat(1) / 60 + latitude.toFloat(2) / 3600;
        QVERIFY(qAbs(degrees + sample.latitude) < 1e-6);
        QCOMPARE(QString::fromStdString(exif["Exif.Image.Model"].toString()), QStringLiteral("QRD-7700"));
    }
}

void TestViewerExports::printedPageHasTheCaption()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("poppler-utils is not installed (scripts/install-deps installs it)");
    openCardPaused();
    m_window->OnSlotsProgress(2500);
    QTRY_VERIFY(qAbs(session()->position() - 2500) <= 100);
    QTRY_VERIFY(ViewerTestWindow::paintedMark(*m_window).isValid());
    const QString pdf = m_scratch.filePath(QStringLiteral("evidence.pdf"));
    QString offered;
    answerNextModal<QPrintDialog>([pdf, &offered](QPrintDialog *dialog) {
        offered = dialog->printer()->outputFileName();
        dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog->printer()->setOutputFileName(pdf);
        dialog->done(QDialog::Accepted);
    });
    ViewerTestWindow::click(*m_window, "print");
    // Without a printer the dialog offers a PDF named after the clip and the moment, in the
    // snapshots' folder; the page printed to a file gets the window's notice.
    const int tenths = int(session()->position() / 100);
    QCOMPARE(offered, QDir(Snapshot::pictureFolder())
                          .filePath(QStringLiteral("EVS_2012_05_14_10_22_30_I_00m%1.%2s.pdf")
                                        .arg(tenths / 10, 2, 10, QLatin1Char('0'))
                                        .arg(tenths % 10)));
    QVERIFY(savedNotice()->isVisible());
    QCOMPARE(savedNotice()->files(), QStringList{pdf});
    QProcess process;
    process.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(process.waitForFinished(30000));
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    for (const char *expected : {"Clip: EVS_2012_05_14_10_22_30_I.avi", "Recorded: 2012-05-14 10:22:32 +09:00 (00:02.",
                                 "Speed: 100 km/h", "G-forces: X ", "Latitude/longitude: -33.86", "Recorder: QRD-7700"})
        QVERIFY2(text.contains(QLatin1String(expected)), qPrintable(QLatin1String(expected) + QStringLiteral("\n---\n") + text));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count("/Subtype /Image"), 2); // the pictures of both channels stay
}

int main(int argc, char **argv)
{
    MapView::registerUrlScheme();
    if (!MediaFramework::initialise())
        return 1;
    // Snapshot folders and the program's settings go to a home of the test's own.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    qputenv("QRD7700_MAP_TILES", ""); // no tile server in tests
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QStandardPaths::setTestModeEnabled(true);
    TestViewerExports test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_viewerexports.moc"
