#pragma once

// Keeps the program's debug lines out of normal use: switches off the debug level of every
// "qrd7700.*" logging category (and the web engine's graphics dump at start). Rules given in
// QT_LOGGING_RULES or a QT_LOGGING_CONF file are applied after these and win, so
// QT_LOGGING_RULES="qrd7700.*.debug=true" brings the debug lines back. Call once, first thing in main.
void installLogRules();
