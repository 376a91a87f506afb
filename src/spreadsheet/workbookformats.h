#pragma once
// The readers of the workbook formats behind readWorkbook(), one file each.
#include "workbookreader.h"

#include <QByteArray>
#include <QString>

namespace kervio {

WorkbookSheet readXlsxWorkbook(const QString &path, int maxRows);
WorkbookSheet readOdsWorkbook(const QString &path, int maxRows);
WorkbookSheet readXlsWorkbook(const QString &path, int maxRows);
WorkbookSheet readCsvWorkbook(const QString &path, const Regional &reg, int maxRows);

// The error every reader raises for a file it cannot read: it names the
// file and the reason.
[[noreturn]] void raiseUnreadable(const QString &path, const QString &reason);
// The whole file; raises when it cannot be opened.
QByteArray readWholeFile(const QString &path);

} // namespace kervio
