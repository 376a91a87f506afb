#include "orcussheet.h"
#include "workbookformats.h"

#include <orcus/orcus_ods.hpp>

namespace kervio {

WorkbookSheet readOdsWorkbook(const QString &path, int maxRows)
{
    return readOrcusWorkbook<orcus::orcus_ods>(path, maxRows);
}

} // namespace kervio
