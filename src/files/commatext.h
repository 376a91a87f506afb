#pragma once
#include <QString>
#include <QStringList>
#include <vector>

namespace kervio {

// One line of items: an item holding a character of code 32 or less, a
// double quote or a comma is quoted (inner quotes doubled); items are joined
// with single commas.
QString encodeCommaText(const QStringList &items);
// One item of such a line, quoted when it must be, appended to `out`.
void appendCommaItem(QString &out, QStringView item);
// Whether appendCommaItem quotes the item.
bool needsCommaQuotes(QStringView item);

// The reverse, with the reader's leniency: blanks and control characters
// around items are skipped, two adjacent commas give an empty item, a comma
// at the very end gives a trailing empty item, an unclosed quote takes the
// rest of the line, an unquoted blank splits an item. A NUL ends the line.
QStringList decodeCommaText(const QString &line);
// The same into `items`: the first `capacity` items are stored, the rest
// dropped; returns how many were stored.
qsizetype decodeCommaText(const QString &line, QString *items, qsizetype capacity);
// The same as views: into `line`, or into `room` for a quoted item whose
// doubled quotes were made one. The views stay valid while both do.
qsizetype decodeCommaText(QStringView line, QStringView *items, qsizetype capacity, std::vector<char16_t> &room);

// Splits at CR LF, a lone CR and a lone LF; a final break adds no line.
QStringList splitLines(const QString &text);

} // namespace kervio
