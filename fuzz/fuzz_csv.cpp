// Any bytes as a csv workbook: read, and every cell turned into its text.
#include "core/errors.h"
#include "spreadsheet/celltext.h"
#include "spreadsheet/workbookreader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kervio;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const Regional &reg : {Regional::turkish(), Regional{u'.', u',', u'/'}}) {
        try {
            const WorkbookSheet sheet = readCsvText(bytes, reg, 6500);
            for (const auto &placed : sheet.cells)
                (void)workbookCellText(placed.cell, reg);
            if (sheet.rows < 0 || sheet.columns < 0)
                __builtin_trap();
        } catch (const KervioError &) {
            // a refused file is a fine outcome; a crash or a hang is not
        }
    }
    return 0;
}
