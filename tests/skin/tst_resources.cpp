#include <QImageReader>
#include <QPixmap>
#include <QtTest>

#include "resources/gfxpaths.h"
#include "skin/skingeometry.h"

// Every image the program loads by resource path exists, decodes, and has the size that the
// windows' layouts place it at.
class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void skinImage_data();
    void skinImage();
    void segmentsFollowTheDashboardTable();
    void tickBoxes_data();
    void tickBoxes();
    void applicationIcon();
    void splash();
};

namespace {

void addButtonRows(const QString &stem, QSize size)
{
    for (int state = 1; state <= 3; ++state) {
        const QString name = stem + QString::number(state) + QStringLiteral(".png");
        QTest::newRow(qPrintable(name)) << name << size;
    }
}

void addRow(const QString &name, QSize size)
{
    QTest::newRow(qPrintable(name)) << name << size;
}

void addViewerRows()
{
    addRow("marlow_main_viewer_bg.png", {1024, 645});
    addRow("marlow_main_widget_bg.png", {642, 286});
    addRow("screen.png", {640, 360});
    addRow("loading.png", {390, 84});
    addRow("speed_meter1.png", {184, 184});
    for (int d = 0; d <= 9; ++d)
        addRow(QStringLiteral("%1.png").arg(d), {20, 23});
    addRow("gps_on.png", {43, 43});
    addRow("km.png", {24, 13});
    addRow("mph.png", {36, 13});
    addRow("playtime.png", {82, 16});
    addRow("model.png", {82, 29});
    addRow("date.png", {82, 30});
    addRow("progress_bar.png", {7, 33});
    addRow("volume_bar.png", {52, 9});
    addRow("volume_level.png", {5, 7});
    addRow("list_up_1.png", {23, 17});
    addRow("list_down_1.png", {23, 17});

    const QSize transport(36, 36);
    for (const char *stem : {"play_", "pause", "stop_", "pre_file_", "rw_", "fw_", "next_file_", "zoom_in_",
                             "zoom_out_", "original_screen_", "zoom_win_", "pan_", "rotate_"})
        addButtonRows(QString::fromLatin1(stem), transport);
    addButtonRows("volume", {19, 17});
    addButtonRows("setting_", {19, 20});
    addButtonRows("snapshot_", {22, 18});
    addButtonRows("print_", {20, 20});
    for (const char *stem : {"min_", "max_", "close_", "exit_"})
        addButtonRows(QString::fromLatin1(stem), {21, 19});
    addButtonRows("file_open_", {21, 16});
    addButtonRows("folder_open_", {20, 16});
    addButtonRows("screen01_", {13, 34});
    addButtonRows("screen02_", {13, 34});
    addButtonRows("sorting_btn", {46, 19});
    addButtonRows("trip_", {36, 19});
}

void addSettingsRows()
{
    addRow("marlow_setting_bg.png", {554, 660});
    addRow("marlow_bar_bg.png", {388, 25});
    for (const char *mark : {"check.png", "check1.png", "disbox.png", "discheck2.png"})
        addRow(QString::fromLatin1(mark), {14, 14});
    addButtonRows("gmt_", {233, 28});
    addRow("dis_saver.png", {233, 28});
    addButtonRows("battery_24v_", {116, 28});
    addRow("battery_24v_disable.png", {116, 28});
    for (const char *stem : {"apply", "OK", "cancel"})
        addButtonRows(QString::fromLatin1(stem), {79, 28});
    addRow("time_up1.png", {21, 18});
    for (const char *option : {"batt_timer_bg.png", "batt_12v_bg.png", "batt_24v_bg.png"})
        addRow(QString::fromLatin1(option), {554, 147});
}

} // namespace

void TestResources::skinImage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    addViewerRows();
    addSettingsRows();
}

void TestResources::skinImage()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QImage image(Gfx::path(name));
    QVERIFY2(!image.isNull(), qPrintable(Gfx::path(name)));
    QCOMPARE(image.size(), size);
}

void TestResources::segmentsFollowTheDashboardTable()
{
    // Width and height of segment k, as the dashboard draws it.
    static const int sizes[24][2] = {{20, 31}, {25, 31}, {28, 29}, {30, 26}, {30, 21}, {31, 17},
                                     {30, 14}, {31, 15}, {31, 21}, {30, 25}, {29, 28}, {26, 30},
                                     {22, 32}, {17, 31}, {13, 30}, {16, 31}, {21, 32}, {25, 31},
                                     {28, 29}, {30, 26}, {31, 22}, {31, 17}, {30, 13}, {31, 16}};
    for (int k = 0; k < 24; ++k) {
        const QImage segment(Gfx::path(QStringLiteral("s%1.png").arg(k + 1)));
        QCOMPARE(segment.size(), QSize(sizes[k][0], sizes[k][1]));
        // A lit segment shows something: at least a tenth of its pixels are opaque.
        int opaque = 0;
        for (int y = 0; y < segment.height(); ++y)
            for (int x = 0; x < segment.width(); ++x)
                opaque += qAlpha(segment.pixel(x, y)) > 128;
        QVERIFY2(opaque * 10 >= segment.width() * segment.height(), qPrintable(QString::number(k)));
    }
}

void TestResources::tickBoxes_data()
{
    QTest::addColumn<QString>("skin");
    QTest::addColumn<QRect>("box");

    using namespace SkinGeometry;
    const QString settings = QStringLiteral("marlow_setting_bg.png");
    const struct { int y; int columns; const char *name; } rows[] = {
        {64, 3, "Resolution"}, {91, 3, "Video Quality"}, {117, 3, "Frame Rate"}, {144, 2, "Sound Recording"},
        {170, 4, "Sound Volume"}, {373, 3, "Event Files"}, {399, 3, "Parking Watch"},
        {426, 3, "Motion Sensitivity"}, {478, 2, "Speed Unit"}, {504, 2, "Security LED"}, {530, 2, "Theme"},
        {556, 3, "ScreenSaver"}};
    for (const auto &row : rows)
        for (int c = 0; c < row.columns; ++c)
            QTest::addRow("%s column %d", row.name, kSettingsColumns[c]) << settings << settingsBox(kSettingsColumns[c], row.y);
    QTest::newRow("Time Setting toggle") << settings << kTimeSettingBox;
    for (int column : kTimeFormatColumns)
        QTest::addRow("Time Format column %d", column) << settings << settingsBox(column, kTimeFormatRow);

    const struct { const char *file; int steps; } options[] = {
        {"batt_timer_bg.png", 6}, {"batt_12v_bg.png", 6}, {"batt_24v_bg.png", 5}};
    for (const auto &option : options) {
        QTest::addRow("%s off box", option.file) << QString::fromLatin1(option.file) << optionBox(kOptionOffBoxX);
        for (int i = 0; i < option.steps; ++i)
            QTest::addRow("%s step %d", option.file, i + 1) << QString::fromLatin1(option.file) << optionBox(kOptionStepX[i]);
    }
}

// The skins carry an empty box exactly where the dialogs paint their 14-pixel marks: a light
// frame around a dark inside.
void TestResources::tickBoxes()
{
    QFETCH(QString, skin);
    QFETCH(QRect, box);
    const QImage image(Gfx::path(skin));
    QVERIFY(!image.isNull());
    const int inside = qGray(image.pixel(box.center()));
    for (const QPoint &edge : {box.topLeft(), box.bottomRight(), QPoint(box.center().x(), box.top()),
                               QPoint(box.left(), box.center().y())})
        QVERIFY2(qGray(image.pixel(edge)) > inside + 50, qPrintable(QStringLiteral("frame at %1,%2").arg(edge.x()).arg(edge.y())));
    // Just outside the frame the panel is dark again.
    QVERIFY(qGray(image.pixel(box.left() - 2, box.center().y())) < qGray(image.pixel(box.left(), box.center().y())) - 50);
}

void TestResources::applicationIcon()
{
    QImageReader reader(QStringLiteral(":/gfx_r/icon/ico_256.ico"));
    QList<QSize> sizes;
    do {
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        sizes << image.size();
    } while (reader.jumpToNextImage());
    QVERIFY2(sizes.contains(QSize(256, 256)), "the icon carries a 256-pixel image");
}

void TestResources::splash()
{
    // The start-up code names it without the slash after the colon; both spellings must work.
    const QPixmap splash(QStringLiteral(":gfx_r/splash/splash.png"));
    QVERIFY(!splash.isNull());
    QCOMPARE(QPixmap(QStringLiteral(":/gfx_r/splash/splash.png")).size(), splash.size());
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
