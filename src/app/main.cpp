#include "core/numericlocale.h"
#include "report/gui/printcommand.h"
#include "shell/cli.h"
#include "shell/cli_report.h"
#include "shell/gui/program.h"

#include <QCoreApplication>
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
    if (kervio::isScreenshotRequest(argc, argv)) {
        qInstallMessageHandler(quietToolkit);
        return kervio::runGui(argc, argv);
    }
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (kervio::isPrintCommandLine(args)) {
        qInstallMessageHandler(quietToolkit);
        return kervio::runPrintCommandLine(args);
    }
    if (kervio::isReportCommandLine(args)) {
        // the report needs fonts: it makes its own offscreen application
        qInstallMessageHandler(quietToolkit);
        return kervio::runReportCommandLine(args);
    }
    if (kervio::isCommandLine(argc, argv)) {
        qInstallMessageHandler(quietToolkit);
        QCoreApplication app(argc, argv);
        kervio::useCNumericLocaleInProcess();
        return kervio::runCommandLine(QCoreApplication::arguments());
    }
    return kervio::runGui(argc, argv);
}
