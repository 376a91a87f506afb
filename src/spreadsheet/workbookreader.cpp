#include "workbookreader.h"
#include "workbookformats.h"
#include "core/errors.h"
#include "core/numericlocale.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <orcus/format_detection.hpp>

#include <algorithm>
#include <exception>

namespace kervio {

const WorkbookCell &WorkbookSheet::at(int row, int col) const
{
    static const WorkbookCell empty;
    auto it = std::lower_bound(cells.begin(), cells.end(), std::pair(row, col), [](const PlacedCell &c, std::pair<int, int> k) {
        return std::pair(c.row, c.col) < k;
    });
    if (it != cells.end() && it->row == row && it->col == col)
        return it->cell;
    return empty;
}

void WorkbookSheet::add(int row, int col, WorkbookCell cell, int maxRows)
{
    rows = std::max(rows, row + 1);
    columns = std::max(columns, col + 1);
    if (row < maxRows)
        cells.push_back({row, col, std::move(cell)});
}

[[noreturn]] void raiseUnreadable(const QString &path, const QString &reason)
{
    throw KervioError(QStringLiteral("\"%1\" dosyası okunamadı: %2").arg(QDir::toNativeSeparators(path), reason));
}

QByteArray readWholeFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        raiseUnreadable(path, f.errorString());
    return f.readAll();
}

WorkbookFormat detectWorkbookFormat(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return WorkbookFormat::Unknown;
    const QByteArray head = f.read(8);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (head.startsWith("\xD0\xCF\x11\xE0"))
        return WorkbookFormat::Xls;
    if (head.startsWith("PK\x03\x04")) {
        if (suffix == QLatin1String("ods"))
            return WorkbookFormat::Ods;
        if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm"))
            return WorkbookFormat::Xlsx;
        // a zip under another name: ask the library which kind it is
        f.seek(0);
        const QByteArray all = f.readAll();
        try {
            switch (orcus::detect(reinterpret_cast<const unsigned char *>(all.constData()), size_t(all.size()))) {
            case orcus::format_t::xlsx: return WorkbookFormat::Xlsx;
            case orcus::format_t::ods: return WorkbookFormat::Ods;
            default: return WorkbookFormat::Unknown;
            }
        } catch (const std::exception &) {
            return WorkbookFormat::Unknown;
        }
    }
    return WorkbookFormat::Csv;
}

WorkbookSheet readWorkbook(const QString &path, const Regional &reg, int maxRows)
{
    if (!QFileInfo(path).isFile())
        raiseUnreadable(path, QStringLiteral("dosya bulunamadı"));
    // the reader libraries read the files' numbers with the C library
    const CNumericLocale cNumbers;
    switch (detectWorkbookFormat(path)) {
    case WorkbookFormat::Xlsx:
        return readXlsxWorkbook(path, maxRows);
    case WorkbookFormat::Ods:
        return readOdsWorkbook(path, maxRows);
    case WorkbookFormat::Xls:
        return readXlsWorkbook(path, maxRows);
    case WorkbookFormat::Csv:
        return readCsvWorkbook(path, reg, maxRows);
    case WorkbookFormat::Unknown:
        break;
    }
    raiseUnreadable(path, QStringLiteral("tanınan bir çalışma kitabı biçimi değil"));
}

} // namespace kervio
