#include "report/gui/printcommand.h"
#include "shell/cli.h"
#include "shell/gui/program.h"
#include "spreadsheet/tempfiles.h"

#include <cstdio>

namespace {

// On the command line standard error carries the program's messages only;
// the toolkit's own notices (a missing runtime folder, an offscreen
// platform's limits) would read as if they were some.
void quietToolkit(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char **argv)
{
    kervio::removeStaleExportFiles();
    const kervio::CommandLine commandLine(kervio::argumentsOf(argc, argv));
    switch (commandLine.mode()) {
    case kervio::CommandLine::Mode::Window:
        return kervio::runProgram(argc, argv);
    case kervio::CommandLine::Mode::Screenshot:
        qInstallMessageHandler(quietToolkit);
        return kervio::runScreenshot(argc, argv, commandLine.screenshotPath());
    case kervio::CommandLine::Mode::Command:
        break;
    }
    qInstallMessageHandler(quietToolkit);
    kervio::installCommandLinePrinting();
    return commandLine.run();
}
