#pragma once
#include <QPageRanges>
#include <QString>
#include <optional>
#include <vector>

namespace kervio {

// What the print dialog asks to print.
enum class PageChoice { AllPages, CurrentPage, PageRanges };

// The pages to print (0-based, in the order asked); ranges are numbered
// from 1 and cut to the pages there are.
std::vector<int> pagesToPrint(PageChoice choice, const QPageRanges &ranges, int currentPage, int pageCount);

// A list of pages and ranges as the user types it: "1,3,5-12", blanks
// allowed around every number, comma and dash. Empty when it is not such a
// list (an empty text, a range that runs backwards, page 0, letters).
std::optional<QPageRanges> parsePageList(const QString &text);

// How the chosen pages go to paper.
struct PrintOrder {
    int copies = 1;
    bool collate = true; // whole sets one after the other, else each page `copies` times
    bool reverse = false; // last page first
};

// What to print of a prepared report and how.
struct PrintRequest {
    PageChoice choice = PageChoice::AllPages;
    QPageRanges ranges;  // for PageChoice::PageRanges, numbered from 1
    QString pageList;    // the list as the user gave it, for messages
    int currentPage = 0; // 0-based
    PrintOrder order;
};

// The pages in the order they are printed.
std::vector<int> printSequence(const std::vector<int> &pages, const PrintOrder &order);

// The texts of printing's failures, one place for the preview and the
// command line.
namespace PrintText {
QString noPrinter();
QString printerNotFound(const QString &printer);
QString badPageList(const QString &list);
QString noPageInList(const QString &list, int pageCount);
QString cannotStart(const QString &printer);
QString jobRefused(const QString &printer);
QString notFinished(const QString &printer);
} // namespace PrintText

} // namespace kervio
