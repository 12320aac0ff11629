#include "app/application.h"

#include "app/instanceserver.h"
#include "base/logrules.h"
#include "base/language.h"
#include "base/preferences.h"
#include "app/runmode.h"
#include "app/suitelink.h"
#include "playback/mediaframework.h"
#include "settingsui/configwindow.h"
#include "skin/dialogpalette.h"
#include "skin/filedialogfit.h"
#include "viewer/mainwindow.h"
#include "viewer/mapview.h"
#include "viewer/viewersession.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QSplashScreen>

#include <memory>

namespace {
constexpr auto kIconPath = ":/gfx_r/icon/ico_256.ico";
constexpr auto kSplashPath = ":gfx_r/splash/splash.png";


// A mode started from the suite launcher brings the launcher back once its window is gone.
void returnToSuiteWhenAsked(const RunModeChoice &choice)
{
    if (choice.returnToSuite)
        SuiteLink::returnToSuite();
}

int runViewer(const RunModeChoice &choice, QSplashScreen &splash, InstanceServer &instance)
{
    auto window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    window->setWindowTitle(QObject::tr("Viewer"));
    instance.setWindow(window.get());
    window->show();
    QCoreApplication::processEvents();
    splash.finish(window.get());
    ViewerSession::restore(*window);
    const int result = QApplication::exec();
    ViewerSession::save(*window);
    // The window (and any player it owns) goes before the media framework does.
    window.reset();
    MediaFramework::shutdown();
    returnToSuiteWhenAsked(choice);
    return result;
}

int runSettings(const RunModeChoice &choice, QSplashScreen &splash, InstanceServer &instance)
{
    auto window = std::make_unique<ConfigWindow>(nullptr);
    instance.setWindow(window.get());
    window->show();
    // The splash closes once the window is up, as in the viewer, instead of waiting for a click.
    splash.finish(window.get());
    const int result = QApplication::exec();
    window.reset();
    returnToSuiteWhenAsked(choice);
    return result;
}

} // namespace

Application::Application(int &argc, char **argv)
    : m_argc(argc)
    , m_argv(argv)
{
}

// The interface language, for our texts and Qt's own (the standard dialogs).
void Application::settleLanguage()
{
    QString code;
    if (!readStoredLanguage(code))
        return;
    setCurrentLanguage(code);
    if (!installQtTranslations(code))
        qWarning("Qt's Korean translations are not installed: the standard dialogs stay in English");
}

void Application::applyDialogLook()
{
    // The folder chooser is a dialog of our own, but as standard as the others.
    DialogPalette::apply({QStringLiteral("FolderBrowserDialog")});
    FileDialogFit::install();
}

int Application::run()
{
    installLogRules();
    if (!MediaFramework::initialise())
        return 1;
    // The map page's address scheme must be known before the application object exists.
    MapView::registerUrlScheme();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    QApplication app(m_argc, m_argv);
    QApplication::setApplicationName(QStringLiteral("qrd7700"));
    QApplication::setOrganizationName(QStringLiteral("QRD-7700"));
    QApplication::setWindowIcon(QIcon(QLatin1String(kIconPath)));
    applyDialogLook();
    settleLanguage();

    auto splash = std::make_unique<QSplashScreen>(QPixmap(QLatin1String(kSplashPath)));
    splash->show();

    const RunModeChoice choice = chooseRunMode(QCoreApplication::arguments());
    InstanceServer instance(choice.windowTitle);
    if (instance.notifyRunningInstance())
        return 0;
    // A running instance too busy to answer in time still owns the mode: its window gets the focus
    // request once it is free again.
    if (instance.listen() == InstanceServer::Listening::HeldByLivingInstance)
        return 0;

    if (choice.mode == RunMode::Viewer)
        return runViewer(choice, *splash, instance);
    return runSettings(choice, *splash, instance);
}
