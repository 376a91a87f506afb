#include "orcussheet.h"
#include "workbookformats.h"
#include "zippackage.h"

#include <QXmlStreamReader>

#include <optional>

#include <orcus/orcus_xlsx.hpp>

namespace kervio {

namespace {

constexpr qint64 SmallPartBytes = 16 * 1024 * 1024;

// The relationship id of the workbook's first sheet, then the part it names.
QString firstSheetPart(ZipPackage &package)
{
    const QString fallback = QStringLiteral("xl/worksheets/sheet1.xml");
    QString id;
    QXmlStreamReader book(package.readSmall(QStringLiteral("xl/workbook.xml"), SmallPartBytes));
    while (!book.atEnd() && id.isEmpty()) {
        if (book.readNext() != QXmlStreamReader::StartElement || book.name() != QLatin1String("sheet"))
            continue;
        for (const QXmlStreamAttribute &a : book.attributes())
            if (a.name() == QLatin1String("id"))
                id = a.value().toString();
        break;
    }
    if (id.isEmpty())
        return fallback;
    QXmlStreamReader rels(package.readSmall(QStringLiteral("xl/_rels/workbook.xml.rels"), SmallPartBytes));
    while (!rels.atEnd()) {
        if (rels.readNext() != QXmlStreamReader::StartElement || rels.name() != QLatin1String("Relationship"))
            continue;
        if (rels.attributes().value(QLatin1String("Id")) != id)
            continue;
        const QString target = rels.attributes().value(QLatin1String("Target")).toString();
        if (target.startsWith(u'/'))
            return target.mid(1);
        return QStringLiteral("xl/") + target;
    }
    return fallback;
}

// "B12" as row 11, column 1; false when it is no cell reference.
bool parseReference(QStringView ref, int *row, int *col)
{
    qint64 c = 0, r = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i)
        c = std::min<qint64>(c * 26 + (ref[i].toUpper().unicode() - 'A' + 1), 1 << 24);
    for (; i < ref.size() && ref[i].isDigit(); ++i)
        r = std::min<qint64>(r * 10 + (ref[i].unicode() - '0'), 1 << 24);
    if (c < 1 || r < 1 || i != ref.size())
        return false;
    *row = int(r - 1);
    *col = int(c - 1);
    return true;
}

// Walks the sheet's cells and keeps those of an inline string, an error or a
// logical value.
class SheetScan {
public:
    explicit SheetScan(int maxRows) : m_maxRows(maxRows) {}

    bool onToken(QXmlStreamReader &x)
    {
        if (x.isStartElement())
            start(x);
        else if (x.isEndElement())
            end(x);
        // stop early: the sheet is refused anyway
        if (qint64(cells.size()) > WorkbookLimits::Cells)
            return false;
        else if (x.isCharacters() && m_inText && m_text.size() < WorkbookLimits::TextLength)
            m_text += x.text().left(WorkbookLimits::TextLength - m_text.size());
        return true;
    }

    std::vector<PlacedCell> cells;

private:
    void start(QXmlStreamReader &x)
    {
        const QStringView name = x.name();
        if (name == QLatin1String("row")) {
            bool ok = false;
            const int r = x.attributes().value(QLatin1String("r")).toInt(&ok);
            m_row = ok && r > 0 ? r - 1 : m_row + 1;
            m_col = -1;
        } else if (name == QLatin1String("c")) {
            int r = 0, c = 0;
            if (parseReference(x.attributes().value(QLatin1String("r")), &r, &c)) {
                m_row = r;
                m_col = c;
            } else {
                ++m_col;
            }
            m_type = x.attributes().value(QLatin1String("t")).toString();
            m_text.clear();
            m_inCell = true;
        } else if (m_inCell && name == QLatin1String("rPh")) {
            m_inPhonetic = true; // reading aids, not the cell's text
        } else if (m_inCell && !m_inPhonetic) {
            m_inText = (m_type == QLatin1String("inlineStr") && name == QLatin1String("t"))
                       || ((m_type == QLatin1String("e") || m_type == QLatin1String("b")) && name == QLatin1String("v"));
        }
    }
    void end(QXmlStreamReader &x)
    {
        const QStringView name = x.name();
        if (name == QLatin1String("rPh")) {
            m_inPhonetic = false;
        } else if (name == QLatin1String("t") || name == QLatin1String("v")) {
            m_inText = false;
        } else if (name == QLatin1String("c")) {
            m_inCell = false;
            keepCell();
        }
    }
    void keepCell()
    {
        PlacedCell p{m_row, m_col, {}};
        if (m_type == QLatin1String("inlineStr")) {
            if (m_text.isEmpty())
                return;
            p.cell.kind = WorkbookCell::Kind::Text;
        } else if (m_type == QLatin1String("e")) {
            p.cell.kind = WorkbookCell::Kind::Error;
        } else if (m_type == QLatin1String("b") && !m_text.isEmpty()) {
            // a formula's logical result, which the library drops
            p.cell.kind = WorkbookCell::Kind::Boolean;
            p.cell.number = m_text.trimmed() == u'1' ? 1 : 0;
            m_text.clear();
        } else {
            return;
        }
        p.cell.text = m_text;
        if (m_row < 0 || m_col < 0)
            return;
        if (m_row < m_maxRows) {
            cells.push_back(std::move(p));
            return;
        }
        // beyond the kept rows only the extent matters: one cell stands for all
        if (!m_far) {
            cells.push_back(std::move(p));
            m_far = &cells.back() - cells.data();
        } else {
            PlacedCell &far = cells[size_t(*m_far)];
            far.row = std::max(far.row, m_row);
            far.col = std::max(far.col, m_col);
        }
    }

    int m_maxRows;
    int m_row = -1, m_col = -1;
    QString m_type;
    QString m_text;
    bool m_inCell = false, m_inText = false, m_inPhonetic = false;
    std::optional<qsizetype> m_far;
};

} // namespace

std::vector<PlacedCell> xlsxInlineAndErrorCells(const QString &path, ZipPackage &package, int maxRows)
{
    SheetScan scan(maxRows);
    QString error;
    if (!readXmlPart(package, firstSheetPart(package), [&](QXmlStreamReader &x) { return scan.onToken(x); }, &error))
        raiseDamaged(path, QStringLiteral("çalışma sayfası"), error);
    if (qint64(scan.cells.size()) > WorkbookLimits::Cells)
        raiseTooManyCells(path);
    return std::move(scan.cells);
}

WorkbookSheet readXlsxWorkbook(const QString &path, int maxRows)
{
    // the library reads damaged parts without checking them, and asserts on
    // some: every XML part is checked first
    ZipPackage package(path);
    if (QString error; !checkXmlParts(package, &error))
        raiseDamaged(path, QStringLiteral("çalışma kitabı"), error);
    WorkbookSheet sheet = readOrcusWorkbook<orcus::orcus_xlsx>(path, maxRows);
    if (!overlayCells(sheet, xlsxInlineAndErrorCells(path, package, maxRows), maxRows))
        raiseTooManyCells(path);
    return sheet;
}

} // namespace kervio
