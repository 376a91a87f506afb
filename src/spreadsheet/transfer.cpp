#include "transfer.h"
#include "core/errors.h"
#include "ledger/textfuncs.h"
#include "core/dialogs.h"
#include "ledger/document.h"
#include "staginggrid.h"

namespace kervio {

namespace {

struct Mapping {
    int first = 0, last = 0, due = 0, debit = 0, credit = 0, transaction = 0, description = 0;
    bool dueIsTransaction = false;
};

int fieldValue(const QString &text)
{
    return text.isEmpty() ? 0 : parseInteger(text);
}

} // namespace

bool transferStagingToLedger(const StagingGrid &grid, const ExcelAyarSettings &m, Document &document, Dialogs &dialogs)
{
    const struct {
        const QString &text;
        const char *message;
    } required[] = {
        {m.basla, "Başlangıç satırını boş geçemezsiniz!"},
        {m.bitir, "Bitiş satırını boş geçemezsiniz!"},
        {m.vade, "Vade tarihi sütununu boş geçemezsiniz!"},
        {m.borc, "Borç sütununu boş geçemezsiniz!"},
        {m.alacak, "Alacak sütununu boş geçemezsiniz!"},
    };
    for (const auto &r : required) {
        if (r.text.isEmpty()) {
            dialogs.message(QString::fromUtf8(r.message));
            return false;
        }
    }
    Mapping map;
    map.first = parseInteger(m.basla);
    map.last = parseInteger(m.bitir);
    map.due = parseInteger(m.vade);
    map.debit = parseInteger(m.borc);
    map.credit = parseInteger(m.alacak);
    map.transaction = fieldValue(m.islem);
    map.description = fieldValue(m.aciklama);
    map.dueIsTransaction = m.vadeCheck;

    // the row fields take five digits; a larger value (from a settings file
    // or the command line) would only produce a flood of empty rows
    for (int v : {map.first, map.last})
        if (v > 99999 || v < -99999)
            throw KervioError(QStringLiteral("Satır numarası en fazla 5 haneli olabilir: %1").arg(v));

    const QChar sep = document.regional().date;
    const QString formatMessage =
        QStringLiteral("Tarih formatı gg") + sep + QStringLiteral("aa") + sep + QStringLiteral("yyyy") + sep + QStringLiteral(" şeklinde olmalıdır.");

    // The new rows are built aside; the ledger is replaced only once every
    // row has been read, so a bad date piece leaves it as it was.
    const qint64 span = qint64(map.last) - qint64(map.first) + 1;
    const qint64 rowCount = std::max<qint64>(span + 3, 2); // with the header
    std::vector<LedgerTable::Row> rows(size_t(rowCount - 1));
    size_t t = 0;
    for (qint64 y = map.first; y <= map.last; ++y, ++t) {
        const int yy = int(y);
        const QString due = grid.cell(map.due, yy);
        if (due.isEmpty()) {
            dialogs.message(formatMessage);
            continue;
        }
        const QStringView dv(due);
        const QStringView dayPiece = dv.left(2);
        if (!(parseInteger(dayPiece) < 32))
            continue;
        const QStringView monthPiece = dv.mid(3, 2);
        if (!(parseInteger(monthPiece) < 13))
            continue;
        const QStringView yearPiece = dv.right(4);
        if (!(parseInteger(yearPiece) > 1905))
            continue;
        LedgerTable::Row &row = rows[t];
        const QString dueText = dayPiece.toString() + sep + monthPiece.toString() + sep + yearPiece.toString();
        row[ColDueDate] = dueText;
        if (map.dueIsTransaction || map.transaction == 0) {
            row[ColTransactionDate] = dueText;
        } else {
            const QString tr = grid.cell(map.transaction, yy);
            const QStringView tv(tr);
            row[ColTransactionDate] = tv.left(2).toString() + sep + tv.mid(3, 2).toString() + sep + tv.right(4).toString();
        }
        if (map.debit > 0)
            row[ColDebit] = grid.cell(map.debit, yy);
        if (map.credit > 0)
            row[ColCredit] = grid.cell(map.credit, yy);
        if (map.description > 0)
            row[ColDescription] = grid.cell(map.description, yy);
    }

    document.ledger().replaceEntries(std::move(rows));
    document.renumberAndRecalculateAll();
    return true;
}

bool transferAndStoreMapping(const StagingGrid &grid, const ExcelAyarSettings &mapping, Document &document,
                             Dialogs &dialogs, const QString &settingsPath)
{
    if (!transferStagingToLedger(grid, mapping, document, dialogs))
        return false;
    writeExcelAyar(settingsPath, mapping);
    return true;
}

} // namespace kervio
