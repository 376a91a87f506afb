#include "workbookformats.h"
#include "core/codepage1254.h"
#include "core/errors.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringDecoder>

#include <orcus/csv_parser.hpp>

#include <algorithm>
#include <cmath>
#include <exception>

namespace kervio {

namespace {

struct CsvHandler {
    std::vector<std::vector<QString>> rows;
    int maxRows;
    int rowCount = 0;
    void begin_parse() {}
    void end_parse() {}
    void begin_row()
    {
        if (rowCount++ < maxRows)
            rows.emplace_back();
    }
    void end_row() {}
    void cell(const char *p, size_t n, bool)
    {
        if (rowCount > maxRows)
            return;
        // a spreadsheet cuts a cell's text here
        n = std::min(n, size_t(WorkbookLimits::TextLength) * 4);
        rows.back().push_back(QString::fromUtf8(p, qsizetype(n)).left(WorkbookLimits::TextLength));
        if (++cells > WorkbookLimits::Cells)
            throw KervioError(QStringLiteral("ilk sayfada %1 hücreden fazla dolu hücre var").arg(WorkbookLimits::Cells));
    }
    qint64 cells = 0;
};

QString decodeText(const QByteArray &bytes)
{
    if (const auto utf16 = utf16ByteOrder(bytes)) {
        QStringDecoder decode(*utf16);
        return decode(QByteArrayView(bytes).sliced(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    // Not valid UTF-8: the Windows Turkish code page
    const QString utf = QString::fromUtf8(bytes);
    if (utf.contains(QChar::ReplacementCharacter))
        return fromCp1254(bytes);
    return utf;
}

// 15 significant digits at most: a longer digit string (an account or an
// identity number) stays text instead of losing its last digits.
bool withinPrecision(const QString &digits)
{
    int significant = 0;
    bool leading = true;
    for (QChar c : digits) {
        if (!c.isDigit())
            continue;
        if (leading && c == u'0')
            continue;
        leading = false;
        ++significant;
    }
    return significant <= 15;
}

bool parseRegionalNumber(QString t, const Regional &reg, double *out)
{
    t = t.trimmed();
    if (t.isEmpty())
        return false;
    bool percent = false;
    if (t.endsWith(u'%')) {
        percent = true;
        t.chop(1);
        t = t.trimmed();
    }
    const QString dec = QRegularExpression::escape(QString(reg.decimal));
    const QString grp = QRegularExpression::escape(QString(reg.thousands));
    const QRegularExpression re(QStringLiteral("^([+-]?)(\\d{1,3}(?:%1\\d{3})+|\\d+)?(?:%2(\\d+))?(?:[eE]([+-]?\\d{1,3}))?$").arg(grp, dec));
    const QRegularExpressionMatch m = re.match(t);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        return false;
    QString intPart = m.captured(2);
    intPart.remove(reg.thousands);
    if (!withinPrecision(intPart + m.captured(3)))
        return false;
    QString plain = m.captured(1) + (intPart.isEmpty() ? QStringLiteral("0") : intPart);
    if (!m.captured(3).isEmpty())
        plain += u'.' + m.captured(3);
    if (!m.captured(4).isEmpty())
        plain += u'e' + m.captured(4);
    bool ok = false;
    double v = plain.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = percent ? v / 100.0 : v;
    return true;
}

bool parseRegionalDate(const QString &text, const Regional &reg, WorkbookCell *out)
{
    const QString t = text.trimmed();
    const QString sep = QRegularExpression::escape(QString(reg.date));
    static const QString time = QStringLiteral("(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?");
    // day, month, year with the regional separator, "/" or "-", the same twice
    const QRegularExpression dmy(QStringLiteral("^(\\d{1,2})(%1|/|-)(\\d{1,2})\\2(\\d{4}|\\d{2})%2$").arg(sep, time));
    const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})%1$").arg(time));
    const QRegularExpression timeOnly(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    QRegularExpressionMatch m;
    if ((m = dmy.match(t)).hasMatch()) {
        d = m.captured(1).toInt();
        mo = m.captured(3).toInt();
        y = m.captured(4).toInt();
        if (m.captured(4).size() == 2)
            y += y < 30 ? 2000 : 1900;
        h = m.captured(5).toInt();
        mi = m.captured(6).toInt();
        s = m.captured(7).toInt();
    } else if ((m = iso.match(t)).hasMatch()) {
        y = m.captured(1).toInt();
        mo = m.captured(2).toInt();
        d = m.captured(3).toInt();
        h = m.captured(4).toInt();
        mi = m.captured(5).toInt();
        s = m.captured(6).toInt();
    } else if ((m = timeOnly.match(t)).hasMatch()) {
        h = m.captured(1).toInt();
        mi = m.captured(2).toInt();
        s = m.captured(3).toInt();
        if (h > 23 || mi > 59 || s > 59)
            return false;
        out->kind = WorkbookCell::Kind::DateTime;
        out->hasDate = false;
        out->hour = h;
        out->minute = mi;
        out->second = s;
        return true;
    } else {
        return false;
    }
    if (!QDate::isValid(y, mo, d) || h > 23 || mi > 59 || s > 59)
        return false;
    out->kind = WorkbookCell::Kind::DateTime;
    out->year = y;
    out->month = mo;
    out->day = d;
    out->hour = h;
    out->minute = mi;
    out->second = s;
    return true;
}

} // namespace

char detectCsvDelimiter(const QByteArray &bytes)
{
    // Count the candidates outside quotes over the first lines; the one
    // that splits the lines most evenly and most often wins.
    const char candidates[3] = {';', ',', '\t'};
    int counts[3][20] = {};
    int line = 0;
    bool quoted = false;
    for (char c : bytes) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == '\n') {
            if (++line >= 20)
                break;
        } else if (!quoted) {
            for (int k = 0; k < 3; ++k)
                if (c == candidates[k])
                    ++counts[k][line];
        }
    }
    const int lines = std::max(1, std::min(line + 1, 20));
    int best = 0;
    double bestScore = -1;
    for (int k = 0; k < 3; ++k) {
        int total = 0, consistent = 0;
        for (int l = 0; l < lines; ++l) {
            total += counts[k][l];
            if (counts[k][l] > 0 && counts[k][l] == counts[k][0])
                ++consistent;
        }
        if (total == 0)
            continue;
        const double score = consistent * 1000.0 + total;
        if (score > bestScore) {
            bestScore = score;
            best = k;
        }
    }
    return bestScore < 0 ? ';' : candidates[best];
}

namespace {

// The text as UTF-8 with "\n" line ends, which the parser reads.
QByteArray normalisedCsvText(const QByteArray &raw)
{
    QString text = decodeText(raw);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text.toUtf8();
}

// The parser skips a tab after a closing quote as a blank and then misses
// the delimiter: tabs outside quotes become a separator no text holds.
constexpr char TabStandIn = '\x1F';

QByteArray withTabsStoodIn(QByteArray utf8)
{
    bool quoted = false;
    for (char &c : utf8) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '\t')
            c = TabStandIn;
    }
    return utf8;
}

CsvHandler parseCsvFields(const QByteArray &text, int maxRows)
{
    const char delimiter = detectCsvDelimiter(text);
    const QByteArray utf8 = delimiter == '\t' ? withTabsStoodIn(text) : text;
    orcus::csv::parser_config config;
    config.delimiters = std::string(1, delimiter == '\t' ? TabStandIn : delimiter);
    config.text_qualifier = '"';
    config.trim_cell_value = false;
    CsvHandler handler;
    handler.maxRows = maxRows;
    if (utf8.isEmpty())
        return handler;
    // the parser's own exceptions become ours, with its reason
    try {
        orcus::csv_parser<CsvHandler> parser(utf8.constData(), size_t(utf8.size()), handler, config);
        parser.parse();
    } catch (const KervioError &) {
        throw;
    } catch (const std::exception &e) {
        throw KervioError(QStringLiteral("metin (csv) dosyası bozuk (%1)").arg(QString::fromUtf8(e.what())));
    }
    return handler;
}

// A field as a spreadsheet application types it: a regional number, a
// date, or else text.
WorkbookCell csvCell(const QString &field, const Regional &reg)
{
    WorkbookCell cell;
    double v = 0;
    if (parseRegionalNumber(field, reg, &v)) {
        cell.kind = WorkbookCell::Kind::Number;
        cell.number = v;
    } else if (!parseRegionalDate(field, reg, &cell)) {
        cell.kind = WorkbookCell::Kind::Text;
        cell.text = field;
    }
    return cell;
}

} // namespace

WorkbookSheet readCsvText(const QByteArray &raw, const Regional &reg, int maxRows)
{
    const CsvHandler fields = parseCsvFields(normalisedCsvText(raw), maxRows);
    WorkbookSheet out;
    for (size_t r = 0; r < fields.rows.size(); ++r) {
        const std::vector<QString> &row = fields.rows[r];
        for (size_t c = 0; c < row.size(); ++c)
            if (!row[c].isEmpty())
                out.add(int(r), int(c), csvCell(row[c], reg));
    }
    // rows beyond the kept ones still count for the extent
    if (fields.rowCount > maxRows)
        out.rows = std::max(out.rows, fields.rowCount);
    return out;
}

WorkbookSheet readCsvWorkbook(const QString &path, const Regional &reg, int maxRows)
{
    const QByteArray bytes = readWholeFile(path);
    try {
        return readCsvText(bytes, reg, maxRows);
    } catch (const KervioError &e) {
        raiseUnreadable(path, e.text());
    }
}

} // namespace kervio
