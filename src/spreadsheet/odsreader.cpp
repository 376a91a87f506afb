#include "orcussheet.h"
#include "workbookformats.h"
#include "zippackage.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <orcus/orcus_ods.hpp>

namespace kervio {

namespace {

constexpr qint64 MaxColumns = 16384;

// The namespaces by their names, whatever prefixes a file gives them.
const QString Table = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString Office = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString Text = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString CalcExt = QStringLiteral("urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0");

QStringView attribute(const QXmlStreamAttributes &a, const QString &ns, const char *name)
{
    return a.value(ns, QLatin1String(name));
}

bool is(const QXmlStreamReader &x, const QString &ns, const char *name)
{
    return x.name() == QLatin1String(name) && x.namespaceUri() == ns;
}

// "2024-03-07" or "2024-03-07T14:30:00"
bool setDate(WorkbookCell &c, QStringView text)
{
    static const QRegularExpression re(QStringLiteral("^(-?\\d{1,6})-(\\d{1,2})-(\\d{1,2})(?:T(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}(?:\\.\\d+)?))?)?"));
    const QRegularExpressionMatch m = re.match(text.toString());
    if (!m.hasMatch())
        return false;
    c.kind = WorkbookCell::Kind::DateTime;
    c.year = m.capturedView(1).toInt();
    c.month = m.capturedView(2).toInt();
    c.day = m.capturedView(3).toInt();
    c.hour = m.capturedView(4).toInt();
    c.minute = m.capturedView(5).toInt();
    c.second = m.capturedView(6).toDouble();
    return true;
}

// "PT14H30M00S"
bool setTime(WorkbookCell &c, QStringView text)
{
    static const QRegularExpression re(QStringLiteral("^-?PT(?:(\\d+)H)?(?:(\\d+)M)?(?:(\\d+(?:\\.\\d+)?)S)?$"));
    const QRegularExpressionMatch m = re.match(text.toString());
    if (!m.hasMatch())
        return false;
    c.kind = WorkbookCell::Kind::DateTime;
    c.hasDate = false;
    c.hour = int(std::min<qint64>(m.capturedView(1).toLongLong(), 1 << 20));
    c.minute = m.capturedView(2).toInt();
    c.second = m.capturedView(3).toDouble();
    return true;
}

// The cell's value from its attributes and paragraphs; Empty when the
// import library reads it right already (numbers, dates and plain texts
// without a formula) or when it has no value. `misread`: the library would
// drop the cell's blanks, tabs, a paragraph or a line, or its row repeats,
// which the library fills only once.
WorkbookCell typedCell(const QXmlStreamAttributes &a, const QString &paragraphs, bool misread)
{
    WorkbookCell c;
    const QStringView type = attribute(a, Office, "value-type");
    const bool formula = a.hasAttribute(Table, QStringLiteral("formula"));
    if (attribute(a, CalcExt, "value-type") == QLatin1String("error")) {
        c.kind = WorkbookCell::Kind::Error;
        c.text = paragraphs.isEmpty() ? QStringLiteral("#VALUE!") : paragraphs;
        return c;
    }
    const bool missed = formula || misread || type == QLatin1String("boolean") || type == QLatin1String("percentage")
                        || type == QLatin1String("currency") || type == QLatin1String("time");
    if (!missed)
        return c;
    if (type == QLatin1String("float") || type == QLatin1String("percentage") || type == QLatin1String("currency")) {
        bool ok = false;
        const double v = attribute(a, Office, "value").toDouble(&ok);
        if (ok) {
            c.kind = WorkbookCell::Kind::Number;
            c.number = v;
        }
    } else if (type == QLatin1String("date")) {
        setDate(c, attribute(a, Office, "date-value"));
    } else if (type == QLatin1String("time")) {
        setTime(c, attribute(a, Office, "time-value"));
    } else if (type == QLatin1String("boolean")) {
        c.kind = WorkbookCell::Kind::Boolean;
        c.number = attribute(a, Office, "boolean-value") == QLatin1String("true") ? 1 : 0;
    } else if (type == QLatin1String("string")) {
        c.text = a.hasAttribute(Office, QStringLiteral("string-value"))
                     ? attribute(a, Office, "string-value").left(WorkbookLimits::TextLength).toString()
                     : paragraphs;
        if (!c.text.isEmpty())
            c.kind = isErrorName(c.text) && formula ? WorkbookCell::Kind::Error : WorkbookCell::Kind::Text;
    }
    return c;
}

// Walks the first table's rows and cells, with their repeat counts.
class TableScan {
public:
    explicit TableScan(int maxRows) : m_maxRows(maxRows) {}

    bool onToken(QXmlStreamReader &x)
    {
        if (x.isStartElement())
            return start(x);
        if (x.isEndElement())
            return end(x);
        if (x.isCharacters() && m_inParagraph)
            addText(x.text());
        return true;
    }

    std::vector<PlacedCell> cells;
    bool tooMany = false;

private:
    bool start(QXmlStreamReader &x)
    {
        if (is(x, Table, "table")) {
            ++m_tableDepth;
        } else if (m_tableDepth != 1) {
            return true;
        } else if (is(x, Office, "annotation")) {
            ++m_annotationDepth; // a comment's paragraphs are no part of the value
            m_spacedText = true;
        } else if (m_annotationDepth > 0) {
            return true;
        } else if (is(x, Table, "table-row")) {
            m_rowRepeat = repeat(attribute(x.attributes(), Table, "number-rows-repeated"), 1 << 20);
            m_col = 0;
        } else if (is(x, Table, "table-cell") || is(x, Table, "covered-table-cell")) {
            m_cellAttributes = x.attributes();
            m_colRepeat = repeat(attribute(m_cellAttributes, Table, "number-columns-repeated"), MaxColumns);
            m_paragraphs.clear();
            m_paragraphCount = 0;
            m_spacedText = false;
        } else if (is(x, Text, "p")) {
            if (m_paragraphCount++ > 0) {
                addText(u"\n");
                m_spacedText = true;
            }
            m_inParagraph = true;
        } else if (m_inParagraph && is(x, Text, "s")) {
            addText(QString(repeat(attribute(x.attributes(), Text, "c"), WorkbookLimits::TextLength), u' '));
            m_spacedText = true;
        } else if (m_inParagraph && is(x, Text, "tab")) {
            addText(u"\t");
            m_spacedText = true;
        } else if (m_inParagraph && is(x, Text, "line-break")) {
            addText(u"\n");
            m_spacedText = true;
        }
        return true;
    }
    bool end(QXmlStreamReader &x)
    {
        if (is(x, Table, "table")) {
            // the end of the first table ends the walk
            return --m_tableDepth > 0;
        }
        if (m_tableDepth != 1)
            return true;
        if (is(x, Office, "annotation")) {
            --m_annotationDepth;
        } else if (m_annotationDepth > 0) {
            return true;
        } else if (is(x, Text, "p")) {
            m_inParagraph = false;
        } else if (is(x, Table, "table-row")) {
            m_row += m_rowRepeat;
        } else if (is(x, Table, "table-cell") || is(x, Table, "covered-table-cell")) {
            const WorkbookCell cell = typedCell(m_cellAttributes, m_paragraphs, m_spacedText || m_rowRepeat > 1);
            if (cell.kind != WorkbookCell::Kind::Empty)
                place(cell);
            m_col += m_colRepeat;
        }
        return !tooMany;
    }
    static qint64 repeat(QStringView attribute, qint64 max)
    {
        bool ok = false;
        const qint64 n = attribute.toLongLong(&ok);
        return ok && n > 0 ? std::min(n, max) : 1;
    }
    void addText(QStringView t)
    {
        if (m_paragraphs.size() < WorkbookLimits::TextLength)
            m_paragraphs += t.left(WorkbookLimits::TextLength - m_paragraphs.size());
    }
    // The cell at every place its repeats cover; beyond the kept rows one
    // cell stands for the extent.
    void place(const WorkbookCell &cell)
    {
        const qint64 lastCol = std::min<qint64>(m_col + m_colRepeat, MaxColumns) - 1;
        for (qint64 r = m_row; r < m_row + m_rowRepeat && r < m_maxRows; ++r)
            for (qint64 c = m_col; c <= lastCol; ++c) {
                if (qint64(cells.size()) >= WorkbookLimits::Cells) {
                    tooMany = true;
                    return;
                }
                cells.push_back({int(r), int(c), cell});
            }
        const qint64 lastRow = std::min<qint64>(m_row + m_rowRepeat - 1, 1 << 30);
        if (lastRow >= m_maxRows)
            cells.push_back({int(lastRow), int(lastCol), cell});
    }

    int m_maxRows;
    int m_tableDepth = 0;
    int m_annotationDepth = 0;
    qint64 m_row = 0, m_col = 0;
    qint64 m_rowRepeat = 1, m_colRepeat = 1;
    QXmlStreamAttributes m_cellAttributes;
    QString m_paragraphs;
    int m_paragraphCount = 0;
    bool m_spacedText = false;
    bool m_inParagraph = false;
};

} // namespace

std::vector<PlacedCell> odsTypedCells(const QString &path, ZipPackage &package, int maxRows)
{
    TableScan scan(maxRows);
    QString error;
    if (!readXmlPart(package, QStringLiteral("content.xml"), [&](QXmlStreamReader &x) { return scan.onToken(x); }, &error))
        raiseDamaged(path, QStringLiteral("tablo"), error);
    if (scan.tooMany)
        raiseTooManyCells(path);
    return std::move(scan.cells);
}

WorkbookSheet readOdsWorkbook(const QString &path, int maxRows)
{
    // the library reads damaged parts without checking them, and asserts on
    // some: every XML part is checked first
    ZipPackage package(path);
    if (QString error; !checkXmlParts(package, &error))
        raiseDamaged(path, QStringLiteral("çalışma kitabı"), error);
    WorkbookSheet sheet = readOrcusWorkbook<orcus::orcus_ods>(path, maxRows);
    if (!overlayCells(sheet, odsTypedCells(path, package, maxRows), maxRows))
        raiseTooManyCells(path);
    return sheet;
}

} // namespace kervio
