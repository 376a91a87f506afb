#include "orcussheet.h"
#include "workbookformats.h"

#include <orcus/orcus_xlsx.hpp>

namespace kervio {

WorkbookSheet readXlsxWorkbook(const QString &path, int maxRows)
{
    return readOrcusWorkbook<orcus::orcus_xlsx>(path, maxRows);
}

} // namespace kervio
