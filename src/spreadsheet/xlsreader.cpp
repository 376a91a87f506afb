#include "compoundfile.h"
#include "core/isolatedrun.h"
#include "workbookformats.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

#include <freexl.h>

#include <algorithm>
#include <map>
#include <optional>

namespace kervio {

namespace {

// The library gives dates as texts "YYYY-MM-DD", "YYYY-MM-DD hh:mm:ss" or
// "hh:mm:ss".
WorkbookCell dateTimeCell(const FreeXL_CellValue &v)
{
    const QString t = QString::fromUtf8(v.value.text_value);
    WorkbookCell cell;
    cell.kind = WorkbookCell::Kind::DateTime;
    QString time = t;
    if (v.type != FREEXL_CELL_TIME) {
        cell.year = t.mid(0, 4).toInt();
        cell.month = t.mid(5, 2).toInt();
        cell.day = t.mid(8, 2).toInt();
        time = v.type == FREEXL_CELL_DATETIME ? t.mid(11) : QString();
    } else {
        cell.hasDate = false;
    }
    if (!time.isEmpty()) {
        cell.hour = time.mid(0, 2).toInt();
        cell.minute = time.mid(3, 2).toInt();
        cell.second = time.mid(6).toDouble();
    }
    return cell;
}

WorkbookCell xlsCell(const FreeXL_CellValue &v)
{
    WorkbookCell cell;
    switch (v.type) {
    case FREEXL_CELL_INT:
        cell.kind = WorkbookCell::Kind::Number;
        cell.number = v.value.int_value;
        break;
    case FREEXL_CELL_DOUBLE:
        cell.kind = WorkbookCell::Kind::Number;
        cell.number = v.value.double_value;
        break;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        cell.text = QString::fromUtf8(v.value.text_value);
        cell.kind = cell.text.isEmpty() ? WorkbookCell::Kind::Empty : WorkbookCell::Kind::Text;
        break;
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return dateTimeCell(v);
    default:
        break;
    }
    return cell;
}

QString errorName(quint8 code)
{
    switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    default: return QStringLiteral("#N/A");
    }
}

// What the xls library does not tell, read from the workbook's records:
// whether it is encrypted, and the first sheet's formula results and error
// values.
struct XlsRecords {
    bool encrypted = false;
    std::vector<PlacedCell> cells;
};

constexpr quint16 RecordBof = 0x0809, RecordEof = 0x000A, RecordFilePass = 0x002F, RecordSheet = 0x0085,
                  RecordBoolErr = 0x0205, RecordFormula = 0x0006, RecordString = 0x0207, RecordFormat = 0x041E,
                  RecordXf = 0x00E0, RecordDateMode = 0x0022;

class RecordScan {
public:
    explicit RecordScan(const QByteArray &stream) : m_s(stream) {}

    XlsRecords run()
    {
        const qint64 firstSheet = readGlobals();
        if (m_out.encrypted || firstSheet < 0 || firstSheet + 4 > m_s.size() || u16(firstSheet) != RecordBof)
            return std::move(m_out);
        readSheet(firstSheet);
        return std::move(m_out);
    }

private:
    quint16 u16(qsizetype at) const { return qFromLittleEndian<quint16>(m_s.constData() + at); }
    quint32 u32(qsizetype at) const { return qFromLittleEndian<quint32>(m_s.constData() + at); }
    quint8 u8(qsizetype at) const { return quint8(m_s[at]); }

    // Calls `record(type, data, length)` for each whole record from `at` up
    // to the end-of-file record.
    template <class F>
    void walk(qsizetype at, F record) const
    {
        while (at + 4 <= m_s.size()) {
            const quint16 type = u16(at), length = u16(at + 2);
            const qsizetype data = at + 4;
            if (data + length > m_s.size() || !record(type, data, length) || type == RecordEof)
                return;
            at = data + length;
        }
    }
    // A text of BIFF8: its characters, one byte or two each.
    QString text(qsizetype at, qsizetype end, int count) const
    {
        if (at >= end)
            return {};
        const bool wide = u8(at) & 1;
        ++at;
        count = int(std::min<qsizetype>(count, (end - at) / (wide ? 2 : 1)));
        QString out;
        for (int i = 0; i < count && out.size() < WorkbookLimits::TextLength; ++i)
            out += wide ? QChar(u16(at + 2 * i)) : QChar(u8(at + i));
        return out;
    }

    qint64 readGlobals()
    {
        qint64 firstSheet = -1;
        walk(0, [&](quint16 type, qsizetype data, quint16 length) {
            if (type == RecordFilePass)
                m_out.encrypted = true;
            else if (type == RecordSheet && length >= 4 && firstSheet < 0)
                firstSheet = u32(data);
            else if (type == RecordDateMode && length >= 2 && u16(data) == 1)
                m_origin = QDate(1904, 1, 1);
            else if (type == RecordFormat && length >= 5)
                m_formats[u16(data)] = text(data + 4, data + length, u16(data + 2));
            else if (type == RecordXf && length >= 4)
                m_xfFormats.push_back(u16(data + 2));
            return true;
        });
        return firstSheet;
    }

    bool isDate(quint16 xf) const
    {
        if (xf >= m_xfFormats.size())
            return false;
        const quint16 id = m_xfFormats[xf];
        const auto it = m_formats.find(id);
        return isDateFormatCode(it != m_formats.end() ? it->second : builtinNumberFormat(id));
    }

    void readSheet(qint64 at)
    {
        std::optional<PlacedCell> pendingText; // a formula whose text result follows
        walk(qsizetype(at) + 4 + u16(qsizetype(at) + 2), [&](quint16 type, qsizetype data, quint16 length) {
            if (type == RecordString && pendingText && length >= 3) {
                pendingText->cell.kind = WorkbookCell::Kind::Text;
                pendingText->cell.text = text(data + 2, data + length, u16(data));
                if (!pendingText->cell.text.isEmpty())
                    m_out.cells.push_back(*pendingText);
            }
            if (type != RecordString)
                pendingText.reset();
            if (type == RecordBoolErr && length >= 8)
                m_out.cells.push_back(boolOrError(data, u8(data + 6), u8(data + 7) == 1));
            else if (type == RecordFormula && length >= 14)
                formula(data, pendingText);
            return qint64(m_out.cells.size()) <= WorkbookLimits::Cells;
        });
    }
    PlacedCell boolOrError(qsizetype data, quint8 value, bool error) const
    {
        PlacedCell p{u16(data), u16(data + 2), {}};
        if (error) {
            p.cell.kind = WorkbookCell::Kind::Error;
            p.cell.text = errorName(value);
        } else {
            p.cell.kind = WorkbookCell::Kind::Boolean;
            p.cell.number = value ? 1 : 0;
        }
        return p;
    }
    void formula(qsizetype data, std::optional<PlacedCell> &pendingText)
    {
        const qsizetype result = data + 6;
        if (u16(result + 6) != 0xFFFF) {
            PlacedCell p{u16(data), u16(data + 2), {}};
            const double v = qFromLittleEndian<double>(m_s.constData() + result);
            if (isDate(u16(data + 4)) && v >= 0 && v < 2958466) {
                setSerialDate(p.cell, v, m_origin);
            } else {
                p.cell.kind = WorkbookCell::Kind::Number;
                p.cell.number = v;
            }
            m_out.cells.push_back(p);
        } else if (u8(result) == 0) {
            pendingText = PlacedCell{u16(data), u16(data + 2), {}};
        } else if (u8(result) == 1 || u8(result) == 2) {
            m_out.cells.push_back(boolOrError(data, u8(result + 2), u8(result) == 2));
        }
    }

    const QByteArray &m_s;
    XlsRecords m_out;
    QDate m_origin{1899, 12, 30};
    std::map<quint16, QString> m_formats;
    std::vector<quint16> m_xfFormats;
};

XlsRecords scanRecords(const QByteArray &stream)
{
    return RecordScan(stream).run();
}

XlsRecords readRecords(const QString &path)
{
    const CompoundFile file(readWholeFile(path));
    // the xls library follows the directory blindly and crashes on some damage
    if (!file.isIntact())
        raiseDamaged(path, QStringLiteral("Excel 97-2003 çalışma kitabı"));
    QByteArray stream = file.stream(QStringLiteral("Workbook"), WorkbookLimits::FileBytes);
    if (stream.isEmpty())
        stream = file.stream(QStringLiteral("Book"), WorkbookLimits::FileBytes);
    return scanRecords(stream);
}

// More than a sheet of the rows ever imported holds; beyond it the child's
// report is refused.
constexpr qint64 ReportBytes = 128 * WorkbookLimits::MB;

// The child's report of the first sheet, in this machine's byte order:
// a cell is 'c', row (4 bytes), column (2), the library's type (1) and its
// value: an int (4), a double (8) or a text's length (4) and UTF-8 bytes;
// the extent of the rows beyond those asked for is 'x', rows (4), columns (2).

enum XlsExit { XlsRead = 0, XlsOpenFailed = 10, XlsSheetFailed = 11 };

int readFirstSheetInChild(const QByteArray &fileName, int maxRows, IsolatedOutput &out)
{
    const void *handle = nullptr;
    const int rc = freexl_open(fileName.constData(), &handle);
    if (rc != FREEXL_OK) {
        out.appendValue(qint32(rc));
        return XlsOpenFailed;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, 0) != FREEXL_OK
        || freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
        return XlsSheetFailed;
    qint64 cells = 0;
    quint32 extentRows = 0;
    quint16 extentColumns = 0;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK || v.type == FREEXL_CELL_NULL)
                continue;
            if (r >= unsigned(maxRows)) {
                extentRows = r + 1;
                extentColumns = std::max<quint16>(extentColumns, c + 1);
                continue;
            }
            // one past the limit tells the reader there were too many
            if (++cells > WorkbookLimits::Cells + 1)
                return XlsRead;
            out.appendValue('c');
            out.appendValue(quint32(r));
            out.appendValue(quint16(c));
            out.appendValue(quint8(v.type));
            if (v.type == FREEXL_CELL_INT) {
                out.appendValue(qint32(v.value.int_value));
            } else if (v.type == FREEXL_CELL_DOUBLE) {
                out.appendValue(v.value.double_value);
            } else {
                const size_t length = v.value.text_value ? std::strlen(v.value.text_value) : 0;
                out.appendValue(quint32(length));
                out.append(v.value.text_value, length);
            }
        }
    }
    if (extentRows > 0) {
        out.appendValue('x');
        out.appendValue(extentRows);
        out.appendValue(extentColumns);
    }
    freexl_close(handle);
    return XlsRead;
}

// Reads the child's report back; false when it is cut short.
class XlsReport {
public:
    explicit XlsReport(const QByteArray &bytes) : m_bytes(bytes) {}
    bool atEnd() const { return m_at == m_bytes.size(); }
    template <class T>
    bool take(T &value)
    {
        if (m_bytes.size() - m_at < qsizetype(sizeof value))
            return false;
        std::memcpy(&value, m_bytes.constData() + m_at, sizeof value);
        m_at += sizeof value;
        return true;
    }
    bool takeText(QByteArray &text)
    {
        quint32 length = 0;
        if (!take(length) || m_bytes.size() - m_at < qsizetype(length))
            return false;
        text = QByteArray::fromRawData(m_bytes.constData() + m_at, qsizetype(length));
        m_at += length;
        return true;
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_at = 0;
};

bool readXlsReport(const QByteArray &bytes, WorkbookSheet &out, int maxRows)
{
    XlsReport report(bytes);
    while (!report.atEnd()) {
        char tag = 0;
        quint32 row = 0;
        quint16 column = 0;
        if (!report.take(tag) || !report.take(row) || !report.take(column))
            return false;
        if (tag == 'x') {
            out.rows = std::max(out.rows, int(row));
            out.columns = std::max(out.columns, int(column));
            continue;
        }
        quint8 type = 0;
        if (tag != 'c' || !report.take(type))
            return false;
        FreeXL_CellValue v;
        v.type = type;
        QByteArray text;
        if (type == FREEXL_CELL_INT) {
            qint32 n = 0;
            if (!report.take(n))
                return false;
            v.value.int_value = n;
        } else if (type == FREEXL_CELL_DOUBLE) {
            if (!report.take(v.value.double_value))
                return false;
        } else {
            if (!report.takeText(text))
                return false;
            text.detach(); // the library's texts end with a zero
            v.value.text_value = text.constData();
        }
        WorkbookCell cell = xlsCell(v);
        if (cell.kind != WorkbookCell::Kind::Empty)
            out.add(int(row), int(column), std::move(cell), maxRows);
    }
    return true;
}

} // namespace

WorkbookSheet readXlsWorkbook(const QString &path, int maxRows)
{
    XlsRecords records = readRecords(path);
    if (records.encrypted)
        raiseEncrypted(path);
    const QString what = QStringLiteral("Excel 97-2003 çalışma kitabı");
    // The xls library trusts what it reads and crashes on some damage that
    // no check before it catches: it runs apart from the program.
    const QByteArray fileName = QFile::encodeName(path);
    const std::optional<IsolatedResult> child = runIsolated(
        [&](IsolatedOutput &out) { return readFirstSheetInChild(fileName, maxRows, out); }, ReportBytes);
    if (!child)
        raiseDamaged(path, what);
    if (child->exitCode == XlsOpenFailed) {
        qint32 rc = 0;
        XlsReport(child->output).take(rc);
        raiseDamaged(path, what, QStringLiteral("freexl %1").arg(rc));
    }
    if (child->exitCode == XlsSheetFailed)
        raiseDamaged(path, QStringLiteral("çalışma kitabının ilk sayfası"));
    WorkbookSheet out;
    if (child->exitCode != XlsRead || !readXlsReport(child->output, out, maxRows))
        raiseDamaged(path, what);
    if (qint64(out.cells.size()) > WorkbookLimits::Cells)
        raiseTooManyCells(path);
    if (!overlayCells(out, std::move(records.cells), maxRows))
        raiseTooManyCells(path);
    return out;
}

} // namespace kervio
