#include "viewer/widgetprogressa.h"

#include "catalogue/removabledrive.h"
#include "telemetry/telemetrytrack.h"
#include "generators/clipwriter/aviclipwriter.h"
#include "viewer/dashboardgeometry.h"
#include "base/language.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QScopeGuard>
#include <QSignalSpy>

#include <cmath>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int kWidth = 654;
constexpr int kHeight = 286;

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

} // namespace

class TestWidgetProgressA : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        qputenv(kCardsVariable,
                (m_dir.filePath(QStringLiteral("card")) + ':' + m_dir.filePath(QStringLiteral("card2"))).toUtf8());
        m_track = std::make_unique<TelemetryTrack>();
        m_widget = std::make_unique<WidgetProgressA>();
        m_widget->resize(kWidth, kHeight);
        m_widget->followTrack(m_track.get());
    }
    void cleanup()
    {
        m_widget.reset();
        m_track.reset();
        qunsetenv(kCardsVariable);
        QDir(m_dir.filePath(QStringLiteral("card"))).removeRecursively();
        QDir(m_dir.filePath(QStringLiteral("card2"))).removeRecursively();
    }

    void initialState()
    {
        QCOMPARE(m_widget->timeText(), QStringLiteral("00:00/00:00"));
        QCOMPARE(m_widget->modelText(), QStringLiteral("unknown"));
        QCOMPARE(m_widget->speed(), 0);
        QVERIFY(!m_widget->gpsValid());
        QVERIFY(m_widget->noPositionInClip());
        QVERIFY(!m_widget->isAnimating());
        QVERIFY(sampleAt(0).isNone());
        QVERIFY(m_widget->currentSample().isNone());
    }

    void speedRule_data()
    {
        QTest::addColumn<QList<int>>("calls");
        QTest::addColumn<int>("speed");
        QTest::newRow("105") << QList<int>{105} << 105;
        QTest::newRow("241 is the top") << QList<int>{241} << 241;
        QTest::newRow("242 shows 0") << QList<int>{242} << 0;
        QTest::newRow("negative is not stored") << QList<int>{50, -3} << 50;
        QTest::newRow("too fast after a speed drops to 0") << QList<int>{80, 300} << 0;
    }
    void speedRule()
    {
        QFETCH(QList<int>, calls);
        QFETCH(int, speed);
        for (int kmh : calls)
            m_widget->setSpeed(kmh);
        QCOMPARE(m_widget->speed(), speed);
    }

    void timeTexts()
    {
        m_widget->setTimeRange(0, 125000);
        QCOMPARE(m_widget->timeText(), QStringLiteral("00:00/02:05"));
        m_widget->setTimePosition(61000);
        QCOMPARE(m_widget->timeText(), QStringLiteral("01:01/02:05"));
        m_widget->grab(); // a paint ends the grace of the new range
        m_widget->setTimePosition(130000); // outside the range: ignored
        QCOMPARE(m_widget->timeText(), QStringLiteral("01:01/02:05"));
        m_widget->setTimeRange(0, 100); // shorter range: the text is rebuilt, the old position shows
        QCOMPARE(m_widget->timeText(), QStringLiteral("01:01/00:00"));
        m_widget->setTimePosition(80); // inside the new range
        QCOMPARE(m_widget->timeText(), QStringLiteral("00:00/00:00"));
        m_widget->setTimeRange(500, 100); // end before start: ignored
        QCOMPARE(m_widget->timeText(), QStringLiteral("00:00/00:00"));
    }

    // The model comes from the card that holds the clip, by the rule the settings editor follows.
    void model_data()
    {
        QTest::addColumn<QString>("version");  // on "card"; empty: no version file
        QTest::addColumn<QString>("version2"); // on "card2"
        QTest::addColumn<QString>("clipPath"); // relative to the temporary folder
        QTest::addColumn<QString>("model");
        const QString clip = QStringLiteral("REC/REC_2012_05_14_10_20_30.avi");
        QTest::newRow("clip on the card") << "FW 1.01 QRD-7700" << "" << "card/" + clip << "QRD-7700";
        QTest::newRow("clip outside the card") << "FW 1.01 QRD-7700" << "" << "elsewhere/" + clip << "unknown";
        QTest::newRow("version text starting with the model") << "QRD-7700 FW 1.01" << "" << "card/" + clip
                                                              << "QRD-7700";
        QTest::newRow("card without a version file") << "" << "" << "card/" + clip << "unknown";
        QTest::newRow("clip on the second of two cards") << "FW 1.01 QRD-7700" << "FW 1.02 QRD-7700" << "card2/" + clip
                                                         << "QRD-7700";
        QTest::newRow("clip on a card of another recorder beside ours") << "FW 1.01 QRD-7700" << "V1 QRD-5500"
                                                                        << "card2/" + clip << "unknown";
        QTest::newRow("clip path emptied, a card present") << "" << "FW 1.01 QRD-7700" << "" << "unknown";
    }
    void model()
    {
        QFETCH(QString, version);
        QFETCH(QString, version2);
        QFETCH(QString, clipPath);
        QFETCH(QString, model);
        QDir().mkpath(m_dir.filePath(QStringLiteral("card/REC")));
        QDir().mkpath(m_dir.filePath(QStringLiteral("card2/REC")));
        if (!version.isEmpty())
            writeFile(m_dir.filePath(QStringLiteral("card/update/version.txt")), version.toUtf8());
        if (!version2.isEmpty())
            writeFile(m_dir.filePath(QStringLiteral("card2/update/version.txt")), version2.toUtf8());
        m_widget->setClipPath(clipPath.isEmpty() ? QString() : m_dir.filePath(clipPath));
        QCOMPARE(m_widget->modelText(), model);
        // Before any clip the model says whether a recorder card is present.
        const bool cardPresent = (version + version2).contains(QLatin1String("QRD-7700"));
        QCOMPARE(WidgetProgressA().modelText(), cardPresent ? QStringLiteral("QRD-7700") : QStringLiteral("unknown"));
    }

    void enableAndReset()
    {
        m_widget->setDashboardEnabled(true);
        QVERIFY(m_widget->isEnabled());
        QVERIFY(m_widget->isAnimating());
        m_widget->setSpeed(90);
        m_widget->setGpsValid(true);
        m_widget->resetDashboard();
        QVERIFY(!m_widget->isAnimating());
        QCOMPARE(m_widget->speed(), 0);
        QVERIFY(!m_widget->gpsValid());
        m_widget->setDashboardEnabled(false);
        QVERIFY(!m_widget->isEnabled());
        QVERIFY(!m_widget->isAnimating());
    }

    void stripRelease_data()
    {
        QTest::addColumn<int>("rangeEnd");
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<int>("position"); // -1: no signal
        QTest::newRow("middle at x 322") << 60000 << QPoint(100, 10) << QPoint(322, 10) << 30000;
        QTest::newRow("start at x 2") << 60000 << QPoint(2, 10) << QPoint(2, 10) << 0;
        QTest::newRow("rightmost x 641") << 60000 << QPoint(641, 10) << QPoint(641, 20) << 59906;
        QTest::newRow("empty range") << 0 << QPoint(322, 10) << QPoint(322, 10) << 0;
        QTest::newRow("two hours do not overflow") << 7200000 << QPoint(641, 10) << QPoint(641, 10) << 7188750;
        QTest::newRow("press at y 41 is no strip press") << 60000 << QPoint(322, 41) << QPoint(322, 10) << -1;
        QTest::newRow("press left of the strip") << 60000 << QPoint(1, 10) << QPoint(322, 10) << -1;
        QTest::newRow("release right of the strip") << 60000 << QPoint(322, 10) << QPoint(642, 10) << -1;
    }
    void stripRelease()
    {
        QFETCH(int, rangeEnd);
        QFETCH(QPoint, press);
        QFETCH(QPoint, release);
        QFETCH(int, position);
        m_widget->setTimeRange(0, rangeEnd);
        QSignalSpy clicked(m_widget.get(), &WidgetProgressA::clicked);
        QTest::mousePress(m_widget.get(), Qt::LeftButton, {}, press);
        QTest::mouseRelease(m_widget.get(), Qt::LeftButton, {}, release);
        QCOMPARE(clicked.size(), position < 0 ? 0 : 1);
        if (position >= 0)
            QCOMPARE(clicked.first().first().toInt(), position);
    }

    void releaseBelowTheStripKeepsDragging()
    {
        m_widget->setTimeRange(0, 60000);
        QSignalSpy clicked(m_widget.get(), &WidgetProgressA::clicked);
        QTest::mousePress(m_widget.get(), Qt::LeftButton, {}, QPoint(100, 10));
        QTest::mouseRelease(m_widget.get(), Qt::LeftButton, {}, QPoint(100, 41));
        QCOMPARE(clicked.size(), 0);
        QTest::mouseRelease(m_widget.get(), Qt::LeftButton, {}, QPoint(322, 10));
        QCOMPARE(clicked.size(), 1);
        // The drag ended: another release alone does nothing.
        QTest::mouseRelease(m_widget.get(), Qt::LeftButton, {}, QPoint(322, 10));
        QCOMPARE(clicked.size(), 1);
    }

    void otherButtonsAndClearTrackEndNoSeek()
    {
        m_widget->setTimeRange(0, 60000);
        QSignalSpy clicked(m_widget.get(), &WidgetProgressA::clicked);
        QTest::mousePress(m_widget.get(), Qt::RightButton, {}, QPoint(100, 10));
        QTest::mouseRelease(m_widget.get(), Qt::RightButton, {}, QPoint(100, 10));
        QTest::mousePress(m_widget.get(), Qt::LeftButton, {}, QPoint(100, 10));
        m_track->clearTrack();
        QTest::mouseRelease(m_widget.get(), Qt::LeftButton, {}, QPoint(100, 10));
        QCOMPARE(clicked.size(), 0);
    }

    void trackFromClip_data()
    {
        QTest::addColumn<bool>("withTelemetry");
        QTest::newRow("clip with positions") << true;
        QTest::newRow("clip without telemetry") << false;
    }
    void trackFromClip()
    {
        QFETCH(bool, withTelemetry);
        const QString path = writeClip(withTelemetry);
        m_track->setClipPath(path);
        m_widget->setTimeRange(0, kClipMs);
        m_track->startLoading(kClipMs);
        // Read on a worker thread: nothing shows until it arrives.
        QVERIFY(m_track->isLoading());
        QVERIFY(m_widget->noPositionInClip());
        QVERIFY(sampleAt(kClipMs / 2).isNone());
        QTRY_VERIFY(!m_track->isLoading());
        QCOMPARE(m_widget->noPositionInClip(), !withTelemetry);
        const TelemetrySample sample = sampleAt(kClipMs / 2);
        QCOMPARE(m_widget->gpsValid(), withTelemetry);
        QCOMPARE(sample.isNone(), !withTelemetry);
        if (withTelemetry) {
            QVERIFY(qAbs(sample.latitude - 37.5) < 1e-4);
            QCOMPARE(sample.speedKmh, 105);
        }
        QVERIFY(sampleAt(-5).isNone());
        QVERIFY(!m_widget->gpsValid());
    }

    void disablingClearsTheShownSample()
    {
        m_track->setClipPath(writeClip(true));
        m_track->startLoading(kClipMs);
        QTRY_VERIFY(!m_track->isLoading());
        m_widget->setDashboardEnabled(true);
        sampleAt(1000);
        QCOMPARE(m_widget->currentSample().accelZ, qint16(128));
        QVERIFY(m_widget->currentSample().latitude != 0);
        m_widget->setDashboardEnabled(false);
        QCOMPARE(m_widget->currentSample().accelZ, qint16(0));
        QCOMPARE(m_widget->currentSample().latitude, 0.0);
        QCOMPARE(m_widget->currentSample().longitude, 0.0);
    }

    void gpsIndicatorFollowsTheTrackAfterAReset()
    {
        m_track->setClipPath(writeClip(true));
        m_track->startLoading(kClipMs);
        QTRY_VERIFY(!m_track->isLoading());
        sampleAt(1000);
        QVERIFY(m_widget->gpsValid());
        m_widget->resetDashboard();
        QVERIFY(!m_widget->gpsValid());
        // The track still has its fix; the next lookup lights the indicator again.
        sampleAt(1100);
        QVERIFY(m_widget->gpsValid());
    }

    void renderingPutsGraphMarkerAndSegmentsInPlace();
    void valuesFitTheirBoxesAndRead_data();
    void valuesFitTheirBoxesAndRead();

private:
    static constexpr int kClipMs = 3000;

    // The sample of a position, shown on the dashboard as the window shows it (once the track has
    // been read).
    TelemetrySample sampleAt(int positionMs)
    {
        const TelemetrySample sample = m_track->sampleAt(positionMs);
        if (m_track->trackReady())
            m_widget->showSample(sample);
        return sample;
    }

    QString writeClip(bool withTelemetry)
    {
        ClipWriter::ClipDescription clip;
        clip.durationMs = kClipMs;
        // With the sound stream the telemetry stream is the third one: "02tx" chunks, as the recorder writes.
        clip.audio = true;
        clip.audioSampleRate = 1000;
        clip.videoStreams = {ClipWriter::VideoStream{QSize(64, 48), {}, 50, 1}};
        if (withTelemetry) {
            ClipWriter::TelemetryRoute route;
            route.positions = {{37.5, 127.0}};
            route.speedKnots = {56.7}; // 105 km/h
            route.gForces = {{64, -100, 128}};
            clip.route = route;
        }
        const QString path = m_dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30.avi"));
        QFile::remove(path);
        QString error;
        if (!ClipWriter::writeAviClip(path, clip, &error))
            qWarning("clip not written: %s", qPrintable(error));
        return path;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TelemetryTrack> m_track;
    std::unique_ptr<WidgetProgressA> m_widget;
};

// Relative luminance of a colour (sRGB), as contrast ratios are measured.
static double luminance(const QColor &colour)
{
    const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

// The contrast of a value's text against the panel behind it: where the two renderings agree
// inside the box is the background (its median luminance: boxes have shading and a frame); of the
// pixels where they differ (glyphs of either), the one that differs most from it is the text.
static double textContrast(const QImage &shot, const QImage &other, const QRect &box)
{
    QList<double> background;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (shot.pixel(x, y) == other.pixel(x, y))
                background << luminance(QColor(shot.pixel(x, y)));
    if (background.isEmpty())
        return 0;
    std::sort(background.begin(), background.end());
    const double behind = background.at(background.size() / 2);
    double best = 1.0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            if (shot.pixel(x, y) == other.pixel(x, y))
                continue;
            const double glyph = luminance(QColor(shot.pixel(x, y)));
            best = std::max(best, (std::max(glyph, behind) + 0.05) / (std::min(glyph, behind) + 0.05));
        }
    }
    return best;
}

// Differences between two renderings must lie inside `allowed`; returns how many lie in `expected`.
static int differencesIn(const QImage &a, const QImage &b, const QRegion &allowed, const QRect &expected)
{
    int inExpected = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) == b.pixel(x, y))
                continue;
            if (!allowed.contains(QPoint(x, y)))
                return -1;
            if (expected.contains(x, y))
                ++inExpected;
        }
    }
    return inExpected;
}

void TestWidgetProgressA::renderingPutsGraphMarkerAndSegmentsInPlace()
{
    if (QPixmap(QStringLiteral(":/gfx_r/2012/s10.png")).isNull())
        QSKIP("dashboard images not in the resources");
    m_track->setClipPath(writeClip(true));
    m_widget->setDateText(QStringLiteral("2012.05.14"));
    m_widget->setTimeRange(0, kClipMs);
    m_track->startLoading(kClipMs);
    QTRY_VERIFY(!m_track->isLoading());
    m_widget->setDashboardEnabled(true);
    m_widget->setTimePosition(kClipMs / 2);
    m_widget->setSpeed(sampleAt(kClipMs / 2).speedKmh);
    QCOMPARE(m_widget->speed(), 105);
    const QImage shown = m_widget->grab().toImage();

    // Graph: constant forces 64, -100 and 128 lie on rows 17 (red), 32 (yellow) and 11 (blue).
    for (int x : {40, 200, 500}) {
        QCOMPARE(shown.pixelColor(x, Dashboard::graphY(64)), QColor(255, 0, 0));
        QCOMPARE(shown.pixelColor(x, Dashboard::graphY(-100)), QColor(255, 255, 0));
        QCOMPARE(shown.pixelColor(x, Dashboard::graphY(128)), QColor(0, 0, 255));
    }
    // The first slot starts from rest on the graph's middle row.
    QCOMPARE(shown.pixelColor(0, Dashboard::kGraphRest), QColor(0, 0, 255));

    // Marker: a white line at 2 + 1500 × 652 / 3000 = 328, rows 2 … 34.
    const int markerX = Dashboard::markerX(kClipMs / 2, kClipMs, kWidth);
    QCOMPARE(markerX, 328);
    for (int y : {2, 12, 34})
        QCOMPARE(shown.pixelColor(markerX, y), QColor(Qt::white));

    // Segments: 105 lights segments 0 … 9; 115 adds segment 10 and changes only it and the digits.
    m_widget->setSpeed(115);
    const QImage faster = m_widget->grab().toImage();
    const int x0 = Dashboard::panelX0(kWidth);
    const int mx = x0 - 23;
    QRegion allowed(Dashboard::segmentRect(10, x0));
    allowed += QRect(mx + 309, 71 + 79, 3 * 24 + 20, 23); // the three digit places
    QVERIFY(differencesIn(shown, faster, allowed, Dashboard::segmentRect(10, x0)) > 20);

    // Segment 9 is lit at 105: dropping to 95 changes segment 9's place.
    m_widget->setSpeed(95);
    const QImage slower = m_widget->grab().toImage();
    QRegion allowedNine(Dashboard::segmentRect(9, x0));
    allowedNine += QRect(mx + 309, 71 + 79, 3 * 24 + 20, 23);
    QVERIFY(differencesIn(shown, slower, allowedNine, Dashboard::segmentRect(9, x0)) > 20);

    // GPS indicator: the track's fix lit it; switching it off changes only its place.
    m_widget->setSpeed(105);
    QVERIFY(m_widget->gpsValid());
    m_widget->setGpsValid(false);
    const QRect gpsPlace(mx + 370, 71 + 120, 43, 43);
    QVERIFY(differencesIn(shown, m_widget->grab().toImage(), QRegion(gpsPlace), gpsPlace) > 20);
    m_widget->setGpsValid(true);

    const QString folder = qEnvironmentVariable("QRD7700_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        m_widget->resize(642, 250); // its place in a 1024 × 645 viewer window
        m_widget->grab().save(folder + QStringLiteral("/widgetprogressa.png"));
    }
}

QTEST_MAIN(TestWidgetProgressA)
#include "tst_widgetprogressa.moc"

void TestWidgetProgressA::valuesFitTheirBoxesAndRead_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("desktopFont"); // what the desktop gives for the skin's "Segoe UI"
    for (const char *language : {"en", "kr"}) {
        for (const char *font : {"Noto Sans", "NanumGothic"})
            QTest::addRow("%s, %s", language, font) << QString::fromLatin1(language) << QString::fromLatin1(font);
    }
}

// The widest values each field shows, in both languages and with the fonts a Latin and a Korean
// desktop give for the skin's font: every value's glyphs lie inside its box (nothing clipped), and
// the text stands out from the panel behind it (contrast of at least 4.5 to 1).
void TestWidgetProgressA::valuesFitTheirBoxesAndRead()
{
    QFETCH(QString, language);
    QFETCH(QString, desktopFont);
    if (!QFontDatabase::families().contains(desktopFont))
        QSKIP(qPrintable(desktopFont + QStringLiteral(" is not installed (scripts/install-deps installs it)")));
    const QString before = currentLanguage();
    setCurrentLanguage(language);
    QFont::insertSubstitution(QStringLiteral("Segoe UI"), desktopFont);
    const auto restore = qScopeGuard([before] {
        QFont::removeSubstitutions(QStringLiteral("Segoe UI"));
        setCurrentLanguage(before);
    });
    WidgetProgressA dashboard;
    dashboard.resize(642, 250);
    dashboard.setDashboardEnabled(true);
    dashboard.setTimeRange(0, 5999000);
    dashboard.setTimePosition(5999000);
    dashboard.setPlaybackRate(0.25);
    dashboard.setDateText(QStringLiteral("2088.08.28"));
    TelemetrySample sample;
    sample.timeMs = 0;
    sample.accelX = -127;
    sample.accelY = -99;
    sample.accelZ = -88;
    sample.latitude = -33.868801;
    sample.longitude = -127.035398;
    dashboard.showSample(sample);
    const QImage shot = dashboard.grab().toImage();
    const QString time = dashboard.timeText();
    const QString rate = dashboard.rateText();
    // The same panel with other values: where the two differ inside a box, glyphs are drawn.
    dashboard.setTimeRange(0, 0);
    dashboard.setTimePosition(0);
    dashboard.setPlaybackRate(1.0);
    dashboard.setDateText(QStringLiteral("1111.11.11"));
    dashboard.showSample(TelemetrySample());
    const QImage other = dashboard.grab().toImage();
    using Dashboard::TextField;
    const QMap<TextField, QString> values{
        {TextField::PlayTime, time},                      {TextField::Rate, rate},
        {TextField::Model, QStringLiteral("QRD-7700")},   {TextField::Date, QStringLiteral("2088.08.28")},
        {TextField::AccelX, QStringLiteral("-0.992")},    {TextField::AccelY, QStringLiteral("-0.773")},
        {TextField::AccelZ, QStringLiteral("-0.688")},    {TextField::Latitude, QStringLiteral("-33.8688")},
        {TextField::Longitude, QStringLiteral("-127.035")},
    };
    QCOMPARE(time, QStringLiteral("99:59/99:59"));
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QRect box = Dashboard::textBox(it.key(), 0);
        const QFont font = Dashboard::fittedFont(dashboard.font(), it.value(), box.size());
        const QFontMetrics metrics(font);
        // Where drawText puts the glyphs: left-aligned, centred on the box's height.
        const int baseline = box.top() + (box.height() - metrics.height()) / 2 + metrics.ascent();
        const QRect ink = metrics.boundingRect(it.value()).translated(box.left(), baseline);
        QVERIFY2(box.contains(ink), qPrintable(QStringLiteral("%1: ink %2,%3 %4x%5 outside the box %6,%7 %8x%9")
                                                   .arg(it.value()).arg(ink.x()).arg(ink.y()).arg(ink.width())
                                                   .arg(ink.height()).arg(box.x()).arg(box.y()).arg(box.width())
                                                   .arg(box.height())));
        if (it.key() == TextField::Model)
            continue; // the same text in both renderings
        const double contrast = textContrast(shot, other, box);
        QVERIFY2(contrast >= 4.5, qPrintable(QStringLiteral("%1: contrast %2").arg(it.value()).arg(contrast)));
    }
}
