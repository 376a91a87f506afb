#pragma once
#include <QStringList>

namespace kervio {

// True when the arguments ask to print a report without a window.
bool isPrintCommandLine(const QStringList &arguments);

// kervio --report IN.krv --print [--printer NAME] [--pages LIST] [--copies N] [--net]
// Opens IN.krv as "KAYITTAN AÇ" does and prints the report that "YAZDIR"
// (with --net the picture button) previews, on the default printer unless
// one is named: the pages of LIST ("1,3,5-12") or all, N copies collated.
// Messages go to standard error, one line each. Exit status: 0 printed, 2
// the file could not be opened, 3 the report could not be made or printed,
// 64 bad options. `arguments` may start with the program name.
int runPrintCommandLine(const QStringList &arguments);

} // namespace kervio
