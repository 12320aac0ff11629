#include "base/language.h"
#include "base/messages.h"
#include "base/texttable.h"

#include <QTest>

class TestTextTable : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { setCurrentLanguage(QString()); }
    void everyRow_data();
    void everyRow();
    void languageChoice_data();
    void languageChoice();
    void outOfRange();
    void messagesFollowLanguage();
    void fixedKoreanTextsInEnglish_data();
    void fixedKoreanTextsInEnglish();
};

void TestTextTable::everyRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("korean");
    QTest::addColumn<QString>("english");
    QTest::newRow("row 0") << 0 << QStringLiteral("설정") << QStringLiteral("SETTING");
    QTest::newRow("row 1") << 1 << QStringLiteral("영상/음성") << QStringLiteral("Video & Sound");
    QTest::newRow("row 2") << 2 << QStringLiteral("시간") << QStringLiteral("Time");
    QTest::newRow("row 3") << 3 << QStringLiteral("기능") << QStringLiteral("Functions");
    QTest::newRow("row 4") << 4 << QStringLiteral("뷰어설정 (하기 설정은 뷰어 디스플레이 전용입니다.)") << QStringLiteral("Viewer (The below items will only affect the viewer display.)");
    QTest::newRow("row 5") << 5 << QStringLiteral("해상도") << QStringLiteral("Resolution");
    QTest::newRow("row 6") << 6 << QStringLiteral("화질") << QStringLiteral("Video Quality");
    QTest::newRow("row 7") << 7 << QStringLiteral("초당 프레임 수") << QStringLiteral("Video Frame Rate");
    QTest::newRow("row 8") << 8 << QStringLiteral("음성녹음") << QStringLiteral("Sound Recording");
    QTest::newRow("row 9") << 9 << QStringLiteral("스피커볼륨") << QStringLiteral("Sound Volume");
    QTest::newRow("row 10") << 10 << QStringLiteral("시간 설정") << QStringLiteral("Time Setting");
    QTest::newRow("row 11") << 11 << QStringLiteral("일광절약시간") << QStringLiteral("DST Setting");
    QTest::newRow("row 12") << 12 << QStringLiteral("표준 시간대") << QStringLiteral("GMT Setting");
    QTest::newRow("row 13") << 13 << QStringLiteral("현재 시간 가져오기") << QStringLiteral("Get Current Time");
    QTest::newRow("row 14") << 14 << QStringLiteral("시간 형식") << QStringLiteral("Time Format");
    QTest::newRow("row 15") << 15 << QStringLiteral("충격 민감도") << QStringLiteral("Shock Sensitivity");
    QTest::newRow("row 16") << 16 << QStringLiteral("움직임 민감도") << QStringLiteral("Motion Sensitivity");
    QTest::newRow("row 17") << 17 << QStringLiteral("주차모드") << QStringLiteral("Parking Watch");
    QTest::newRow("row 18") << 18 << QStringLiteral("이벤트 파일 개수") << QStringLiteral("Event Files");
    QTest::newRow("row 19") << 19 << QStringLiteral("배터리 차단") << QStringLiteral("Battery Prevention");
    QTest::newRow("row 20") << 20 << QStringLiteral("속도 단위") << QStringLiteral("Speed Unit");
    QTest::newRow("row 21") << 21 << QStringLiteral("전자액자") << QStringLiteral("Photo Frame");
    QTest::newRow("row 22") << 22 << QStringLiteral("언어") << QStringLiteral("Language");
    QTest::newRow("row 23") << 23 << QStringLiteral("확인") << QStringLiteral("OK");
    QTest::newRow("row 24") << 24 << QStringLiteral("취소") << QStringLiteral("Cancel");
    QTest::newRow("row 25") << 25 << QStringLiteral("적용") << QStringLiteral("apply");
    QTest::newRow("row 26") << 26 << QStringLiteral("낮음") << QStringLiteral("Low");
    QTest::newRow("row 27") << 27 << QStringLiteral("보통") << QStringLiteral("Middle");
    QTest::newRow("row 28") << 28 << QStringLiteral("높음") << QStringLiteral("High");
    QTest::newRow("row 29") << 29 << QStringLiteral("해지") << QStringLiteral("Off");
    QTest::newRow("row 30") << 30 << QStringLiteral("사용") << QStringLiteral("On");
    QTest::newRow("row 31") << 31 << QStringLiteral("상시") << QStringLiteral("Off");
    QTest::newRow("row 32") << 32 << QStringLiteral("충격") << QStringLiteral("Shock");
    QTest::newRow("row 33") << 33 << QStringLiteral("움직임") << QStringLiteral("Motion");
    QTest::newRow("row 34") << 34 << QStringLiteral("0개") << QStringLiteral("0");
    QTest::newRow("row 35") << 35 << QStringLiteral("20개") << QStringLiteral("20");
    QTest::newRow("row 36") << 36 << QStringLiteral("40개") << QStringLiteral("40");
    QTest::newRow("row 37") << 37 << QStringLiteral("60개") << QStringLiteral("60");
    QTest::newRow("row 38") << 38 << QStringLiteral("불러오기") << QStringLiteral("Editor");
    QTest::newRow("row 39") << 39 << QStringLiteral("한글") << QStringLiteral("한글");
    QTest::newRow("row 40") << 40 << QStringLiteral("English") << QStringLiteral("English");
    QTest::newRow("row 41") << 41 << QStringLiteral("Русский") << QStringLiteral("Русский");
    QTest::newRow("row 42") << 42 << QStringLiteral("中文") << QStringLiteral("中文");
    QTest::newRow("row 43") << 43 << QStringLiteral("Español") << QStringLiteral("Español");
    QTest::newRow("row 44") << 44 << QStringLiteral("사용안함") << QStringLiteral("Off");
    QTest::newRow("row 45") << 45 << QStringLiteral("무음") << QStringLiteral("Off");
    QTest::newRow("row 46") << 46 << QStringLiteral("드라이브") << QStringLiteral("Drive");
    QTest::newRow("row 47") << 47 << QStringLiteral("모델") << QStringLiteral("Model");
    QTest::newRow("row 48") << 48 << QStringLiteral("재생") << QStringLiteral("Play");
    QTest::newRow("row 49") << 49 << QStringLiteral("일시정지") << QStringLiteral("Pause");
    QTest::newRow("row 50") << 50 << QStringLiteral("정지") << QStringLiteral("Stop");
    QTest::newRow("row 51") << 51 << QStringLiteral("이전 파일") << QStringLiteral("Previous File");
    QTest::newRow("row 52") << 52 << QStringLiteral("한 프레임 뒤로") << QStringLiteral("Rewind 1 Frame");
    QTest::newRow("row 53") << 53 << QStringLiteral("한 프레임 앞으로") << QStringLiteral("Forward 1 Frame");
    QTest::newRow("row 54") << 54 << QStringLiteral("다음 파일") << QStringLiteral("Next File");
    QTest::newRow("row 55") << 55 << QStringLiteral("확대") << QStringLiteral("Zoom-In");
    QTest::newRow("row 56") << 56 << QStringLiteral("축소") << QStringLiteral("Zoom-Out");
    QTest::newRow("row 57") << 57 << QStringLiteral("이동") << QStringLiteral("Pan");
    QTest::newRow("row 58") << 58 << QStringLiteral("회전") << QStringLiteral("Rotate");
    QTest::newRow("row 59") << 59 << QStringLiteral("볼륨") << QStringLiteral("Volume");
    QTest::newRow("row 60") << 60 << QStringLiteral("설정") << QStringLiteral("Setup");
    QTest::newRow("row 61") << 61 << QStringLiteral("스크린샷") << QStringLiteral("Capture");
    QTest::newRow("row 62") << 62 << QStringLiteral("프린터") << QStringLiteral("Printer");
    QTest::newRow("row 63") << 63 << QStringLiteral("× 1.0") << QStringLiteral("× 1.0");
    QTest::newRow("row 64") << 64 << QStringLiteral("시큐리티 LED") << QStringLiteral("Security LED");
    QTest::newRow("row 65") << 65 << QStringLiteral("Français") << QStringLiteral("Français");
    QTest::newRow("row 66") << 66 << QStringLiteral("Deutsch") << QStringLiteral("Deutsch");
    QTest::newRow("row 67") << 67 << QStringLiteral("타이머 방전 차단") << QStringLiteral("Timer");
    QTest::newRow("row 68") << 68 << QStringLiteral("12V(일반승용)") << QStringLiteral("12V");
    QTest::newRow("row 69") << 69 << QStringLiteral("24V(트럭/버스)") << QStringLiteral("24V");
    QTest::newRow("row 70") << 70 << QStringLiteral("Türk") << QStringLiteral("Türk");
    QTest::newRow("row 71") << 71 << QStringLiteral("전방사용") << QStringLiteral("Front");
    QTest::newRow("row 72") << 72 << QStringLiteral("후방사용") << QStringLiteral("Rear");
    QTest::newRow("row 73") << 73 << QStringLiteral("홈페이지") << QStringLiteral("Home page");
    QTest::newRow("row 74") << 74 << QStringLiteral("계절별 테마 설정") << QStringLiteral("Theme");
    QTest::newRow("row 75") << 75 << QStringLiteral("스크린세이버 진입") << QStringLiteral("ScreenSaver");
    QTest::newRow("row 76") << 76 << QStringLiteral("펌웨어 버전") << QStringLiteral("Firmware Ver.");
    QTest::newRow("row 77") << 77 << QStringLiteral("1분후") << QStringLiteral("1min.");
    QTest::newRow("row 78") << 78 << QStringLiteral("2분후") << QStringLiteral("2min.");
    QTest::newRow("row 79") << 79 << QStringLiteral("전체") << QStringLiteral("All");
    QTest::newRow("row 80") << 80 << QStringLiteral("REC") << QStringLiteral("REC");
    QTest::newRow("row 81") << 81 << QStringLiteral("EVENT") << QStringLiteral("EVENT");
    QTest::newRow("row 82") << 82 << QStringLiteral("초기화") << QStringLiteral("Initialize");
}

void TestTextTable::everyRow()
{
    QFETCH(int, row);
    QFETCH(QString, korean);
    QFETCH(QString, english);

    setCurrentLanguage(QStringLiteral("kr"));
    QCOMPARE(uiText(row), korean);
    setCurrentLanguage(QStringLiteral("en"));
    QCOMPARE(uiText(row), english);
}

void TestTextTable::languageChoice_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("english");
    QTest::newRow("en") << "en" << true;
    QTest::newRow("kr") << "kr" << false;
    QTest::newRow("EN is not en") << "EN" << false;
    QTest::newRow("en_US is not en") << "en_US" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("de") << "de" << false;
}

void TestTextTable::languageChoice()
{
    QFETCH(QString, code);
    QFETCH(bool, english);
    setCurrentLanguage(code);
    QCOMPARE(currentLanguage(), code);
    // Rows 29, 31, 44 and 45 all read "Off" in English and differ in Korean.
    for (int row : {29, 31, 44, 45})
        QCOMPARE(uiText(row) == QLatin1String("Off"), english);
    QCOMPARE(uiText(25), english ? QStringLiteral("apply") : QStringLiteral("적용"));
    QCOMPARE(uiText(63), QStringLiteral("\u00d7 1.0"));
}

void TestTextTable::outOfRange()
{
    QVERIFY(uiText(-1).isEmpty());
    QVERIFY(uiText(TextRow::Count).isEmpty());
    QVERIFY(!uiText(TextRow::Count - 1).isEmpty());
}

void TestTextTable::messagesFollowLanguage()
{
    setCurrentLanguage(QStringLiteral("kr"));
    QCOMPARE(Messages::openClipFailed(), QStringLiteral("파일 재생이 실패하였습니다."));
    QCOMPARE(Messages::saveFileCancelled(), QStringLiteral("파일 저장이 취소되었습니다."));
    setCurrentLanguage(QStringLiteral("en"));
    QCOMPARE(Messages::openClipFailed(), QStringLiteral("Failed to open clip file"));
    QCOMPARE(Messages::saveFileCancelled(), QStringLiteral("Save File Cancelled"));
    // Any code other than "kr" gets the English message.
    setCurrentLanguage(QStringLiteral("de"));
    QCOMPARE(Messages::openClipFailed(), QStringLiteral("Failed to open clip file"));
}

void TestTextTable::fixedKoreanTextsInEnglish_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("expected"); // the four filters, then the rescan message
    const QStringList korean = {"전체", "수동", "주행", "주차", "폴더를 먼저 선택해 주세요."};
    QTest::newRow("kr") << "kr" << korean;
    QTest::newRow("en") << "en" << QStringList{"All", "Man.", "Drive", "Park.", "Please select a folder first."};
    QTest::newRow("no code yet") << "" << korean;
    QTest::newRow("EN is not en") << "EN" << korean;
}

// The fixed Korean texts have English forms shown exactly when the table shows English.
void TestTextTable::fixedKoreanTextsInEnglish()
{
    QFETCH(QString, code);
    QFETCH(QStringList, expected);
    setCurrentLanguage(code);
    QCOMPARE(QStringList({Messages::filterAll(), Messages::filterManual(), Messages::filterDriving(),
                          Messages::filterParking(), Messages::selectFolderFirst()}),
             expected);
}

QTEST_GUILESS_MAIN(TestTextTable)
#include "tst_texttable.moc"
