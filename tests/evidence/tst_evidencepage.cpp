// The printed page read back from the PDF by poppler's tools: caption texts, title, pages.
#include "evidence/evidencepage.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(ShownMoment)

namespace {

ShownMoment fullMoment()
{
    ShownMoment m;
    m.clipName = QStringLiteral("EVS_2012_05_14_10_22_30_I.avi");
    m.positionMs = 61250;
    m.recordedAt = QDateTime(QDate(2012, 5, 14), QTime(10, 23, 31, 250), Qt::OffsetFromUTC, 9 * 3600);
    m.timeFromGps = true;
    m.sample.timeMs = 61200;
    m.sample.accelX = 128;
    m.sample.accelY = -64;
    m.sample.accelZ = 3;
    m.sample.latitude = -33.868801;
    m.sample.longitude = 151.209296;
    m.sample.speedKmh = 100;
    m.model = QStringLiteral("QRD-7700");
    return m;
}

QImage picture(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    return image;
}

// Runs one of poppler's tools on `pdf` and returns its output; empty when the tool is missing.
QString poppler(const char *tool, const QString &pdf)
{
    const QString program = QStandardPaths::findExecutable(QLatin1String(tool));
    if (program.isEmpty())
        return QString();
    QProcess process;
    if (QLatin1String(tool) == QLatin1String("pdftotext"))
        process.start(program, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    else
        process.start(program, {pdf});
    if (!process.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The PDF's first page as a picture (poppler's pdftoppm); null when it cannot be made.
QImage renderedPage(const QString &pdf)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    QProcess process;
    process.start(program, {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-f"), QStringLiteral("1"),
                            QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-png"), pdf, pdf + QStringLiteral("-page")});
    if (program.isEmpty() || !process.waitForFinished(30000))
        return QImage();
    return QImage(pdf + QStringLiteral("-page-1.png"));
}

} // namespace

class TestEvidencePage : public QObject
{
    Q_OBJECT

private slots:
    void captionLines_data()
    {
        QTest::addColumn<ShownMoment>("moment");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("everything known")
            << fullMoment()
            << QStringList{"Clip: EVS_2012_05_14_10_22_30_I.avi", "Recorded: 2012-05-14 10:23:31 +09:00 (01:01.250 into the clip)",
                           "Speed: 100 km/h", "G-forces: X 1.00 g, Y -0.50 g, Z 0.02 g",
                           "Latitude/longitude: -33.868801, 151.209296", "Recorder: QRD-7700"};
        ShownMoment mph = fullMoment();
        mph.speedUnitKm = false;
        QTest::newRow("miles per hour as on the dashboard")
            << mph << QStringList{"Clip: EVS_2012_05_14_10_22_30_I.avi", "Recorded: 2012-05-14 10:23:31 +09:00 (01:01.250 into the clip)",
                                  "Speed: 62 mph (100 km/h)", "G-forces: X 1.00 g, Y -0.50 g, Z 0.02 g",
                                  "Latitude/longitude: -33.868801, 151.209296", "Recorder: QRD-7700"};
        ShownMoment recorderClock = fullMoment();
        recorderClock.recordedAt = QDateTime(QDate(2012, 5, 14), QTime(10, 23, 31), Qt::OffsetFromUTC, -4 * 3600);
        recorderClock.timeFromGps = false;
        QTest::newRow("time by the recorder's clock in an assumed zone")
            << recorderClock << QStringList{"Clip: EVS_2012_05_14_10_22_30_I.avi",
                                            "Recorded: 2012-05-14 10:23:31 -04:00, by the recorder's clock (01:01.250 into the clip)",
                                            "Speed: 100 km/h", "G-forces: X 1.00 g, Y -0.50 g, Z 0.02 g",
                                            "Latitude/longitude: -33.868801, 151.209296", "Recorder: QRD-7700"};
        ShownMoment noFix = fullMoment();
        noFix.sample.latitude = 0;
        noFix.sample.longitude = 0;
        noFix.model = QStringLiteral("unknown");
        noFix.recordedAt = QDateTime();
        QTest::newRow("no fix, no start in the name, recorder not found")
            << noFix << QStringList{"Clip: EVS_2012_05_14_10_22_30_I.avi", "Recorded: unknown (01:01.250 into the clip)",
                                    "Speed: no GPS fix", "G-forces: X 1.00 g, Y -0.50 g, Z 0.02 g",
                                    "Latitude/longitude: no position", "Recorder: unknown"};
        ShownMoment none = noFix;
        none.sample = TelemetrySample();
        none.positionMs = 0;
        QTest::newRow("clip without telemetry")
            << none << QStringList{"Clip: EVS_2012_05_14_10_22_30_I.avi", "Recorded: unknown (00:00.000 into the clip)",
                                   "Speed: no GPS fix", "G-forces: no data", "Latitude/longitude: no position",
                                   "Recorder: unknown"};
    }
    void captionLines()
    {
        QFETCH(ShownMoment, moment);
        QFETCH(QStringList, lines);
        QCOMPARE(EvidencePage::captionLines(moment), lines);
    }

    void placement()
    {
        using EvidencePage::printPlacement;
        const QRect page(0, 0, 800, 1100);
        const EvidencePage::PrintPlacement one = printPlacement(page, QSize(1920, 1080), QSize(), 1);
        QCOMPARE(one.first, QRect(0, 20, 800, 450));
        QVERIFY(one.second.isNull());

        // A narrower second picture is centred, 30 units below the first.
        const EvidencePage::PrintPlacement two = printPlacement(QRect(10, 10, 600, 2000), QSize(1280, 720), QSize(640, 480), 2);
        QCOMPARE(two.first, QRect(10, 20, 600, 337));
        QCOMPARE(two.second, QRect(10, 367, 600, 450));

        // A page that limits the height shrinks by height and centres horizontally.
        const EvidencePage::PrintPlacement tall = printPlacement(QRect(0, 0, 1000, 300), QSize(640, 480), QSize(), 1);
        QCOMPARE(tall.first, QRect(300, 20, 400, 300));
    }

    // The caption under the pictures when they leave room, on a second page when they do not; the
    // PDF's title is the clip.
    void printedPdf_data()
    {
        QTest::addColumn<QSize>("front");
        QTest::addColumn<QSize>("rear");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("pages");
        QTest::newRow("two wide pictures") << QSize(640, 360) << QSize(320, 180) << 2 << 1;
        QTest::newRow("one picture") << QSize(640, 360) << QSize() << 1 << 1;
        QTest::newRow("two tall pictures fill the page") << QSize(360, 640) << QSize(360, 640) << 2 << 2;
    }
    void printedPdf()
    {
        QFETCH(QSize, front);
        QFETCH(QSize, rear);
        QFETCH(int, channels);
        QFETCH(int, pages);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("poppler-utils is not installed (scripts/install-deps installs it)");
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        {
            QPrinter printer(QPrinter::ScreenResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            // As the viewer prints it.
            printer.setDocName(fullMoment().clipName);
            QPainter painter(&printer);
            EvidencePage::paint(painter, printer, {picture(front), rear.isValid() ? picture(rear) : QImage()},
                                channels, fullMoment());
        }
        const QString text = poppler("pdftotext", pdf);
        for (const QString &line : EvidencePage::captionLines(fullMoment()))
            QVERIFY2(text.contains(line), qPrintable(line + QStringLiteral("\n---\n") + text));
        const QString info = poppler("pdfinfo", pdf);
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Title:\\s+EVS_2012_05_14_10_22_30_I.avi\n"))),
                 qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\n").arg(pages))), qPrintable(info));

        // The pictures sit inside the margins, centred: as much paper shows left of the first one
        // as right of it (with the margins counted twice it ran off the paper's right edge).
        const QImage page = renderedPage(pdf);
        QVERIFY(!page.isNull());
        const int row = page.height() / 10;
        int left = -1, right = -1;
        for (int x = 0; x < page.width(); ++x) {
            if (qAbs(qBlue(page.pixel(x, row)) - 160) < 30 && qAbs(qRed(page.pixel(x, row)) - 40) < 30)
                right = x, left = left < 0 ? x : left;
        }
        QVERIFY2(left > 0 && right < page.width() - 1, qPrintable(QStringLiteral("%1 … %2").arg(left).arg(right)));
        QVERIFY2(qAbs(left - (page.width() - 1 - right)) <= 2, qPrintable(QStringLiteral("%1 … %2 of %3").arg(left).arg(right).arg(page.width())));
    }
};

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv); // fonts for the printed text
    TestEvidencePage test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_evidencepage.moc"
