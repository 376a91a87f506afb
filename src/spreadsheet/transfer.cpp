#include "transfer.h"
#include "staginggrid.h"
#include "core/dialogs.h"
#include "core/errors.h"
#include "ledger/document.h"
#include "ledger/textfuncs.h"

namespace kervio {

namespace {

// The row fields take five digits; a larger value (from a settings file or
// the command line) would only produce a flood of empty rows.
constexpr int MaxRowNumber = 99999;

int optionalColumn(const QString &text)
{
    return text.isEmpty() ? 0 : parseInteger(text);
}

QString dateFormatMessage(QChar sep)
{
    return QStringLiteral("Tarih formatı gg") + sep + QStringLiteral("aa") + sep + QStringLiteral("yyyy") + sep
           + QStringLiteral(" şeklinde olmalıdır.");
}

// A staging cell's date pieces: day its first two characters, month its
// fourth and fifth, year its last four.
struct DatePieces {
    QStringView day, month, year;
    explicit DatePieces(QStringView text) : day(text.left(2)), month(text.mid(3, 2)), year(text.right(4)) {}
    QString joined(QChar sep) const { return day.toString() + sep + month.toString() + sep + year.toString(); }
};

// The pieces are read as integers one after the other; the first test that
// fails skips the row, and the pieces after it are not read.
bool acceptsDueDate(const DatePieces &due)
{
    return parseInteger(due.day) < 32 && parseInteger(due.month) < 13 && parseInteger(due.year) > 1905;
}

} // namespace

std::optional<TransferPlan> checkTransferMapping(const ImportMapping &m, Dialogs &dialogs)
{
    const struct {
        const QString &text;
        const char *message;
    } required[] = {
        {m.firstRow, "Başlangıç satırını boş geçemezsiniz!"},
        {m.lastRow, "Bitiş satırını boş geçemezsiniz!"},
        {m.dueDateColumn, "Vade tarihi sütununu boş geçemezsiniz!"},
        {m.debitColumn, "Borç sütununu boş geçemezsiniz!"},
        {m.creditColumn, "Alacak sütununu boş geçemezsiniz!"},
    };
    for (const auto &r : required) {
        if (r.text.isEmpty()) {
            dialogs.message(QString::fromUtf8(r.message));
            return std::nullopt;
        }
    }
    TransferPlan plan;
    plan.firstRow = parseInteger(m.firstRow);
    plan.lastRow = parseInteger(m.lastRow);
    plan.dueDateColumn = parseInteger(m.dueDateColumn);
    plan.debitColumn = parseInteger(m.debitColumn);
    plan.creditColumn = parseInteger(m.creditColumn);
    plan.transactionDateColumn = optionalColumn(m.transactionDateColumn);
    plan.descriptionColumn = optionalColumn(m.descriptionColumn);
    plan.dueDateIsTransactionDate = m.dueDateIsTransactionDate;
    for (int v : {plan.firstRow, plan.lastRow})
        if (v > MaxRowNumber || v < -MaxRowNumber)
            throw KervioError(QStringLiteral("Satır numarası en fazla 5 haneli olabilir: %1").arg(v));
    return plan;
}

std::vector<LedgerTable::Row> buildLedgerRows(const StagingGrid &grid, const TransferPlan &plan, QChar sep,
                                              Dialogs &dialogs)
{
    const qint64 span = qint64(plan.lastRow) - qint64(plan.firstRow) + 1;
    const qint64 rowCount = std::max<qint64>(span + 3, 2); // with the header
    std::vector<LedgerTable::Row> rows(size_t(rowCount - 1));
    size_t t = 0;
    for (int y = plan.firstRow; y <= plan.lastRow; ++y, ++t) {
        const QString due = grid.cell(plan.dueDateColumn, y);
        if (due.isEmpty()) {
            dialogs.message(dateFormatMessage(sep));
            continue;
        }
        const DatePieces duePieces(due);
        if (!acceptsDueDate(duePieces))
            continue;
        LedgerTable::Row &row = rows[t];
        row[ColDueDate] = duePieces.joined(sep);
        if (plan.dueDateIsTransactionDate || plan.transactionDateColumn == 0)
            row[ColTransactionDate] = row[ColDueDate];
        else
            row[ColTransactionDate] = DatePieces(grid.cell(plan.transactionDateColumn, y)).joined(sep);
        if (plan.debitColumn > 0)
            row[ColDebit] = grid.cell(plan.debitColumn, y);
        if (plan.creditColumn > 0)
            row[ColCredit] = grid.cell(plan.creditColumn, y);
        if (plan.descriptionColumn > 0)
            row[ColDescription] = grid.cell(plan.descriptionColumn, y);
    }
    return rows;
}

void applyLedgerRows(Document &document, std::vector<LedgerTable::Row> rows)
{
    document.ledger().replaceEntries(std::move(rows));
    document.renumberAndRecalculateAll();
}

bool transferStagingToLedger(const StagingGrid &grid, const ImportMapping &mapping, Document &document,
                             Dialogs &dialogs)
{
    const std::optional<TransferPlan> plan = checkTransferMapping(mapping, dialogs);
    if (!plan)
        return false;
    applyLedgerRows(document, buildLedgerRows(grid, *plan, document.regional().date, dialogs));
    return true;
}

} // namespace kervio
