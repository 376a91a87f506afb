#pragma once
// The program run as a user runs it, for tests that define KERVIO_BINARY.
#include <QProcess>
#include <QStringList>

namespace kervio::test {

struct Run {
    bool exited = false; // ended by itself, not by a crash or a kill
    int exitCode = -1;
    QByteArray err;

    // Standard error's lines (UTF-8), empty ones left out.
    QStringList errorLines() const { return QString::fromUtf8(err).split(u'\n', Qt::SkipEmptyParts); }
};

inline Run runKervio(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(KERVIO_BINARY), args);
    Run r;
    if (!p.waitForFinished(120000))
        p.kill();
    r.exited = p.exitStatus() == QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace kervio::test
