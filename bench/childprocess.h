#pragma once
// A program run to its end by a benchmark, with its wall time and its own
// peak memory: forked while the benchmark is still small, since a child's
// peak counts what it shared with its parent.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
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

// The program measured: the argument that is no option, else the build's own.
inline QString kervioUnderTest(const QStringList &args)
{
    QString kervio = QCoreApplication::applicationDirPath() + QStringLiteral("/../src/kervio");
    for (const QString &a : args)
        if (!a.startsWith(QLatin1String("--")))
            kervio = a;
    return kervio;
}

// Runs `kervio` with `arguments`, where "IN" stands for a ledger of `entries`
// rows that a child of this benchmark makes first ("--generate N FILE") and
// "OUT.pdf" (any name starting "OUT") for a file of that name beside it, so that this process stays small and the
// program's figures are its own; prints them as `what` against the targets.
inline void commandLineFigures(const QString &kervio, const char *what, QStringList arguments, int entries,
                               double targetMs, double targetMb)
{
    std::fflush(stdout); // a child must not repeat what is still buffered
    QTemporaryDir dir;
    const QString ledger = dir.filePath(QStringLiteral("ledger.krv"));
    if (runChild({QCoreApplication::applicationFilePath(), QStringLiteral("--generate"), QString::number(entries), ledger})
            .exitCode != 0) {
        std::printf("could not generate a ledger of %d entries\n", entries);
        return;
    }
    for (QString &a : arguments)
        a = a == QLatin1String("IN") ? ledger : a.startsWith(QLatin1String("OUT")) ? dir.filePath(a) : a;
    arguments.prepend(kervio);
    const ChildRun r = runChild(arguments);
    std::printf("command line %s, %d entries: %.0f ms CPU, %.0f ms wall (target %.0f), peak memory %.0f MB%s%s\n", what,
                entries, r.cpuMs, r.wallMs, targetMs, r.peakMb,
                targetMb > 0 ? qPrintable(QStringLiteral(" (target %1)").arg(targetMb)) : "",
                r.exitCode == 0 ? "" : ", FAILED");
}

} // namespace kervio::bench
