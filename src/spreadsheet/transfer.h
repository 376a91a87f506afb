#pragma once
#include "files/settings.h"

namespace kervio {

class Session;
class StagingGrid;

// "Vade Farkına Aktar" (JvXPButton2Click) without the window: checks the
// mapping, builds the new ledger rows from the staging grid and only then
// replaces the ledger, numbers and recalculates it (yenidenhesapla) and
// stores the mapping in section "ExcelAyar" (hafizayayaz). Messages go
// through session.dialogs(). Raises what the steps raise (a date piece that
// is not an integer, the recalculation's stop, the settings write); returns
// false when a required field is empty. True: the window may hide.
bool transferStagingToLedger(const StagingGrid &grid, const ExcelAyarSettings &mapping, Session &session,
                             bool storeMapping = true);

// The same under the general error handler: false when it did not run to
// completion (the window stays open).
bool JvXPButton2Click(const StagingGrid &grid, const ExcelAyarSettings &mapping, Session &session);

// Numbers and recalculates every ledger row, the numbering just ahead of
// the recalculation.
void yenidenhesapla(Session &session);

} // namespace kervio
