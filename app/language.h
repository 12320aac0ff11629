#pragma once

#include <QString>

// The process-wide interface language code ("kr" after start-up; "en" selects English texts).
// GUI thread only.
QString currentLanguage();
void setCurrentLanguage(const QString &code);
