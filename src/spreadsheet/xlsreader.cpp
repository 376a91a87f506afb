#include "compoundfile.h"
#include "workbookformats.h"

#include <QFile>
#include <QtEndian>

#include <freexl.h>

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

class XlsFile {
public:
    explicit XlsFile(const QString &path) : m_path(path)
    {
        const QByteArray name = QFile::encodeName(path);
        const int rc = freexl_open(name.constData(), &m_handle);
        if (rc != FREEXL_OK) {
            if (m_handle)
                freexl_close(m_handle);
            raiseDamaged(path, QStringLiteral("Excel 97-2003 çalışma kitabı"), QStringLiteral("freexl %1").arg(rc));
        }
    }
    ~XlsFile() { freexl_close(m_handle); }
    XlsFile(const XlsFile &) = delete;
    XlsFile &operator=(const XlsFile &) = delete;

    void selectFirstSheet(unsigned int *rows, unsigned short *columns)
    {
        if (freexl_select_active_worksheet(m_handle, 0) != FREEXL_OK
            || freexl_worksheet_dimensions(m_handle, rows, columns) != FREEXL_OK)
            raiseDamaged(m_path, QStringLiteral("çalışma kitabının ilk sayfası"));
    }
    WorkbookCell cell(unsigned int row, unsigned short column) const
    {
        FreeXL_CellValue v;
        if (freexl_get_cell_value(m_handle, row, column, &v) != FREEXL_OK)
            return {};
        return xlsCell(v);
    }

private:
    QString m_path;
    const void *m_handle = nullptr;
};

} // namespace

WorkbookSheet readXlsWorkbook(const QString &path, int maxRows)
{
    XlsRecords records = readRecords(path);
    if (records.encrypted)
        raiseEncrypted(path);
    XlsFile file(path);
    unsigned int rows = 0;
    unsigned short cols = 0;
    file.selectFirstSheet(&rows, &cols);
    WorkbookSheet out;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < cols; ++c) {
            WorkbookCell cell = file.cell(r, c);
            if (cell.kind != WorkbookCell::Kind::Empty)
                out.add(int(r), int(c), std::move(cell), maxRows);
        }
        if (qint64(out.cells.size()) > WorkbookLimits::Cells)
            raiseTooManyCells(path);
    }
    if (!overlayCells(out, std::move(records.cells), maxRows))
        raiseTooManyCells(path);
    return out;
}

} // namespace kervio
