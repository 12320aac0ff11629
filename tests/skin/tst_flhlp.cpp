#include <QMouseEvent>
#include <QPointer>
#include <QtTest>

#include "skin/flhlp.h"

namespace {

// A window that counts the mouse events it receives, to show the filter consumes none.
class CountingWindow : public QWidget
{
public:
    int presses = 0, moves = 0, releases = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
    void mouseMoveEvent(QMouseEvent *) override { ++moves; }
    void mouseReleaseEvent(QMouseEvent *) override { ++releases; }
};

void sendMouse(QWidget *w, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    const QPointF local = w->mapFromGlobal(QPointF(global));
    QMouseEvent event(type, local, local, QPointF(global), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

// Press at `pressOffset` from the window's top-left corner, drag to `to`, release there.
void drag(QWidget *w, QPoint pressOffset, QPoint to, Qt::MouseButton button)
{
    const QPoint press = w->frameGeometry().topLeft() + pressOffset;
    sendMouse(w, QEvent::MouseButtonPress, press, button, button);
    sendMouse(w, QEvent::MouseMove, to, Qt::NoButton, button);
    sendMouse(w, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

} // namespace

class TestFlHlp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void attachingMakesFrameless();
    void drag_data();
    void drag();
    void dragAfterReleaseMovesNothing();
    void attachingTwiceKeepsOneFilter();
    void detachRestoresFlags();
    void destroyedWithItsWindow();

private:
    CountingWindow *m_window = nullptr;
    FlHlp *m_helper = nullptr;
};

void TestFlHlp::init()
{
    m_window = new CountingWindow;
    m_window->resize(300, 200);
    m_window->move(100, 100);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_helper = new FlHlp(m_window);
    m_helper->attachTo(m_window);
    m_helper->setResizable(false);
    m_helper->setMovable(true);
}

void TestFlHlp::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestFlHlp::attachingMakesFrameless()
{
    QCOMPARE(m_window->windowFlags() & ~Qt::WindowType_Mask,
             Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    QVERIFY(m_window->isVisible());
    QVERIFY(m_window->hasMouseTracking());
    QVERIFY(m_window->testAttribute(Qt::WA_Hover));
    QVERIFY(m_helper->isAttached(m_window));
    QVERIFY(!m_helper->isResizable());
}

void TestFlHlp::drag_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("movable");
    QTest::addColumn<QPoint>("expectedCorner");

    QTest::newRow("left drag moves the corner to the drop point minus the offset")
        << Qt::LeftButton << true << QPoint(490, 295);
    QTest::newRow("right drag moves nothing") << Qt::RightButton << true << QPoint(100, 100);
    QTest::newRow("movable off moves nothing") << Qt::LeftButton << false << QPoint(100, 100);
}

void TestFlHlp::drag()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, movable);
    QFETCH(QPoint, expectedCorner);

    QTRY_COMPARE(m_window->frameGeometry().topLeft(), QPoint(100, 100));
    m_helper->setMovable(movable);
    ::drag(m_window, QPoint(10, 5), QPoint(500, 300), button);

    QTRY_COMPARE(m_window->frameGeometry().topLeft(), expectedCorner);
    // The filter watches; the window still gets every event.
    QCOMPARE(m_window->presses, 1);
    QCOMPARE(m_window->moves, 1);
    QCOMPARE(m_window->releases, 1);
}

void TestFlHlp::dragAfterReleaseMovesNothing()
{
    ::drag(m_window, QPoint(10, 5), QPoint(500, 300), Qt::LeftButton);
    QTRY_COMPARE(m_window->frameGeometry().topLeft(), QPoint(490, 295));
    sendMouse(m_window, QEvent::MouseMove, QPoint(50, 60), Qt::NoButton, Qt::NoButton);
    QCOMPARE(m_window->frameGeometry().topLeft(), QPoint(490, 295));
}

void TestFlHlp::attachingTwiceKeepsOneFilter()
{
    m_helper->attachTo(m_window);
    ::drag(m_window, QPoint(10, 5), QPoint(500, 300), Qt::LeftButton);
    QTRY_COMPARE(m_window->frameGeometry().topLeft(), QPoint(490, 295));

    // One detach removes the one filter: a second filter would still move the window.
    m_helper->detachFrom(m_window);
    QVERIFY(!m_helper->isAttached(m_window));
    ::drag(m_window, QPoint(10, 5), QPoint(200, 200), Qt::LeftButton);
    QTRY_COMPARE(m_window->frameGeometry().topLeft(), QPoint(490, 295));
}

void TestFlHlp::detachRestoresFlags()
{
    QWidget plain;
    plain.setWindowFlags(Qt::Tool);
    const Qt::WindowFlags before = plain.windowFlags();
    FlHlp helper;
    helper.attachTo(&plain);
    QVERIFY(plain.windowFlags() != before);
    helper.detachFrom(&plain);
    QCOMPARE(plain.windowFlags(), before);
    QVERIFY(!plain.hasMouseTracking());
    QVERIFY(!plain.testAttribute(Qt::WA_Hover));
    QVERIFY(!plain.isVisible());
}

void TestFlHlp::destroyedWithItsWindow()
{
    // The helper's usual life: a child of the window it moves, destroyed with it.
    QPointer<FlHlp> helper = m_helper;
    delete m_window;
    m_window = nullptr;
    QVERIFY(helper.isNull());

    // A helper that outlives its window forgets the window.
    FlHlp outliving;
    auto *window = new QWidget;
    outliving.attachTo(window);
    delete window;
    QVERIFY(!outliving.isAttached(window));
}

QTEST_MAIN(TestFlHlp)
#include "tst_flhlp.moc"
