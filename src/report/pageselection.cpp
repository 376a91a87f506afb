#include "pageselection.h"

#include <algorithm>

namespace kervio {

std::vector<int> pagesToPrint(PageChoice choice, const QPageRanges &ranges, int currentPage, int pageCount)
{
    std::vector<int> out;
    switch (choice) {
    case PageChoice::CurrentPage:
        if (currentPage >= 0 && currentPage < pageCount)
            out.push_back(currentPage);
        break;
    case PageChoice::PageRanges:
        for (const QPageRanges::Range &r : ranges.toRangeList())
            for (int p = std::max(1, r.from); p <= std::min(pageCount, r.to); ++p)
                out.push_back(p - 1);
        break;
    case PageChoice::AllPages:
        for (int p = 0; p < pageCount; ++p)
            out.push_back(p);
        break;
    }
    return out;
}

} // namespace kervio
