#pragma once
#include <QPageRanges>
#include <vector>

namespace kervio {

// What the print dialog asks to print.
enum class PageChoice { AllPages, CurrentPage, PageRanges };

// The pages to print (0-based, in the order asked); ranges are numbered
// from 1 and cut to the pages there are.
std::vector<int> pagesToPrint(PageChoice choice, const QPageRanges &ranges, int currentPage, int pageCount);

} // namespace kervio
