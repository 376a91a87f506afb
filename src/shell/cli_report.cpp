#include "cli_report.h"
#include "cli_common.h"

#include "core/numericlocale.h"
#include "report/pdfexport.h"
#include "report/reportcommands.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

namespace kervio {

namespace {

const char *const Usage = "Kullanım: kervio --report IN.krv --pdf OUT.pdf [--net]\n";

int usage(const QString &message)
{
    std::fputs(Usage, stderr);
    writeErrorLine(message);
    return 64;
}

} // namespace

bool isReportCommandLine(const QStringList &arguments)
{
    return arguments.contains(QStringLiteral("--report"));
}

int runReportCommandLine(const QStringList &arguments)
{
    QStringList args = arguments;
    if (!args.isEmpty() && !args.first().startsWith(QLatin1String("--")))
        args.removeFirst();
    QString in, out;
    bool net = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--report") && i + 1 < args.size())
            in = args[++i];
        else if (a == QLatin1String("--pdf") && i + 1 < args.size())
            out = args[++i];
        else if (a == QLatin1String("--net"))
            net = true;
        else
            return usage(QStringLiteral("Bilinmeyen ya da eksik seçenek: ") + a);
    }
    if (in.isEmpty())
        return usage(QStringLiteral("Eksik seçenek: --report"));
    if (out.isEmpty())
        return usage(QStringLiteral("Eksik seçenek: --pdf"));

    bool ok = false;
    const std::unique_ptr<QGuiApplication> ownApp = reportApplication(&ok);
    if (!ok)
        return 70;
    CommandLineSession cli;
    ComposedReport report;
    if (const int status = prepareReportOf(cli, in, net, report))
        return status;
    if (!cli.session.guarded([&] { savePdfFile(report, QFileInfo(out).absoluteFilePath()); }))
        return 3;
    return 0;
}

std::unique_ptr<QGuiApplication> reportApplication(bool *ok)
{
    *ok = true;
    static int argc = 1;
    static char name[] = "kervio";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        auto app = std::make_unique<QGuiApplication>(argc, argv);
        useCNumericLocaleInProcess();
        return app;
    }
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        writeErrorLine(QStringLiteral("--report yazı tipleri için grafik uygulama nesnesi gerektirir"));
        *ok = false;
    }
    return nullptr;
}

int prepareReportOf(CommandLineSession &cli, const QString &in, bool net, ComposedReport &report)
{
    Session &session = cli.session;
    if (!cli.open(in))
        return 2;

    ReportHost host;
    bool shown = false;
    host.showPreview = [&](const ComposedReport &) { shown = true; };
    session.guarded([&] {
        if (net)
            printNetReport(session.document(), host);
        else
            printSplitReport(session.document(), host);
    });
    if (!shown)
        return 3; // the reason was shown through the dialogs
    report = std::move(host.lastReport);
    return 0;
}

} // namespace kervio
