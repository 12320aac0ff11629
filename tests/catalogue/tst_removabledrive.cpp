#include "catalogue/drivelisting_p.h"
#include "catalogue/removabledrive.h"
#include "catalogue/volumemap.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The drive listing from a fake /proc/self/mountinfo and /sys tree, the QRD7700_CARDS folders, and the
// path rules built on the listing.
class TestRemovableDrive : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void parseMountInfo();
    void deviceKinds_data();
    void deviceKinds();
    void listingFromMounts();
    void cardFolders();
    void listRemovableDrivesUsesEnvironment();
    void isWithin_data();
    void isWithin();
    void topFolder_data();
    void topFolder();

private:
    // Creates a block device in the fake sysfs: /sys/devices/<devicePath>/<disk>[/<partition>], with
    // /sys/dev/block/<number> linking to it.
    void addDevice(const QString &number, const QString &devicePath, const QString &disk,
                   const QString &partition, bool removable);
    QString sysRoot() const { return m_dir->path() + QStringLiteral("/sys"); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

QByteArray mountLine(const char *number, const char *root, const char *point, const char *type,
                     const char *source)
{
    return QByteArray("36 25 ") + number + ' ' + root + ' ' + point + " rw,relatime shared:1 - " + type + ' '
           + source + " rw\n";
}

} // namespace

void TestRemovableDrive::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestRemovableDrive::addDevice(const QString &number, const QString &devicePath, const QString &disk,
                                   const QString &partition, bool removable)
{
    const QString diskDir = sysRoot() + QStringLiteral("/devices/") + devicePath + QLatin1Char('/') + disk;
    writeFile(diskDir + QStringLiteral("/removable"), removable ? "1\n" : "0\n");
    QString deviceDir = diskDir;
    if (!partition.isEmpty()) {
        deviceDir += QLatin1Char('/') + partition;
        writeFile(deviceDir + QStringLiteral("/partition"), "1\n");
    }
    QDir().mkpath(sysRoot() + QStringLiteral("/dev/block"));
    QVERIFY(QFile::link(deviceDir, sysRoot() + QStringLiteral("/dev/block/") + number));
}

void TestRemovableDrive::parseMountInfo()
{
    const QByteArray text = mountLine("8:17", "/", "/media/u/MY\\040CARD", "vfat", "/dev/sdb1")
                            + "garbage line without dash\n"
                            + "26 1 254:0 / / rw - ext4 /dev/vda rw\n";
    const QList<DriveListing::Mount> mounts = DriveListing::parseMountInfo(text);
    QCOMPARE(mounts.size(), 2);
    QCOMPARE(mounts[0].deviceNumber, QStringLiteral("8:17"));
    QCOMPARE(mounts[0].mountPoint, QStringLiteral("/media/u/MY CARD"));
    QCOMPARE(mounts[0].fileSystem, QStringLiteral("vfat"));
    QCOMPARE(mounts[0].source, QStringLiteral("/dev/sdb1"));
    QCOMPARE(mounts[1].mountPoint, QStringLiteral("/"));
    QCOMPARE(mounts[1].root, QStringLiteral("/"));
}

void TestRemovableDrive::deviceKinds_data()
{
    QTest::addColumn<QString>("devicePath");
    QTest::addColumn<QString>("disk");
    QTest::addColumn<QString>("partition");
    QTest::addColumn<bool>("removableFlag");
    QTest::addColumn<bool>("expected");
    QTest::newRow("partition of a removable disk") << "pci0000:00/host2/target2/2:0:0:0/block" << "sdb" << "sdb1"
                                                  << true << true;
    QTest::newRow("whole removable disk") << "pci0000:00/host2/target2/2:0:0:0/block" << "sdc" << "" << true
                                          << true;
    QTest::newRow("SD card") << "platform/mmc_host/mmc0/mmc0:0001/block" << "mmcblk0" << "mmcblk0p1" << false
                             << true;
    QTest::newRow("USB reader reported fixed") << "pci0000:00/usb1/1-1/1-1:1.0/host3/block" << "sdd" << "sdd1"
                                               << false << true;
    QTest::newRow("fixed SATA disk") << "pci0000:00/ata1/host0/block" << "sda" << "sda1" << false << false;
    QTest::newRow("loop device") << "virtual/block" << "loop0" << "" << false << false;
}

void TestRemovableDrive::deviceKinds()
{
    QFETCH(QString, devicePath);
    QFETCH(QString, disk);
    QFETCH(QString, partition);
    QFETCH(bool, removableFlag);
    QFETCH(bool, expected);
    addDevice(QStringLiteral("8:1"), devicePath, disk, partition, removableFlag);
    QString blockName;
    QCOMPARE(DriveListing::isRemovableDevice(sysRoot(), QStringLiteral("8:1"), &blockName), expected);
    QCOMPARE(blockName, partition.isEmpty() ? disk : partition);
    QVERIFY(!DriveListing::isRemovableDevice(sysRoot(), QStringLiteral("9:9"), nullptr));
}

void TestRemovableDrive::listingFromMounts()
{
    addDevice(QStringLiteral("8:17"), QStringLiteral("usb1/1-1/block"), QStringLiteral("sdb"),
              QStringLiteral("sdb1"), true);
    addDevice(QStringLiteral("179:1"), QStringLiteral("mmc_host/mmc0/block"), QStringLiteral("mmcblk0"),
              QStringLiteral("mmcblk0p1"), false);
    addDevice(QStringLiteral("8:1"), QStringLiteral("ata1/block"), QStringLiteral("sda"), QStringLiteral("sda1"),
              false);
    const QString byLabel = m_dir->path() + QStringLiteral("/by-label");
    QDir().mkpath(byLabel);
    QVERIFY(QFile::link(QStringLiteral("../../sdb1"), byLabel + QStringLiteral("/QRD\\x207700")));
    QVERIFY(QFile::link(QStringLiteral("../../sda1"), byLabel + QStringLiteral("/SYSTEM")));

    const QByteArray mounts = mountLine("8:1", "/", "/", "ext4", "/dev/sda1")
                              + mountLine("179:1", "/", "/run/media/u/SD", "exfat", "/dev/mmcblk0p1")
                              + mountLine("8:17", "/", "/media/u/QRD\\0407700", "vfat", "/dev/sdb1")
                              + mountLine("8:17", "/DCIM", "/mnt/bound", "vfat", "/dev/sdb1");
    const QList<RemovableDrive> drives = DriveListing::listDrives(mounts, sysRoot(), byLabel, QString());
    const QList<RemovableDrive> expected = {
        {QStringLiteral("/media/u/QRD 7700"), QStringLiteral("QRD 7700"), QStringLiteral("vfat")},
        {QStringLiteral("/run/media/u/SD"), QString(), QStringLiteral("exfat")},
    };
    QCOMPARE(drives, expected);
}

void TestRemovableDrive::cardFolders()
{
    const QString a = m_dir->path() + QStringLiteral("/cards/copy");
    const QString b = m_dir->path() + QStringLiteral("/cards/DEMO");
    QVERIFY(QDir().mkpath(a) && QDir().mkpath(b));
    const QString variable = b + QStringLiteral("/:") + m_dir->path() + QStringLiteral("/missing::") + a;
    const QList<RemovableDrive> drives = DriveListing::listDrives({}, sysRoot(), {}, variable);
    QCOMPARE(drives.size(), 2);
    QCOMPARE(drives[0].drive, b); // ordered by drive, trailing separator gone
    QCOMPARE(drives[0].volumeLabel, QStringLiteral("DEMO"));
    QVERIFY(!drives[0].fileSystem.isEmpty());
    QCOMPARE(drives[1].drive, a);
    QCOMPARE(drives[1].volumeLabel, QStringLiteral("copy"));
    // The same folder twice is one drive.
    QCOMPARE(DriveListing::listDrives({}, sysRoot(), {}, a + QLatin1Char(':') + a).size(), 1);
}

void TestRemovableDrive::listRemovableDrivesUsesEnvironment()
{
    qputenv(kCardsVariable, m_dir->path().toLocal8Bit());
    const QList<RemovableDrive> drives = listRemovableDrives();
    qunsetenv(kCardsVariable);
    const bool listed = std::any_of(drives.cbegin(), drives.cend(),
                                    [this](const RemovableDrive &d) { return d.drive == m_dir->path(); });
    QVERIFY(listed);
    QVERIFY(std::is_sorted(drives.cbegin(), drives.cend(),
                           [](const RemovableDrive &x, const RemovableDrive &y) { return x.drive < y.drive; }));
}

void TestRemovableDrive::isWithin_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("root");
    QTest::addColumn<bool>("expected");
    QTest::newRow("the drive itself") << "/media/card" << "/media/card" << true;
    QTest::newRow("below the drive") << "/media/card/REC/a.mp4" << "/media/card" << true;
    QTest::newRow("name continues the drive") << "/media/card2/REC" << "/media/card" << false;
    QTest::newRow("other case") << "/media/Card/REC" << "/media/card" << false;
    QTest::newRow("root file system") << "/home/u" << "/" << true;
    QTest::newRow("empty root") << "/home/u" << "" << false;
}

void TestRemovableDrive::isWithin()
{
    QFETCH(QString, path);
    QFETCH(QString, root);
    QFETCH(bool, expected);
    QCOMPARE(VolumeMap::isWithin(path, root), expected);
}

void TestRemovableDrive::topFolder_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("inRec");
    QTest::newRow("REC of a card") << "/media/card/REC/REC_1.mp4" << "REC/REC_1.mp4" << true;
    QTest::newRow("below REC of a card") << "/media/card/REC/x/REC_1.mp4" << "REC/x/REC_1.mp4" << true;
    QTest::newRow("REC folder of a card folder") << "/home/u/copy/REC/REC_1.mp4" << "REC/REC_1.mp4" << true;
    QTest::newRow("REC deeper on a fixed disk") << "/home/u/other/REC/REC_1.mp4" << "u/other/REC/REC_1.mp4"
                                                << false;
    QTest::newRow("REC at the root file system") << "/REC/REC_1.mp4" << "REC/REC_1.mp4" << true;
    QTest::newRow("lower-case rec") << "/media/card/rec/REC_1.mp4" << "rec/REC_1.mp4" << false;
    QTest::newRow("RECORDS") << "/media/card/RECORDS/REC_1.mp4" << "RECORDS/REC_1.mp4" << false;
    QTest::newRow("file named REC") << "/media/card/REC" << "REC" << false;
}

void TestRemovableDrive::topFolder()
{
    QFETCH(QString, path);
    QFETCH(QString, relative);
    QFETCH(bool, inRec);
    const VolumeMap volumes({{QStringLiteral("/media/card"), {}, {}}, {QStringLiteral("/home/u/copy"), {}, {}}},
                            {QStringLiteral("/"), QStringLiteral("/media/card/"), QStringLiteral("/home")});
    QCOMPARE(volumes.relativeToVolume(path), relative);
    QCOMPARE(volumes.isUnderTopFolder(path, u"REC"), inRec);
}

QTEST_GUILESS_MAIN(TestRemovableDrive)
#include "tst_removabledrive.moc"
