// Ledger file bytes: decoding must not crash, and whatever parses must come
// back unchanged after applying it and writing it out again.
#include "core/codepage1254.h"
#include "files/commatext.h"
#include "files/ledgerfile.h"

#include <cstdint>
#include <cstdlib>

using namespace kervio;

namespace {

QByteArray fileBytes(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines)
        out += toCp1254(l) + "\r\n";
    return out;
}

void check(bool ok)
{
    if (!ok)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<LedgerFileContent> content = parseLedgerFileLines(splitLines(fromCp1254(bytes)));
    if (!content)
        return 0;

    const Regional reg = Regional::turkish();
    Parameters params(reg);
    LedgerTable table(reg);
    applyLedgerFileContent(*content, params, table);

    const std::optional<LedgerFileContent> again =
        parseLedgerFileLines(splitLines(fromCp1254(fileBytes(ledgerFileLines(params, table, reg)))));
    check(again.has_value());
    for (int i = 0; i < 6; ++i)
        check(again->texts[i] == content->texts[i]);
    check(again->calculationDate == content->calculationDate);
    check(again->debitWeekend == content->debitWeekend.value_or(false));
    check(again->creditWeekend == content->creditWeekend.value_or(false));
    if (content->rows.empty()) {
        check(again->rows.size() == 1 && again->rows[0].unpacked() == LedgerTable::Row{});
    } else {
        check(again->rows.size() == content->rows.size());
        for (size_t r = 0; r < again->rows.size(); ++r)
            check(again->rows[r].unpacked() == content->rows[r].unpacked());
    }
    return 0;
}
