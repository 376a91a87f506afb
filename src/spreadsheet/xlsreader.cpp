#include "compoundfile.h"
#include "workbookformats.h"

#include <QFile>
#include <QtEndian>

#include <freexl.h>

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
// whether it is encrypted, and the first sheet's error values.
struct XlsRecords {
    bool encrypted = false;
    std::vector<PlacedCell> errors;
};

constexpr quint16 RecordBof = 0x0809, RecordEof = 0x000A, RecordFilePass = 0x002F, RecordSheet = 0x0085,
                  RecordBoolErr = 0x0205, RecordFormula = 0x0006;

XlsRecords scanRecords(const QByteArray &stream)
{
    XlsRecords out;
    auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(stream.constData() + at); };
    auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(stream.constData() + at); };
    qint64 firstSheet = -1;
    qsizetype at = 0;
    // the globals: up to their end-of-file record
    while (at + 4 <= stream.size()) {
        const quint16 type = u16(at), length = u16(at + 2);
        const qsizetype data = at + 4;
        if (data + length > stream.size())
            break;
        if (type == RecordFilePass)
            out.encrypted = true;
        else if (type == RecordSheet && length >= 4 && firstSheet < 0)
            firstSheet = u32(data);
        at = data + length;
        if (type == RecordEof)
            break;
    }
    if (out.encrypted || firstSheet < 0 || firstSheet + 4 > stream.size() || u16(firstSheet) != RecordBof)
        return out;
    for (at = qsizetype(firstSheet); at + 4 <= stream.size();) {
        const quint16 type = u16(at), length = u16(at + 2);
        const qsizetype data = at + 4;
        if (data + length > stream.size())
            break;
        if (type == RecordBoolErr && length >= 8 && stream[data + 7] == 1) {
            out.errors.push_back({u16(data), u16(data + 2), {}});
            out.errors.back().cell.text = errorName(quint8(stream[data + 6]));
        } else if (type == RecordFormula && length >= 14 && quint8(stream[data + 6]) == 2 && u16(data + 12) == 0xFFFF) {
            out.errors.push_back({u16(data), u16(data + 2), {}});
            out.errors.back().cell.text = errorName(quint8(stream[data + 8]));
        }
        if (qint64(out.errors.size()) > WorkbookLimits::Cells)
            break;
        at = data + length;
        if (type == RecordEof && at > firstSheet + 4)
            break;
    }
    for (PlacedCell &p : out.errors)
        p.cell.kind = WorkbookCell::Kind::Error;
    return out;
}

XlsRecords readRecords(const QString &path)
{
    const CompoundFile file(readWholeFile(path));
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
    if (!overlayCells(out, std::move(records.errors), maxRows))
        raiseTooManyCells(path);
    return out;
}

} // namespace kervio
