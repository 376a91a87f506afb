#pragma once
#include <QStringList>

namespace kervio {

// The spreadsheet options of the command line (arguments as the program
// got them, its name first):
//   --export IN.krv --xlsx OUT.xlsx
//   --import BOOK --mapping vade=1,islem=2,... --output OUT.krv
// Messages go to standard error one line each. Exit status: 0 done,
// 2 input unreadable or refused, 3 output not written, 64 bad usage.
// Needs only a QCoreApplication.
int runSpreadsheetCommandLine(const QStringList &arguments);
// True when the arguments name one of those options.
bool isSpreadsheetCommandLine(const QStringList &arguments);

} // namespace kervio
