#pragma once
#include <QStringList>

namespace kervio {

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

} // namespace kervio
