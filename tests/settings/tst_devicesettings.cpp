#include "settings/devicesettings.h"

#include "settings/cardfile.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Reading and writing the recorder's settings files on a card folder in a temporary directory.
class TestDeviceSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void defaultsWithoutCard();
    void valueFiles_data();
    void valueFiles();
    void clockFile_data();
    void clockFile();
    void combinedFile_data();
    void combinedFile();
    void combinedFileIgnoredBesideValueFiles();
    void saveWritesEveryFile();
    void cardBytesByModel_data();
    void cardBytesByModel();
    void saveByModel_data();
    void saveByModel();
    void saveSkipsUnknownHour();
    void saveStopAndGoOn_data();
    void saveStopAndGoOn();
    void failedWritesKeepOldFiles();
    void readOnlyCard();
    void killedSavesLeaveOneWholeSet();
    void leftoversOfOthersStay();
    void saveUnderWayIsNoLeftover();
    void cutOffSaveFinishedAtNextAccess_data();
    void cutOffSaveFinishedAtNextAccess();
    void hostileFilesAreNotRead_data();
    void hostileFilesAreNotRead();
    void writesNeverLeaveTheCard_data();
    void writesNeverLeaveTheCard();
    void versionText_data();
    void versionText();
    void findCard();
    void clipModelFromItsCard_data();
    void clipModelFromItsCard();
    void clipModelOfCardCopy_data();
    void clipModelOfCardCopy();
    void pathOnDrive_data();
    void pathOnDrive();
    void fieldsByName();

private:
    QString folder() const { return m_dir->path() + QStringLiteral("/setting"); }
    void put(const QString &name, const QByteArray &content);
    QByteArray contentOf(const QString &name) const;
    QStringList filesOnCard() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

// A card's settings folder: file name and bytes.
using Card = QMap<QString, QByteArray>;

// The setting a data row names by its key.
int valueNamed(const DeviceSettings &settings, const QString &key)
{
    const std::optional<RecorderSetting> setting = SettingTable::byKey(key);
    return setting ? settings.value(*setting) : -1000;
}

const QRegularExpression kClockShape(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d-\\d\\d$"));

// Every entry below `folder`, hidden ones included, with its kind and, for files, its bytes: two
// equal snapshots mean the folder was left byte for byte as it was.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray description = "special";
        if (info.isSymLink()) {
            description = "link to " + info.symLinkTarget().toUtf8();
        } else if (info.isDir()) {
            description = "folder";
        } else if (info.isFile()) {
            QFile file(path);
            description = file.open(QIODevice::ReadOnly) ? "file " + file.readAll() : "unreadable";
        }
        entries.insert(QDir(folder).relativeFilePath(path), description);
    }
    return entries;
}

// The settings every model writes, and those only the QRD-7700 gets.
const QStringList kCommonFiles = {"setbattery.dat", "setbattery2.dat", "seteventcnt.dat", "sethourunit.dat",
                                  "setmotion.dat", "setparking.dat", "setquality.dat", "setsecurity.dat",
                                  "setsensitivity.dat", "setsound.dat", "setspeak.dat"};

} // namespace

void TestDeviceSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestDeviceSettings::put(const QString &name, const QByteArray &content)
{
    QDir().mkpath(folder());
    QFile file(folder() + QLatin1Char('/') + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

QByteArray TestDeviceSettings::contentOf(const QString &name) const
{
    QFile file(folder() + QLatin1Char('/') + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList TestDeviceSettings::filesOnCard() const
{
    return QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void TestDeviceSettings::defaultsWithoutCard()
{
    DeviceSettings settings(folder(), DeviceModel::Main);
    QVERIFY(!settings.isLoaded());
    QVERIFY(!settings.load());
    const QList<int> defaults = {1, 1, 1, 0, 0, 5, 40, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 1};
    for (qsizetype i = 0; i < defaults.size(); ++i)
        QCOMPARE(settings.value(SettingTable::kEntries[i].setting), defaults[i]);
    QVERIFY(kClockShape.match(settings.clockText()).hasMatch());
    QVERIFY(!settings.writeClock());

    DeviceSettings empty(QString(), DeviceModel::Main); // nothing read, nothing written
    QVERIFY(!empty.isLoaded());
    QVERIFY(!empty.save());
}

void TestDeviceSettings::valueFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("expected");
    const int main = int(DeviceModel::Main);
    QTest::newRow("raw byte, not a digit") << "setquality.dat" << "quality" << QByteArray("\x03") << main << 3;
    QTest::newRow("ASCII digit is its code") << "setframe.dat" << "frame" << QByteArray("2") << main << 50;
    QTest::newRow("0xFF is -1") << "setsensitivity.dat" << "sensitivity" << QByteArray("\xff") << main << -1;
    QTest::newRow("0x80 is -128") << "seteventcnt.dat" << "eventNum" << QByteArray("\x80") << main << -128;
    QTest::newRow("only the first byte") << "setspeak.dat" << "speaker" << QByteArray("\x02\x03") << main << 2;
    QTest::newRow("empty file keeps the default") << "setpoweroff.dat" << "poweroff" << QByteArray() << main << 2;
    QTest::newRow("resolution") << "setresolution.dat" << "resolution" << QByteArray("\x04") << main << 4;
    QTest::newRow("speed unit") << "setspeedunit.dat" << "speed" << QByteArray("\x00", 1) << main << 0;
    QTest::newRow("battery2") << "setbattery2.dat" << "battery2" << QByteArray("\x05") << main << 5;
    QTest::newRow("security LED") << "setsecurity.dat" << "securityLed" << QByteArray("\x01") << main << 1;
    QTest::newRow("theme") << "setTheme.dat" << "theme" << QByteArray("\x00", 1) << main << 0;
    QTest::newRow("screen saver, QRD-7700") << "enterSS.dat" << "enterSS" << QByteArray("\x02") << main << 2;
    QTest::newRow("screen saver, other model") << "enterSS.dat" << "enterSS" << QByteArray("\x02")
                                               << int(DeviceModel::Second) << 0;
}

void TestDeviceSettings::valueFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, field);
    QFETCH(QByteArray, content);
    QFETCH(int, model);
    QFETCH(int, expected);
    const int main = int(DeviceModel::Main);
    put(file, content);
    put(QStringLiteral("setting.dat"), "qualityValue=3\n"); // never read beside one-value files
    DeviceSettings settings(folder(), DeviceModel(model));
    QCOMPARE(valueNamed(settings, field), expected);
    QVERIFY(settings.isLoaded());
    // With a one-value file read, setting.dat is not; the screen saver file of another model is not
    // read, which leaves setting.dat as the only source.
    const bool skipped = file == QLatin1String("enterSS.dat") && model != main;
    if (field != QLatin1String("quality"))
        QCOMPARE(settings.value(RecorderSetting::Quality), skipped ? 3 : 1);
}

void TestDeviceSettings::clockFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("19 characters") << QByteArray("2013-04-05-17-30-00") << "2013-04-05-17-30-00";
    QTest::newRow("short file") << QByteArray("2013-04-05") << "2013-04-05";
    QTest::newRow("long file cut at 19") << QByteArray("2013-04-05-17-30-00\r\nmore") << "2013-04-05-17-30-00";
    QTest::newRow("empty file keeps the current time") << QByteArray() << "";
}

void TestDeviceSettings::clockFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    put(QStringLiteral("settime.dat"), content);
    DeviceSettings settings(folder(), DeviceModel::Main);
    QVERIFY(settings.isLoaded());
    if (expected.isEmpty())
        QVERIFY(kClockShape.match(settings.clockText()).hasMatch());
    else
        QCOMPARE(settings.clockText(), expected);
}

void TestDeviceSettings::combinedFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("expected");
    QTest::newRow("quality") << QByteArray("qualityValue=3\n") << "quality" << 3;
    QTest::newRow("last line without line feed") << QByteArray("frameValue=1\nqualityValue=2") << "quality" << 2;
    QTest::newRow("CR LF line ends") << QByteArray("qualityValue=2\r\nsoundValue=1\r\n") << "quality" << 2;
    QTest::newRow("quality not at line start") << QByteArray(" qualityValue=2\n") << "quality" << 1;
    QTest::newRow("value not a number") << QByteArray("qualityValue=x\n") << "quality" << 0;
    QTest::newRow("sensitivity of two digits") << QByteArray("sensitivityValue=10\n") << "sensitivity" << 10;
    QTest::newRow("event count of three digits") << QByteArray("eventNumValue=060\n") << "eventNum" << 60;
    QTest::newRow("event count of two digits") << QByteArray("eventNumValue=60\n") << "eventNum" << 0;
    QTest::newRow("battery2 before battery") << QByteArray("batteryValue2=3\n") << "battery2" << 3;
    QTest::newRow("battery untouched by battery2") << QByteArray("batteryValue2=3\n") << "battery" << 0;
    QTest::newRow("speed before speaker") << QByteArray("speedValue=0\nspeakerValue=3\n") << "speaker" << 3;
    QTest::newRow("security LED key") << QByteArray("securityLedValue=1\n") << "securityLed" << 1;
    QTest::newRow("security key with blank") << QByteArray("securityValue =1\n") << "securityLed" << 1;
    QTest::newRow("rear security") << QByteArray("rearsecurityValue=1\n") << "rearsecurity" << 1;
    QTest::newRow("RearSecurityValue line is not the front LED")
        << QByteArray("RearSecurityValue securityValue =1\n") << "securityLed" << 0;
    QTest::newRow("screen saver") << QByteArray("enterSSValue=2\n") << "enterSS" << 2;
    QTest::newRow("power off") << QByteArray("poweroffValue=4\n") << "poweroff" << 4;
    QTest::newRow("theme") << QByteArray("themeValue=0\n") << "theme" << 0;
    QTest::newRow("unknown keys and blank lines") << QByteArray("\nfooValue=7\n\n") << "quality" << 1;
}

void TestDeviceSettings::combinedFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, field);
    QFETCH(int, expected);
    put(QStringLiteral("setting.dat"), content);
    DeviceSettings settings(folder(), DeviceModel::Main);
    QVERIFY(settings.isLoaded());
    QCOMPARE(valueNamed(settings, field), expected);
    if (field != QLatin1String("sensitivity"))
        QCOMPARE(settings.value(RecorderSetting::Sensitivity), 5);
}

void TestDeviceSettings::combinedFileIgnoredBesideValueFiles()
{
    put(QStringLiteral("setting.dat"), "qualityValue=3\nframeValue=3\n");
    put(QStringLiteral("setframe.dat"), "\x02");
    DeviceSettings settings(folder(), DeviceModel::Main);
    QCOMPARE(settings.value(RecorderSetting::Frame), 2);
    QCOMPARE(settings.value(RecorderSetting::Quality), 1);
}

void TestDeviceSettings::saveWritesEveryFile()
{
    put(QStringLiteral("setresolution.dat"), "\x07");
    DeviceSettings settings(folder(), DeviceModel::Main);
    settings.setValue(RecorderSetting::Resolution, 2);
    settings.setValue(RecorderSetting::Speed, 0);
    settings.setValue(RecorderSetting::Quality, 3);
    settings.setValue(RecorderSetting::EventNum, 300); // low 8 bits only
    settings.setValue(RecorderSetting::Sensitivity, -1);
    settings.setClock(true, QStringLiteral("2013-04-05-17-30-00"));
    QVERIFY(settings.save());
    QCOMPARE(contentOf(QStringLiteral("setquality.dat")), QByteArray("\x03"));
    QCOMPARE(contentOf(QStringLiteral("seteventcnt.dat")), QByteArray("\x2c"));
    QCOMPARE(contentOf(QStringLiteral("setsensitivity.dat")), QByteArray("\xff"));
    QCOMPARE(contentOf(QStringLiteral("setpoweroff.dat")), QByteArray("\x02"));
    QCOMPARE(contentOf(QStringLiteral("settime.dat")), QByteArray("2013-04-05-17-30-00"));
    QCOMPARE(contentOf(QStringLiteral("setresolution.dat")), QByteArray("\x07")); // never written
    QVERIFY(!QFile::exists(folder() + QStringLiteral("/setspeedunit.dat")));

    DeviceSettings reread(folder(), DeviceModel::Main);
    QCOMPARE(reread.value(RecorderSetting::Quality), 3);
    QCOMPARE(reread.value(RecorderSetting::EventNum), 44);
    QCOMPARE(reread.value(RecorderSetting::Sensitivity), -1);
    QCOMPARE(reread.clockText(), QStringLiteral("2013-04-05-17-30-00"));
}

// The exact card a save leaves, spelled out file by file: every setting set to a value of its own
// (and the two never written ones too), for each model.
void TestDeviceSettings::cardBytesByModel_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("hour");
    QTest::addColumn<Card>("expected");
    const Card common = {
        {"setquality.dat", "\x02"},   {"setsound.dat", "\x04"},    {"setspeak.dat", "\x05"},
        {"setsensitivity.dat", "\x06"}, {"seteventcnt.dat", "\x3c"}, {"setparking.dat", "\x08"},
        {"setmotion.dat", "\x09"},    {"setbattery.dat", "\x0a"},  {"setbattery2.dat", "\x0b"},
        {"setsecurity.dat", "\x0e"},  {"settime.dat", "2013-04-05-17-30-00"}};
    Card main = common;
    main.insert({{"setframe.dat", "\x03"}, {"setrearsecurity.dat", "\x0f"}, {"setpoweroff.dat", "\x10"},
                 {"enterSS.dat", "\x11"}, {"setTheme.dat", "\xfe"}, {"sethourunit.dat", "\x01"}});
    Card second = common;
    second.insert({{"setpoweroff.dat", "\x10"}, {"sethourunit.dat", "\x01"}});
    Card noHour = main;
    noHour.remove("sethourunit.dat");
    QTest::newRow("QRD-7700") << int(DeviceModel::Main) << 1 << main;
    QTest::newRow("second model") << int(DeviceModel::Second) << 1 << second;
    QTest::newRow("QRD-7700, time format out of range") << int(DeviceModel::Main) << 2 << noHour;
}

void TestDeviceSettings::cardBytesByModel()
{
    QFETCH(int, model);
    QFETCH(int, hour);
    QFETCH(Card, expected);
    DeviceSettings settings(folder(), DeviceModel(model));
    const QList<int> values = {1, 2, 3, 4, 5, 6, 60, 8, 9, 10, 11, 12, hour, 14, 15, 16, 17, -2};
    for (qsizetype i = 0; i < values.size(); ++i)
        settings.setValue(RecorderSetting(i), values[i]);
    settings.setClock(true, QStringLiteral("2013-04-05-17-30-00"));
    QVERIFY(settings.save());
    Card written;
    for (const QString &name : filesOnCard())
        written.insert(name, contentOf(name));
    QCOMPARE(written, expected);
}

void TestDeviceSettings::saveByModel_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("result");
    QStringList main = kCommonFiles + QStringList{"enterSS.dat", "setTheme.dat", "setframe.dat", "setpoweroff.dat",
                                                  "setrearsecurity.dat"};
    QStringList second = kCommonFiles + QStringList{"setpoweroff.dat"};
    main.sort();
    second.sort();
    QTest::newRow("QRD-7700") << int(DeviceModel::Main) << main << true;
    QTest::newRow("second model") << int(DeviceModel::Second) << second << true;
    QTest::newRow("unknown model value") << 9 << kCommonFiles << true;
}

void TestDeviceSettings::saveByModel()
{
    QFETCH(int, model);
    QFETCH(QStringList, expected);
    QFETCH(bool, result);
    DeviceSettings settings(folder() + QStringLiteral("/../setting"), DeviceModel(model));
    QCOMPARE(settings.save(), result);
    QCOMPARE(filesOnCard(), expected);
    QVERIFY(!QFile::exists(folder() + QStringLiteral("/settime.dat"))); // the clock only when asked

    // No model: nothing written, not even the folder.
    QVERIFY(QDir(folder()).removeRecursively());
    DeviceSettings none(folder(), DeviceModel::NoModel);
    QVERIFY(!none.save());
    QVERIFY(!QFileInfo::exists(folder()));
}

void TestDeviceSettings::saveSkipsUnknownHour()
{
    DeviceSettings settings(folder() + QStringLiteral("/deeper/still"), DeviceModel::Main);
    settings.setValue(RecorderSetting::Hour, 2);
    QVERIFY(settings.save()); // makes the missing folders
    QVERIFY(!QFile::exists(settings.folder() + QStringLiteral("/sethourunit.dat")));
    QVERIFY(QFile::exists(settings.folder() + QStringLiteral("/setsecurity.dat")));
    QVERIFY(QFile::exists(settings.folder() + QStringLiteral("/setTheme.dat")));
}

// Each row puts folders where settings files go, which makes those writes fail. A file the recorder
// cannot do without ("stop") leaves the whole card as it was; the others ("go on") leave only
// themselves unwritten. Either way the save reports failure and names the files.
void TestDeviceSettings::saveStopAndGoOn_data()
{
    QTest::addColumn<QStringList>("blocked");
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("cardUnchanged");
    const int main = int(DeviceModel::Main);
    QTest::newRow("quality stops at the start") << QStringList{"setquality.dat"} << main << true;
    QTest::newRow("battery stops midway") << QStringList{"setbattery.dat"} << main << true;
    QTest::newRow("clock stops") << QStringList{"settime.dat"} << main << true;
    QTest::newRow("theme stops at the end") << QStringList{"setTheme.dat"} << main << true;
    QTest::newRow("motion goes on, battery then stops") << QStringList{"setmotion.dat", "setbattery.dat"} << main
                                                        << true;
    QTest::newRow("motion goes on") << QStringList{"setmotion.dat"} << main << false;
    QTest::newRow("screen saver goes on") << QStringList{"enterSS.dat"} << main << false;
    QTest::newRow("power off goes on for the second model") << QStringList{"setpoweroff.dat"}
                                                            << int(DeviceModel::Second) << false;
}

void TestDeviceSettings::saveStopAndGoOn()
{
    QFETCH(QStringList, blocked);
    QFETCH(int, model);
    QFETCH(bool, cardUnchanged);
    for (const char *name : {"setquality.dat", "setsound.dat", "setsecurity.dat", "setTheme.dat"})
        put(QLatin1String(name), "\x01");
    put(QStringLiteral("settime.dat"), "2012-01-01-00-00-00");
    for (const QString &name : blocked) {
        QFile::remove(folder() + QLatin1Char('/') + name);
        QVERIFY(QDir().mkpath(folder() + QLatin1Char('/') + name));
    }
    const auto before = snapshot(m_dir->path());
    DeviceSettings settings(folder(), DeviceModel(model));
    settings.setValue(RecorderSetting::Quality, 3);
    settings.setValue(RecorderSetting::Sound, 0);
    settings.setClock(true, QStringLiteral("2013-04-05-17-30-00"));

    QVERIFY(!settings.save());
    QCOMPARE(settings.failedFiles(), blocked);
    if (cardUnchanged) {
        QCOMPARE(snapshot(m_dir->path()), before);
        return;
    }
    QCOMPARE(contentOf(QStringLiteral("setquality.dat")), QByteArray("\x03"));
    QCOMPARE(contentOf(QStringLiteral("setsound.dat")), QByteArray("\x00", 1));
    QCOMPARE(contentOf(QStringLiteral("settime.dat")), QByteArray("2013-04-05-17-30-00"));
    QVERIFY(QFileInfo(folder() + QLatin1Char('/') + blocked.first()).isDir());
    QVERIFY(filesOnCard().filter(QRegularExpression(QStringLiteral("^\\."))).isEmpty()); // no leftovers
}

// A card that takes no more data (file size limit of zero bytes): every write fails after the file
// was opened, and no file may be left cut short.
void TestDeviceSettings::failedWritesKeepOldFiles()
{
    put(QStringLiteral("setquality.dat"), "\x02");
    put(QStringLiteral("settime.dat"), "2012-01-01-00-00-00");
    DeviceSettings settings(folder(), DeviceModel::Main);
    settings.setValue(RecorderSetting::Quality, 3);
    settings.setClock(true, QStringLiteral("2013-04-05-17-30-00"));

    struct rlimit old;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit none = old;
    none.rlim_cur = 0;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &none), 0);
    const bool saved = settings.save();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!saved);
    QCOMPARE(contentOf(QStringLiteral("setquality.dat")), QByteArray("\x02"));
    QCOMPARE(contentOf(QStringLiteral("settime.dat")), QByteArray("2012-01-01-00-00-00"));
    QCOMPARE(filesOnCard(), QStringList({"setquality.dat", "settime.dat"})); // no leftovers
}

namespace {

// Saves quality 3 to `folder` as an unprivileged user: directly, or as root in a child process that
// gives up root first (root writes through any permission). True when the save succeeded.
bool saveAsUnprivileged(const QString &folder)
{
    if (geteuid() != 0) {
        DeviceSettings settings(folder, DeviceModel::Main);
        settings.setValue(RecorderSetting::Quality, 3);
        return settings.save();
    }
    const pid_t child = fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(2);
        DeviceSettings settings(folder, DeviceModel::Main);
        settings.setValue(RecorderSetting::Quality, 3);
        _exit(settings.save() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

void TestDeviceSettings::readOnlyCard()
{
    put(QStringLiteral("setquality.dat"), "\x02");
    const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const auto enterable = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(m_dir->path(), readable | enterable | QFile::WriteOwner));
    QVERIFY(QFile::setPermissions(folder() + QStringLiteral("/setquality.dat"), readable));
    QVERIFY(QFile::setPermissions(folder(), readable | enterable));
    const bool saved = saveAsUnprivileged(folder());
    QFile::setPermissions(folder(), readable | enterable | QFile::WriteOwner);
    QVERIFY(!saved);
    QCOMPARE(contentOf(QStringLiteral("setquality.dat")), QByteArray("\x02"));
    QCOMPARE(filesOnCard(), QStringList({"setquality.dat"}));
}

namespace {

// Saves round `round` of the kill loop: every setting the byte `round`, the time format (which only
// takes 0 or 1) its lowest bit, and the clock the round's second.
bool saveRound(const QString &folder, int round)
{
    DeviceSettings settings(folder, DeviceModel::Main);
    for (const SettingTable::Entry &entry : SettingTable::kEntries)
        settings.setValue(entry.setting, entry.setting == RecorderSetting::Hour ? round % 2 : round);
    settings.setClock(true, QStringLiteral("2013-04-05-17-30-%1").arg(round % 60, 2, 10, QLatin1Char('0')));
    return settings.save();
}

} // namespace

// A process saving the settings is killed at random moments, over and over. Whatever the moment, the
// next access finds the card holding one whole round of settings (never some files of one round and
// some of another) and nothing else: no temporary file, no journal.
void TestDeviceSettings::killedSavesLeaveOneWholeSet()
{
    QVERIFY(saveRound(folder(), 1));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(saveRound(folder(), 2));
    const qint64 saveNs = qMax<qint64>(timer.nsecsElapsed(), 100000);
    QStringList expectedFiles = SettingTable::writtenFiles();
    expectedFiles.sort();

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    constexpr int kRounds = 60;
    int killedMidSave = 0;
    for (int round = 0; round < kRounds; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            for (int r = 3;; r = r % 90 + 3)
                saveRound(folder(), r);
        }
        QVERIFY(child > 0);
        // Anywhere in the first few saves of the child, start-up included.
        const qint64 delayNs = qint64(random.bounded(quint32(4 * saveNs)));
        ::usleep(useconds_t(delayNs / 1000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        killedMidSave += filesOnCard() != expectedFiles;

        const DeviceSettings loaded(folder(), DeviceModel::Main);
        const int shown = loaded.value(RecorderSetting::Quality);
        const QString context = QStringLiteral("round %1 of seed %2, killed after %3 us")
                                    .arg(round).arg(seed).arg(delayNs / 1000);
        QVERIFY2(filesOnCard() == expectedFiles, qPrintable(context + ": " + filesOnCard().join(u' ')));
        for (const SettingTable::Entry &entry : SettingTable::kEntries) {
            if (entry.writeFor == SettingTable::Models::None)
                continue;
            const int expected = entry.setting == RecorderSetting::Hour ? shown % 2 : shown;
            QVERIFY2(contentOf(QLatin1String(entry.file)) == QByteArray(1, char(expected)),
                     qPrintable(context + QStringLiteral(": %1 is not of round %2").arg(entry.file).arg(shown)));
        }
        QVERIFY2(loaded.clockText().endsWith(QStringLiteral("-%1").arg(shown % 60, 2, 10, QLatin1Char('0'))),
                 qPrintable(context));
    }
    // The kills must have hit saves under way, or the loop proved nothing.
    QVERIFY2(killedMidSave > 0, qPrintable(QStringLiteral("seed %1").arg(seed)));
}

// Only our own temporary files are removed: a file of another program that happens to look alike, and
// a journal of someone else's naming, stay.
void TestDeviceSettings::leftoversOfOthersStay()
{
    put(QStringLiteral(".setquality.dat.1f2e"), "\x07");       // ours, left by a killed save
    put(QStringLiteral(".qrd7700-commit.new"), "garbage");      // ours, a journal never finished
    put(QStringLiteral(".setquality.dat.notours"), "\x07");
    put(QStringLiteral(".notes.txt.1f2e"), "x");
    put(QStringLiteral("setquality.dat"), "\x02");
    // A journal naming files that are not temporaries of ours renames nothing.
    put(QStringLiteral(".qrd7700-commit"), ".notes.txt.1f2e\n../setquality.dat.1\n.setquality.dat.notours\n");
    const DeviceSettings loaded(folder(), DeviceModel::Main);
    QCOMPARE(loaded.value(RecorderSetting::Quality), 2);
    QCOMPARE(filesOnCard(),
             QStringList({".notes.txt.1f2e", ".setquality.dat.notours", "setquality.dat"}));
}

// Another access to the card while a save is under way (staged, not yet committed) leaves the save's
// files alone, and the save then completes.
void TestDeviceSettings::saveUnderWayIsNoLeftover()
{
    QVERIFY(QDir().mkpath(folder()));
    CardWriteBatch batch(folder());
    QVERIFY(batch.stage(QStringLiteral("setquality.dat"), "\x03"));
    const DeviceSettings reader(folder(), DeviceModel::Main); // recovers, or would
    QCOMPARE(filesOnCard().size(), 1);
    QVERIFY(batch.commit());
    QCOMPARE(filesOnCard(), QStringList{QStringLiteral("setquality.dat")});
    QCOMPARE(contentOf(QStringLiteral("setquality.dat")), QByteArray("\x03"));
}

// A save cut off half way through its renames: quality already renamed, sound and the clock still
// waiting in their temporary files, all three in the journal. The next access by the settings store,
// or by the viewer opening a folder of the card, finishes it.
void TestDeviceSettings::cutOffSaveFinishedAtNextAccess_data()
{
    QTest::addColumn<QString>("access"); // "store", "viewer on a drive" or "viewer on a card copy"
    QTest::newRow("settings store") << "store";
    QTest::newRow("viewer opening a folder of the card") << "viewer on a drive";
    QTest::newRow("viewer opening a folder of a card copy") << "viewer on a card copy";
}

void TestDeviceSettings::cutOffSaveFinishedAtNextAccess()
{
    QFETCH(QString, access);
    put(QStringLiteral("setquality.dat"), "\x03");
    put(QStringLiteral("setsound.dat"), "\x00");
    put(QStringLiteral("settime.dat"), "2012-01-01-00-00-00");
    put(QStringLiteral(".setsound.dat.a1"), "\x01");
    put(QStringLiteral(".settime.dat.b2"), "2013-04-05-17-30-00");
    put(QStringLiteral(".setframe.dat.c3"), "\x02"); // staged by a later save that never got to commit
    put(QStringLiteral(".qrd7700-commit"), ".setquality.dat.9\n.setsound.dat.a1\n.settime.dat.b2\n");
    const QString clips = m_dir->path() + QStringLiteral("/REC/deep");
    QVERIFY(QDir().mkpath(clips));
    if (access == QLatin1String("store")) {
        const DeviceSettings settings(folder(), DeviceModel::Main);
        QCOMPARE(settings.value(RecorderSetting::Sound), 1);
        QCOMPARE(settings.value(RecorderSetting::Frame), 1);
    } else if (access == QLatin1String("viewer on a drive")) {
        QVERIFY(QDir(m_dir->path() + QStringLiteral("/REC")).removeRecursively());
        QVERIFY(QDir().mkpath(m_dir->path() + QStringLiteral("/clips")));
        qputenv(kCardsVariable, m_dir->path().toLocal8Bit());
        finishInterruptedSave(m_dir->path() + QStringLiteral("/clips"));
        qunsetenv(kCardsVariable);
    } else {
        finishInterruptedSave(clips);
    }
    QCOMPARE(filesOnCard(), QStringList({"setquality.dat", "setsound.dat", "settime.dat"}));
    QCOMPARE(contentOf(QStringLiteral("setsound.dat")), QByteArray("\x01"));
    QCOMPARE(contentOf(QStringLiteral("settime.dat")), QByteArray("2013-04-05-17-30-00"));
}

// Entries of the wrong kind where the recorder keeps its files: nothing may hang, read off the card
// or read without limit. Each row names what it puts where; the card's other files are regular.
void TestDeviceSettings::hostileFilesAreNotRead_data()
{
    QTest::addColumn<QString>("entry");   // path below the card's root
    QTest::addColumn<QString>("kind");    // "fifo", "link" (to a file off the card) or "huge"
    QTest::addColumn<int>("quality");     // as loaded
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QString>("version"); // as read
    QTest::newRow("FIFO as a settings file") << "setting/setquality.dat" << "fifo" << 1 << true << "QRD-7700";
    QTest::newRow("FIFO as setting.dat") << "setting/setting.dat" << "fifo" << 1 << false << "QRD-7700";
    QTest::newRow("FIFO as version.txt") << "update/version.txt" << "fifo" << 2 << true << "";
    QTest::newRow("settings file linked off the card") << "setting/setquality.dat" << "link" << 1 << true
                                                       << "QRD-7700";
    QTest::newRow("version.txt linked off the card") << "update/version.txt" << "link" << 2 << true << "";
    QTest::newRow("3 GB one-line version.txt") << "update/version.txt" << "huge" << 2 << true
                                               << "QRD-7700" + QString(4096 - 8, QLatin1Char('x'));
}

void TestDeviceSettings::hostileFilesAreNotRead()
{
    QFETCH(QString, entry);
    QFETCH(QString, kind);
    QFETCH(int, quality);
    QFETCH(bool, loaded);
    QFETCH(QString, version);
    const QString root = m_dir->path();
    QVERIFY(QDir().mkpath(root + QStringLiteral("/update")));
    QFile versionFile(root + QStringLiteral("/update/version.txt"));
    QVERIFY(versionFile.open(QIODevice::WriteOnly));
    versionFile.write("QRD-7700");
    versionFile.close();
    if (entry != QLatin1String("setting/setting.dat")) {
        put(QStringLiteral("setquality.dat"), "\x02");
        put(QStringLiteral("setframe.dat"), "\x02");
    } else {
        QVERIFY(QDir().mkpath(folder()));
    }
    const QString path = root + QLatin1Char('/') + entry;
    QFile::remove(path);
    QFile offCard(root + QStringLiteral("/elsewhere"));
    QVERIFY(offCard.open(QIODevice::WriteOnly));
    offCard.write("\x03 QRD-7700");
    offCard.close();
    if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("link")) {
        QVERIFY(QFile::link(offCard.fileName(), path));
    } else {
        QFile huge(path); // sparse: takes no room on the disk
        QVERIFY(huge.open(QIODevice::WriteOnly));
        huge.write("QRD-7700" + QByteArray(4096, 'x'));
        QVERIFY(huge.resize(qint64(3) << 30));
    }

    QElapsedTimer clock;
    clock.start();
    const DeviceSettings settings(folder(), cardModel(root));
    QCOMPARE(settings.value(RecorderSetting::Quality), quality);
    QCOMPARE(settings.isLoaded(), loaded);
    QCOMPARE(readVersionText(cardUpdateFolder(root)), version);
    const QList<RemovableDrive> drives{{root, QStringLiteral("CARD"), QStringLiteral("vfat")}};
    QCOMPARE(findCardDrive(drives).has_value(), !version.isEmpty());
    QVERIFY(clock.elapsed() < 5000);
}

// Links in the settings folder are replaced, never written through; a FIFO is never replaced; a
// settings folder that is a link is not written at all.
void TestDeviceSettings::writesNeverLeaveTheCard_data()
{
    QTest::addColumn<QString>("entry"); // below the card's root
    QTest::addColumn<QString>("kind");  // "link", "dangling link", "fifo"
    QTest::addColumn<bool>("saved");
    QTest::newRow("settime.dat linked off the card") << "setting/settime.dat" << "link" << true;
    QTest::newRow("dangling settime.dat link") << "setting/settime.dat" << "dangling link" << true;
    QTest::newRow("FIFO as a settings file") << "setting/setquality.dat" << "fifo" << false;
    QTest::newRow("setting folder linked off the card") << "setting" << "link" << false;
}

void TestDeviceSettings::writesNeverLeaveTheCard()
{
    QFETCH(QString, entry);
    QFETCH(QString, kind);
    QFETCH(bool, saved);
    const QString root = m_dir->path() + QStringLiteral("/card");
    const QString outside = m_dir->path() + QStringLiteral("/outside");
    QVERIFY(QDir().mkpath(root + QStringLiteral("/setting")));
    QVERIFY(QDir().mkpath(outside));
    QFile target(outside + QStringLiteral("/target"));
    QVERIFY(target.open(QIODevice::WriteOnly));
    target.write("precious");
    target.close();
    const QString path = root + QLatin1Char('/') + entry;
    QDir(path).removeRecursively();
    if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (entry == QLatin1String("setting"))
        QVERIFY(QFile::link(outside, path));
    else
        QVERIFY(QFile::link(outside + (kind == QLatin1String("link") ? "/target" : "/new"), path));
    const auto outsideBefore = snapshot(outside);
    const auto cardBefore = snapshot(root);

    DeviceSettings settings(root + QStringLiteral("/setting"), DeviceModel::Main);
    settings.setClock(true, QStringLiteral("2013-04-05-17-30-00"));
    QCOMPARE(settings.save(), saved);
    QCOMPARE(snapshot(outside), outsideBefore);
    if (!saved) {
        QCOMPARE(settings.failedFiles(), QStringList{QFileInfo(path).fileName()});
        QCOMPARE(snapshot(root), cardBefore);
        return;
    }
    QVERIFY(!QFileInfo(path).isSymLink());
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("2013-04-05-17-30-00"));
}

void TestDeviceSettings::versionText_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("model");
    QTest::newRow("two lines") << QByteArray("a\nb\n") << "a\nb" << int(DeviceModel::NoModel);
    QTest::newRow("CR LF, no final line end") << QByteArray("a\r\nb") << "a\nb" << int(DeviceModel::NoModel);
    QTest::newRow("empty line kept") << QByteArray("a\n\nb") << "a\n\nb" << int(DeviceModel::NoModel);
    QTest::newRow("model at the start") << QByteArray("QRD-7700 V1.01\n") << "QRD-7700 V1.01"
                                        << int(DeviceModel::Main);
    QTest::newRow("model on line two") << QByteArray("fw 2.0\nQRD-7700\n") << "fw 2.0\nQRD-7700"
                                       << int(DeviceModel::Main);
    QTest::newRow("lower-case model") << QByteArray("qrd-7700\n") << "qrd-7700" << int(DeviceModel::NoModel);
}

void TestDeviceSettings::versionText()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(int, model);
    const QString update = m_dir->path() + QStringLiteral("/update");
    QCOMPARE(readVersionText(update), QString());
    QVERIFY(QDir().mkpath(update));
    QFile file(update + QStringLiteral("/version.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    QCOMPARE(readVersionText(update), text);
    QCOMPARE(int(modelFromVersion(text)), model);
    QCOMPARE(int(cardModel(m_dir->path())), model);
}

void TestDeviceSettings::findCard()
{
    QList<RemovableDrive> drives;
    for (const char *name : {"A", "B", "C", "D"}) {
        const QString drive = m_dir->path() + QLatin1Char('/') + QLatin1String(name);
        QVERIFY(QDir().mkpath(drive));
        drives.append({drive, QLatin1String(name), QStringLiteral("vfat")});
    }
    QCOMPARE(findCardDrive(drives), std::nullopt);
    for (int index : {0, 2}) {
        QVERIFY(QDir().mkpath(cardUpdateFolder(drives[index].drive)));
        QFile version(cardUpdateFolder(drives[index].drive) + QStringLiteral("/version.txt"));
        QVERIFY(version.open(QIODevice::WriteOnly)); // any content: an opening file is enough
    }
    QCOMPARE(findCardDrive(drives), std::optional<RemovableDrive>(drives[2]));
    QCOMPARE(cardSettingsFolder(drives[2].drive), drives[2].drive + QStringLiteral("/setting"));
}

void TestDeviceSettings::fieldsByName()
{
    DeviceSettings settings(QString(), DeviceModel::Main);
    QCOMPARE(std::size(SettingTable::kEntries), size_t(18));
    QCOMPARE(QLatin1String(SettingTable::kEntries[0].key), QStringLiteral("resolution"));
    QCOMPARE(QLatin1String(SettingTable::kEntries[17].key), QStringLiteral("theme"));
    const std::optional<RecorderSetting> rear = SettingTable::byKey(u"rearsecurity");
    QCOMPARE(rear, std::optional<RecorderSetting>(RecorderSetting::RearSecurity));
    QVERIFY(settings.setValue(*rear, 1));
    QCOMPARE(settings.value(RecorderSetting::RearSecurity), 1);
    QCOMPARE(SettingTable::byKey(u"clockText"), std::nullopt);
    QCOMPARE(SettingTable::byKey(u"nothing"), std::nullopt);
}

void TestDeviceSettings::clipModelFromItsCard_data()
{
    QTest::addColumn<QStringList>("versions"); // one per drive; "-" means no version file
    QTest::addColumn<int>("clipDrive");        // the drive holding the clip; -1 outside, -2 no clip
    QTest::addColumn<int>("model");
    const int main = int(DeviceModel::Main);
    const int none = int(DeviceModel::NoModel);
    QTest::newRow("model after the first character") << QStringList{"V1.01 QRD-7700"} << 0 << main;
    QTest::newRow("text starting with the model") << QStringList{"QRD-7700 V1.01"} << 0 << main;
    QTest::newRow("model on a later line") << QStringList{"FW 1.0\nQRD-7700\n"} << 0 << main;
    QTest::newRow("other model") << QStringList{"V1 QRD-5500"} << 0 << none;
    QTest::newRow("clip on the second of two cards") << QStringList{"a QRD-7700", "b QRD-7700"} << 1 << main;
    QTest::newRow("clip on a drive without version beside a card") << QStringList{"a QRD-7700", "-"} << 1 << none;
    QTest::newRow("clip outside every drive") << QStringList{"a QRD-7700"} << -1 << none;
    QTest::newRow("no clip, a card present") << QStringList{"-", "x QRD-7700"} << -2 << main;
    QTest::newRow("no clip, no drives") << QStringList{} << -2 << none;
}

void TestDeviceSettings::clipModelFromItsCard()
{
    QFETCH(QStringList, versions);
    QFETCH(int, clipDrive);
    QFETCH(int, model);
    QList<RemovableDrive> drives;
    for (int i = 0; i < versions.size(); ++i) {
        const QString root = m_dir->filePath(QStringLiteral("drive%1").arg(i));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/update")));
        drives.append({root, QString(), QStringLiteral("vfat")});
        if (versions[i] == QLatin1String("-"))
            continue;
        QFile file(root + QStringLiteral("/update/version.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(versions[i].toUtf8());
    }
    const QString name = QStringLiteral("REC_2012_05_14_10_20_30.avi");
    const QString clip = clipDrive == -2   ? QString()
                         : clipDrive == -1 ? m_dir->filePath(name)
                                           : drives[clipDrive].drive + QStringLiteral("/REC/") + name;
    QCOMPARE(int(clipModel(clip, drives)), model);
}

void TestDeviceSettings::clipModelOfCardCopy_data()
{
    QTest::addColumn<QString>("copyVersion");  // the copy's own update/version.txt; "-" for none
    QTest::addColumn<QString>("driveVersion"); // of a drive holding the copy; "-" for no such drive
    QTest::addColumn<QString>("clipFolder");   // below the copy
    QTest::addColumn<int>("model");
    const int main = int(DeviceModel::Main);
    const int none = int(DeviceModel::NoModel);
    QTest::newRow("copy on a disk, its own version") << "V1 QRD-7700" << "-" << "REC" << main;
    QTest::newRow("copy on a disk, clip deep in EVENT") << "V1 QRD-7700" << "-" << "EVENT/a/b" << main;
    QTest::newRow("copy on a disk without version") << "-" << "-" << "REC" << none;
    QTest::newRow("copy of another model") << "V1 QRD-5500" << "-" << "REC" << none;
    QTest::newRow("copy inside a drive without version") << "V1 QRD-7700" << "" << "REC" << main;
    QTest::newRow("copy without version inside a QRD-7700 card") << "-" << "V1 QRD-7700" << "REC" << none;
}

// A card copied into a folder (on a disk or on another drive) names its recorder with its own
// version file, the innermost one holding the clip.
void TestDeviceSettings::clipModelOfCardCopy()
{
    QFETCH(QString, copyVersion);
    QFETCH(QString, driveVersion);
    QFETCH(QString, clipFolder);
    QFETCH(int, model);
    const auto write = [](const QString &path, const QString &text) {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    };
    const QString drive = m_dir->filePath(QStringLiteral("stick"));
    const QString copy = drive + QStringLiteral("/backup/2012/card");
    QList<RemovableDrive> drives;
    if (driveVersion != QLatin1String("-")) {
        drives.append({drive, QString(), QStringLiteral("vfat")});
        if (!driveVersion.isEmpty())
            write(drive + QStringLiteral("/update/version.txt"), driveVersion);
    }
    if (copyVersion != QLatin1String("-"))
        write(copy + QStringLiteral("/update/version.txt"), copyVersion);
    const QString clip = copy + QLatin1Char('/') + clipFolder + QStringLiteral("/REC_2012_05_14_10_20_30.avi");
    write(clip, QStringLiteral("clip"));
    QCOMPARE(int(clipModel(clip, drives)), model);
}

void TestDeviceSettings::pathOnDrive_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("root");
    QTest::addColumn<bool>("onDrive");
    QTest::newRow("clip on the card") << "/media/card/REC/REC_1.avi" << "/media/card" << true;
    QTest::newRow("case ignored") << "/MEDIA/Card/REC/x.avi" << "/media/card" << true;
    QTest::newRow("clip outside the card") << "/home/user/REC_1.avi" << "/media/card" << false;
    QTest::newRow("sibling folder with the same prefix") << "/media/card2/REC_1.avi" << "/media/card" << false;
    QTest::newRow("no card") << "/media/card/REC_1.avi" << "" << false;
}

void TestDeviceSettings::pathOnDrive()
{
    QFETCH(QString, path);
    QFETCH(QString, root);
    QFETCH(bool, onDrive);
    QCOMPARE(isOnDrive(path, root), onDrive);
}

QTEST_GUILESS_MAIN(TestDeviceSettings)
#include "tst_devicesettings.moc"
