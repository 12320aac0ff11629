#include "app/messages.h"

#include "app/language.h"

namespace Messages {

namespace {
bool korean()
{
    return currentLanguage() == QLatin1String("kr");
}
} // namespace

QString openClipFailed()
{
    return korean() ? QStringLiteral("파일 재생이 실패하였습니다.") : QStringLiteral("Failed to open clip file");
}

QString missingPlugins(const QStringList &names)
{
    const QString list = names.join(QLatin1String(", "));
    return korean() ? QStringLiteral("설치되지 않은 구성 요소: %1").arg(list)
                    : QStringLiteral("Not installed: %1").arg(list);
}

QString saveFileCancelled()
{
    return korean() ? QStringLiteral("파일 저장이 취소되었습니다.") : QStringLiteral("Save File Cancelled");
}

} // namespace Messages
