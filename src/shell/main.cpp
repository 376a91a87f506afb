#include "shell/cli.h"

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
