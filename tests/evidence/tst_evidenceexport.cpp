// The evidence folder made from generated clips and read back with outside tools: sha256sum checks
// the list, the originals are byte for byte, the segment and the overlay have their length, the
// overlay's caption reads right in a rendered picture, the PDF carries its pages; a folder changed
// afterwards is named file by file; a cancelled or failed export leaves nothing behind.
#include "evidence/checksums.h"
#include "evidence/evidenceexport.h"
#include "evidence/overlaytext.h"
#include "playback/mediaframework.h"
#include "playback/overlayrenderer.h"
#include "telemetry/cardindex.h"

#include "tests/playback/exporttestclips.h"
#include "tests/playback/mediareadback.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below `folder`, hidden ones too, by relative name.
QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

QString run(const QString &program, const QStringList &arguments, const QString &folder, int *exitCode)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return QString();
    *exitCode = process.exitCode();
    return QString::fromUtf8(process.readAll());
}

enum class Ending { Finished, Failed, Cancelled };

Ending runToEnd(EvidenceExport &job)
{
    QSignalSpy finished(&job, &EvidenceExport::finished);
    QSignalSpy failed(&job, &EvidenceExport::failed);
    QSignalSpy cancelled(&job, &EvidenceExport::cancelled);
    if (!job.start())
        return Ending::Failed;
    const bool ended = QTest::qWaitFor([&] { return !finished.isEmpty() || !failed.isEmpty() || !cancelled.isEmpty(); },
                                       180000);
    return !ended || !failed.isEmpty() ? Ending::Failed : !finished.isEmpty() ? Ending::Finished : Ending::Cancelled;
}

} // namespace

class TestEvidenceExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void writesFolder_data();
    void writesFolder();
    void verifyNamesEachChange();
    void leavesNothing_data();
    void leavesNothing();
    void refusesExistingFolder();

private:
    ExportPlan clipPlan(const QString &name, qint64 fromMs, qint64 toMs) const;
    ExportPlan drivePlan(qint64 fromMs, qint64 toMs) const;
    // Everything in the output folder's parent: only what a finished export made.
    QStringList parentEntries() const;
    void checkOverlayCaption(const QString &overlay, const ExportPlan &plan);

    ExportTestClips m_clips;
    std::unique_ptr<QTemporaryDir> m_out;
};

void TestEvidenceExport::initTestCase()
{
    bool skip = false;
    const QString problem = m_clips.prepare(&skip);
    if (skip)
        QSKIP(qPrintable(problem));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    if (QStandardPaths::findExecutable(QStringLiteral("sha256sum")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("sha256sum or pdfinfo is missing (scripts/install-deps installs them)");
}

void TestEvidenceExport::init()
{
    m_out = std::make_unique<QTemporaryDir>();
    QVERIFY(m_out->isValid());
}

ExportPlan TestEvidenceExport::clipPlan(const QString &name, qint64 fromMs, qint64 toMs) const
{
    QString error;
    const std::optional<ExportPlan> plan =
        ExportPlanning::forClip(m_clips.path(name), fromMs, toMs, ExportPlanning::Options(), &error);
    return plan.value_or(ExportPlan());
}

ExportPlan TestEvidenceExport::drivePlan(qint64 fromMs, qint64 toMs) const
{
    const CardIndex index = CardIndex::build(m_clips.folder(), CardIndex::BuildOptions());
    const QList<Trip> trips = index.trips(RecorderClock::FallbackZone());
    QString error;
    const std::optional<ExportPlan> plan =
        trips.isEmpty() ? std::nullopt
                        : ExportPlanning::forTrip(index, trips.first(), fromMs, toMs, ExportPlanning::Options(), &error);
    return plan.value_or(ExportPlan());
}

QStringList TestEvidenceExport::parentEntries() const
{
    return QDir(m_out->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

void TestEvidenceExport::writesFolder_data()
{
    QTest::addColumn<ExportPlan>("plan");
    QTest::addColumn<bool>("overlay");
    QTest::addColumn<QStringList>("originals");
    QTest::newRow("one clip, with the overlay video")
        << clipPlan(ExportTestClips::aviFirst(), 1000, 3000) << true << QStringList{ExportTestClips::aviFirst()};
    QTest::newRow("across two clips of a drive")
        << drivePlan(3000, 5000) << false << QStringList{ExportTestClips::aviFirst(), ExportTestClips::aviSecond()};
}

void TestEvidenceExport::writesFolder()
{
    QFETCH(ExportPlan, plan);
    QFETCH(bool, overlay);
    QFETCH(QStringList, originals);
    QVERIFY(!plan.parts.isEmpty());
    const QString folder = m_out->filePath(QStringLiteral("evidence"));
    EvidenceExport job(plan, folder, overlay);
    QCOMPARE(runToEnd(job), Ending::Finished);
    QCOMPARE(parentEntries(), QStringList{"evidence"});

    QStringList expected{"SHA256SUMS", "evidence.pdf", "route.gpx", "segment.mkv", "telemetry.csv"};
    for (const QString &name : originals)
        expected << QStringLiteral("originals/") + name;
    if (overlay)
        expected << "overlay.mp4";
    expected.sort();
    QCOMPARE(filesBelow(folder), expected);
    int exitCode = -1;
    const QString checked = run(QStringLiteral("sha256sum"), {QStringLiteral("-c"), QStringLiteral("SHA256SUMS")}, folder, &exitCode);
    QVERIFY2(exitCode == 0, qPrintable(checked));
    QCOMPARE(checked.count(QStringLiteral(": OK\n")), expected.size() - 1);
    for (const QString &name : originals)
        QVERIFY(contents(folder + QStringLiteral("/originals/") + name) == contents(m_clips.path(name)));

    const MediaReadback::Discovered segment = MediaReadback::discover(folder + QStringLiteral("/segment.mkv"));
    QVERIFY2(segment.ok && qAbs(segment.durationMs - plan.lengthMs()) <= 70, qPrintable(segment.error));
    QCOMPARE(segment.videoCaps.size(), 2);
    const QString info = run(QStringLiteral("pdfinfo"), {QStringLiteral("evidence.pdf")}, folder, &exitCode);
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\n"))), qPrintable(info));
    QVERIFY2(info.contains(plan.title), qPrintable(info));
    const QByteArray csv = contents(folder + QStringLiteral("/telemetry.csv"));
    // The samples' times count from the range's start.
    const int first = csv.split('\n').value(1).split(',').value(0).toInt();
    QVERIFY2(csv.startsWith("time_ms,accel_x") && first >= 0 && first < 200, csv.left(200).constData());
    if (overlay)
        checkOverlayCaption(folder + QStringLiteral("/overlay.mp4"), plan);
}

// A picture of the overlay video carries its moment's caption: the local time and UTC read from
// the clip's name and GPS, and it reads as that caption rather than the caption of a second later.
void TestEvidenceExport::checkOverlayCaption(const QString &overlay, const ExportPlan &plan)
{
    const QList<QImage> pictures = MediaReadback::pictures(overlay, 0);
    const int shown = 7; // 1.467 s into the clip: the moment lies in its second 1
    QVERIFY(pictures.size() > shown);
    const qint64 clipMs = plan.parts.first().media.fromMs + shown * 1000 / ExportTestClips::Fps;
    const QStringList caption = OverlayText::lines(plan.momentAt(0, clipMs));
    QVERIFY2(caption.first().startsWith(QStringLiteral("2012-05-14 10:20:31.4 +00:00   2012-05-14 10:20:31.4 UTC   ")),
             qPrintable(caption.first()));
    QVERIFY2(caption.last().contains(QStringLiteral(" N  ")) && caption.last().contains(ExportTestClips::aviFirst()),
             qPrintable(caption.last()));
    const QStringList later = OverlayText::lines(plan.momentAt(0, clipMs + 1000));
    const QImage band = pictures.at(shown).copy(OverlayRenderer::captionBand(2));
    QVERIFY(MediaReadback::readCaption(band, caption, later).readsRight());
}

// One changed byte, a file gone, a link in place of a file: each is named, and the folder fails;
// a file added by a file manager is only named.
void TestEvidenceExport::verifyNamesEachChange()
{
    const QString folder = m_out->filePath(QStringLiteral("evidence"));
    EvidenceExport job(clipPlan(ExportTestClips::aviFirst(), 0, 2000), folder, false);
    QCOMPARE(runToEnd(job), Ending::Finished);
    QVERIFY(Checksums::verify(folder).intact());

    QFile segment(folder + QStringLiteral("/segment.mkv"));
    QVERIFY(segment.open(QIODevice::ReadWrite));
    segment.seek(segment.size() / 2);
    const char byte = segment.peek(1).at(0);
    segment.write(QByteArray(1, char(byte ^ 0x01)));
    segment.close();
    QVERIFY(QFile::remove(folder + QStringLiteral("/telemetry.csv")));
    QVERIFY(QFile::remove(folder + QStringLiteral("/route.gpx")));
    QVERIFY(QFile::link(folder + QStringLiteral("/evidence.pdf"), folder + QStringLiteral("/route.gpx")));
    QFile added(folder + QStringLiteral("/.DS_Store"));
    QVERIFY(added.open(QIODevice::WriteOnly));
    added.close();

    const Checksums::Verification verification = Checksums::verify(folder);
    QVERIFY(!verification.intact());
    QHash<QString, Checksums::Status> found;
    for (const Checksums::Finding &finding : verification.findings)
        found.insert(finding.path, finding.status);
    QCOMPARE(found.value("segment.mkv"), Checksums::Status::Changed);
    QCOMPARE(found.value("telemetry.csv"), Checksums::Status::Missing);
    QCOMPARE(found.value("route.gpx"), Checksums::Status::NotAFile);
    QCOMPARE(found.value(".DS_Store"), Checksums::Status::Unlisted);
    QCOMPARE(found.value("evidence.pdf"), Checksums::Status::Intact);
    QCOMPARE(found.value(QStringLiteral("originals/") + ExportTestClips::aviFirst()), Checksums::Status::Intact);
}

void TestEvidenceExport::leavesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cancelled at once") << "cancel at once";
    QTest::newRow("cancelled while the overlay renders") << "cancel in the overlay";
    QTest::newRow("gone while it runs") << "destroyed";
    QTest::newRow("clip removed before the copy (card pulled)") << "clip removed";
}

void TestEvidenceExport::leavesNothing()
{
    QFETCH(QString, how);
    QTemporaryDir clipFolder;
    const QString clip = clipFolder.filePath(ExportTestClips::aviFirst());
    QVERIFY(QFile::copy(m_clips.path(ExportTestClips::aviFirst()), clip));
    QString error;
    const std::optional<ExportPlan> plan = ExportPlanning::forClip(clip, 0, 4000, ExportPlanning::Options(), &error);
    QVERIFY2(plan, qPrintable(error));
    auto job = std::make_unique<EvidenceExport>(*plan, m_out->filePath(QStringLiteral("evidence")), true);
    QSignalSpy finished(job.get(), &EvidenceExport::finished);
    QSignalSpy failed(job.get(), &EvidenceExport::failed);
    QSignalSpy cancelled(job.get(), &EvidenceExport::cancelled);
    if (how == QLatin1String("clip removed"))
        QVERIFY(QFile::remove(clip));
    QVERIFY(job->start());
    QCOMPARE(parentEntries().size(), 1); // the hidden folder it works in
    if (how == QLatin1String("cancel in the overlay"))
        QTRY_VERIFY_WITH_TIMEOUT(job->progress() > 0.3 || !finished.isEmpty(), 60000);
    if (how.startsWith(QLatin1String("cancel")))
        job->cancel();
    if (how == QLatin1String("destroyed"))
        job.reset();
    else
        QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty() || !cancelled.isEmpty() || !finished.isEmpty(), 60000);
    QVERIFY(finished.isEmpty());
    QCOMPARE(failed.size(), how == QLatin1String("clip removed") ? 1 : 0);
    if (!failed.isEmpty()) // the copy or the pictures' reader, whichever comes first, names the clip
        QVERIFY2(failed.first().first().toString().startsWith(ExportTestClips::aviFirst() + QStringLiteral(": ")),
                 qPrintable(failed.first().first().toString()));
    QCOMPARE(parentEntries(), QStringList());
}

void TestEvidenceExport::refusesExistingFolder()
{
    const QString folder = m_out->filePath(QStringLiteral("evidence"));
    QVERIFY(QDir().mkdir(folder));
    EvidenceExport job(clipPlan(ExportTestClips::aviFirst(), 0, 1000), folder, false);
    QVERIFY(!job.start());
    QVERIFY(job.errorString().contains(QStringLiteral("already exists")));
    QCOMPARE(parentEntries(), QStringList{"evidence"});
    QCOMPARE(filesBelow(folder), QStringList());
}

QTEST_MAIN(TestEvidenceExport)
#include "tst_evidenceexport.moc"
