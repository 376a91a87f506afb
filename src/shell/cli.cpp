#include "cli.h"
#include "cli_common.h"
#include "cli_locations.h"
#include "cli_recalculate.h"
#include "cli_report.h"
#include "cli_spreadsheet.h"
#include "core/appinfo.h"
#include "core/numericlocale.h"
#include "files/settings.h"
#include "report/pageselection.h"

#include <QCommandLineParser>
#include <QMap>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

namespace kervio {

namespace {

const char *const GeneralUsage =
    "Kullanım:\n"
    "  kervio [DOSYA.krv]                      programı açar (dosya verilirse onu açar)\n"
    "  kervio --recalculate IN.krv [--sort] [--output OUT.krv]\n"
    "                                          dosyayı açar, yeniden hesaplar (--sort ile sıralar),\n"
    "                                          FAİZ BUL çalıştırır ve özet alanlarını yazar\n"
    "  kervio --report IN.krv --pdf OUT.pdf [--net]\n"
    "                                          dosyayı açar ve YAZDIR'ın (--net ile önizleme düğmesinin)\n"
    "                                          raporunu PDF olarak yazar\n"
    "  kervio --report IN.krv --print [--printer YAZICI] [--pages 1,3,5-12] [--copies N] [--net]\n"
    "                                          raporu pencere açmadan yazıcıya gönderir\n"
    "  kervio --export IN.krv --xlsx OUT.xlsx  dosyayı açar ve EXCEL'E VERİ AKTAR'ın çalışma kitabını yazar\n"
    "  kervio --import KİTAP --mapping vade=1,islem=2,aciklama=3,borc=4,alacak=5,basla=3,bitir=10,vadeCheck=2\n"
    "         --output OUT.krv                 kitabı okur, eşlemeyle deftere aktarır ve kaydeder\n"
    "  kervio --screenshot OUT.png             örnek defterle ana pencerenin resmini çizer\n"
    "  kervio --locations                      ayarların, yardım metinlerinin, kılavuzun ve kayıtların yerini yazar\n"
    "  kervio --version                        sürümü yazar\n"
    "  kervio --help                           bu yardımı yazar\n";

const char *const ReportUsage = "Kullanım: kervio --report IN.krv --pdf OUT.pdf [--net]\n";

const char *const PrintUsage =
    "Kullanım: kervio --report IN.krv --print [--printer YAZICI] [--pages LİSTE] [--copies N] [--net]\n";

const char *const SpreadsheetUsage =
    "Kullanım:\n"
    "  kervio --export IN.krv --xlsx OUT.xlsx\n"
    "          dosyayı açar, yeniden hesaplar ve EXCEL'E VERİ AKTAR sayfasını OUT.xlsx olarak yazar\n"
    "  kervio --import KITAP --mapping vade=1,islem=2,aciklama=3,borc=4,alacak=5,basla=3,bitir=10,vadeCheck=2 --output OUT.krv\n"
    "          KITAP'ın (xlsx, ods, xls, csv) ilk sayfasını eşleştirmeyle yeni bir deftere aktarır ve kaydeder;\n"
    "          verilmeyen anahtar boş sayılır\n";

const char *const ScreenshotUsage = "Kullanım: kervio --screenshot OUT.png\n";

// Every option of every subcommand, so that the parser tells an option of
// another subcommand from an unknown one; those with a value name take the
// next argument as their value, whatever it looks like.
const QList<QCommandLineOption> &allOptions()
{
    auto withValue = [](const char *name, const char *value) {
        return QCommandLineOption(QStringList{QLatin1String(name)}, QString(), QLatin1String(value));
    };
    auto flag = [](QStringList names) { return QCommandLineOption(names); };
    static const QList<QCommandLineOption> options = {
        withValue("recalculate", "IN"), withValue("output", "OUT"), flag({"sort"}),
        withValue("report", "IN"),      withValue("pdf", "OUT"),    flag({"net"}),
        flag({"print"}),                withValue("printer", "NAME"), withValue("pages", "LIST"),
        withValue("copies", "N"),
        withValue("export", "IN"),      withValue("xlsx", "OUT"),   withValue("import", "BOOK"),
        withValue("mapping", "MAP"),    withValue("screenshot", "OUT"),
        flag({"version"}),              flag({"h", "help"}),        flag({"locations"}),
    };
    return options;
}

bool takesValue(const QString &name)
{
    for (const QCommandLineOption &o : allOptions())
        if (o.names().contains(name))
            return !o.valueName().isEmpty();
    return false;
}

// The name an option goes by in the table ("h" is "help").
QString canonicalName(const QString &name)
{
    for (const QCommandLineOption &o : allOptions())
        if (o.names().contains(name))
            return o.names().constLast();
    return name;
}

} // namespace

// What QCommandLineParser made of the arguments, in plain lists.
struct ParsedArguments {
    QStringList optionNames; // as given, in their order, once per time given
    QStringList unknownOptionNames;
    QStringList positionalArguments;
    QMap<QString, QStringList> valuesOf; // every option given, under each of its names

    bool isSet(const QString &name) const { return valuesOf.contains(name); }
    QStringList values(const QString &name) const { return valuesOf.value(name); }
    QString value(const QString &name) const
    {
        const QStringList v = values(name);
        return v.isEmpty() ? QString() : v.constLast();
    }
};

namespace {

// QCommandLineParser finds its options through a string hash, and Qt's
// string hash leaves the vector unit of the thread that ran it in a state
// that makes every later recalculation a quarter slower (a vzeroupper
// undoes it). So the parser works on a thread of its own.
ParsedArguments parseArguments(const QStringList &arguments)
{
    ParsedArguments parsed;
    std::thread([&] {
        QCommandLineParser parser;
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions(allOptions());
        parser.parse(arguments); // what does not fit is found per subcommand
        parsed.optionNames = parser.optionNames();
        parsed.unknownOptionNames = parser.unknownOptionNames();
        parsed.positionalArguments = parser.positionalArguments();
        for (const QCommandLineOption &o : allOptions())
            if (parser.isSet(o.names().constFirst()))
                for (const QString &name : o.names())
                    parsed.valuesOf.insert(name, parser.values(name));
    }).join();
    return parsed;
}

int printHelp(const ParsedArguments &, const Subcommand &);
int printVersion(const ParsedArguments &, const Subcommand &);
int locationsCommand(const ParsedArguments &, const Subcommand &);
int recalculateCommand(const ParsedArguments &, const Subcommand &);
int reportCommand(const ParsedArguments &, const Subcommand &);
int printCommand(const ParsedArguments &, const Subcommand &);
int exportCommand(const ParsedArguments &, const Subcommand &);
int importCommand(const ParsedArguments &, const Subcommand &);

} // namespace

struct Subcommand {
    QString option;      // the option that names it
    QStringList accepts; // the other options it takes
    QStringList needs;   // options it cannot do without, each with a text
    const char *usage;   // shown on standard error when it is misused
    int usageStatus;     // the exit status of a misuse
    // help, version and the picture ignore whatever else is given
    bool ignoresTheRest = false;
    // a missing option is named after the usage ("Eksik seçenek: --pdf")
    bool namesWhatIsMissing = false;
    // the report's fonts need a graphical application object
    bool needsFonts = false;
    int (*run)(const ParsedArguments &, const Subcommand &) = nullptr; // null: a window mode
};

namespace {

// In the order they win when several are given; the last one is also what a
// command line without any of them is taken for.
const std::vector<Subcommand> &subcommands()
{
    static const std::vector<Subcommand> table = {
        {"screenshot", {}, {"screenshot"}, ScreenshotUsage, 2, true, false, false, nullptr},
        {"print", {"report", "printer", "pages", "copies", "net"}, {"report"}, PrintUsage, 64, false, true, true,
         printCommand},
        {"report", {"pdf", "net"}, {"report", "pdf"}, ReportUsage, 64, false, true, true, reportCommand},
        {"export", {"xlsx"}, {"export", "xlsx"}, SpreadsheetUsage, 64, false, false, false, exportCommand},
        {"import", {"mapping", "output"}, {"import", "mapping", "output"}, SpreadsheetUsage, 64, false, false, false,
         importCommand},
        {"help", {}, {}, GeneralUsage, 64, true, false, false, printHelp},
        {"version", {}, {}, GeneralUsage, 64, true, false, false, printVersion},
        {"locations", {}, {}, GeneralUsage, 64, false, false, false, locationsCommand},
        {"recalculate", {"sort", "output"}, {"recalculate"}, GeneralUsage, 64, false, false, false, recalculateCommand},
    };
    return table;
}

int usageError(const Subcommand &c, const QString &message = {})
{
    std::fputs(c.usage, stderr);
    if (!message.isEmpty())
        writeErrorLine(message);
    return c.usageStatus;
}

// The argument as the user wrote it that spells option `name`: "--name",
// "-name" or "--name=value".
bool spells(const QString &argument, const QString &name)
{
    if (!argument.startsWith(u'-') || argument == QLatin1String("--"))
        return false;
    const QString spelled = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    return spelled.section(u'=', 0, 0) == name;
}

// The first argument the subcommand cannot take: an unknown option, one of
// another subcommand, an option without its value, or a plain argument.
QString firstMisfit(const QStringList &arguments, const ParsedArguments &p, const Subcommand &c)
{
    QStringList misfitNames = p.unknownOptionNames;
    const QStringList given = p.optionNames;
    for (const QString &name : given) {
        const QString canonical = canonicalName(name);
        if (canonical != c.option && !c.accepts.contains(canonical))
            misfitNames << name;
        else if (takesValue(name) && p.values(name).size() < given.count(name))
            misfitNames << name; // the last argument, waiting for its value
    }
    const QStringList plain = p.positionalArguments;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (plain.contains(a))
            return a;
        for (const QString &name : misfitNames)
            if (spells(a, name))
                return a;
    }
    return {};
}

// Usage errors of the chosen subcommand, or nothing when it can run.
std::optional<int> checkUsage(const QStringList &arguments, const ParsedArguments &p, const Subcommand &c)
{
    if (c.ignoresTheRest) {
        const QStringList needed = c.needs;
        for (const QString &n : needed)
            if (p.value(n).isEmpty())
                return usageError(c);
        return std::nullopt;
    }
    const QString misfit = firstMisfit(arguments, p, c);
    if (!misfit.isEmpty())
        return usageError(c, QStringLiteral("Bilinmeyen ya da eksik seçenek: ") + misfit);
    for (const QString &n : c.needs)
        if (p.value(n).isEmpty())
            return usageError(c, c.namesWhatIsMissing ? QStringLiteral("Eksik seçenek: --") + n : QString());
    return std::nullopt;
}

// A command line that names no subcommand but holds an option written as
// one ("--sort", "--foo") is the command line's, not the window's; a lone
// "-x" is left to the toolkit, as its own options are written so.
bool asksForTheCommandLine(const QStringList &arguments, const ParsedArguments &p)
{
    if (!p.optionNames.isEmpty())
        return true;
    for (const QString &name : p.unknownOptionNames)
        for (qsizetype i = 1; i < arguments.size(); ++i)
            if (arguments[i].startsWith(QLatin1String("--")) && spells(arguments[i], name))
                return true;
    return false;
}

int printHelp(const ParsedArguments &, const Subcommand &)
{
    std::fputs(GeneralUsage, stdout);
    return 0;
}

int printVersion(const ParsedArguments &, const Subcommand &)
{
    writeOutputLine(applicationTitle() + versionSuffix());
    return 0;
}

int locationsCommand(const ParsedArguments &, const Subcommand &)
{
    return printLocations();
}

int recalculateCommand(const ParsedArguments &p, const Subcommand &)
{
    return recalculateLedger(p.value("recalculate"), p.isSet("sort"), p.value("output"));
}

int reportCommand(const ParsedArguments &p, const Subcommand &)
{
    return writeReportPdf(p.value("report"), p.value("pdf"), p.isSet("net"));
}

// The page list and the number of copies are read before the ledger is
// opened, so a typing error costs nothing.
int printCommand(const ParsedArguments &p, const Subcommand &)
{
    PrintRequest request;
    if (p.isSet("pages")) {
        const QString list = p.value("pages");
        const std::optional<QPageRanges> ranges = parsePageList(list);
        if (!ranges) {
            writeErrorLine(PrintText::badPageList(list));
            return 64;
        }
        request.choice = PageChoice::PageRanges;
        request.ranges = *ranges;
        request.pageList = list;
    }
    if (p.isSet("copies")) {
        const QString copies = p.value("copies");
        bool ok = false;
        request.order.copies = copies.trimmed().toInt(&ok);
        if (!ok || request.order.copies < 1 || request.order.copies > 999) {
            writeErrorLine(QStringLiteral("Kopya sayısı 1 ile 999 arasında bir tam sayı olmalı: ") + copies);
            return 64;
        }
    }
    return printReport(p.value("report"), p.value("printer"), request, p.isSet("net"));
}

int exportCommand(const ParsedArguments &p, const Subcommand &)
{
    return exportLedger(p.value("export"), p.value("xlsx"));
}

int importCommand(const ParsedArguments &p, const Subcommand &c)
{
    ImportMapping mapping;
    QString bad;
    if (!parseMapping(p.value("mapping"), &mapping, &bad))
        return usageError(c, QStringLiteral("Bilinmeyen eşleştirme anahtarı: ") + bad);
    return importBook(p.value("import"), mapping, p.value("output"));
}

// The application object a command runs in when the program has made none:
// the report's fonts need a graphical one, offscreen without a display.
std::unique_ptr<QCoreApplication> makeApplication(bool graphical)
{
    static int argc = 1;
    static char name[] = "kervio";
    static char *argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (graphical) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    useCNumericLocaleInProcess();
    return app;
}

} // namespace

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

CommandLine::CommandLine(const QStringList &arguments)
    : m_arguments(arguments), m_parser(std::make_unique<ParsedArguments>(parseArguments(arguments)))
{
    for (const Subcommand &c : subcommands()) {
        if (m_parser->isSet(c.option)) {
            m_subcommand = &c;
            return;
        }
    }
    if (asksForTheCommandLine(arguments, *m_parser))
        m_subcommand = &subcommands().back();
}

CommandLine::~CommandLine() = default;

CommandLine::Mode CommandLine::mode() const
{
    if (!m_subcommand)
        return Mode::Window;
    if (!m_subcommand->run && !m_parser->value(m_subcommand->option).isEmpty())
        return Mode::Screenshot;
    return Mode::Command;
}

QString CommandLine::fileToOpen() const
{
    const QStringList plain = m_parser->positionalArguments;
    return m_subcommand || plain.isEmpty() ? QString() : plain.first();
}

QString CommandLine::screenshotPath() const
{
    return mode() == Mode::Screenshot ? m_parser->value(m_subcommand->option) : QString();
}

int CommandLine::run() const
{
    if (!m_subcommand)
        return 0;
    const Subcommand &c = *m_subcommand;
    if (const std::optional<int> misuse = checkUsage(m_arguments, *m_parser, c))
        return *misuse;
    if (!c.run)
        return 0;
    std::unique_ptr<QCoreApplication> ownApp;
    if (!QCoreApplication::instance()) {
        ownApp = makeApplication(c.needsFonts);
    } else if (c.needsFonts && !qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        writeErrorLine(QStringLiteral("--report yazı tipleri için grafik uygulama nesnesi gerektirir"));
        return 70;
    }
    return c.run(*m_parser, c);
}

} // namespace kervio
