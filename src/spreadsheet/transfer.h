#pragma once
#include "files/settings.h"
#include "ledger/ledgertable.h"

#include <optional>
#include <vector>

namespace kervio {

class Dialogs;
class Document;
class StagingGrid;

// The mapping as numbers, its required fields known to be filled; an empty
// optional column counts as 0 (not taken).
struct TransferPlan {
    int firstRow = 0, lastRow = 0;
    int dueDateColumn = 0, transactionDateColumn = 0, descriptionColumn = 0, debitColumn = 0, creditColumn = 0;
    bool dueDateIsTransactionDate = false;
};

// "Vade Farkına Aktar" in three steps. First the mapping: the first empty
// required field shows its message and gives nothing; a field that is not
// an integer, or a row beyond five digits, raises.
std::optional<TransferPlan> checkTransferMapping(const ImportMapping &mapping, Dialogs &dialogs);
// Then the rows: one ledger row per staging row from the first to the last
// (a row whose due date is skipped stays empty), and two empty rows after
// them. An empty due-date cell shows the date-format message; a date piece
// that is not an integer raises.
std::vector<LedgerTable::Row> buildLedgerRows(const StagingGrid &grid, const TransferPlan &plan, QChar dateSeparator,
                                              Dialogs &dialogs);
// Last, they replace the ledger, which is numbered and recalculated.
void applyLedgerRows(Document &document, std::vector<LedgerTable::Row> rows);

// The three steps; false when a required field is empty. The ledger is
// replaced only once every row has been read.
bool transferStagingToLedger(const StagingGrid &grid, const ImportMapping &mapping, Document &document,
                             Dialogs &dialogs);

} // namespace kervio
