#include "playback/mediagraphbuilder_p.h"

#include "playback/mediaframework.h"

#include <QTest>

// Pad lookup by name, as the recipes use it on demuxers: whole names or "name_N", any letter case.
class TestMediaGraphBuilder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void countPins_data();
    void countPins();
    void findPinSkipsEarlierMatches();
    void autoPluggedPadsMatchByMediaType();

private:
    Gst::ElementPtr m_bin;
    GstElement *m_tee = nullptr;
};

void TestMediaGraphBuilder::initTestCase()
{
    QVERIFY(MediaFramework::initialise());
}

void TestMediaGraphBuilder::init()
{
    // capsfilter (video caps) -> tee with two request pads named src_0 and src_1
    m_bin = Gst::adoptFloating(gst_bin_new("bin"));
    GstElement *filter = gst_element_factory_make("capsfilter", "filter");
    m_tee = gst_element_factory_make("tee", "tee");
    QVERIFY(filter && m_tee);
    Gst::CapsPtr caps(gst_caps_from_string("video/x-raw,format=YUY2"));
    g_object_set(filter, "caps", caps.get(), nullptr);
    gst_bin_add_many(GST_BIN(m_bin.get()), filter, m_tee, nullptr);
    QVERIFY(gst_element_link(filter, m_tee));
    QVERIFY(gst_element_request_pad_simple(m_tee, "src_%u"));
    QVERIFY(gst_element_request_pad_simple(m_tee, "src_%u"));
}

void TestMediaGraphBuilder::cleanup()
{
    m_tee = nullptr;
    m_bin.reset();
}

void TestMediaGraphBuilder::countPins_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("count");
    QTest::newRow("numbered pads by their stem") << "src" << 2;
    QTest::newRow("stem in capitals") << "SRC" << 2;
    QTest::newRow("one whole name") << "src_1" << 1;
    QTest::newRow("whole name in mixed case") << "Src_0" << 1;
    QTest::newRow("no prefix match") << "sr" << 0;
    QTest::newRow("stem with trailing underscore") << "src_" << 0;
    QTest::newRow("sink pads are not counted") << "sink" << 0;
    QTest::newRow("absent name") << "audio" << 0;
}

void TestMediaGraphBuilder::countPins()
{
    QFETCH(QString, name);
    QFETCH(int, count);
    QCOMPARE(MediaGraphBuilder::countPins(m_tee, name), count);
}

void TestMediaGraphBuilder::findPinSkipsEarlierMatches()
{
    Gst::PadPtr first = MediaGraphBuilder::findPin(m_tee, QStringLiteral("src"));
    Gst::PadPtr second = MediaGraphBuilder::findPin(m_tee, QStringLiteral("src"), 1);
    QVERIFY(first && second);
    QCOMPARE(QByteArray(GST_OBJECT_NAME(first.get())), QByteArray("src_0"));
    QCOMPARE(QByteArray(GST_OBJECT_NAME(second.get())), QByteArray("src_1"));
    QVERIFY(!MediaGraphBuilder::findPin(m_tee, QStringLiteral("src"), 2));
}

void TestMediaGraphBuilder::autoPluggedPadsMatchByMediaType()
{
    // Pads named src_N (as parsebin names them) stand for the media type their caps carry.
    QCOMPARE(MediaGraphBuilder::countPins(m_tee, QStringLiteral("video")), 2);
    QCOMPARE(MediaGraphBuilder::countPins(m_tee, QStringLiteral("VIDEO")), 2);
    QCOMPARE(MediaGraphBuilder::countPins(m_tee, QStringLiteral("audio")), 0);
}

QTEST_GUILESS_MAIN(TestMediaGraphBuilder)
#include "tst_mediagraphbuilder.moc"
