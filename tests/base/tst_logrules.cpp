// The program's debug lines stay out of normal use and come back with QT_LOGGING_RULES. Each row
// starts this test again as a child that installs the program's rules and logs as the program does.
#include "base/logrules.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QProcess>
#include <QTest>

#include <cstring>

namespace {

constexpr auto kChildArgument = "--log-as-the-program";

int logAsTheProgram(int argc, char **argv)
{
    installLogRules();
    QCoreApplication app(argc, argv);
    const QLoggingCategory dashboard("qrd7700.viewer.dashboard");
    const QLoggingCategory media("qrd7700.playback");
    qCDebug(dashboard, "break y(mousePressEvent) = %d", 55);
    qCDebug(media) << "Player warning:" << "no sound card";
    qCWarning(media) << "the clip plays without sound";
    qCInfo(QLoggingCategory("qt.webenginecontext")) << "GL dump";
    return 0;
}

} // namespace

class TestLogRules : public QObject
{
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<QString>("rules"); // QT_LOGGING_RULES of the child; "-" for unset
        QTest::addColumn<QStringList>("lines");
        const QString warning = QStringLiteral("qrd7700.playback: the clip plays without sound");
        QTest::newRow("normal use") << "-" << QStringList{warning};
        QTest::newRow("rules of the test scripts") << "qt.webenginecontext.info=false" << QStringList{warning};
        QTest::newRow("debug lines asked for")
            << "qrd7700.*.debug=true"
            << QStringList{QStringLiteral("qrd7700.viewer.dashboard: break y(mousePressEvent) = 55"),
                           QStringLiteral("qrd7700.playback: Player warning: no sound card"), warning};
        QTest::newRow("one category asked for")
            << "qrd7700.viewer.dashboard.debug=true"
            << QStringList{QStringLiteral("qrd7700.viewer.dashboard: break y(mousePressEvent) = 55"), warning};
    }
    void rules()
    {
        QFETCH(QString, rules);
        QFETCH(QStringList, lines);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_LOGGING_RULES"));
        environment.remove(QStringLiteral("QT_LOGGING_CONF"));
        if (rules != QLatin1String("-"))
            environment.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
        environment.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{category}: %{message}"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QLatin1String(kChildArgument)});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(child.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts), lines);
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], kChildArgument) == 0)
        return logAsTheProgram(argc, argv);
    QCoreApplication app(argc, argv);
    TestLogRules test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logrules.moc"
