#include "ledgerfile.h"
#include "core/codepage1254.h"
#include "commatext.h"
#include "core/savefile.h"
#include "core/errors.h"
#include "ledger/textfuncs.h"

#include <QFile>
#include <algorithm>

namespace kervio {

namespace {

// Parameter line items 1-6, in file order.
constexpr Parameters::Field kFileFields[6] = {
    Parameters::DaysInYear, Parameters::YearlyRate, Parameters::MonthlyRate,
    Parameters::DebitGrace, Parameters::CreditGrace, Parameters::Company,
};

// A CR LF pair, a lone CR and a lone LF each become one blank, and so does a
// NUL, at which the reader would end the line.
QString withoutBreaks(const QString &text)
{
    const auto isBreak = [](QChar c) { return c == u'\r' || c == u'\n' || c == u'\0'; };
    if (std::none_of(text.begin(), text.end(), isBreak))
        return text;
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (isBreak(c)) {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

QString encodeItems(QStringList items)
{
    for (QString &item : items)
        item = withoutBreaks(item);
    return encodeCommaText(items);
}

std::optional<bool> weekendItem(const QString &item)
{
    if (item == u"E")
        return true;
    if (item == u"H")
        return false;
    return std::nullopt;
}

// Characters 1-2, 4-5 and 7-10; the separators are not looked at.
std::optional<QDate> dateItem(const QString &item)
{
    int day, month, year;
    try {
        day = parseInteger(item.mid(0, 2));
        month = parseInteger(item.mid(3, 2));
        year = parseInteger(item.mid(6, 4));
    } catch (const KervioError &) {
        return std::nullopt;
    }
    if (year < 1 || year > 9999)
        return std::nullopt;
    const QDate d(year, month, day);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

} // namespace

QStringList ledgerFileLines(const Parameters &params, const LedgerTable &ledger, const Regional &reg)
{
    QStringList lines;
    lines.reserve(ledger.gridRowCount() + 1);

    QStringList items;
    for (const Parameters::Field f : kFileFields)
        items += params.text(f);
    items += QStringLiteral("H");
    items += params.debitWeekend() ? QStringLiteral("E") : QStringLiteral("H");
    items += params.creditWeekend() ? QStringLiteral("E") : QStringLiteral("H");
    items += dateToText(params.calculationDate(), reg);
    lines += encodeItems(items);

    for (int r = 0; r < ledger.gridRowCount(); ++r) {
        const LedgerTable::Row &row = ledger.row(r);
        lines += encodeItems(QStringList(row.begin(), row.end()));
    }
    return lines;
}

bool writeLedgerFile(const QString &path, const QStringList &lines)
{
    return saveFileContents(path, ledgerFileBytes(lines));
}

QByteArray ledgerFileBytes(const QStringList &lines)
{
    QByteArray bytes;
    qsizetype total = 0;
    for (const QString &line : lines)
        total += line.size() + 2;
    bytes.reserve(total);
    for (const QString &line : lines) {
        appendCp1254(bytes, line);
        bytes += "\r\n";
    }
    return bytes;
}

std::optional<QStringList> readLedgerFileLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return decodeLedgerFileBytes(bytes);
}

QStringList decodeLedgerFileBytes(const QByteArray &bytes)
{
    return splitLines(fromCp1254(bytes));
}

std::optional<LedgerFileContent> parseLedgerFileLines(QStringList lines)
{
    if (lines.isEmpty())
        return std::nullopt;
    const QStringList params = decodeCommaText(lines.first());
    if (params.size() < 10)
        return std::nullopt;

    LedgerFileContent content;
    for (int i = 0; i < 6; ++i)
        content.texts[i] = params[i];
    content.debitWeekend = weekendItem(params[7]);
    content.creditWeekend = weekendItem(params[8]);
    const std::optional<QDate> date = dateItem(params[9]);
    if (!date)
        return std::nullopt;
    content.calculationDate = *date;

    // Line 2, the header, is not read.
    if (lines.size() > 2)
        content.rows.reserve(size_t(lines.size() - 2) + 1); // room for the header
    for (qsizetype l = 2; l < lines.size(); ++l) {
        const QStringList items = decodeCommaText(lines[l]);
        lines[l] = QString();
        LedgerTable::Row row;
        const qsizetype n = std::min<qsizetype>(items.size(), LedgerTable::ColumnCount);
        for (qsizetype c = 0; c < n; ++c)
            row[size_t(c)] = items[c];
        content.rows.push_back(std::move(row));
    }
    return content;
}

void applyLedgerFileContent(LedgerFileContent content, Parameters &params, LedgerTable &ledger)
{
    for (int i = 0; i < 6; ++i)
        params.setText(kFileFields[i], content.texts[i]);
    if (content.debitWeekend)
        params.setDebitWeekend(*content.debitWeekend);
    if (content.creditWeekend)
        params.setCreditWeekend(*content.creditWeekend);
    params.setCalculationDate(content.calculationDate);
    ledger.replaceEntries(std::move(content.rows));
}

} // namespace kervio
