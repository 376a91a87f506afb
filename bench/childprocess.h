#pragma once
// A program run to its end by a benchmark, with its wall time and its own
// peak memory: forked while the benchmark is still small, since a child's
// peak counts what it shared with its parent.
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kervio::bench {

struct ChildRun {
    int exitCode = -1; // -1 when it did not end by itself
    double wallMs = 0;
    double cpuMs = 0; // user and system time: the wall time on a machine doing nothing else
    double peakMb = 0;
};

inline ChildRun runChild(const QStringList &command, bool quiet = true)
{
    std::vector<QByteArray> args;
    for (const QString &a : command)
        args.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QElapsedTimer t;
    t.start();
    const pid_t pid = fork();
    if (pid == 0) {
        if (quiet && !freopen("/dev/null", "w", stdout))
            _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    ChildRun r;
    r.wallMs = double(t.nsecsElapsed()) / 1e6;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.cpuMs = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
              + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    r.peakMb = double(usage.ru_maxrss) / 1024.0;
    return r;
}

} // namespace kervio::bench
