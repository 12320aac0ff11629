// The range Export offers: between the marks, or the 30 s around the position, inside the clip.
#include "session/exportsession.h"

#include <QTest>

using Range = ExportSession::Range;
Q_DECLARE_METATYPE(std::optional<qint64>)

class TestExportSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void offeredRange_data()
    {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<std::optional<qint64>>("in");
        QTest::addColumn<std::optional<qint64>>("out");
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("to");
        QTest::addColumn<qint64>("moment");
        const std::optional<qint64> none;
        QTest::newRow("30 s around the middle of a minute") << 30000LL << 60000LL << none << none << 15000LL << 45000LL << 30000LL;
        QTest::newRow("near the start: the first 30 s") << 4000LL << 60000LL << none << none << 0LL << 30000LL << 4000LL;
        QTest::newRow("near the end: the last 30 s") << 58000LL << 60000LL << none << none << 30000LL << 60000LL << 58000LL;
        QTest::newRow("a clip shorter than 30 s: all of it") << 3000LL << 6000LL << none << none << 0LL << 6000LL << 3000LL;
        QTest::newRow("between the marks; the position outside shows the start")
            << 50000LL << 60000LL << std::optional<qint64>(10000) << std::optional<qint64>(20000) << 10000LL << 20000LL
            << 10000LL;
        QTest::newRow("marks set out before in")
            << 15000LL << 60000LL << std::optional<qint64>(20000) << std::optional<qint64>(10000) << 10000LL << 20000LL
            << 15000LL;
        QTest::newRow("in alone: to the end") << 15000LL << 60000LL << std::optional<qint64>(12000) << none << 12000LL
                                              << 60000LL << 15000LL;
        QTest::newRow("out alone: from the start") << 15000LL << 60000LL << none << std::optional<qint64>(25000) << 0LL
                                                   << 25000LL << 15000LL;
        QTest::newRow("both marks on one picture: 30 s around it")
            << 40000LL << 60000LL << std::optional<qint64>(40000) << std::optional<qint64>(40000) << 25000LL << 55000LL
            << 40000LL;
        QTest::newRow("a mark past the clip's end counts as the end")
            << 1000LL << 6000LL << std::optional<qint64>(2000) << std::optional<qint64>(9000) << 2000LL << 6000LL << 2000LL;
    }

    void offeredRange()
    {
        QFETCH(qint64, position);
        QFETCH(qint64, length);
        QFETCH(std::optional<qint64>, in);
        QFETCH(std::optional<qint64>, out);
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        QFETCH(qint64, moment);
        const Range range = ExportSession::rangeFor(position, length, in, out);
        QCOMPARE(range.fromMs, from);
        QCOMPARE(range.toMs, to);
        QCOMPARE(range.momentMs, moment);
    }
};

QTEST_GUILESS_MAIN(TestExportSession)
#include "tst_exportsession.moc"
