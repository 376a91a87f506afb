#pragma once
#include "files/settings.h"

namespace kervio {

class Dialogs;
class Document;
class StagingGrid;

// "Vade Farkına Aktar" without the window: checks the mapping, builds the
// new ledger rows from the staging grid and only then replaces the ledger,
// numbers and recalculates it. Messages go through `dialogs`. Raises what
// the steps raise (a date piece that is not an integer, the recalculation's
// stop); returns false when a required field is empty.
bool transferStagingToLedger(const StagingGrid &grid, const ExcelAyarSettings &mapping, Document &document,
                             Dialogs &dialogs);
// The window's transfer: the same, and once it succeeded the mapping is
// stored in section "ExcelAyar" of the settings file (a failure to write it
// raises).
bool transferAndStoreMapping(const StagingGrid &grid, const ExcelAyarSettings &mapping, Document &document,
                             Dialogs &dialogs, const QString &settingsPath);

} // namespace kervio
