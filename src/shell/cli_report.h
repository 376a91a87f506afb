#pragma once
#include <QStringList>

#include <memory>

class QGuiApplication;

namespace kervio {

struct ComposedReport;
struct CommandLineSession;

// True when the arguments ask for the report command line.
bool isReportCommandLine(const QStringList &arguments);

// kervio --report IN.krv --pdf OUT.pdf [--net]
// Opens IN.krv as "KAYITTAN AÇ" does and writes the report that "YAZDIR"
// (with --net the picture button) previews as a PDF. Messages go to standard
// error, one line each. Exit status: 0 written, 2 the file could not be
// opened, 3 the report could not be made or written, 64 bad options.
// The fonts need a QGuiApplication: when no application object exists yet an
// offscreen one is made for the run; a plain QCoreApplication is refused.
// `arguments` may start with the program name.
int runReportCommandLine(const QStringList &arguments);

// The steps every report command shares. An offscreen application when none
// exists yet; null with a message on standard error when a plain
// QCoreApplication runs, which has no fonts (`ok` false then).
std::unique_ptr<QGuiApplication> reportApplication(bool *ok);
// Opens `in` in `cli` as "KAYITTAN AÇ" does and prepares the report
// "YAZDIR" (with `net` the picture button) would preview. Returns the exit
// status: 0, or 2 the file could not be opened, 3 the report could not be
// made, with the reason on standard error.
int prepareReportOf(CommandLineSession &cli, const QString &in, bool net, ComposedReport &report);

} // namespace kervio
