#include "cli_spreadsheet.h"
#include "cli_common.h"
#include "files/settings.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"
#include "spreadsheet/exportsheet.h"
#include "spreadsheet/staginggrid.h"
#include "spreadsheet/transfer.h"

#include <QFileInfo>

namespace kervio {

bool parseMapping(const QString &text, ExcelAyarSettings *out, QString *bad)
{
    ExcelAyarSettings m;
    for (const QString &pair : text.split(u',', Qt::SkipEmptyParts)) {
        const int eq = pair.indexOf(u'=');
        const QString key = (eq < 0 ? pair : pair.left(eq)).trimmed();
        const QString value = eq < 0 ? QString() : pair.mid(eq + 1).trimmed();
        const QString k = key.toLower();
        if (k == QLatin1String("vade")) m.vade = value;
        else if (k == QLatin1String("islem")) m.islem = value;
        else if (k == QLatin1String("aciklama")) m.aciklama = value;
        else if (k == QLatin1String("borc")) m.borc = value;
        else if (k == QLatin1String("alacak")) m.alacak = value;
        else if (k == QLatin1String("basla")) m.basla = value;
        else if (k == QLatin1String("bitir")) m.bitir = value;
        else if (k == QLatin1String("vadecheck")) m.vadeCheck = value == QLatin1String("1");
        else {
            *bad = key;
            return false;
        }
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
    session.guarded([&] { session.moveCursorToRow(1); });
    const bool written = session.guarded([&] {
        writeExportWorkbook(buildExportSheet(session.document()), QFileInfo(out).absoluteFilePath());
    });
    return written ? 0 : 3;
}

int importBook(const QString &book, const ExcelAyarSettings &mapping, const QString &out)
{
    CommandLineSession cli;
    Session &session = cli.session;
    StagingGrid grid;
    const QString path = QFileInfo(book).absoluteFilePath();
    if (!session.guarded([&] { Xls_To_StringGrid(grid, path, session.regional()); }))
        return 2;
    grid.numberRowsAndColumns();
    bool done = false;
    // the mapping given here is not stored in the settings file
    session.guarded([&] { done = transferStagingToLedger(grid, mapping, session.document(), session.dialogs()); });
    if (!done)
        return 2;
    const bool saved = session.guarded([&] { session.saveLedgerFile(QFileInfo(out).absoluteFilePath()); });
    return saved ? 0 : 3;
}

} // namespace kervio
