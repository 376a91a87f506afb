#pragma once
// The part of the xlsx and ods readers that liborcus's import interface
// shares: the first sheet's cells with their formats and fonts.
#include "workbookreader.h"

#include <functional>
#include <string_view>

namespace orcus::spreadsheet::iface {
class import_factory;
}

namespace kervio {

// Runs `parse` on the file's bytes with a factory that collects the first
// sheet; raises readable errors for the file.
using OrcusParse = std::function<void(orcus::spreadsheet::iface::import_factory &factory, std::string_view bytes)>;
WorkbookSheet readOrcusWorkbook(const QString &path, int maxRows, const OrcusParse &parse);

// The same with one of liborcus's filters (orcus_xlsx, orcus_ods).
template <class Filter>
WorkbookSheet readOrcusWorkbook(const QString &path, int maxRows)
{
    return readOrcusWorkbook(path, maxRows, [](orcus::spreadsheet::iface::import_factory &factory, std::string_view bytes) {
        Filter filter(&factory);
        filter.read_stream(bytes);
    });
}

} // namespace kervio
