#include "base/exportmessages.h"

#include "base/language.h"

namespace Messages {

namespace {

QString text(const char16_t *korean, const char *english)
{
    return currentLanguage() == QLatin1String("kr") ? QString::fromUtf16(korean) : QString::fromUtf8(english);
}

} // namespace

QString exportMenuEntry() { return text(u"증거 자료 내보내기…", "Export evidence…"); }
QString exportDialogTitle() { return text(u"증거 자료 내보내기", "Export evidence"); }

QString exportRange(const QString &from, const QString &to, const QString &clip, const QString &length)
{
    return text(u"구간: %3의 %1 ~ %2 (%4)", "Range: %1 to %2 of %3 (%4)").arg(from, to, clip, length);
}

QString exportSize(const QString &size) { return text(u"예상 크기: 약 %1", "Estimated size: about %1").arg(size); }

QString exportOverlay()
{
    return text(u"시간, 속도, G 센서 값, 위치를 넣은 동영상도 만들기",
                "Also a video with the time, speed, G-forces and position burned in");
}

QString exportFolder() { return text(u"저장 위치:", "Save in:"); }
QString exportName() { return text(u"폴더 이름:", "Folder name:"); }
QString exportChoose() { return text(u"찾아보기…", "Choose…"); }
QString exportStart() { return text(u"내보내기", "Export"); }
QString exportCancel() { return text(u"취소", "Cancel"); }

QString exportProgress(const QString &clip, int percent)
{
    return text(u"%1 내보내는 중: %2%", "Exporting %1: %2 %").arg(clip).arg(percent);
}

QString exportFailed(const QString &reason)
{
    return text(u"내보내기에 실패하여 아무것도 저장하지 않았습니다.\n%1", "The export failed; nothing was written.\n%1")
        .arg(reason);
}

QString exportExists() { return text(u"같은 이름의 폴더가 이미 있습니다.", "A folder of this name exists already."); }
QString exportNoName() { return text(u"폴더 이름을 입력하세요.", "Give the folder a name."); }
QString exportBusy() { return text(u"내보내기가 진행 중입니다.", "An export is under way."); }

} // namespace Messages
