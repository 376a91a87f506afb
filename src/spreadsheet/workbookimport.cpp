#include "workbookimport.h"
#include "transfer.h"
#include "core/dialogs.h"
#include "ledger/document.h"

#include <QDir>
#include <QFileInfo>

namespace kervio {

WorkbookImport::WorkbookImport(Document &document, Dialogs &dialogs) : m_document(document), m_dialogs(dialogs) {}

FileDialogRequest WorkbookImport::workbookDialogRequest()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("Excel Dosyaları (*.xls *.xlsx *.csv *.ods);;"
                                    "2000-2003 Excel Dosyaları (*.xls);;"
                                    "2007 -2010 Excel Dosyaları (*.xlsx);;"
                                    "CSV Dosyaları (*.csv);;"
                                    "OpenDocument Hesap Tabloları (*.ods)");
    request.initialDir = QDir::homePath();
    return request;
}

QString WorkbookImport::askForWorkbook()
{
    return m_dialogs.openFileName(workbookDialogRequest());
}

QString WorkbookImport::openWorkbook(const QString &path)
{
    const QString full = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    // a file that cannot be read leaves the staged cells as they were
    const WorkbookSheet sheet = readWorkbook(full, m_document.regional(), StagingGrid::MaxSheetRows);
    m_staging.clearBelowHeader();
    stageSheet(m_staging, sheet, m_document.regional());
    m_staging.numberRowsAndColumns();
    return full;
}

void WorkbookImport::clearStaging()
{
    m_staging.clearBelowHeader();
}

bool WorkbookImport::transfer(const ImportMapping &mapping)
{
    return transferStagingToLedger(m_staging, mapping, m_document, m_dialogs);
}

bool WorkbookImport::transferAndSaveMapping(const ImportMapping &mapping, const QString &settingsPath)
{
    if (!transfer(mapping))
        return false;
    writeImportMapping(settingsPath, mapping);
    return true;
}

MappingKeyAction mappingFieldKeyAction(int key, QStringView text)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return MappingKeyAction::NextField;
    if (key == Qt::Key_Delete)
        return MappingKeyAction::Discard;
    if (key == Qt::Key_Backspace || key == Qt::Key_Tab || key == Qt::Key_Backtab || text.isEmpty())
        return MappingKeyAction::Accept;
    const bool digit = text.size() == 1 && text[0] >= u'0' && text[0] <= u'9';
    return digit ? MappingKeyAction::Accept : MappingKeyAction::Discard;
}

} // namespace kervio
