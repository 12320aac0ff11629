// artgen: paints every picture of the program's skin from source and writes them into the
// resource folder; optionally writes a contact sheet and layout mock-ups for review.
#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>

#include <cstdio>

#include "meter.h"
#include "output.h"

namespace {

ArtSet paintEverything()
{
    ArtSet set;
    addViewerArt(set);
    addDashboardArt(set);
    addButtonArt(set);
    addSettingsArt(set);
    addBrandArt(set);
    return set;
}

bool writeReview(const ArtSet &set, const QString &folder)
{
    QDir().mkpath(folder);
    const QDir dir(folder);
    const struct { const char *name; QImage image; } sheets[] = {
        {"contact-sheet.png", contactSheet(set)},
        {"mockup-viewer.png", viewerMockup(set)},
        {"mockup-viewer-1366x768.png", viewerMaximizedMockup(set, QSize(1366, 768))},
        {"mockup-settings.png", settingsMockup(set)},
        {"mockup-options.png", optionMockup(set)},
        {"zoom-viewer-buttons.png", groupSheet(set, QStringLiteral("Viewer buttons"), 3)},
        {"zoom-dashboard.png", groupSheet(set, QStringLiteral("Dashboard"), 3)},
        {"zoom-settings.png", groupSheet(set, QStringLiteral("Settings editor"), 4)},
    };
    std::printf("%s\n", qPrintable(Meter::segmentFitReport()));
    bool ok = true;
    for (const auto &sheet : sheets) {
        const QString path = dir.filePath(QString::fromLatin1(sheet.name));
        if (!sheet.image.save(path)) {
            std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(path));
            ok = false;
        } else {
            std::printf("%s\n", qPrintable(QDir::toNativeSeparators(path)));
        }
    }
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");   // paints only, never shows a window
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Paints the program's images."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("out"), QStringLiteral("Write the images below <gfx_r folder>."),
                      QStringLiteral("gfx_r folder")});
    parser.addOption({QStringLiteral("sheet"), QStringLiteral("Write the contact sheet and mock-ups into <folder>."),
                      QStringLiteral("folder")});
    parser.process(app);
    if (!parser.isSet(QStringLiteral("out")) && !parser.isSet(QStringLiteral("sheet"))) {
        std::fprintf(stderr, "artgen: give --out and/or --sheet\n");
        return 2;
    }

    const ArtSet set = paintEverything();
    bool ok = true;
    if (parser.isSet(QStringLiteral("out"))) {
        ok = writeArt(set, parser.value(QStringLiteral("out"))) && ok;
        std::printf("%lld images written below %s\n", static_cast<long long>(set.size()),
                    qPrintable(parser.value(QStringLiteral("out"))));
    }
    if (parser.isSet(QStringLiteral("sheet")))
        ok = writeReview(set, parser.value(QStringLiteral("sheet"))) && ok;
    return ok ? 0 : 1;
}
