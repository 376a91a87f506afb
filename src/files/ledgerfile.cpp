#include "ledgerfile.h"
#include "core/codepage1254.h"
#include "commatext.h"
#include "core/savefile.h"
#include "core/errors.h"
#include "ledger/textfuncs.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace kervio {

namespace {

// Parameter line items 1-6, in file order.
constexpr Parameters::Field kFileFields[6] = {
    Parameters::DaysInYear, Parameters::YearlyRate, Parameters::MonthlyRate,
    Parameters::DebitGrace, Parameters::CreditGrace, Parameters::Company,
};

bool isBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == u'\0';
}

bool hasBreak(QStringView text)
{
    return std::any_of(text.begin(), text.end(), isBreak);
}

// A CR LF pair, a lone CR and a lone LF each become one blank, and so does a
// NUL, at which the reader would end the line.
QString withoutBreaks(const QString &text)
{
    if (!hasBreak(text))
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

namespace {

QStringList parameterItems(const Parameters &params, const Regional &reg)
{
    QStringList items;
    for (const Parameters::Field f : kFileFields)
        items += params.text(f);
    items += QStringLiteral("H");
    items += params.debitWeekend() ? QStringLiteral("E") : QStringLiteral("H");
    items += params.creditWeekend() ? QStringLiteral("E") : QStringLiteral("H");
    items += dateToText(params.calculationDate(), reg);
    return items;
}

// Bytes written at the end of a byte array made larger ahead of them, in
// steps, and cut to what was written at the end.
class ByteWriter {
public:
    explicit ByteWriter(QByteArray &bytes) : m_bytes(bytes), m_end(bytes.size()) {}
    ~ByteWriter() { m_bytes.truncate(m_end); }
    // Room for `n` more bytes; written ones are kept with advance().
    char *room(qsizetype n)
    {
        if (m_end + n > m_bytes.size())
            m_bytes.resize(std::max({m_end + n, m_bytes.capacity(), m_bytes.size() + m_bytes.size() / 2}));
        return m_bytes.data() + m_end;
    }
    void advance(qsizetype n) { m_end += n; }
    qsizetype size() const { return m_end; }

private:
    QByteArray &m_bytes;
    qsizetype m_end;
};

// A grid row's line encoded, appended through `out`. Each cell is encoded
// straight from the row; only one with a break or a quote is made into a
// text of its own first.
void appendRowLine(ByteWriter &out, const PackedRow &row, QString &scratch)
{
    const PackedRow::Views cells = row.views();
    for (int c = 0; c < LedgerTable::ColumnCount; ++c) {
        const QStringView cell = cells[size_t(c)];
        // the common cell, ASCII that needs no quotes, copied at once
        {
            char *d = out.room(cell.size() + 1);
            qsizetype n = 0;
            if (c > 0)
                d[n++] = ',';
            qsizetype i = 0;
            for (; i < cell.size(); ++i) {
                const char16_t u = cell[i].unicode();
                if (u <= 32 || u >= 0x80 || u == u'"' || u == u',')
                    break;
                d[n++] = char(u);
            }
            if (i == cell.size()) {
                out.advance(n);
                continue;
            }
        }
        bool quoted = needsCommaQuotes(cell);
        const bool rewritten = quoted && (cell.contains(u'"') || hasBreak(cell));
        QStringView text = cell;
        if (rewritten) {
            scratch.resize(0);
            appendCommaItem(scratch, withoutBreaks(cell.toString()));
            text = scratch;
            quoted = false; // the quotes are in the text
        }
        char *d = out.room(text.size() + 4);
        qsizetype n = 0;
        if (c > 0)
            d[n++] = ',';
        if (quoted)
            d[n++] = '"';
        n += toCp1254(text, d + n);
        if (quoted)
            d[n++] = '"';
        out.advance(n);
    }
    std::memcpy(out.room(2), "\r\n", 2);
    out.advance(2);
}

} // namespace

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

namespace {

// The file's bytes from grid row `next` on (-1: the parameter line first)
// appended to `bytes` until it holds at least `limit` of them; returns the
// row to go on with, the row count when all are written.
int appendLedgerFileBytes(QByteArray &bytes, qsizetype limit, int next, const Parameters &params,
                          const LedgerTable &ledger, const Regional &reg)
{
    if (next < 0) {
        appendCp1254(bytes, encodeItems(parameterItems(params, reg)));
        bytes += "\r\n";
        next = 0;
    }
    QString scratch;
    ByteWriter out(bytes);
    while (next < ledger.gridRowCount() && out.size() < limit)
        appendRowLine(out, ledger.packedRow(next++), scratch);
    return next;
}

} // namespace

QByteArray ledgerFileBytes(const Parameters &params, const LedgerTable &ledger, const Regional &reg)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(ledger.gridRowCount()) * 100);
    appendLedgerFileBytes(bytes, std::numeric_limits<qsizetype>::max(), -1, params, ledger, reg);
    return bytes;
}

QStringList ledgerFileLines(const Parameters &params, const LedgerTable &ledger, const Regional &reg)
{
    // read back from the one encoding of the file, so the two never differ
    return splitLines(fromCp1254(ledgerFileBytes(params, ledger, reg)));
}

bool writeLedgerFile(const QString &path, const Parameters &params, const LedgerTable &ledger, const Regional &reg)
{
    // written in pieces, so that a large ledger's file is not held whole
    constexpr qsizetype Piece = 1 << 20;
    int next = -1;
    return saveFileContents(path, [&](QByteArray &piece) {
        piece.reserve(Piece + 4096);
        next = appendLedgerFileBytes(piece, Piece, next, params, ledger, reg);
        return next < ledger.gridRowCount();
    });
}

std::optional<QStringList> readLedgerFileLines(const QString &path)
{
    const std::optional<QByteArray> bytes = readFileContents(path);
    if (!bytes)
        return std::nullopt;
    return splitLines(fromCp1254(*bytes));
}

namespace {

// The parameter line into `content`; false when it makes no ledger.
bool parseParameterLine(const QString &line, LedgerFileContent &content)
{
    const QStringList params = decodeCommaText(line);
    if (params.size() < 10)
        return false;
    for (int i = 0; i < 6; ++i)
        content.texts[i] = params[i];
    content.debitWeekend = weekendItem(params[7]);
    content.creditWeekend = weekendItem(params[8]);
    const std::optional<QDate> date = dateItem(params[9]);
    if (!date)
        return false;
    content.calculationDate = *date;
    return true;
}

PackedRow rowOfLine(const QString &line, LedgerTable::Row &cells)
{
    for (QString &c : cells)
        c.resize(0);
    decodeCommaText(line, cells.data(), LedgerTable::ColumnCount);
    return PackedRow(cells);
}

} // namespace

std::optional<LedgerFileContent> parseLedgerFileLines(QStringList lines)
{
    LedgerFileContent content;
    if (lines.isEmpty() || !parseParameterLine(lines.first(), content))
        return std::nullopt;

    // Line 2, the header, is not read.
    if (lines.size() > 2)
        content.rows.reserve(size_t(lines.size() - 2) + 1); // room for the header
    LedgerTable::Row cells;
    for (qsizetype l = 2; l < lines.size(); ++l) {
        content.rows.push_back(rowOfLine(lines[l], cells));
        lines[l] = QString();
    }
    return content;
}

namespace {

// A ledger file's content made line by line from the file's bytes.
class ContentOfLines {
public:
    // Room for the rows and the header of a file of `lineFeeds` line feeds.
    explicit ContentOfLines(size_t lineFeeds) { m_content.rows.reserve(lineFeeds + 1); }

    // False when the first line makes no ledger.
    bool take(QByteArrayView line)
    {
        if (m_lineNumber == 0) {
            m_parametersRead = parseParameterLine(fromCp1254(line), m_content);
        } else if (m_lineNumber >= 2) {
            m_text.resize(size_t(line.size()));
            fromCp1254(line, m_text.data());
            std::array<QStringView, LedgerTable::ColumnCount> cells{};
            decodeCommaText(QStringView(m_text.data(), line.size()), cells.data(), LedgerTable::ColumnCount, m_room);
            m_content.rows.emplace_back(cells);
        }
        ++m_lineNumber;
        return m_lineNumber > 1 || m_parametersRead;
    }

    std::optional<LedgerFileContent> finish()
    {
        if (!m_parametersRead)
            return std::nullopt;
        return std::move(m_content);
    }

private:
    LedgerFileContent m_content;
    qsizetype m_lineNumber = 0;
    bool m_parametersRead = false;
    // one room for every line: its characters and its unquoted items
    std::vector<char16_t> m_text;
    std::vector<char16_t> m_room;
};

// Bytes that come in pieces split into lines as splitLines splits the
// decoded text (CR and LF are the same bytes in the code page).
class ByteLines {
public:
    // The lines that end in `piece` to `take`; false once it refused one.
    template <typename Take>
    bool add(QByteArrayView piece, Take take)
    {
        const char *d = piece.data();
        const qsizetype n = piece.size();
        qsizetype start = 0;
        if (m_afterCr && n > 0) {
            m_afterCr = false;
            if (d[0] == '\n')
                start = 1; // the LF of a CR LF split between pieces
        }
        // each line's end found with memchr: its LF, or a CR before that
        while (start < n) {
            const void *lf = std::memchr(d + start, '\n', size_t(n - start));
            qsizetype end = lf ? static_cast<const char *>(lf) - d : n;
            if (const void *cr = std::memchr(d + start, '\r', size_t(end - start)))
                end = static_cast<const char *>(cr) - d;
            if (end == n)
                break;
            QByteArrayView line(d + start, end - start);
            if (!m_rest.isEmpty()) {
                m_rest.append(line);
                line = m_rest;
            }
            if (!take(line))
                return false;
            m_rest.resize(0);
            if (d[end] == '\r' && end + 1 == n)
                m_afterCr = true;
            start = end + (end + 1 < n && d[end] == '\r' && d[end + 1] == '\n' ? 2 : 1);
        }
        m_rest.append(d + start, n - start);
        return true;
    }
    // The last line, when no break ends it.
    template <typename Take>
    bool finish(Take take)
    {
        return m_rest.isEmpty() || take(QByteArrayView(m_rest));
    }

private:
    QByteArray m_rest; // the start of a line that a later piece ends
    bool m_afterCr = false;
};

} // namespace

std::optional<LedgerFileContent> parseLedgerFileBytes(const QByteArray &bytes)
{
    ContentOfLines content(size_t(std::count(bytes.begin(), bytes.end(), '\n')));
    ByteLines lines;
    auto take = [&](QByteArrayView line) { return content.take(line); };
    if (!lines.add(bytes, take) || !lines.finish(take))
        return std::nullopt;
    return content.finish();
}

std::optional<LedgerFileContent> readLedgerFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.isSequential()) {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return std::nullopt;
        return parseLedgerFileBytes(bytes);
    }
    // Read in pieces, so that a large file is not held whole: first the
    // line feeds counted for the rows' room, then the lines.
    constexpr qint64 Piece = 1 << 20;
    QByteArray piece(Piece, Qt::Uninitialized);
    auto forEachPiece = [&](auto use) {
        for (;;) {
            const qint64 n = file.read(piece.data(), Piece);
            if (n < 0)
                return false;
            if (n == 0)
                return true;
            if (!use(QByteArrayView(piece.constData(), n)))
                return false;
        }
    };
    size_t lineFeeds = 0;
    if (!forEachPiece([&](QByteArrayView p) {
            lineFeeds += size_t(std::count(p.begin(), p.end(), '\n'));
            return true;
        })
        || !file.seek(0))
        return std::nullopt;
    ContentOfLines content(lineFeeds);
    ByteLines lines;
    auto take = [&](QByteArrayView line) { return content.take(line); };
    if (!forEachPiece([&](QByteArrayView p) { return lines.add(p, take); }) || !lines.finish(take))
        return std::nullopt;
    return content.finish();
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
