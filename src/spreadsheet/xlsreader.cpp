#include "workbookformats.h"

#include <QFile>

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

class XlsFile {
public:
    explicit XlsFile(const QString &path) : m_path(path)
    {
        const QByteArray name = QFile::encodeName(path);
        const int rc = freexl_open(name.constData(), &m_handle);
        if (rc != FREEXL_OK) {
            if (m_handle)
                freexl_close(m_handle);
            raiseUnreadable(path, QStringLiteral("Excel 97-2003 çalışma kitabı değil ya da bozuk (hata %1)").arg(rc));
        }
    }
    ~XlsFile() { freexl_close(m_handle); }
    XlsFile(const XlsFile &) = delete;
    XlsFile &operator=(const XlsFile &) = delete;

    void selectFirstSheet(unsigned int *rows, unsigned short *columns)
    {
        if (freexl_select_active_worksheet(m_handle, 0) != FREEXL_OK
            || freexl_worksheet_dimensions(m_handle, rows, columns) != FREEXL_OK)
            raiseUnreadable(m_path, QStringLiteral("ilk sayfa okunamadı"));
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
    }
    return out;
}

} // namespace kervio
