#include "viewer/widgetvolume.h"

#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <memory>

namespace {

// Shared with the test after the widget took the device over.
struct FakeState
{
    std::optional<quint32> volume;
    QList<quint32> writes;
};

class FakeVolumeDevice final : public VolumeDevice
{
public:
    explicit FakeVolumeDevice(std::shared_ptr<FakeState> state)
        : m_state(std::move(state))
    {
    }
    std::optional<quint32> volume() override { return m_state->volume; }
    bool setVolume(quint32 packed) override
    {
        m_state->writes.append(packed);
        if (!m_state->volume)
            return false;
        m_state->volume = packed;
        return true;
    }

private:
    std::shared_ptr<FakeState> m_state;
};

constexpr quint32 both(quint32 v)
{
    return v | (v << 16);
}

} // namespace

class TestWidgetVolume : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_state = std::make_shared<FakeState>();
        m_state->volume = both(5 * 6553);
    }

    void levelFromDeviceAtConstruction_data()
    {
        QTest::addColumn<std::optional<quint32>>("device");
        QTest::addColumn<int>("level");
        QTest::newRow("full volume 0xFFFF") << std::optional<quint32>(0xFFFFFFFFu) << 10;
        QTest::newRow("silent device") << std::optional<quint32>(0u) << 0;
        QTest::newRow("half volume") << std::optional<quint32>(both(0x8000)) << 5;
        QTest::newRow("left channel decides") << std::optional<quint32>(0xFFFF0000u | 13106u) << 2;
        QTest::newRow("just below one block") << std::optional<quint32>(both(6552)) << 0;
        QTest::newRow("unreadable device keeps 9") << std::optional<quint32>() << 9;
    }
    void levelFromDeviceAtConstruction()
    {
        QFETCH(std::optional<quint32>, device);
        QFETCH(int, level);
        m_state->volume = device;
        WidgetVolume widget(nullptr, std::make_unique<FakeVolumeDevice>(m_state));
        QCOMPARE(widget.level(), level);
        QVERIFY(m_state->writes.isEmpty());
    }

    void setLevelClampsAndWritesBothChannels_data()
    {
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("level");
        QTest::addColumn<quint32>("written");
        QTest::newRow("0 is silence") << 0 << 0 << 0u;
        QTest::newRow("negative clamps to silence") << -4 << 0 << 0u;
        QTest::newRow("middle") << 6 << 6 << both(39318);
        QTest::newRow("top is 0xFFFA, not 0xFFFF") << 10 << 10 << both(0xFFFA);
        QTest::newRow("40 clamps to 10") << 40 << 10 << both(0xFFFA);
    }
    void setLevelClampsAndWritesBothChannels()
    {
        QFETCH(int, requested);
        QFETCH(int, level);
        QFETCH(quint32, written);
        WidgetVolume widget(nullptr, std::make_unique<FakeVolumeDevice>(m_state));
        widget.setLevel(requested);
        QCOMPARE(widget.level(), level);
        QCOMPARE(m_state->writes, QList<quint32>{written});
    }

    void mouseMoveSetsLevel_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("level");
        for (int x = 0; x <= 3; ++x)
            QTest::addRow("x %d gives 0, silence", x) << x << 0;
        QTest::newRow("x 4 gives 1") << 4 << 1;
        QTest::newRow("x 9 gives 2") << 9 << 2;
        QTest::newRow("x 49 gives 10") << 49 << 10;
        QTest::newRow("x 200 gives 40, clamped to 10") << 200 << 10;
    }
    void mouseMoveSetsLevel()
    {
        QFETCH(int, x);
        QFETCH(int, level);
        WidgetVolume widget(nullptr, std::make_unique<FakeVolumeDevice>(m_state));
        widget.resize(52, 9);
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 4), widget.mapToGlobal(QPointF(x, 4)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &move);
        QCOMPARE(widget.level(), level);
        QCOMPARE(m_state->writes.last(), both(quint32(level) * 6553));
    }

    // The real pointer and wheel: a click sets the level under it (the left end is silence), a
    // notch of the wheel steps one block (fine wheels add up), the ends hold, and every level the
    // user sets is announced.
    void clickAndWheelSetTheLevel_data()
    {
        QTest::addColumn<QList<int>>("actions"); // >= 0: a click at that x; -1000 ± n: a wheel turn of n
        QTest::addColumn<QList<int>>("levels");  // the level after each action
        auto wheel = [](int delta) { return -1000 + delta; };
        QTest::newRow("click in the middle") << QList<int>{40} << QList<int>{8};
        QTest::newRow("click at the left end is silence") << QList<int>{0} << QList<int>{0};
        QTest::newRow("click past the last block is full") << QList<int>{51} << QList<int>{10};
        QTest::newRow("notches up and down") << QList<int>{20, wheel(120), wheel(120), wheel(-120)}
                                              << QList<int>{4, 5, 6, 5};
        QTest::newRow("half notches add up") << QList<int>{20, wheel(60), wheel(60)} << QList<int>{4, 4, 5};
        QTest::newRow("wheel down to silence and no further")
            << QList<int>{9, wheel(-120), wheel(-120), wheel(-120)} << QList<int>{2, 1, 0, 0};
        QTest::newRow("wheel stops at full") << QList<int>{49, wheel(240)} << QList<int>{10, 10};
    }
    void clickAndWheelSetTheLevel()
    {
        QFETCH(QList<int>, actions);
        QFETCH(QList<int>, levels);
        WidgetVolume widget(nullptr, std::make_unique<FakeVolumeDevice>(m_state));
        widget.resize(52, 9);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QSignalSpy chosen(&widget, &WidgetVolume::levelChosen);
        for (int i = 0; i < actions.size(); ++i) {
            if (actions[i] >= 0) {
                QTest::mouseClick(&widget, Qt::LeftButton, {}, QPoint(actions[i], 4));
            } else {
                const QPointF at(26, 4);
                QWheelEvent turn(at, widget.mapToGlobal(at), QPoint(), QPoint(0, actions[i] + 1000), Qt::NoButton,
                                 Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(&widget, &turn);
            }
            QCOMPARE(widget.level(), levels[i]);
            QCOMPARE(*m_state->volume, both(quint32(levels[i]) * 6553));
        }
        QVERIFY(!chosen.isEmpty());
        QCOMPARE(chosen.last().first().toInt(), levels.last());
        // Other buttons set nothing.
        QTest::mouseClick(&widget, Qt::RightButton, {}, QPoint(5, 4));
        QCOMPARE(widget.level(), levels.last());
    }

    void muteAndRestoreKeepsLevel()
    {
        WidgetVolume widget(nullptr, std::make_unique<FakeVolumeDevice>(m_state));
        widget.setLevel(7);
        widget.setSoundOn(false);
        QCOMPARE(*m_state->volume, 0u);
        QCOMPARE(widget.level(), 7);
        // A level set while the sound is off (a restored setting) waits for the sound to come back.
        widget.setLevel(3);
        widget.setLevel(7);
        QCOMPARE(*m_state->volume, 0u);
        widget.setSoundOn(true);
        QCOMPARE(*m_state->volume, both(7 * 6553));
        QCOMPARE(widget.level(), 7);
    }

    void failingDeviceChangesNothing()
    {
        m_state->volume.reset();
        WidgetVolume widget(nullptr, std::make_unique<FakeVolumeDevice>(m_state));
        widget.setLevel(3);
        widget.setSoundOn(false);
        widget.syncFromDevice();
        QCOMPARE(widget.level(), 3);
    }

    void paintsOneBlockPerLevelOnlyWhenEnabled()
    {
        if (QPixmap(QStringLiteral(":/gfx_r/2012/volume_level.png")).isNull())
            QSKIP("volume images not in the resources");
        WidgetVolume widget(nullptr, std::make_unique<FakeVolumeDevice>(m_state));
        widget.resize(52, 9);
        widget.setLevel(4);
        const QImage four = widget.grab().toImage();
        widget.setLevel(5);
        const QImage five = widget.grab().toImage();
        // Block i covers x 1 + 5i … 5 + 5i: level 5 adds the block at x 21 … 25 and nothing else.
        QCOMPARE(four.copy(0, 0, 21, 9), five.copy(0, 0, 21, 9));
        QVERIFY(four.copy(21, 1, 5, 7) != five.copy(21, 1, 5, 7));
        QCOMPARE(four.copy(26, 0, 26, 9), five.copy(26, 0, 26, 9));
        widget.setEnabled(false);
        const QImage disabled = widget.grab().toImage();
        widget.setLevel(1);
        QCOMPARE(widget.grab().toImage(), disabled);
        saveScreenshot(five);

        // A silent device at start gives level 0: the enabled bar shows no block either.
        m_state->volume = 0u;
        WidgetVolume silent(nullptr, std::make_unique<FakeVolumeDevice>(m_state));
        silent.resize(52, 9);
        QCOMPARE(silent.level(), 0);
        QCOMPARE(silent.grab().toImage(), disabled);
    }

private:
    static void saveScreenshot(const QImage &image)
    {
        const QString folder = qEnvironmentVariable("QRD7700_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            image.scaled(image.size() * 4).save(folder + QStringLiteral("/widgetvolume.png"));
    }

    std::shared_ptr<FakeState> m_state;
};

QTEST_MAIN(TestWidgetVolume)
#include "tst_widgetvolume.moc"
