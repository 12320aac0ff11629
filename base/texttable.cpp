#include "base/texttable.h"

#include "base/language.h"

namespace {

struct TextRowPair
{
    const char16_t *korean;
    const char16_t *english;
};

// Korean and English columns; row n of one column translates row n of the other.
constexpr TextRowPair kTable[TextRow::Count] = {
    /*  0 */ {u"설정", u"SETTING"},
    /*  1 */ {u"영상/음성", u"Video & Sound"},
    /*  2 */ {u"시간", u"Time"},
    /*  3 */ {u"기능", u"Functions"},
    /*  4 */ {u"뷰어설정 (하기 설정은 뷰어 디스플레이 전용입니다.)", u"Viewer (The below items will only affect the viewer display.)"},
    /*  5 */ {u"해상도", u"Resolution"},
    /*  6 */ {u"화질", u"Video Quality"},
    /*  7 */ {u"초당 프레임 수", u"Video Frame Rate"},
    /*  8 */ {u"음성녹음", u"Sound Recording"},
    /*  9 */ {u"스피커볼륨", u"Sound Volume"},
    /* 10 */ {u"시간 설정", u"Time Setting"},
    /* 11 */ {u"일광절약시간", u"DST Setting"},
    /* 12 */ {u"표준 시간대", u"GMT Setting"},
    /* 13 */ {u"현재 시간 가져오기", u"Get Current Time"},
    /* 14 */ {u"시간 형식", u"Time Format"},
    /* 15 */ {u"충격 민감도", u"Shock Sensitivity"},
    /* 16 */ {u"움직임 민감도", u"Motion Sensitivity"},
    /* 17 */ {u"주차모드", u"Parking Watch"},
    /* 18 */ {u"이벤트 파일 개수", u"Event Files"},
    /* 19 */ {u"배터리 차단", u"Battery Prevention"},
    /* 20 */ {u"속도 단위", u"Speed Unit"},
    /* 21 */ {u"전자액자", u"Photo Frame"},
    /* 22 */ {u"언어", u"Language"},
    /* 23 */ {u"확인", u"OK"},
    /* 24 */ {u"취소", u"Cancel"},
    /* 25 */ {u"적용", u"apply"},
    /* 26 */ {u"낮음", u"Low"},
    /* 27 */ {u"보통", u"Middle"},
    /* 28 */ {u"높음", u"High"},
    /* 29 */ {u"해지", u"Off"},
    /* 30 */ {u"사용", u"On"},
    /* 31 */ {u"상시", u"Off"},
    /* 32 */ {u"충격", u"Shock"},
    /* 33 */ {u"움직임", u"Motion"},
    /* 34 */ {u"0개", u"0"},
    /* 35 */ {u"20개", u"20"},
    /* 36 */ {u"40개", u"40"},
    /* 37 */ {u"60개", u"60"},
    /* 38 */ {u"불러오기", u"Editor"},
    /* 39 */ {u"한글", u"한글"},
    /* 40 */ {u"English", u"English"},
    /* 41 */ {u"Русский", u"Русский"},
    /* 42 */ {u"中文", u"中文"},
    /* 43 */ {u"Español", u"Español"},
    /* 44 */ {u"사용안함", u"Off"},
    /* 45 */ {u"무음", u"Off"},
    /* 46 */ {u"드라이브", u"Drive"},
    /* 47 */ {u"모델", u"Model"},
    /* 48 */ {u"재생", u"Play"},
    /* 49 */ {u"일시정지", u"Pause"},
    /* 50 */ {u"정지", u"Stop"},
    /* 51 */ {u"이전 파일", u"Previous File"},
    /* 52 */ {u"한 프레임 뒤로", u"Rewind 1 Frame"},
    /* 53 */ {u"한 프레임 앞으로", u"Forward 1 Frame"},
    /* 54 */ {u"다음 파일", u"Next File"},
    /* 55 */ {u"확대", u"Zoom-In"},
    /* 56 */ {u"축소", u"Zoom-Out"},
    /* 57 */ {u"이동", u"Pan"},
    /* 58 */ {u"회전", u"Rotate"},
    /* 59 */ {u"볼륨", u"Volume"},
    /* 60 */ {u"설정", u"Setup"},
    /* 61 */ {u"스크린샷", u"Capture"},
    /* 62 */ {u"프린터", u"Printer"},
    /* 63 */ {u"× 1.0", u"× 1.0"},
    /* 64 */ {u"시큐리티 LED", u"Security LED"},
    /* 65 */ {u"Français", u"Français"},
    /* 66 */ {u"Deutsch", u"Deutsch"},
    /* 67 */ {u"타이머 방전 차단", u"Timer"},
    /* 68 */ {u"12V(일반승용)", u"12V"},
    /* 69 */ {u"24V(트럭/버스)", u"24V"},
    /* 70 */ {u"Türk", u"Türk"},
    /* 71 */ {u"전방사용", u"Front"},
    /* 72 */ {u"후방사용", u"Rear"},
    /* 73 */ {u"홈페이지", u"Home page"},
    /* 74 */ {u"계절별 테마 설정", u"Theme"},
    /* 75 */ {u"스크린세이버 진입", u"ScreenSaver"},
    /* 76 */ {u"펌웨어 버전", u"Firmware Ver."},
    /* 77 */ {u"1분후", u"1min."},
    /* 78 */ {u"2분후", u"2min."},
    /* 79 */ {u"전체", u"All"},
    /* 80 */ {u"REC", u"REC"},
    /* 81 */ {u"EVENT", u"EVENT"},
    /* 82 */ {u"초기화", u"Initialize"},
};

bool validRow(TextId id)
{
    return id >= 0 && id < TextRow::Count;
}

} // namespace

QString uiTextKorean(TextId id)
{
    return validRow(id) ? QString::fromUtf16(kTable[id].korean) : QString();
}

QString uiTextEnglish(TextId id)
{
    return validRow(id) ? QString::fromUtf16(kTable[id].english) : QString();
}

QString uiText(TextId id)
{
    return currentLanguage() == QLatin1String("en") ? uiTextEnglish(id) : uiTextKorean(id);
}
