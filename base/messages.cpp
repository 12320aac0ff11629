#include "base/messages.h"

#include "base/language.h"

namespace Messages {

namespace {
bool korean()
{
    return currentLanguage() == QLatin1String("kr");
}

bool english()
{
    return currentLanguage() == QLatin1String("en");
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

QString settingsNotSaved()
{
    return korean() ? QStringLiteral("설정 저장이 실패하였습니다.") : QStringLiteral("Failed to save the settings to the card");
}

QString noMemoryCard()
{
    return korean() ? QStringLiteral("메모리 카드를 찾을 수 없습니다.") : QStringLiteral("No memory card was found");
}

QString cardWriteProtected()
{
    return korean() ? QStringLiteral("메모리 카드가 쓰기 방지되어 있습니다.")
                    : QStringLiteral("The memory card is write-protected");
}

QString savedFiles(const QStringList &names)
{
    const QString list = names.join(QLatin1String(", "));
    return korean() ? QStringLiteral("저장했습니다: %1").arg(list) : QStringLiteral("Saved %1").arg(list);
}

QString showInFolder()
{
    return korean() ? QStringLiteral("폴더 열기") : QStringLiteral("Show in folder");
}

QString noFileManager(const QString &folder)
{
    return korean() ? QStringLiteral("파일 관리자를 열 수 없습니다: %1").arg(folder)
                    : QStringLiteral("No file manager could be started for %1").arg(folder);
}

QString emptyListHint()
{
    return korean() ? QStringLiteral("블랙박스의 메모리 카드를 넣고 위의 폴더 버튼(Ctrl+O)을 눌러 카드를 "
                                     "여세요. 폴더나 영상 파일을 창에 끌어 놓아도 됩니다.")
                    : QStringLiteral("Insert the recorder's memory card, then click the folder button above "
                                     "(Ctrl+O) and choose the card. You can also drop a folder or clip files "
                                     "on the window.");
}

QString folderBeingChecked()
{
    return korean() ? QStringLiteral("폴더에서 영상을 찾는 중…") : QStringLiteral("Looking for clips in this folder…");
}

QString folderWithoutClips()
{
    return korean() ? QStringLiteral("이 폴더와 하위 폴더에 블랙박스 영상(REC_…, EVS_…)이 없습니다.")
                    : QStringLiteral("No recorder clips (REC_…, EVS_…) in this folder or its sub-folders.");
}

QString typedPathNoFolder()
{
    return korean() ? QStringLiteral("입력한 경로는 폴더가 아닙니다.") : QStringLiteral("The path typed is not a folder.");
}

QString typedPathPressReturn()
{
    return korean() ? QStringLiteral("입력한 폴더로 가려면 Enter를 누르세요.")
                    : QStringLiteral("Press Return to go to the folder typed.");
}

QString recorderClockError(qint64 errorSeconds)
{
    constexpr qint64 kWorthTellingSeconds = 30;
    const qint64 size = errorSeconds < 0 ? -errorSeconds : errorSeconds;
    if (size <= kWorthTellingSeconds)
        return QString();
    const qint64 minutes = size / 60;
    const qint64 seconds = size % 60;
    if (korean()) {
        QString amount = minutes ? QStringLiteral("%1분").arg(minutes) : QString();
        if (seconds)
            amount += (amount.isEmpty() ? QString() : QStringLiteral(" ")) + QStringLiteral("%1초").arg(seconds);
        return QStringLiteral("녹화기 시계가 %1 %2").arg(amount, errorSeconds > 0 ? QStringLiteral("빠릅니다")
                                                                               : QStringLiteral("느립니다"));
    }
    QStringList parts;
    if (minutes)
        parts << QStringLiteral("%1 min").arg(minutes);
    if (seconds)
        parts << QStringLiteral("%1 s").arg(seconds);
    return QStringLiteral("Recorder clock %1 %2")
        .arg(parts.join(QLatin1Char(' ')), errorSeconds > 0 ? QStringLiteral("fast") : QStringLiteral("slow"));
}

QString saveFileCancelled()
{
    return korean() ? QStringLiteral("파일 저장이 취소되었습니다.") : QStringLiteral("Save File Cancelled");
}

QString saveFileFailed()
{
    return korean() ? QStringLiteral("파일 저장이 실패하였습니다.") : QStringLiteral("Failed to save the picture");
}

QString selectFolderFirst()
{
    return english() ? QStringLiteral("Please select a folder first.") : QStringLiteral("폴더를 먼저 선택해 주세요.");
}

QString filterAll()
{
    return english() ? QStringLiteral("All") : QStringLiteral("전체");
}

QString filterManual()
{
    return english() ? QStringLiteral("Man.") : QStringLiteral("수동");
}

QString filterDriving()
{
    return english() ? QStringLiteral("Drive") : QStringLiteral("주행");
}

QString filterParking()
{
    return english() ? QStringLiteral("Park.") : QStringLiteral("주차");
}

QString hardBrake()
{
    return english() ? QStringLiteral("Hard brake") : QStringLiteral("급제동");
}

QString hardAcceleration()
{
    return english() ? QStringLiteral("Hard acceleration") : QStringLiteral("급가속");
}

QString sharpTurn()
{
    return english() ? QStringLiteral("Sharp turn") : QStringLiteral("급회전");
}

QString impact()
{
    return english() ? QStringLiteral("Impact") : QStringLiteral("충격");
}

QString eventsListTitle()
{
    return english() ? QStringLiteral("Driving events") : QStringLiteral("주행 이벤트");
}

QString eventsMenuEntry()
{
    return english() ? QStringLiteral("Driving events…") : QStringLiteral("주행 이벤트…");
}

QStringList eventsListColumns()
{
    if (english())
        return {QStringLiteral("Time"), QStringLiteral("Event"), QStringLiteral("Peak"), QStringLiteral("Speed"),
                QStringLiteral("Clip")};
    return {QStringLiteral("시각"), QStringLiteral("이벤트"), QStringLiteral("최대"), QStringLiteral("속도"),
            QStringLiteral("파일")};
}

QString eventsReading(int done, int total)
{
    if (total <= 0)
        return english() ? QStringLiteral("Reading the card…") : QStringLiteral("카드를 읽는 중…");
    return english() ? QStringLiteral("Reading the card: %1 of %2 clips").arg(done).arg(total)
                     : QStringLiteral("카드를 읽는 중: 파일 %2개 중 %1개").arg(done).arg(total);
}

QString eventsFound(int events, int clips)
{
    if (english())
        return QStringLiteral("%1 %2 in %3 %4")
            .arg(events)
            .arg(events == 1 ? QStringLiteral("event") : QStringLiteral("events"))
            .arg(clips)
            .arg(clips == 1 ? QStringLiteral("clip") : QStringLiteral("clips"));
    return QStringLiteral("파일 %1개에서 이벤트 %2건").arg(clips).arg(events);
}

QString eventsNoFolder()
{
    return english() ? QStringLiteral("Open a folder of clips to find its events.")
                     : QStringLiteral("폴더를 열면 그 안의 이벤트를 찾습니다.");
}

} // namespace Messages
