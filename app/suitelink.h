#pragma once

#include <QString>

// Local-socket links between the program's windows and the suite launcher, standing in for looking
// up top-level windows by their title. A window that wants to be found listens on the socket named
// after its title; others connect to it and send one request line.
namespace SuiteLink {

// Full path of the local socket for a window title, private to the user (in XDG_RUNTIME_DIR when
// set, else in the temporary folder with the user id in the name).
QString socketPathForTitle(const QString &title);

// Connects to the socket of `title` and sends `request` ("focus", "restore"); true when a live
// listener acknowledged it within `timeoutMs`.
bool sendRequest(const QString &title, const QString &request, int timeoutMs = 2000);

// Brings the suite launcher back: asks a running "QRD-7700 Suite" to restore its window, or, when
// none answers, starts the launcher program "corvi-start" with the argument "pop", detached. The
// outcome of the start is not checked.
void returnToSuite();

} // namespace SuiteLink
