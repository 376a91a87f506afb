#pragma once
// The peak memory the benchmarks print.
#include <QFile>

namespace kervio::bench {

// The peak resident memory of this process since it started its program, in
// MB, as the kernel counts it (VmHWM, what /usr/bin/time -v reports as the
// maximum resident set size); -1 where it cannot be read.
inline long peakResidentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
    return -1;
}

} // namespace kervio::bench
