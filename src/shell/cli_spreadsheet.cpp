#include "cli_spreadsheet.h"
#include "cli_common.h"
#include "files/settings.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"
#include "spreadsheet/exportsheet.h"
#include "spreadsheet/workbookimport.h"

#include <QFileInfo>
#include <cstdio>

namespace kervio {

namespace {

const char *const Usage =
    "Kullanım:\n"
    "  kervio --export IN.krv --xlsx OUT.xlsx\n"
    "          dosyayı açar, yeniden hesaplar ve EXCEL'E VERİ AKTAR sayfasını OUT.xlsx olarak yazar\n"
    "  kervio --import KITAP --mapping vade=1,islem=2,aciklama=3,borc=4,alacak=5,basla=3,bitir=10,vadeCheck=2 --output OUT.krv\n"
    "          KITAP'ın (xlsx, ods, xls, csv) ilk sayfasını eşleştirmeyle yeni bir deftere aktarır ve kaydeder;\n"
    "          verilmeyen anahtar boş sayılır\n";

int usage(const QString &message)
{
    std::fputs(Usage, stderr);
    if (!message.isEmpty())
        writeErrorLine(message);
    return 64;
}

bool parseMapping(const QString &text, ImportMapping *out, QString *bad)
{
    ImportMapping m;
    for (const QString &pair : text.split(u',', Qt::SkipEmptyParts)) {
        const int eq = pair.indexOf(u'=');
        const QString key = (eq < 0 ? pair : pair.left(eq)).trimmed();
        const QString value = eq < 0 ? QString() : pair.mid(eq + 1).trimmed();
        const ImportMappingKey *k = findImportMappingKey(key);
        if (!k) {
            *bad = key;
            return false;
        }
        k->setValue(m, value);
    }
    *out = m;
    return true;
}

int exportLedger(const QString &in, const QString &out)
{
    CommandLineSession cli;
    Session &session = cli.session;
    if (!cli.open(in))
        return 2;
    // as the button does: the cursor goes to row 1 before the sheet is read
    session.guarded([&] {
        if (session.ledger().currentRow() != 1)
            session.setCurrentCell(1, 1);
    });
    const bool written = session.guarded([&] {
        writeExportWorkbook(buildExportSheet(session.document()), QFileInfo(out).absoluteFilePath());
    });
    return written ? 0 : 3;
}

int importBook(const QString &book, const ImportMapping &mapping, const QString &out)
{
    CommandLineSession cli;
    Session &session = cli.session;
    // a fresh program: the parameters of the settings file beside it
    session.guarded([&] { session.loadRateSettings(); });
    WorkbookImport import(session.document(), session.dialogs());
    if (!session.guarded([&] { import.openWorkbook(book); }))
        return 2;
    bool done = false;
    // the mapping given here is not stored in the settings file
    session.guarded([&] { done = import.transfer(mapping); });
    if (!done)
        return 2;
    const bool saved = session.guarded([&] { session.saveLedgerFile(QFileInfo(out).absoluteFilePath()); });
    return saved ? 0 : 3;
}

} // namespace

bool isSpreadsheetCommandLine(const QStringList &arguments)
{
    return arguments.contains(QStringLiteral("--export")) || arguments.contains(QStringLiteral("--import"));
}

int runSpreadsheetCommandLine(const QStringList &arguments)
{
    const QStringList args = arguments.mid(1);
    QString exportIn, xlsx, importIn, mappingText, output;
    bool hasMapping = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--export") && hasValue)
            exportIn = args[++i];
        else if (a == QLatin1String("--xlsx") && hasValue)
            xlsx = args[++i];
        else if (a == QLatin1String("--import") && hasValue)
            importIn = args[++i];
        else if (a == QLatin1String("--mapping") && hasValue) {
            mappingText = args[++i];
            hasMapping = true;
        } else if (a == QLatin1String("--output") && hasValue)
            output = args[++i];
        else
            return usage(QStringLiteral("Bilinmeyen ya da eksik seçenek: ") + a);
    }
    if (!exportIn.isEmpty() && importIn.isEmpty() && !xlsx.isEmpty() && !hasMapping && output.isEmpty())
        return exportLedger(exportIn, xlsx);
    if (!importIn.isEmpty() && exportIn.isEmpty() && xlsx.isEmpty() && hasMapping && !output.isEmpty()) {
        ImportMapping mapping;
        QString bad;
        if (!parseMapping(mappingText, &mapping, &bad))
            return usage(QStringLiteral("Bilinmeyen eşleştirme anahtarı: ") + bad);
        return importBook(importIn, mapping, output);
    }
    return usage({});
}

} // namespace kervio
