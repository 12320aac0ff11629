#include "app/language.h"

namespace {
QString &languageCode()
{
    static QString code;
    return code;
}
} // namespace

QString currentLanguage()
{
    return languageCode();
}

void setCurrentLanguage(const QString &code)
{
    languageCode() = code;
}
