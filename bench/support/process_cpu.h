#pragma once
// CPU time and memory of this process and of others, for the benchmarks.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <sys/resource.h>
#include <unistd.h>

namespace varendo::bench {

// User plus system time of this process, in seconds.
inline double selfCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// User plus system time of a running process, from /proc; −1 when it cannot be read.
inline double processCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1.0;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks:
    // state is the first of them, utime the 12th and stime the 13th.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1.0;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

// A process's resident memory in KiB from /proc/PID/status: now (VmRSS) or its
// peak so far (VmHWM); 0 when it cannot be read. pid 0 is this process.
inline long residentKiB(qint64 pid, bool peak = false)
{
    QFile status(pid ? QStringLiteral("/proc/%1/status").arg(pid) : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = peak ? "VmHWM:" : "VmRSS:";
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

} // namespace varendo::bench
