#pragma once
#include "ledger/regional.h"
#include "workbookreader.h"

#include <QString>

namespace kervio {

// The text a worksheet cell gives in the staging grid: empty stays empty,
// text unchanged, numbers in the general format with the regional decimal
// separator (no grouping, no display format: 24% gives 0,24), dates as the
// short date with the time of day when there is one, logical values by name.
// An error value raises the conversion error.
QString workbookCellText(const WorkbookCell &cell, const Regional &reg);

// "dd<sep>mm<sep>yyyy", then " hh:mm:ss" when there is a time of day; a time
// alone without the date.
QString dateTimeCellText(const WorkbookCell &cell, const Regional &reg);

// The message for an error value.
QString errorValueMessage();

} // namespace kervio
