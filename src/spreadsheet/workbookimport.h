#pragma once
#include "files/settings.h"
#include "staginggrid.h"

#include <QString>

namespace kervio {

class Dialogs;
class Document;
struct FileDialogRequest;

// Entries taken over from a workbook, as the import window and the command
// line both do it: open a workbook into the staging grid, then transfer the
// mapped rows into the document's ledger. Errors are raised to the caller,
// whose general error handler shows them; notices go through `dialogs`.
class WorkbookImport {
public:
    WorkbookImport(Document &document, Dialogs &dialogs);
    WorkbookImport(const WorkbookImport &) = delete;
    WorkbookImport &operator=(const WorkbookImport &) = delete;

    StagingGrid &staging() { return m_staging; }
    const StagingGrid &staging() const { return m_staging; }

    // The file dialog of "Excel Dosyası Aç"; empty when cancelled.
    QString askForWorkbook();
    // Empties the staged cells, reads the workbook's first sheet into them
    // and numbers the rows and columns. Returns the workbook's full path.
    // A file that cannot be read changes nothing; on an error value the
    // cells read so far stay and nothing is numbered.
    QString openWorkbook(const QString &path);
    // "Yeni Dosya": the staged cells and row numbers go, row 0 stays.
    void clearStaging();

    // "Vade Farkına Aktar": the staged rows the mapping names replace the
    // ledger. False when a required field is empty.
    bool transfer(const ImportMapping &mapping);
    // The same, and once it went through the mapping is stored in the
    // settings file (a failure to write it raises).
    bool transferAndSaveMapping(const ImportMapping &mapping, const QString &settingsPath);

    static FileDialogRequest workbookDialogRequest();

private:
    Document &m_document;
    Dialogs &m_dialogs;
    StagingGrid m_staging;
};

// The key rule of the mapping fields: digits, Backspace and the keys that
// type nothing (arrows, Tab) do their usual work, Enter moves on to the next
// field, every other key is discarded.
enum class MappingKeyAction { Accept, NextField, Discard };
MappingKeyAction mappingFieldKeyAction(int key, QStringView text);

} // namespace kervio
