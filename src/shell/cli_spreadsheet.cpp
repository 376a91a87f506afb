#include "cli_spreadsheet.h"
#include "cli_common.h"
#include "files/settings.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"
#include "spreadsheet/exportsheet.h"
#include "spreadsheet/workbookimport.h"

#include <QFileInfo>

namespace kervio {

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
    session.guarded([&] { session.moveCursorToRow(1); });
    const bool written = session.guarded([&] {
        writeExportWorkbook(buildExportSheet(session.document()), QFileInfo(out).absoluteFilePath());
    });
    return written ? 0 : 3;
}

int importBook(const QString &book, const ImportMapping &mapping, const QString &out)
{
    CommandLineSession cli;
    Session &session = cli.session;
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

} // namespace kervio
