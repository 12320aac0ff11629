#include <QtTest>

#include "settingsui/configlayout.h"

using namespace ConfigLayout;

Q_DECLARE_METATYPE(ConfigLayout::ModelGroup)
Q_DECLARE_METATYPE(ConfigLayout::Mark)

namespace {

// A hit flattened for comparison: kind, slot, value; "none" as kind -1.
struct FlatHit
{
    int kind = -1;
    int slot = -1;
    int value = 0;
    bool operator==(const FlatHit &) const = default;
};

FlatHit flatten(const std::optional<Hit> &hit)
{
    if (!hit)
        return {};
    return {int(hit->kind), hit->slot, hit->value};
}

FlatHit set(int slot, int value)
{
    return {int(Hit::Kind::SetSlot), slot, value};
}

FlatHit toggle(int slot)
{
    return {int(Hit::Kind::ToggleSlot), slot, 0};
}

FlatHit speedUnit(int unit)
{
    return {int(Hit::Kind::SpeedUnit), -1, unit};
}

// The marks painted over the boxes of one slot's group, in box order (None where nothing).
QList<Mark> marksOfSlot(const Values &values, ModelGroup model, int slot)
{
    const BoxGroup *group = groupForSlot(slot);
    QList<Mark> result;
    const std::vector<MarkPaint> painted = marks(values, model);
    for (const Box &box : group->boxes) {
        Mark found = Mark::None;
        for (const MarkPaint &paint : painted) {
            if (paint.rect == box.mark)
                found = paint.mark;
        }
        result.append(found);
    }
    return result;
}

} // namespace

namespace QTest {
template<>
char *toString(const FlatHit &hit)
{
    return qstrdup(QByteArray("kind ") + QByteArray::number(hit.kind) + " slot " + QByteArray::number(hit.slot)
                   + " value " + QByteArray::number(hit.value));
}
} // namespace QTest

class TestConfigLayout : public QObject
{
    Q_OBJECT

private slots:
    void everyMarkLiesInsideItsTarget();
    void choiceTextEndsLeftOfItsBox();
    void hitTest_data();
    void hitTest();
    void marks_data();
    void marks();
    void noModelShowsNothingChosen();
    void toggleFlipsBetweenZeroAndOne_data();
    void toggleFlipsBetweenZeroAndOne();
};

void TestConfigLayout::everyMarkLiesInsideItsTarget()
{
    for (const BoxGroup &group : boxGroups()) {
        for (const Box &box : group.boxes) {
            QVERIFY2(targetContains(box.target, box.mark.topLeft())
                         && targetContains(box.target, box.mark.bottomRight()),
                     qPrintable(QStringLiteral("slot %1 value %2").arg(group.slot).arg(box.value)));
            // The centre of the drawn box must answer with this very box.
            const auto hit = ConfigLayout::hitTest(box.mark.center(), ModelGroup::Main);
            if (isClickable(group, ModelGroup::Main)) {
                QVERIFY(hit);
                QCOMPARE(hit->slot, group.slot);
                if (group.kind == BoxKind::Choice)
                    QCOMPARE(hit->value, box.value);
            } else {
                QVERIFY(!hit);
            }
        }
    }
}

void TestConfigLayout::choiceTextEndsLeftOfItsBox()
{
    for (const BoxGroup &group : boxGroups()) {
        for (const Box &box : group.boxes) {
            if (box.textRect.isEmpty())
                continue;
            QVERIFY(box.textRect.right() < box.mark.left());
            QVERIFY(box.textRow >= 0 || box.literal);
        }
    }
}

void TestConfigLayout::hitTest_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<ModelGroup>("model");
    QTest::addColumn<FlatHit>("expected");

    const auto main = ModelGroup::Main;
    const auto other = ModelGroup::Other;
    const auto none = ModelGroup::None;
    QTest::newRow("quality middle") << QPoint(300, 95) << main << set(1, 2);
    QTest::newRow("quality low, left edge counts") << QPoint(168, 88) << main << set(1, 1);
    QTest::newRow("quality low, right edge counts") << QPoint(232, 105) << main << set(1, 1);
    QTest::newRow("between two boxes") << QPoint(250, 95) << main << FlatHit{};
    QTest::newRow("just below a row's target") << QPoint(300, 106) << main << FlatHit{};
    QTest::newRow("resolution row changes nothing") << QPoint(290, 66) << main << FlatHit{};
    QTest::newRow("speed unit row changes nothing") << QPoint(290, 480) << main << FlatHit{};
    QTest::newRow("frame rate high") << QPoint(420, 120) << main << set(2, 3);
    QTest::newRow("frame rate still answers other models") << QPoint(180, 120) << other << set(2, 1);
    QTest::newRow("sound on") << QPoint(320, 147) << main << set(3, 1);
    QTest::newRow("volume high") << QPoint(515, 173) << main << set(4, 3);
    QTest::newRow("clock tick box") << QPoint(170, 237) << main << toggle(5);
    QTest::newRow("clock tick box far corner") << QPoint(179, 245) << main << toggle(5);
    QTest::newRow("right of the clock tick box") << QPoint(180, 237) << main << FlatHit{};
    QTest::newRow("24-Hr") << QPoint(402, 284) << main << set(6, 0);
    QTest::newRow("12-Hr") << QPoint(500, 290) << main << set(6, 1);
    QTest::newRow("event files 60") << QPoint(410, 378) << main << set(8, 60);
    QTest::newRow("parking motion") << QPoint(410, 402) << main << set(9, 2);
    QTest::newRow("motion low") << QPoint(200, 430) << main << set(10, 1);
    QTest::newRow("front LED") << QPoint(220, 508) << main << toggle(14);
    QTest::newRow("rear LED on Main") << QPoint(320, 508) << main << toggle(15);
    QTest::newRow("rear LED absent for other models") << QPoint(320, 508) << other << FlatHit{};
    QTest::newRow("theme off") << QPoint(200, 533) << main << set(17, 0);
    QTest::newRow("theme absent for other models") << QPoint(200, 533) << other << FlatHit{};
    QTest::newRow("screen saver 2 min") << QPoint(420, 560) << main << set(18, 2);
    QTest::newRow("no model: rows do not answer") << QPoint(300, 95) << none << FlatHit{};
    QTest::newRow("hidden km/h target") << QPoint(219, 597) << main << speedUnit(1);
    QTest::newRow("hidden km/h target, far corner") << QPoint(283, 614) << main << speedUnit(1);
    QTest::newRow("hidden mph target without a model") << QPoint(340, 600) << none << speedUnit(2);
    QTest::newRow("between the hidden targets") << QPoint(300, 600) << main << FlatHit{};
}

void TestConfigLayout::hitTest()
{
    QFETCH(QPoint, point);
    QFETCH(ModelGroup, model);
    QFETCH(FlatHit, expected);
    QCOMPARE(flatten(ConfigLayout::hitTest(point, model)), expected);
}

void TestConfigLayout::marks_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("value");
    QTest::addColumn<ModelGroup>("model");
    QTest::addColumn<QList<Mark>>("expected");

    const auto main = ModelGroup::Main;
    const auto other = ModelGroup::Other;
    const Mark C = Mark::Chosen, T = Mark::Ticked, U = Mark::UnavailableChoice, D = Mark::UnavailableToggle,
               N = Mark::None;
    QTest::newRow("quality middle") << 1 << 2 << main << QList<Mark>{N, C, N};
    QTest::newRow("event files stored as 0 show on 60") << 8 << 10 << main << QList<Mark>{N, N, C};
    QTest::newRow("unknown volume marks the last box") << 4 << -1 << main << QList<Mark>{N, N, N, C};
    QTest::newRow("resolution always on HD") << 0 << 3 << main << QList<Mark>{U, C, U};
    QTest::newRow("frame rate for Main") << 2 << 1 << main << QList<Mark>{C, N, N};
    QTest::newRow("frame rate for others sits on High") << 2 << 1 << other << QList<Mark>{U, U, C};
    QTest::newRow("speed unit never marked") << 13 << 1 << main << QList<Mark>{U, U};
    QTest::newRow("clock box ticked") << 5 << 1 << main << QList<Mark>{T};
    QTest::newRow("clock box clear") << 5 << 0 << main << QList<Mark>{N};
    QTest::newRow("front LED on for other models") << 14 << 1 << other << QList<Mark>{T};
    QTest::newRow("rear LED for other models") << 15 << 1 << other << QList<Mark>{D};
    QTest::newRow("theme for other models") << 17 << 1 << other << QList<Mark>{U, U};
    QTest::newRow("screen saver 1 min") << 18 << 1 << main << QList<Mark>{N, C, N};
    QTest::newRow("12-Hr") << 6 << 1 << main << QList<Mark>{N, C};
}

void TestConfigLayout::marks()
{
    QFETCH(int, slot);
    QFETCH(int, value);
    QFETCH(ModelGroup, model);
    QFETCH(QList<Mark>, expected);
    Values values = constructionValues();
    values[size_t(slot)] = value;
    QCOMPARE(marksOfSlot(values, model, slot), expected);
}

void TestConfigLayout::noModelShowsNothingChosen()
{
    int boxes = 0;
    for (const BoxGroup &group : boxGroups())
        boxes += int(group.boxes.size());
    const std::vector<MarkPaint> painted = ConfigLayout::marks(constructionValues(), ModelGroup::None);
    QCOMPARE(int(painted.size()), boxes);
    for (const MarkPaint &paint : painted)
        QVERIFY(paint.mark == Mark::UnavailableChoice || paint.mark == Mark::UnavailableToggle);
}

void TestConfigLayout::toggleFlipsBetweenZeroAndOne_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("off to on") << 0 << 1;
    QTest::newRow("on to off") << 1 << 0;
    QTest::newRow("odd value from the card to off") << 7 << 0;
}

void TestConfigLayout::toggleFlipsBetweenZeroAndOne()
{
    QFETCH(int, before);
    QFETCH(int, after);
    Values values = constructionValues();
    values[slotOf(RecorderSetting::SecurityLed)] = before;
    int unit = 1;
    applyHit(Hit{Hit::Kind::ToggleSlot, slotOf(RecorderSetting::SecurityLed), 0}, values, unit);
    QCOMPARE(values[slotOf(RecorderSetting::SecurityLed)], after);
    QCOMPARE(unit, 1);
    applyHit(Hit{Hit::Kind::SpeedUnit, -1, 2}, values, unit);
    QCOMPARE(unit, 2);
}

QTEST_GUILESS_MAIN(TestConfigLayout)
#include "tst_configlayout.moc"
