#pragma once

#include <QStringList>

// Start-up and the run modes: sets up the process, picks the mode from the command line, applies
// the one-window-per-mode rule and runs the event loop. The composition root of the program.
class Application
{
public:
    Application(int &argc, char **argv);
    int run();

    // Gives the standard dialogs of both run modes (message boxes, file, print and folder choosers)
    // the skin's colours, and widens the file dialogs' columns to what they show. Part of run();
    // for tests that build the program's windows themselves.
    static void applyDialogLook();
    // Sets the interface language (QRD7700_LANG, the stored choice, the desktop's) for the
    // program's texts and for Qt's own texts in the standard dialogs. Part of run().
    static void settleLanguage();

private:
    int &m_argc;
    char **m_argv;
};
