#pragma once

#include <QString>
#include <QStringList>

enum class RunMode { Viewer, Settings };

struct RunModeChoice
{
    RunMode mode = RunMode::Viewer;
    bool returnToSuite = false;
    QString windowTitle; // the title the single-instance rule looks for
};

// Chooses the run mode from the command line (the program name included):
// none → viewer; exactly "pop" → viewer returning to the suite; any other single argument →
// settings; two or more arguments → settings returning to the suite.
RunModeChoice chooseRunMode(const QStringList &arguments);
