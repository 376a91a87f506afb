#pragma once
#include "composition.h"

#include <optional>

class QPaintDevice;

namespace kervio {

// A place in the prepared pages where the search text was found: the text
// item of a page and the characters in it.
struct SearchHit {
    int page = 0;
    int item = 0;
    int position = 0;
    int length = 0;
    bool operator==(const SearchHit &) const = default;
};

// The next occurrence of `text`, letter case ignored: after `previous` when
// there is one, otherwise from the top of `startPage`. The search ends at
// the last page and does not start over; an empty text is found nowhere.
std::optional<SearchHit> findNextMatch(const ComposedReport &report, const QString &text,
                                       const std::optional<SearchHit> &previous, int startPage);

// The box of the hit's characters on its page at `pxPerMm`, relative to the
// page's top left corner, measured as `device` draws the text.
QRectF matchRect(const ComposedReport &report, const SearchHit &hit, double pxPerMm, const QPaintDevice *device);

} // namespace kervio
