#pragma once
#include <QString>
#include <QStringList>
#include <functional>

namespace kervio {

class Dialogs;
class Document;

// Opens a file with the desktop's default application for its kind; false
// when no application could be started for it.
using FileOpener = std::function<bool(const QString &path)>;
bool openWithDesktop(const QString &path);

// Makes row 1 current (which recalculates it when the cursor was
// elsewhere) and writes the sheet of the ledger to `path`.
void writeLedgerWorkbook(Document &document, const QString &path);

// "EXCEL'E VERİ AKTAR": the ledger's workbook in a new file of the user's
// temporary folder, opened; when nothing can open it, a message names the
// file. The file stays until the next export or the program's end. Returns
// the workbook's path. Raises what the recalculation raises
// and on a write failure.
QString exportToSpreadsheet(Document &document, Dialogs &dialogs, const FileOpener &open = openWithDesktop);

// The mail picture button: the executable's folder becomes the current
// directory, then mailWorkbook with that folder (an installed program's:
// the user's cache folder for the program).
void mailFromProgramFolder(Document &document, Dialogs &dialogs);
// Hands "Rapor.xlsx" in `mailFolder` to the desktop's mail composer
// (xdg-email) with the recipient "@" and the company name as subject and
// body. A leftover "Rapor.xlsx" is deleted first; the new one stays until
// the next mailing, because the composer reads it after we return. Raises
// when the workbook cannot be written or the composer fails.
void mailWorkbook(Document &document, Dialogs &dialogs, const QString &mailFolder);
// Writes the ledger's workbook to `mailFolder` + "Rapor.xlsx"; returns that
// path.
QString writeMailWorkbook(Document &document, const QString &mailFolder);

// The arguments handed to xdg-email.
QStringList mailComposerArguments(const QString &company, const QString &attachment);

} // namespace kervio
