#include "commatext.h"

namespace kervio {

namespace {

bool needsQuotes(QStringView item)
{
    for (const QChar c : item) {
        const char16_t u = c.unicode();
        if (u <= 32 || u == u'"' || u == u',')
            return true;
    }
    return false;
}

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
    appendCommaText(out, items.constData(), items.size());
    return out;
}

void appendCommaText(QString &out, const QString *items, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0)
            out += u',';
        appendCommaItem(out, items[i]);
    }
}

void appendCommaItem(QString &out, QStringView item)
{
    if (needsQuotes(item)) {
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

// A quoted item from its opening quote at `i` to its closing quote (an
// unclosed one takes the rest of the line); doubled quotes are one quote.
QString quotedItem(const QString &line, qsizetype n, qsizetype &i)
{
    // taken in runs up to each quote rather than character by character
    QString item;
    qsizetype start = ++i;
    for (; i < n; ++i) {
        if (line[i] != u'"')
            continue;
        if (i + 1 < n && line[i + 1] == u'"') {
            item += QStringView(line).mid(start, i + 1 - start); // one quote of the two
            start = ++i + 1;
            continue;
        }
        item += QStringView(line).mid(start, i - start);
        ++i;
        return item;
    }
    item += QStringView(line).mid(start, n - start);
    return item;
}

// An unquoted item up to a comma or a blank.
QString plainItem(const QString &line, qsizetype n, qsizetype &i)
{
    const qsizetype start = i;
    while (i < n && line[i] != u',' && line[i].unicode() > 32)
        ++i;
    return line.mid(start, i - start);
}

} // namespace

namespace {

// Hands each item of the line to `take`.
template <typename Take>
void forEachItem(const QString &line, Take take)
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
        take(line[i] == u'"' ? quotedItem(line, n, i) : plainItem(line, n, i));
        skipBlanks();
        if (i < n && line[i] == u',') {
            if (i == n - 1)
                take(QString());
            ++i;
            skipBlanks();
        }
    }
}

} // namespace

QStringList decodeCommaText(const QString &line)
{
    QStringList items;
    forEachItem(line, [&](QString item) { items += std::move(item); });
    return items;
}

qsizetype decodeCommaText(const QString &line, QString *items, qsizetype capacity)
{
    qsizetype stored = 0;
    forEachItem(line, [&](QString item) {
        if (stored < capacity)
            items[stored++] = std::move(item);
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
