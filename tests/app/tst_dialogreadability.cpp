// Every kind of dialog and message box of both run modes, opened on the program's own windows with the
// program's dialog colours: each text they show has a contrast of at least 4.5 : 1 to what is under it.
#include "app/application.h"
#include "base/language.h"
#include "settingsui/configlayout.h"
#include "settingsui/configpainting.h"
#include "settingsui/configwindow.h"
#include "settingsui/windowbtn.h"
#include "tests/skin/readability.h"
#include "tests/viewer/modaldialogs.h"
#include "tests/viewer/viewertestwindow.h"
#include "viewer/folderbrowser.h"
#include "viewer/mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QScopeGuard>
#include <QTreeView>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// What a dialog showed: how many texts were measured and those too faint to read.
struct Finding
{
    bool seen = false;
    Readability::Report report;
};

Finding measure(QWidget *dialog)
{
    return {true, Readability::measureTexts(dialog)};
}

// The settings form paints its own labels over its background picture: measured against the picture.
Readability::Report measurePaintedForm(ConfigWindow *window)
{
    Readability::Report report;
    const QImage drawn = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage under(drawn.size(), QImage::Format_RGB32);
    {
        QPainter painter(&under);
        painter.drawPixmap(QRect(0, 0, 554, 660), ConfigPictures::load().background);
    }
    const QFontMetrics metrics(window->font());
    for (const ConfigLayout::Label &label : ConfigLayout::labels()) {
        const QString text = label.textRow >= 0 ? uiText(label.textRow) : QString::fromLatin1(label.literal);
        const QRect rect = ConfigLayout::labelRect(label);
        const QRect area = metrics.boundingRect(rect, Qt::AlignLeft | Qt::AlignVCenter, text) & rect;
        const double measured = Readability::drawnContrast(drawn, under, area);
        ++report.checked;
        if (measured < 4.5)
            report.unreadable.append(QStringLiteral("%1: %2").arg(text).arg(measured, 0, 'f', 2));
    }
    return report;
}

// Measures the next modal dialog of type T once it is up, then closes it.
template <typename T>
void measureNextModal(const std::shared_ptr<Finding> &finding)
{
    answerNextModal<T>([finding](T *dialog) {
        *finding = measure(dialog);
        dialog->reject();
    });
}

void clickButton(QWidget *window, const char *name)
{
    auto *button = window->findChild<QAbstractButton *>(QLatin1String(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestDialogReadability : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void viewerDialogs_data();
    void viewerDialogs();
    void settingsModeDialogs_data();
    void settingsModeDialogs();
    void fileDialogFollowsLanguageAndFits_data();
    void fileDialogFollowsLanguageAndFits();

private:
    void makeCard(bool writable);
    void verify(const Finding &finding);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDialogReadability::initTestCase()
{
    Application::applyDialogLook();
}

void TestDialogReadability::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("QRD7700_LANG", QTest::currentDataTag() && QByteArray(QTest::currentDataTag()).contains("English")
                                ? "en"
                                : "kr");
}

void TestDialogReadability::cleanup()
{
    qunsetenv("QRD7700_CARDS");
    qunsetenv("QRD7700_LANG");
    m_dir.reset();
}

// A QRD-7700 card; one that is not writable has a folder where the quality file goes.
void TestDialogReadability::makeCard(bool writable)
{
    const QString card = m_dir->filePath(QStringLiteral("CARD"));
    QVERIFY(QDir().mkpath(card + QStringLiteral("/update")));
    QVERIFY(QDir().mkpath(card + QStringLiteral("/setting")));
    QFile version(card + QStringLiteral("/update/version.txt"));
    QVERIFY(version.open(QIODevice::WriteOnly));
    version.write("QRD-7700 V1.01\n");
    if (!writable)
        QVERIFY(QDir().mkpath(card + QStringLiteral("/setting/setquality.dat")));
    qputenv("QRD7700_CARDS", QFile::encodeName(card));
}

void TestDialogReadability::verify(const Finding &finding)
{
    QVERIFY2(finding.seen, "the dialog did not show");
    QVERIFY(finding.report.checked > 0);
    QVERIFY2(finding.report.unreadable.isEmpty(), qPrintable(finding.report.unreadable.join(u'\n')));
}

void TestDialogReadability::viewerDialogs_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("warning box") << "warning";
    QTest::newRow("warning box, English") << "warning";
    QTest::newRow("folder chooser") << "folder";
    QTest::newRow("open-file dialog") << "file";
    QTest::newRow("print dialog") << "print";
    QTest::newRow("settings dialog") << "settings";
    QTest::newRow("settings dialog's warning box") << "settings warning";
    QTest::newRow("settings dialog's warning box, English") << "settings warning";
}

void TestDialogReadability::viewerDialogs()
{
    QFETCH(QString, kind);
    makeCard(kind != QLatin1String("settings warning"));
    MainWindow window(nullptr, Qt::FramelessWindowHint);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Shared with the answers, which may come after a failed row has ended.
    const auto finding = std::make_shared<Finding>();
    if (kind == QLatin1String("warning")) {
        measureNextModal<QMessageBox>(finding);
        window.openFolder(m_dir->path()); // no clips: "Please select proper folder"
    } else if (kind == QLatin1String("folder")) {
        measureNextModal<FolderBrowserDialog>(finding);
        clickButton(&window, "folder_open");
    } else if (kind == QLatin1String("file")) {
        measureNextModal<QFileDialog>(finding);
        clickButton(&window, "file_open");
    } else if (kind == QLatin1String("print")) {
        QPrinter printer;
        QPrintDialog dialog(&printer, &window); // the viewer's print dialog, with its window
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        *finding = measure(&dialog);
    } else {
        const bool warning = kind == QLatin1String("settings warning");
        answerNextModal<ConfigWindow>([finding, warning](ConfigWindow *dialog) {
            if (!warning) {
                *finding = measure(dialog);
                const Readability::Report painted = measurePaintedForm(dialog);
                finding->report.checked += painted.checked;
                finding->report.unreadable += painted.unreadable;
                dialog->reject();
                return;
            }
            answerNextModal<QMessageBox>([finding, dialog](QMessageBox *box) {
                *finding = measure(box);
                box->accept();
                dialog->reject();
            });
            clickButton(dialog, "ok");
        });
        clickButton(&window, "setting");
    }
    QTRY_VERIFY_WITH_TIMEOUT(finding->seen, 20000); // the folder is read in the background
    verify(*finding);
}

void TestDialogReadability::settingsModeDialogs_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("settings dialog") << "settings";
    QTest::newRow("no-card warning") << "no card";
    QTest::newRow("no-card warning, English") << "no card";
    QTest::newRow("save-failed warning") << "save failed";
    QTest::newRow("timer dialog") << "timer";
    QTest::newRow("12V dialog") << "battery12";
    QTest::newRow("24V dialog") << "battery24";
}

void TestDialogReadability::settingsModeDialogs()
{
    QFETCH(QString, kind);
    if (kind == QLatin1String("no card"))
        qputenv("QRD7700_CARDS", QByteArray());
    else
        makeCard(kind != QLatin1String("save failed"));
    // Shared with the answers, which may come after a failed row has ended.
    const auto finding = std::make_shared<Finding>();
    if (kind == QLatin1String("no card"))
        measureNextModal<QMessageBox>(finding);
    ConfigWindow window; // the window of the settings mode
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (kind == QLatin1String("settings")) {
        *finding = measure(&window);
        const Readability::Report painted = measurePaintedForm(&window);
        finding->report.checked += painted.checked;
        finding->report.unreadable += painted.unreadable;
    } else if (kind == QLatin1String("save failed")) {
        measureNextModal<QMessageBox>(finding);
        clickButton(&window, "ok");
    } else if (kind != QLatin1String("no card")) {
        measureNextModal<WindowBtn>(finding);
        clickButton(&window, qPrintable(kind));
    }
    QTRY_VERIFY(finding->seen);
    verify(*finding);
}

void TestDialogReadability::fileDialogFollowsLanguageAndFits_data()
{
    QTest::addColumn<QString>("fileNameLabel"); // empty: Korean expected
    QTest::newRow("Korean") << QString();
    QTest::newRow("English") << QStringLiteral("File &name:");
}

// Qt's own dialogs speak the interface language (Qt's Korean translations), and the file dialog's
// columns are as wide as the header and the dates they show, all in view.
void TestDialogReadability::fileDialogFollowsLanguageAndFits()
{
    QFETCH(QString, fileNameLabel);
    Application::settleLanguage();
    const auto english = qScopeGuard([] { installQtTranslations(QStringLiteral("en")); });
    const QString clip = m_dir->filePath(QStringLiteral("REC_2088_12_28_22_58_59.avi"));
    QFile file(clip);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("clip") == 4);
    file.close();
    const QString before = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    const auto back = qScopeGuard([before] { QDir::setCurrent(before); });
    MainWindow window(nullptr, Qt::FramelessWindowHint);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QString label;
    QStringList cut;
    bool seen = false;
    answerNextModal<QFileDialog>([&](QFileDialog *dialog) {
        auto *tree = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
        auto *model = qobject_cast<QFileSystemModel *>(tree->model());
        const QModelIndex folder = tree->rootIndex();
        // The folder is read in the background; the columns follow once it is.
        const auto rowsWidth = [tree](int column) {
            return static_cast<const QAbstractItemView *>(tree)->sizeHintForColumn(column);
        };
        QTest::qWaitFor([&] { return model->rowCount(folder) > 0 && rowsWidth(3) > 0; }, 10000);
        QCoreApplication::processEvents();
        label = dialog->findChild<QLabel *>(QStringLiteral("fileNameLabel"))->text();
        QHeaderView *header = tree->header();
        for (int column = 1; column < header->count(); ++column) {
            if (header->isSectionHidden(column))
                continue;
            const int wanted = std::max(header->sectionSizeHint(column), rowsWidth(column));
            if (header->sectionSize(column) < wanted
                || header->sectionViewportPosition(column) + header->sectionSize(column) > tree->viewport()->width())
                cut << model->headerData(column, Qt::Horizontal).toString() + QStringLiteral(" %1<%2 at %3 in %4").arg(header->sectionSize(column)).arg(wanted).arg(header->sectionViewportPosition(column)).arg(tree->viewport()->width());
        }
        seen = true;
        dialog->reject();
    });
    clickButton(&window, "file_open");
    QTRY_VERIFY(seen);
    if (fileNameLabel.isEmpty())
        QVERIFY2(std::any_of(label.cbegin(), label.cend(), [](QChar c) { return c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3; }),
                 qPrintable(label));
    else
        QCOMPARE(label, fileNameLabel);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u", ")));
}

int main(int argc, char **argv)
{
    return ViewerTestWindow::run(argc, argv, [] { return std::make_unique<TestDialogReadability>(); });
}

#include "tst_dialogreadability.moc"
