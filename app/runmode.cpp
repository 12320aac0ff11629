#include "app/runmode.h"

#include "base/messages.h"

RunModeChoice chooseRunMode(const QStringList &arguments)
{
    RunModeChoice choice;
    const qsizetype count = arguments.size();
    if (count <= 1) {
        choice = {RunMode::Viewer, false, Messages::viewerTitle()};
    } else if (count == 2) {
        if (arguments.at(1) == QLatin1String("pop"))
            choice = {RunMode::Viewer, true, Messages::viewerTitle()};
        else
            choice = {RunMode::Settings, false, Messages::settingsTitle()};
    } else {
        choice = {RunMode::Settings, true, Messages::settingsTitle()};
    }
    return choice;
}
