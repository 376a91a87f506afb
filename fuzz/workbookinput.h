#pragma once
// A fuzzer's input as a workbook file: the readers take paths (the xls
// library reads only files), so the bytes go to one file per process, in
// memory-backed /dev/shm where there is one. Every cell is turned into its
// text; a refused file is a fine outcome, a crash, a leak or a hang is not.
#include "core/errors.h"
#include "ledger/regional.h"
#include "spreadsheet/celltext.h"
#include "spreadsheet/workbookreader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

namespace kervio::fuzz {

// Reads a sheet with `read` and turns every cell into its text.
template <class Read>
void useSheet(Read read, const Regional &reg)
{
    try {
        const WorkbookSheet sheet = read();
        for (const PlacedCell &placed : sheet.cells)
            (void)workbookCellText(placed.cell, reg);
        if (sheet.rows < 0 || sheet.columns < 0)
            __builtin_trap();
    } catch (const KervioError &) {
        // a refused file is a fine outcome; a crash, a leak or a hang is not
    }
}

inline int readWorkbookBytes(const uint8_t *data, size_t size, const char *suffix)
{
    static const QString path = (QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath())
        + QStringLiteral("/kervio-fuzz-%1.").arg(QCoreApplication::applicationPid()) + QLatin1String(suffix);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    f.write(reinterpret_cast<const char *>(data), qint64(size));
    f.close();
    const Regional reg = Regional::turkish();
    useSheet([&] { return readWorkbook(path, reg, 6500); }, reg);
    return 0;
}

} // namespace kervio::fuzz
