#pragma once
#include <QChar>
#include <QLocale>

namespace kervio {

// The separators of the user's regional settings. Everything that reads or
// writes numbers and dates takes them from here; nothing else hard-codes them.
struct Regional {
    QChar decimal = u',';
    QChar thousands = u'.';
    QChar date = u'.';

    static Regional turkish() { return Regional{}; }
    static Regional fromLocale(const QLocale &locale);
    // The process's locale; the C/POSIX locale (or none) falls back to Turkish.
    static Regional system();

    bool operator==(const Regional &) const = default;
};

} // namespace kervio
