#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

// A program started in a process group of its own, so that it and every process it starts (the
// web engine's helpers among them) can be measured and ended together.
class ProcessTree
{
public:
    ProcessTree() = default;
    ~ProcessTree();
    ProcessTree(const ProcessTree &) = delete;
    ProcessTree &operator=(const ProcessTree &) = delete;

    bool start(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment);
    // CPU seconds (user + system) used so far by the live processes of the group.
    double cpuSeconds() const;
    // Resident memory of the group in bytes.
    qint64 residentBytes() const;
    bool isRunning();
    // Ends the whole group (SIGTERM, then SIGKILL) and waits for the program.
    void stop();
    QString output() const { return m_output; }

private:
    QList<int> members() const;

    QProcess m_process;
    int m_group = 0;
    QString m_output;
};
