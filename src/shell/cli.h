#pragma once
#include <QStringList>

namespace kervio {

// True when the arguments ask for the headless command line.
bool isCommandLine(int argc, char **argv);
// Runs the command line; needs only a QCoreApplication.
int runCommandLine(const QStringList &arguments);

} // namespace kervio
