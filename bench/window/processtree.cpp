#include "processtree.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>
#include <unistd.h>

namespace {

// Fields of /proc/PID/stat after the command name, which may hold spaces and brackets.
QStringList statFields(int pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.readAll();
    const int close = text.lastIndexOf(')');
    if (close < 0)
        return {};
    return QString::fromLatin1(text.mid(close + 2)).split(QLatin1Char(' '));
}

} // namespace

ProcessTree::~ProcessTree()
{
    stop();
}

bool ProcessTree::start(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setChildProcessModifier([] { setpgid(0, 0); });
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(10000))
        return false;
    m_group = int(m_process.processId());
    return true;
}

// Members of the group: field 3 (after the state) of /proc/PID/stat is the process group.
QList<int> ProcessTree::members() const
{
    QList<int> pids;
    if (m_group <= 0)
        return pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool number = false;
        const int pid = entry.toInt(&number);
        if (!number)
            continue;
        const QStringList fields = statFields(pid);
        if (fields.size() > 2 && fields.at(2).toInt() == m_group)
            pids.append(pid);
    }
    return pids;
}

double ProcessTree::cpuSeconds() const
{
    const double ticks = double(sysconf(_SC_CLK_TCK));
    double total = 0;
    for (int pid : members()) {
        const QStringList fields = statFields(pid);
        // utime and stime are fields 14 and 15 of the whole line, 12 and 13 after the name.
        if (fields.size() > 12)
            total += (fields.at(11).toDouble() + fields.at(12).toDouble()) / ticks;
    }
    return total;
}

qint64 ProcessTree::residentBytes() const
{
    const qint64 page = sysconf(_SC_PAGESIZE);
    qint64 total = 0;
    for (int pid : members()) {
        const QStringList fields = statFields(pid);
        if (fields.size() > 21)
            total += fields.at(21).toLongLong() * page;
    }
    return total;
}

bool ProcessTree::isRunning()
{
    // Without an event loop the process's end is only noticed when asked for.
    m_process.waitForFinished(0);
    return m_process.state() == QProcess::Running;
}

void ProcessTree::stop()
{
    if (m_group <= 0)
        return;
    ::kill(-m_group, SIGTERM);
    if (!m_process.waitForFinished(5000)) {
        ::kill(-m_group, SIGKILL);
        m_process.waitForFinished(5000);
    }
    // Helpers that outlive the program are ended too.
    for (int attempt = 0; attempt < 50 && !members().isEmpty(); ++attempt) {
        ::kill(-m_group, SIGKILL);
        QThread::msleep(100);
    }
    m_output = QString::fromLocal8Bit(m_process.readAll());
    m_group = 0;
}
