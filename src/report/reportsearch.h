#pragma once
#include "composition.h"

#include <optional>

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

// The next occurrence of `text`, letter case ignored the Turkish way and the
// general way alike ("işlem" finds "İŞLEM", "YILDAKI" finds "Yıldaki"):
// after `previous` when there is one, otherwise from the top of `startPage`;
// past the last page it starts over at the first. `wrapped` tells whether
// the hit lies at or before where the search began. An empty text is found
// nowhere.
std::optional<SearchHit> findNextMatch(const ComposedReport &report, const QString &text,
                                       const std::optional<SearchHit> &previous, int startPage,
                                       bool *wrapped = nullptr);

// Where `needle` occurs in `haystack` from `from` on, or -1; a letter
// matches when it matches under the Turkish or under the general case rules.
qsizetype indexOfIgnoringCase(const QString &haystack, const QString &needle, qsizetype from);

// The box of the hit's characters on its page at `pxPerMm`, relative to the
// page's top left corner, measured as the pages are drawn.
QRectF matchRect(const ComposedReport &report, const SearchHit &hit, double pxPerMm, Typesetter &typesetter);

} // namespace kervio
