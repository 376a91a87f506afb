#include "cli.h"
#include "ledger/textfuncs.h"
#include "core/appinfo.h"
#include "shell/cli_common.h"
#include "shell/cli_spreadsheet.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"

#include <QFileInfo>
#include <cstdio>
#include <cstring>

namespace kervio {

namespace {

const char *const Usage =
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
    "  kervio --version                        sürümü yazar\n"
    "  kervio --help                           bu yardımı yazar\n";

int fail(const QString &message, int code = 2)
{
    writeErrorLine(message);
    return code;
}

int recalculate(const QString &in, bool sort, const QString &out)
{
    CommandLineSession cli;
    Session &session = cli.session;
    if (!cli.open(in))
        return 2;
    if (sort)
        session.guarded([&] { session.sortByTransactionDate(); });
    session.guarded([&] { session.findBalancingRate(); });

    const Summary &s = session.summary();
    const Regional &reg = session.regional();
    for (Summary::Field f : {Summary::DebitTotal, Summary::CreditTotal, Summary::Balance, Summary::DebitDiff,
                             Summary::CreditDiff, Summary::NetDiff, Summary::OverallDays, Summary::DebitDays,
                             Summary::CreditDays})
        writeOutputLine(QString::fromLatin1(Summary::fieldName(f)) + u'=' + s.text(f));
    for (Summary::Picker p : {Summary::OverallDate, Summary::DebitDate, Summary::CreditDate})
        writeOutputLine(QString::fromLatin1(Summary::pickerName(p)) + u'=' + DateToText(s.date(p), reg));
    for (Summary::Field f : {Summary::YearlyRateResult, Summary::MonthlyRateResult})
        writeOutputLine(QString::fromLatin1(Summary::fieldName(f)) + u'=' + s.text(f));

    if (!out.isEmpty()) {
        const bool saved = session.guarded([&] { session.saveLedgerFile(QFileInfo(out).absoluteFilePath()); });
        if (!saved)
            return 3;
    }
    return 0;
}

} // namespace

bool isCommandLine(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--", 2) == 0)
            return true;
    return false;
}

int runCommandLine(const QStringList &arguments)
{
    if (isSpreadsheetCommandLine(arguments))
        return runSpreadsheetCommandLine(arguments);
    const QStringList args = arguments.mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (args.contains(QStringLiteral("--version"))) {
        writeOutputLine(ApplicationTitle() + VersionText());
        return 0;
    }
    QString in, out;
    bool sort = false;
    bool recalc = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--recalculate") && i + 1 < args.size()) {
            recalc = true;
            in = args[++i];
        } else if (a == QLatin1String("--output") && i + 1 < args.size()) {
            out = args[++i];
        } else if (a == QLatin1String("--sort")) {
            sort = true;
        } else {
            std::fputs(Usage, stderr);
            return fail(QStringLiteral("Bilinmeyen ya da eksik seçenek: ") + a, 64);
        }
    }
    if (!recalc) {
        std::fputs(Usage, stderr);
        return 64;
    }
    return recalculate(in, sort, out);
}

} // namespace kervio
