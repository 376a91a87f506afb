#pragma once
#include "files/settings.h"

#include <QString>

namespace kervio {

// The spreadsheet commands of the command line. Messages go to standard
// error one line each. Exit status: 0 done, 2 input unreadable or refused,
// 3 output not written.

// kervio --export IN.krv --xlsx OUT.xlsx: the workbook of "EXCEL'E VERİ
// AKTAR" for the ledger opened as "KAYITTAN AÇ" opens it.
int exportLedger(const QString &in, const QString &out);

// kervio --import BOOK --mapping vade=1,islem=2,... --output OUT.krv: the
// workbook's first sheet transferred with the mapping into a fresh ledger,
// which is saved. The mapping is not stored in the settings file.
int importBook(const QString &book, const ImportMapping &mapping, const QString &out);

// "vade=1,islem=2,...": the keys of section "ExcelAyar"; a key left out
// counts as empty. False, with the unknown key in `bad`, for a key that is
// none of them.
bool parseMapping(const QString &text, ImportMapping *out, QString *bad);

} // namespace kervio
