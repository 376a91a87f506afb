#include "shell/cli.h"
#include "shell/cli_report.h"

#include <QCoreApplication>

#ifdef KERVIO_WITH_GUI
#include "shell/gui/guiapp.h"
#endif

int main(int argc, char **argv)
{
#ifdef KERVIO_WITH_GUI
    if (kervio::isScreenshotRequest(argc, argv))
        return kervio::runGui(argc, argv);
#endif
    {
        // the report needs fonts: it makes its own offscreen application
        QStringList args;
        for (int i = 0; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        if (kervio::isReportCommandLine(args))
            return kervio::runReportCommandLine(args);
    }
    if (kervio::isCommandLine(argc, argv)) {
        QCoreApplication app(argc, argv);
        return kervio::runCommandLine(QCoreApplication::arguments());
    }
#ifdef KERVIO_WITH_GUI
    return kervio::runGui(argc, argv);
#else
    return kervio::runCommandLine({QStringLiteral("kervio"), QStringLiteral("--help")});
#endif
}
