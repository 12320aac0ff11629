#pragma once

#include <QString>
#include <QtGlobal>

// Local-socket links between the program's windows and the suite launcher, standing in for looking
// up top-level windows by their title. A window that wants to be found listens on the socket named
// after its title; others connect to it and send one request line.
namespace SuiteLink {

// Full path of the local socket for a window title, in a folder only this user may write to:
// XDG_RUNTIME_DIR when set and private, else the folder "qrd7700-UID" in the temporary folder, made
// with mode 0700 when missing. Empty when that folder belongs to someone else or others may write
// to it: then no window can be found, and none is found by others.
QString socketPathForTitle(const QString &title);

// Whether the process at the other end of the connected local socket `descriptor` runs as this
// user; requests and answers of anyone else are not trusted.
bool isOwnPeer(qintptr descriptor);

// Connects to the socket of `title` and sends `request` ("focus", "restore"); true when a live
// listener acknowledged it within `timeoutMs`.
bool sendRequest(const QString &title, const QString &request, int timeoutMs = 2000);

// Brings the suite launcher back: asks a running "QRD-7700 Suite" to restore its window, or, when
// none answers, starts the launcher program "qrd7700-start" with the argument "pop", detached. The
// outcome of the start is not checked.
void returnToSuite();

} // namespace SuiteLink
