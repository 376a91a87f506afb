#include "commatext.h"

namespace kervio {

bool needsCommaQuotes(QStringView item)
{
    for (const QChar c : item) {
        const char16_t u = c.unicode();
        if (u <= 32 || u == u'"' || u == u',')
            return true;
    }
    return false;
}

namespace {

bool isBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

} // namespace

QString encodeCommaText(const QStringList &items)
{
    QString out;
    qsizetype estimate = items.size() + 8;
    for (const QString &item : items)
        estimate += item.size() + 2;
    out.reserve(estimate);
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += u',';
        appendCommaItem(out, items[i]);
    }
    return out;
}

void appendCommaItem(QString &out, QStringView item)
{
    if (needsCommaQuotes(item)) {
        out += u'"';
        if (item.contains(u'"'))
            out += item.toString().replace(u'"', QStringLiteral("\"\""));
        else
            out += item;
        out += u'"';
    } else {
        out += item;
    }
}

namespace {

// The pieces of the items of a line, handed to `take(from, to, quoted)`: a
// quoted item runs from after its opening quote to before its closing quote
// (an unclosed one takes the rest of the line) and still holds its inner
// quotes doubled; a plain item runs up to a comma or a blank. The empty
// item after a comma that ends the line is handed as (-1, -1).
template <typename Take>
void forEachItem(QStringView line, Take take)
{
    // The line ends at a NUL, as the text it came from did.
    qsizetype n = line.indexOf(QChar(u'\0'));
    if (n < 0)
        n = line.size();

    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < n && isBlank(line[i]))
            ++i;
    };

    skipBlanks();
    while (i < n) {
        const qsizetype start = i;
        if (line[i] == u'"') {
            for (++i; i < n; ++i) {
                if (line[i] != u'"')
                    continue;
                if (i + 1 < n && line[i + 1] == u'"')
                    ++i; // one quote of the two
                else
                    break;
            }
            take(start + 1, i, true);
            if (i < n)
                ++i; // the closing quote
        } else {
            while (i < n && line[i] != u',' && line[i].unicode() > 32)
                ++i;
            take(start, i, false);
        }
        skipBlanks();
        if (i < n && line[i] == u',') {
            if (i == n - 1)
                take(-1, -1, false);
            ++i;
            skipBlanks();
        }
    }
}

// A quoted item's text with its doubled quotes made one, appended to `out`.
template <typename Out>
void appendUnquoted(Out out, QStringView piece)
{
    // taken in runs up to each quote rather than character by character
    qsizetype start = 0;
    for (qsizetype i = 0; i < piece.size(); ++i) {
        if (piece[i] == u'"') {
            out(piece.mid(start, i + 1 - start));
            start = ++i + 1;
        }
    }
    out(piece.mid(start));
}

QString itemText(const QString &line, qsizetype from, qsizetype to, bool quoted)
{
    if (from < 0)
        return QString();
    if (!quoted)
        return line.mid(from, to - from);
    QString item;
    appendUnquoted([&](QStringView run) { item += run; }, QStringView(line).mid(from, to - from));
    return item;
}

} // namespace

QStringList decodeCommaText(const QString &line)
{
    QStringList items;
    forEachItem(line, [&](qsizetype from, qsizetype to, bool quoted) { items += itemText(line, from, to, quoted); });
    return items;
}

qsizetype decodeCommaText(const QString &line, QString *items, qsizetype capacity)
{
    qsizetype stored = 0;
    forEachItem(line, [&](qsizetype from, qsizetype to, bool quoted) {
        if (stored < capacity)
            items[stored++] = itemText(line, from, to, quoted);
    });
    return stored;
}

qsizetype decodeCommaText(QStringView line, QStringView *items, qsizetype capacity, std::vector<char16_t> &room)
{
    room.clear();
    room.reserve(size_t(line.size())); // never more than the line: the views stay valid
    qsizetype stored = 0;
    forEachItem(line, [&](qsizetype from, qsizetype to, bool quoted) {
        if (stored >= capacity)
            return;
        if (from < 0) {
            items[stored++] = QStringView();
            return;
        }
        const QStringView piece = line.mid(from, to - from);
        if (!quoted || !piece.contains(u'"')) {
            items[stored++] = piece;
            return;
        }
        const size_t at = room.size();
        appendUnquoted([&](QStringView run) { room.insert(room.end(), run.utf16(), run.utf16() + run.size()); }, piece);
        items[stored++] = QStringView(room.data() + at, qsizetype(room.size() - at));
    });
    return stored;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines += text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines += text.mid(start);
    return lines;
}

} // namespace kervio
