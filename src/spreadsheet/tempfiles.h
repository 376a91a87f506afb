#pragma once
// The export's files in the system's temporary folder, named with the
// process id ("kervio-disari-<pid>-…" staging folders, "Kervio-<pid>-….xlsx"
// workbooks handed to the spreadsheet program), so that those of an earlier
// run that was killed can be told apart and removed.
#include <QString>

namespace kervio {

// The template of this process's staging folder of an export.
QString exportStagingTemplate();
// The template of this process's workbook handed to the spreadsheet program.
QString handedWorkbookTemplate();

// Removes the staging folders and handed workbooks of processes that no
// longer run; those of running processes stay. Returns how many went.
int removeStaleExportFiles();

// The workbook last handed to the spreadsheet program stays until the next
// one is handed over or the program ends.
void keepHandedWorkbook(const QString &path);

} // namespace kervio
