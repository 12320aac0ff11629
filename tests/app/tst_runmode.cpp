#include "app/runmode.h"

#include <QTest>

class TestRunMode : public QObject
{
    Q_OBJECT
private slots:
    void chooses_data();
    void chooses();
};

void TestRunMode::chooses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("viewer");
    QTest::addColumn<bool>("returnToSuite");
    QTest::addColumn<QString>("title");

    const QString viewer = QStringLiteral("Viewer");
    const QString settings = QStringLiteral("QRD-7700 Setting");
    QTest::newRow("no argument") << QStringList{"qrd7700"} << true << false << viewer;
    QTest::newRow("pop") << QStringList{"qrd7700", "pop"} << true << true << viewer;
    QTest::newRow("POP is not pop") << QStringList{"qrd7700", "POP"} << false << false << settings;
    QTest::newRow("pop2 is not pop") << QStringList{"qrd7700", "pop2"} << false << false << settings;
    QTest::newRow("empty argument") << QStringList{"qrd7700", ""} << false << false << settings;
    QTest::newRow("any single word") << QStringList{"qrd7700", "setup"} << false << false << settings;
    QTest::newRow("two arguments") << QStringList{"qrd7700", "pop", "x"} << false << true << settings;
    QTest::newRow("three arguments") << QStringList{"qrd7700", "a", "b", "c"} << false << true << settings;
    QTest::newRow("no program name") << QStringList{} << true << false << viewer;
}

void TestRunMode::chooses()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, viewer);
    QFETCH(bool, returnToSuite);
    QFETCH(QString, title);

    const RunModeChoice choice = chooseRunMode(arguments);
    QCOMPARE(choice.mode == RunMode::Viewer, viewer);
    QCOMPARE(choice.returnToSuite, returnToSuite);
    QCOMPARE(choice.windowTitle, title);
}

QTEST_GUILESS_MAIN(TestRunMode)
#include "tst_runmode.moc"
