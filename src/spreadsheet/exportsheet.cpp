#include "exportsheet.h"
#include "core/savefile.h"
#include "core/errors.h"
#include "core/numericlocale.h"
#include "ledger/textfuncs.h"
#include "ledger/document.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace kervio {

namespace {

constexpr int LastColumn = 255; // IV
using St = SheetCell::Style;

class Builder {
public:
    explicit Builder(ExportSheet &sheet) : m_sheet(sheet) {}

    quint8 rangeStyle(int row, int col) const
    {
        quint8 s = 0;
        for (const SheetRange &r : m_sheet.ranges)
            if (row >= r.firstRow && row <= r.lastRow && col >= r.firstCol && col <= r.lastCol)
                s |= r.style;
        return s;
    }
    void text(int row, int col, const QString &t, quint8 style = 0)
    {
        if (t.isEmpty())
            return; // an empty text leaves the cell empty
        add(row, col, SheetCell::Kind::Text, 0, t, style);
    }
    void number(int row, int col, double v, quint8 style = 0) { add(row, col, SheetCell::Kind::Number, v, {}, style); }
    void formula(int row, int col, const QString &f, double cached, quint8 style = 0)
    {
        add(row, col, SheetCell::Kind::Formula, cached, f, style);
    }

private:
    void add(int row, int col, SheetCell::Kind kind, double v, const QString &t, quint8 style)
    {
        SheetCell c;
        c.row = row;
        c.col = qint16(col);
        c.kind = kind;
        c.number = v;
        c.text = t;
        c.style = quint8(style | rangeStyle(row, col));
        m_sheet.cells.push_back(std::move(c));
    }
    ExportSheet &m_sheet;
};

QString dateText(const QDate &d, const Regional &reg)
{
    return d.isValid() ? dateToText(d, reg) : QString();
}

// The text a spreadsheet shows for a cell, for fitting the widths.
QString shownText(const SheetCell &c, const Regional &reg)
{
    if (c.kind == SheetCell::Kind::Text)
        return c.text;
    if (c.style & St::Amount)
        return formatAmount(c.number, reg);
    return generalNumberText(c.number, reg);
}

double shownWidth(const SheetCell &c, const Regional &reg)
{
    double chars = 0;
    for (QChar ch : shownText(c, reg))
        chars += ch.isUpper() ? 1.25 : (ch == u'.' || ch == u',' || ch == u' ' || ch == u':') ? 0.5 : 1.0;
    double scale = 1.0;
    if (c.style & St::Size12)
        scale *= 12.0 / 11.0;
    if (c.style & St::Bold)
        scale *= 1.08;
    return chars * scale + 1.0;
}

} // namespace

QString columnLetter(int column1)
{
    static const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return alphabet.mid(column1 - 1, 1);
}

const SheetCell *ExportSheet::find(int row, int col) const
{
    auto it = std::lower_bound(cells.begin(), cells.end(), std::pair(row, col), [](const SheetCell &c, std::pair<int, int> k) {
        return std::pair(c.row, int(c.col)) < k;
    });
    return it != cells.end() && it->row == row && it->col == col ? &*it : nullptr;
}

ExportSheet buildExportSheet(const Document &document)
{
    const LedgerTable &L = document.ledger();
    const Parameters &P = document.params();
    const Summary &S = document.summary();
    const Regional &reg = document.regional();
    const int N = L.gridRowCount();

    ExportSheet sheet;
    sheet.ledgerRows = N;
    // sheet row k is index k - 1
    const int totalsRow = N + 4;  // N+5
    const int summaryRow = N + 6; // N+7
    sheet.ranges = {
        {0, 2, 0, LastColumn, St::Bold},
        {1, 2, 0, LastColumn, St::Size12},
        {3, totalsRow, 3, 4, St::Amount},
        {3, totalsRow, 6, 7, St::Amount},
        {totalsRow, totalsRow, 0, 17, St::Bold},
    };
    sheet.cells.reserve(size_t(N) * 8 + 40);
    Builder b(sheet);

    b.text(0, 0, QStringLiteral("İşlem Yapılan Firma : ") + P.text(Parameters::Company), St::Size12);
    b.text(1, 0, QStringLiteral("Hesap Tarihi :"));
    b.text(1, 1, dateText(P.calculationDate(), reg));
    b.text(1, 2, QStringLiteral("Yıldaki Gün :"));
    b.text(1, 3, P.text(Parameters::DaysInYear));
    b.text(1, 4, QStringLiteral("Yıllık Faiz :"));
    b.number(1, 5, parseAmount(P.text(Parameters::YearlyRate), reg));
    b.text(1, 6, QStringLiteral("Aylık Faiz :"));
    b.number(1, 7, parseAmount(P.text(Parameters::MonthlyRate), reg));

    constexpr int Columns = LedgerTable::ColumnCount - 5; // 8
    long double sums[Columns + 1] = {};
    for (int r = 0; r < N; ++r) {
        const int row = r + 2;
        for (int k = 1; k <= Columns; ++k) {
            const QString &t = L.cell(r, k);
            if (r == 0 || k <= ColDescription) {
                b.text(row, k - 1, t);
                continue;
            }
            const double v = parseAmount(t, reg);
            if (v != 0) {
                b.number(row, k - 1, v);
                sums[k] += v;
            }
        }
    }

    for (int k = ColDebit; k <= Columns; ++k) {
        const QString x = columnLetter(k);
        b.formula(totalsRow, k - 1, QStringLiteral("=SUM(") + x + QStringLiteral("4:") + x + QString::number(N + 3) + u')',
                  double(sums[k]));
    }

    auto amount = [&](Summary::Field f) { return S.amount(f); };
    const int r7 = summaryRow, r8 = r7 + 1, r9 = r7 + 2, r10 = r7 + 3, r11 = r7 + 4;
    b.text(r7, 0, QStringLiteral("Ortalama Vade:"));
    b.text(r7, 1, dateText(S.date(Summary::OverallDate), reg));
    b.text(r8, 0, QStringLiteral("Ortalama Gün:"));
    b.number(r8, 1, amount(Summary::OverallDays));
    b.text(r8, 6, QStringLiteral("Borç Ortalama Vade:"));
    b.text(r8, 7, dateText(S.date(Summary::DebitDate), reg));
    b.text(r9, 0, QStringLiteral("Borç Toplam Tutarı:"));
    b.number(r9, 1, amount(Summary::DebitTotal), St::Amount);
    b.text(r9, 3, QStringLiteral("Borç Vade Farkı:"));
    b.number(r9, 4, amount(Summary::DebitDiff), St::Amount);
    b.text(r9, 6, QStringLiteral("Borç Ortalama Gün:"));
    b.number(r9, 7, amount(Summary::DebitDays));
    b.text(r10, 0, QStringLiteral("Alacak Toplam Tutarı:"));
    b.number(r10, 1, amount(Summary::CreditTotal), St::Amount);
    b.text(r10, 3, QStringLiteral("Alacak Vade Farkı:"));
    b.number(r10, 4, amount(Summary::CreditDiff), St::Amount);
    b.text(r10, 6, QStringLiteral("Alacak Ortalama Vade:"));
    b.text(r10, 7, dateText(S.date(Summary::CreditDate), reg));
    b.text(r11, 0, QStringLiteral("Bakiye Tutarı:"));
    b.number(r11, 1, amount(Summary::Balance), St::Amount);
    b.text(r11, 3, QStringLiteral("Net Vade Farkı:"));
    b.number(r11, 4, amount(Summary::NetDiff), St::Amount);
    b.text(r11, 6, QStringLiteral("Alacak Ortalama Gün:"));
    b.number(r11, 7, amount(Summary::CreditDays));

    std::stable_sort(sheet.cells.begin(), sheet.cells.end(), [](const SheetCell &a, const SheetCell &c) {
        return std::pair(a.row, a.col) < std::pair(c.row, c.col);
    });

    // Widths fitted as the spreadsheet does it twice: column A over the
    // table alone (before the company line is written), B to R over all.
    for (const SheetCell &c : sheet.cells) {
        if (c.col >= ExportSheet::FittedColumns)
            continue;
        if (c.col == 0 && (c.row < 2 || c.row > N + 1))
            continue;
        double &w = sheet.widths[size_t(c.col)];
        w = std::max(w, shownWidth(c, reg));
    }
    return sheet;
}

void writeExportWorkbook(const ExportSheet &sheet, const QString &path, WorkbookMemory memory)
{
    // the writer prints its numbers and sizes with the C library
    const CNumericLocale cNumbers;
    auto unableToWrite = [&] { return KervioError(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path))); };
    QTemporaryDir work;
    if (!work.isValid())
        throw unableToWrite();
    const QByteArray tmpName = QFile::encodeName(work.filePath(QStringLiteral("book.xlsx")));
    const QByteArray tmpDir = QFile::encodeName(work.path());

    lxw_workbook_options options{};
    const bool constant = memory == WorkbookMemory::Constant
                          || (memory == WorkbookMemory::Auto && sheet.cells.size() > ConstantMemoryCells);
    options.constant_memory = constant ? LXW_TRUE : LXW_FALSE;
    options.tmpdir = const_cast<char *>(tmpDir.constData());
    lxw_workbook *wb = workbook_new_opt(tmpName.constData(), &options);
    if (!wb)
        throw unableToWrite();
    lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);

    lxw_format *formats[8] = {};
    for (int s = 1; s < 8; ++s) {
        formats[s] = workbook_add_format(wb);
        if (s & St::Bold)
            format_set_bold(formats[s]);
        if (s & St::Size12)
            format_set_font_size(formats[s], 12);
        if (s & St::Amount)
            format_set_num_format(formats[s], amountFormatCode().toUtf8().constData());
    }
    for (int c = 0; c < ExportSheet::FittedColumns; ++c)
        if (sheet.widths[size_t(c)] > 0)
            worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), std::round(sheet.widths[size_t(c)] * 100) / 100, nullptr);

    // whole-row styles become row formats; the others are written as
    // formatted blank cells
    quint8 rowStyle[3] = {};
    for (const SheetRange &r : sheet.ranges)
        if (r.firstCol == 0 && r.lastCol == LastColumn)
            for (int row = r.firstRow; row <= std::min(r.lastRow, 2); ++row)
                rowStyle[row] |= r.style;

    lxw_error err = LXW_NO_ERROR;
    auto check = [&](lxw_error e) {
        if (e != LXW_NO_ERROR && err == LXW_NO_ERROR)
            err = e;
    };
    const int lastRow = sheet.cells.empty() ? 0 : sheet.cells.back().row;
    size_t i = 0;
    std::vector<bool> written;
    for (int row = 0; row <= lastRow && err == LXW_NO_ERROR; ++row) {
        if (row < 3 && rowStyle[row])
            check(worksheet_set_row(ws, lxw_row_t(row), 15.75, formats[rowStyle[row]]));
        written.assign(ExportSheet::FittedColumns, false);
        for (; i < sheet.cells.size() && sheet.cells[i].row == row; ++i) {
            const SheetCell &c = sheet.cells[i];
            lxw_format *f = formats[c.style & 7];
            if (c.col < ExportSheet::FittedColumns)
                written[size_t(c.col)] = true;
            switch (c.kind) {
            case SheetCell::Kind::Text: {
                QByteArray t = c.text.left(32767).toUtf8();
                check(worksheet_write_string(ws, lxw_row_t(row), lxw_col_t(c.col), t.constData(), f));
                break;
            }
            case SheetCell::Kind::Number:
                check(worksheet_write_number(ws, lxw_row_t(row), lxw_col_t(c.col), c.number, f));
                break;
            case SheetCell::Kind::Formula:
                check(worksheet_write_formula_num(ws, lxw_row_t(row), lxw_col_t(c.col), c.text.toUtf8().constData(), f, c.number));
                break;
            }
        }
        for (const SheetRange &r : sheet.ranges) {
            if (r.lastCol == LastColumn || row < r.firstRow || row > r.lastRow)
                continue;
            for (int col = r.firstCol; col <= r.lastCol; ++col) {
                if (written[size_t(col)])
                    continue;
                written[size_t(col)] = true;
                // every range covering the empty cell adds its style
                quint8 s = 0;
                for (const SheetRange &o : sheet.ranges)
                    if (row >= o.firstRow && row <= o.lastRow && col >= o.firstCol && col <= o.lastCol)
                        s |= o.style;
                check(worksheet_write_blank(ws, lxw_row_t(row), lxw_col_t(col), formats[s & 7]));
            }
        }
    }
    const lxw_error closed = workbook_close(wb);
    if (err != LXW_NO_ERROR || closed != LXW_NO_ERROR)
        throw KervioError(QStringLiteral("Unable to write to %1 (%2)")
                              .arg(QDir::toNativeSeparators(path),
                                   QString::fromUtf8(lxw_strerror(err != LXW_NO_ERROR ? err : closed))));
    QFile f(QString::fromLocal8Bit(tmpName));
    if (!f.open(QIODevice::ReadOnly))
        throw unableToWrite();
    if (!saveFileContents(path, f.readAll()))
        throw unableToWrite();
}

} // namespace kervio
