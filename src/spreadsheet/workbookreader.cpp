#include "workbookreader.h"
#include "core/codepage1254.h"
#include "core/errors.h"
#include "core/numericlocale.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <freexl.h>
#include <orcus/csv_parser.hpp>
#include <orcus/format_detection.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

#include <algorithm>
#include <cctype>
#include <orcus/exception.hpp>
#include <cmath>
#include <exception>
#include <map>
#include <unordered_map>

namespace kervio {

namespace ss = orcus::spreadsheet;
namespace iface = orcus::spreadsheet::iface;

const WorkbookCell &WorkbookSheet::at(int row, int col) const
{
    static const WorkbookCell empty;
    auto it = std::lower_bound(cells.begin(), cells.end(), std::pair(row, col), [](const PlacedCell &c, std::pair<int, int> k) {
        return std::pair(c.row, c.col) < k;
    });
    if (it != cells.end() && it->row == row && it->col == col)
        return it->cell;
    return empty;
}

QString builtinNumberFormat(int id)
{
    switch (id) {
    case 0: return QStringLiteral("General");
    case 1: return QStringLiteral("0");
    case 2: return QStringLiteral("0.00");
    case 3: return QStringLiteral("#,##0");
    case 4: return QStringLiteral("#,##0.00");
    case 9: return QStringLiteral("0%");
    case 10: return QStringLiteral("0.00%");
    case 11: return QStringLiteral("0.00E+00");
    case 12: return QStringLiteral("# ?/?");
    case 13: return QStringLiteral("# ?\?/?\?");
    case 14: return QStringLiteral("mm-dd-yy");
    case 15: return QStringLiteral("d-mmm-yy");
    case 16: return QStringLiteral("d-mmm");
    case 17: return QStringLiteral("mmm-yy");
    case 18: return QStringLiteral("h:mm AM/PM");
    case 19: return QStringLiteral("h:mm:ss AM/PM");
    case 20: return QStringLiteral("h:mm");
    case 21: return QStringLiteral("h:mm:ss");
    case 22: return QStringLiteral("m/d/yy h:mm");
    case 37: return QStringLiteral("#,##0 ;(#,##0)");
    case 38: return QStringLiteral("#,##0 ;[Red](#,##0)");
    case 39: return QStringLiteral("#,##0.00;(#,##0.00)");
    case 40: return QStringLiteral("#,##0.00;[Red](#,##0.00)");
    case 45: return QStringLiteral("mm:ss");
    case 46: return QStringLiteral("[h]:mm:ss");
    case 47: return QStringLiteral("mmss.0");
    case 48: return QStringLiteral("##0.0E+0");
    case 49: return QStringLiteral("@");
    default:
        // the East Asian date formats
        if ((id >= 27 && id <= 36) || (id >= 50 && id <= 58))
            return QStringLiteral("yyyy/m/d");
        return QStringLiteral("General");
    }
}

bool isDateFormatCode(const QString &code)
{
    // Only the first section decides; quoted text, escaped characters and
    // bracketed parts (colours, locales) are not format letters, elapsed
    // time ([h], [mm]) is.
    bool quoted = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (quoted) {
            quoted = c != u'"';
            continue;
        }
        if (c == u'"') {
            quoted = true;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u';') {
            return false;
        } else if (c == u'[') {
            const int end = code.indexOf(u']', i);
            if (end < 0)
                return false;
            const QString inner = code.mid(i + 1, end - i - 1).toLower();
            if (!inner.isEmpty() && (inner[0] == u'h' || inner[0] == u'm' || inner[0] == u's')
                && inner.count(inner[0]) == inner.size())
                return true;
            i = end;
        } else if (code.mid(i, 7).compare(QLatin1String("General"), Qt::CaseInsensitive) == 0) {
            i += 6;
        } else {
            const QChar l = c.toLower();
            if (l == u'd' || l == u'm' || l == u'y' || l == u'h' || l == u's')
                return true;
        }
    }
    return false;
}

namespace {

QString fromUtf8(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

bool isErrorLiteral(std::string_view s)
{
    static const char *const names[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A", "#GETTING_DATA"};
    for (const char *n : names)
        if (s == n)
            return true;
    return false;
}

// Fills one cell's calendar pieces from a serial day number.
void setSerialDate(WorkbookCell &c, double serial, const QDate &origin)
{
    double days = std::floor(serial);
    qint64 ms = qint64(std::llround((serial - days) * 86400000.0));
    if (ms >= 86400000) {
        ms -= 86400000;
        days += 1;
    }
    c.kind = WorkbookCell::Kind::DateTime;
    c.hasDate = days != 0 || serial >= 1; // a time of day alone has day 0
    const QDate d = origin.addDays(qint64(days));
    c.year = d.year();
    c.month = d.month();
    c.day = d.day();
    c.hour = int(ms / 3600000);
    c.minute = int(ms / 60000 % 60);
    c.second = double(ms % 60000) / 1000.0;
}

// --- orcus import ----------------------------------------------------------

struct Styles : iface::import_styles {
    struct Font {
        bool bold = false;
        double size = 0;
    };
    struct Xf {
        size_t font = 0;
        size_t numFmt = 0;
    };
    std::vector<Font> fonts;
    Font font;
    std::map<size_t, QString> numFmts; // by identifier
    size_t nfId = 0;
    QString nfCode;
    size_t nfCount = 0;
    std::vector<Xf> xfs;
    Xf xf;

    void set_font_count(size_t) override {}
    void set_font_bold(bool b) override { font.bold = b; }
    void set_font_italic(bool) override {}
    void set_font_name(std::string_view) override {}
    void set_font_size(double point) override { font.size = point; }
    void set_font_underline(ss::underline_t) override {}
    void set_font_underline_width(ss::underline_width_t) override {}
    void set_font_underline_mode(ss::underline_mode_t) override {}
    void set_font_underline_type(ss::underline_type_t) override {}
    void set_font_underline_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void set_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void set_strikethrough_style(ss::strikethrough_style_t) override {}
    void set_strikethrough_type(ss::strikethrough_type_t) override {}
    void set_strikethrough_width(ss::strikethrough_width_t) override {}
    void set_strikethrough_text(ss::strikethrough_text_t) override {}
    size_t commit_font() override
    {
        fonts.push_back(font);
        font = {};
        return fonts.size() - 1;
    }
    void set_fill_count(size_t) override {}
    void set_fill_pattern_type(ss::fill_pattern_t) override {}
    void set_fill_fg_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void set_fill_bg_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    size_t commit_fill() override { return 0; }
    void set_border_count(size_t) override {}
    void set_border_style(ss::border_direction_t, ss::border_style_t) override {}
    void set_border_color(ss::border_direction_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void set_border_width(ss::border_direction_t, double, orcus::length_unit_t) override {}
    size_t commit_border() override { return 0; }
    void set_cell_hidden(bool) override {}
    void set_cell_locked(bool) override {}
    void set_cell_print_content(bool) override {}
    void set_cell_formula_hidden(bool) override {}
    size_t commit_cell_protection() override { return 0; }
    void set_number_format_count(size_t) override {}
    void set_number_format_identifier(size_t id) override { nfId = id; }
    void set_number_format_code(std::string_view s) override { nfCode = fromUtf8(s); }
    size_t commit_number_format() override
    {
        // xlsx names its formats by identifier; ods only by order
        const size_t key = nfId ? nfId : 1000 + nfCount;
        numFmts[key] = nfCode;
        ++nfCount;
        nfId = 0;
        nfCode.clear();
        return key;
    }
    void set_cell_xf_count(size_t) override {}
    void set_cell_style_xf_count(size_t) override {}
    void set_dxf_count(size_t) override {}
    void set_xf_font(size_t index) override { xf.font = index; }
    void set_xf_fill(size_t) override {}
    void set_xf_border(size_t) override {}
    void set_xf_protection(size_t) override {}
    void set_xf_number_format(size_t index) override { xf.numFmt = index; }
    void set_xf_style_xf(size_t) override {}
    void set_xf_apply_alignment(bool) override {}
    void set_xf_horizontal_alignment(ss::hor_alignment_t) override {}
    void set_xf_vertical_alignment(ss::ver_alignment_t) override {}
    size_t commit_cell_xf() override
    {
        xfs.push_back(xf);
        xf = {};
        return xfs.size() - 1;
    }
    size_t commit_cell_style_xf() override
    {
        xf = {};
        return 0;
    }
    size_t commit_dxf() override
    {
        xf = {};
        return 0;
    }
    void set_cell_style_count(size_t) override {}
    void set_cell_style_name(std::string_view) override {}
    void set_cell_style_xf(size_t) override {}
    void set_cell_style_builtin(size_t) override {}
    void set_cell_style_parent_name(std::string_view) override {}
    size_t commit_cell_style() override { return 0; }

    QString formatCode(size_t xfIndex) const
    {
        if (xfIndex >= xfs.size())
            return QStringLiteral("General");
        const size_t id = xfs[xfIndex].numFmt;
        auto it = numFmts.find(id);
        if (it != numFmts.end())
            return it->second;
        return builtinNumberFormat(int(id));
    }
    Font fontOf(size_t xfIndex) const
    {
        if (xfIndex >= xfs.size() || xfs[xfIndex].font >= fonts.size())
            return {};
        return fonts[xfs[xfIndex].font];
    }
};

struct Strings : iface::import_shared_strings {
    std::vector<QString> list;
    std::unordered_map<QString, size_t> index;
    QString segments;

    size_t append(std::string_view s) override
    {
        list.push_back(fromUtf8(s));
        return list.size() - 1;
    }
    size_t add(std::string_view s) override
    {
        const QString q = fromUtf8(s);
        auto it = index.find(q);
        if (it != index.end())
            return it->second;
        list.push_back(q);
        index.emplace(q, list.size() - 1);
        return list.size() - 1;
    }
    void set_segment_font(size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void append_segment(std::string_view s) override { segments += fromUtf8(s); }
    size_t commit_segments() override
    {
        list.push_back(segments);
        segments.clear();
        return list.size() - 1;
    }
};

struct Settings : iface::import_global_settings {
    QDate origin{1899, 12, 30};
    ss::formula_grammar_t grammar = ss::formula_grammar_t::unknown;
    void set_origin_date(int year, int month, int day) override { origin = QDate(year, month, day); }
    void set_default_formula_grammar(ss::formula_grammar_t g) override { grammar = g; }
    ss::formula_grammar_t get_default_formula_grammar() const override { return grammar; }
    void set_character_set(orcus::character_set_t) override {}
};

// Collects the cells of one sheet; only the first sheet keeps anything.
class Sheet;

class Formula : public iface::import_formula {
public:
    explicit Formula(Sheet &sheet) : m_sheet(sheet) {}
    void set_position(ss::row_t row, ss::col_t col) override
    {
        m_row = row;
        m_col = col;
        m_cell = WorkbookCell{};
        m_valueResult = false;
    }
    void set_formula(ss::formula_grammar_t, std::string_view formula) override { m_cell.formula = fromUtf8(formula); }
    void set_shared_formula_index(size_t) override {}
    void set_result_string(std::string_view value) override
    {
        if (isErrorLiteral(value)) {
            m_cell.kind = WorkbookCell::Kind::Error;
        } else {
            m_cell.kind = value.empty() ? WorkbookCell::Kind::Empty : WorkbookCell::Kind::Text;
        }
        m_cell.text = fromUtf8(value);
    }
    void set_result_value(double value) override
    {
        m_cell.kind = WorkbookCell::Kind::Number;
        m_cell.number = value;
        m_valueResult = true;
    }
    void set_result_bool(bool value) override
    {
        m_cell.kind = WorkbookCell::Kind::Boolean;
        m_cell.number = value ? 1 : 0;
    }
    void set_result_empty() override { m_cell.kind = WorkbookCell::Kind::Empty; }
    void commit() override;

private:
    Sheet &m_sheet;
    ss::row_t m_row = 0;
    ss::col_t m_col = 0;
    WorkbookCell m_cell;
    bool m_valueResult = false;
};

class Sheet : public iface::import_sheet {
public:
    Sheet(bool keep, int maxRows, Strings &strings) : m_keep(keep), m_maxRows(maxRows), m_strings(strings), m_formula(*this) {}

    iface::import_formula *get_formula() override { return &m_formula; }

    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override
    {
        WorkbookCell c;
        c.kind = s.empty() ? WorkbookCell::Kind::Empty : WorkbookCell::Kind::Text;
        c.text = fromUtf8(s);
        put(row, col, std::move(c));
    }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t sindex) override
    {
        WorkbookCell c;
        if (sindex < m_strings.list.size())
            c.text = m_strings.list[sindex];
        c.kind = c.text.isEmpty() ? WorkbookCell::Kind::Empty : WorkbookCell::Kind::Text;
        put(row, col, std::move(c));
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override
    {
        WorkbookCell c;
        c.kind = WorkbookCell::Kind::Number;
        c.number = value;
        put(row, col, std::move(c));
    }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override
    {
        WorkbookCell c;
        c.kind = WorkbookCell::Kind::Boolean;
        c.number = value ? 1 : 0;
        put(row, col, std::move(c));
    }
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour, int minute, double second) override
    {
        WorkbookCell c;
        c.kind = WorkbookCell::Kind::DateTime;
        c.year = year;
        c.month = month;
        c.day = day;
        c.hour = hour;
        c.minute = minute;
        c.second = second;
        put(row, col, std::move(c));
    }
    void set_format(ss::row_t row, ss::col_t col, size_t xf_index) override
    {
        if (m_keep && row < m_maxRows)
            m_formats[key(row, col)] = xf_index;
    }
    void set_format(ss::row_t, ss::col_t, ss::row_t, ss::col_t, size_t) override {}
    void fill_down_cells(ss::row_t src_row, ss::col_t src_col, ss::row_t range_size) override
    {
        auto it = m_cells.find(key(src_row, src_col));
        if (it == m_cells.end())
            return;
        const WorkbookCell c = it->second;
        for (ss::row_t r = 1; r <= range_size; ++r)
            put(src_row + r, src_col, WorkbookCell(c));
    }
    ss::range_size_t get_sheet_size() const override { return {1048576, 16384}; }

    void put(ss::row_t row, ss::col_t col, WorkbookCell c)
    {
        if (!m_keep || row < 0 || col < 0)
            return;
        if (c.kind == WorkbookCell::Kind::Empty && c.formula.isEmpty()) {
            m_cells.erase(key(row, col));
            return;
        }
        m_rows = std::max(m_rows, int(row) + 1);
        m_cols = std::max(m_cols, int(col) + 1);
        if (row < m_maxRows)
            m_cells[key(row, col)] = std::move(c);
    }

    WorkbookSheet finish(const Styles &styles, const QDate &origin)
    {
        WorkbookSheet out;
        out.rows = m_rows;
        out.columns = m_cols;
        out.cells.reserve(m_cells.size());
        for (auto &[k, c] : m_cells) {
            PlacedCell p{int(k >> 32), int(k & 0xffffffffu), std::move(c)};
            auto f = m_formats.find(k);
            const size_t xf = f == m_formats.end() ? 0 : f->second;
            p.cell.numberFormat = styles.formatCode(xf);
            const Styles::Font font = styles.fontOf(xf);
            p.cell.bold = font.bold;
            p.cell.fontSize = font.size;
            if (p.cell.kind == WorkbookCell::Kind::Number && isDateFormatCode(p.cell.numberFormat))
                setSerialDate(p.cell, p.cell.number, origin);
            out.cells.push_back(std::move(p));
        }
        std::sort(out.cells.begin(), out.cells.end(),
                  [](const PlacedCell &a, const PlacedCell &b) { return std::pair(a.row, a.col) < std::pair(b.row, b.col); });
        return out;
    }

private:
    static quint64 key(ss::row_t row, ss::col_t col) { return (quint64(quint32(row)) << 32) | quint32(col); }

    bool m_keep;
    int m_maxRows;
    Strings &m_strings;
    Formula m_formula;
    std::unordered_map<quint64, WorkbookCell> m_cells;
    std::unordered_map<quint64, size_t> m_formats;
    int m_rows = 0;
    int m_cols = 0;
};

void Formula::commit()
{
    m_sheet.put(m_row, m_col, std::move(m_cell));
    m_cell = WorkbookCell{};
}

// A1 addresses of the dimension, merge and formula references.
struct References : iface::import_reference_resolver {
    static ss::src_address_t address(std::string_view s)
    {
        const size_t bang = s.rfind('!');
        if (bang != std::string_view::npos)
            s.remove_prefix(bang + 1);
        ss::src_address_t a{0, 0, 0};
        long col = 0, row = 0;
        size_t i = 0;
        for (; i < s.size() && (s[i] == '$' || std::isalpha(static_cast<unsigned char>(s[i]))); ++i)
            if (s[i] != '$')
                col = std::min(col * 26 + (std::toupper(static_cast<unsigned char>(s[i])) - 'A' + 1), 1L << 20);
        for (; i < s.size(); ++i)
            if (std::isdigit(static_cast<unsigned char>(s[i])))
                row = std::min(row * 10 + (s[i] - '0'), 1L << 24);
        if (col < 1 || row < 1)
            throw orcus::general_error("invalid cell address");
        a.row = ss::row_t(row - 1);
        a.column = ss::col_t(col - 1);
        return a;
    }
    ss::src_address_t resolve_address(std::string_view s) override { return address(s); }
    ss::src_range_t resolve_range(std::string_view s) override
    {
        const size_t colon = s.find(':');
        if (colon == std::string_view::npos) {
            const ss::src_address_t a = address(s);
            return {a, a};
        }
        return {address(s.substr(0, colon)), address(s.substr(colon + 1))};
    }
};

class Factory : public iface::import_factory {
public:
    explicit Factory(int maxRows) : m_maxRows(maxRows) {}
    iface::import_reference_resolver *get_reference_resolver(ss::formula_ref_context_t) override { return &m_refs; }
    iface::import_global_settings *get_global_settings() override { return &settings; }
    iface::import_shared_strings *get_shared_strings() override { return &strings; }
    iface::import_styles *get_styles() override { return &styles; }
    iface::import_sheet *append_sheet(ss::sheet_t sheet_index, std::string_view name) override
    {
        m_sheets.push_back(std::make_unique<Sheet>(sheet_index == 0, m_maxRows, strings));
        m_names.emplace_back(name);
        return m_sheets.back().get();
    }
    iface::import_sheet *get_sheet(std::string_view name) override
    {
        for (size_t i = 0; i < m_names.size(); ++i)
            if (m_names[i] == name)
                return m_sheets[i].get();
        return nullptr;
    }
    iface::import_sheet *get_sheet(ss::sheet_t sheet_index) override
    {
        return sheet_index >= 0 && size_t(sheet_index) < m_sheets.size() ? m_sheets[size_t(sheet_index)].get() : nullptr;
    }
    void finalize() override {}

    WorkbookSheet result()
    {
        if (m_sheets.empty())
            return {};
        return m_sheets.front()->finish(styles, settings.origin);
    }

    Settings settings;
    Strings strings;
    Styles styles;

private:
    References m_refs;
    int m_maxRows;
    std::vector<std::unique_ptr<Sheet>> m_sheets;
    std::vector<std::string> m_names;
};

[[noreturn]] void raiseUnreadable(const QString &path, const QString &reason)
{
    throw KervioError(QStringLiteral("\"%1\" dosyası okunamadı: %2").arg(QDir::toNativeSeparators(path), reason));
}

WorkbookSheet readWithOrcus(const QString &path, WorkbookFormat format, int maxRows)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        raiseUnreadable(path, f.errorString());
    const QByteArray bytes = f.readAll();
    Factory factory(maxRows);
    try {
        if (format == WorkbookFormat::Xlsx) {
            orcus::orcus_xlsx filter(&factory);
            filter.read_stream(std::string_view(bytes.constData(), size_t(bytes.size())));
        } else {
            orcus::orcus_ods filter(&factory);
            filter.read_stream(std::string_view(bytes.constData(), size_t(bytes.size())));
        }
    } catch (const KervioError &) {
        throw;
    } catch (const std::exception &e) {
        raiseUnreadable(path, QString::fromUtf8(e.what()));
    }
    return factory.result();
}

// --- xls through freexl --------------------------------------------------------

WorkbookSheet readXls(const QString &path, int maxRows)
{
    const void *handle = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = freexl_open(name.constData(), &handle);
    if (rc != FREEXL_OK) {
        if (handle)
            freexl_close(handle);
        raiseUnreadable(path, QStringLiteral("Excel 97-2003 çalışma kitabı değil ya da bozuk (hata %1)").arg(rc));
    }
    struct Closer {
        const void *h;
        ~Closer() { freexl_close(h); }
    } closer{handle};

    WorkbookSheet out;
    unsigned int rows = 0;
    unsigned short cols = 0;
    if (freexl_select_active_worksheet(handle, 0) != FREEXL_OK || freexl_worksheet_dimensions(handle, &rows, &cols) != FREEXL_OK)
        raiseUnreadable(path, QStringLiteral("ilk sayfa okunamadı"));
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < cols; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK)
                continue;
            WorkbookCell cell;
            switch (v.type) {
            case FREEXL_CELL_INT:
                cell.kind = WorkbookCell::Kind::Number;
                cell.number = v.value.int_value;
                break;
            case FREEXL_CELL_DOUBLE:
                cell.kind = WorkbookCell::Kind::Number;
                cell.number = v.value.double_value;
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                cell.text = QString::fromUtf8(v.value.text_value);
                cell.kind = cell.text.isEmpty() ? WorkbookCell::Kind::Empty : WorkbookCell::Kind::Text;
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME: {
                // "YYYY-MM-DD", "YYYY-MM-DD hh:mm:ss", "hh:mm:ss"
                const QString t = QString::fromUtf8(v.value.text_value);
                cell.kind = WorkbookCell::Kind::DateTime;
                QString time = t;
                if (v.type != FREEXL_CELL_TIME) {
                    cell.year = t.mid(0, 4).toInt();
                    cell.month = t.mid(5, 2).toInt();
                    cell.day = t.mid(8, 2).toInt();
                    time = v.type == FREEXL_CELL_DATETIME ? t.mid(11) : QString();
                } else {
                    cell.hasDate = false;
                }
                if (!time.isEmpty()) {
                    cell.hour = time.mid(0, 2).toInt();
                    cell.minute = time.mid(3, 2).toInt();
                    cell.second = time.mid(6).toDouble();
                }
                break;
            }
            default:
                break;
            }
            if (cell.kind == WorkbookCell::Kind::Empty)
                continue;
            out.rows = std::max(out.rows, int(r) + 1);
            out.columns = std::max(out.columns, int(c) + 1);
            if (int(r) < maxRows)
                out.cells.push_back({int(r), int(c), std::move(cell)});
        }
    }
    return out;
}

// --- csv -----------------------------------------------------------------------

struct CsvHandler {
    std::vector<std::vector<QString>> rows;
    int maxRows;
    int rowCount = 0;
    void begin_parse() {}
    void end_parse() {}
    void begin_row()
    {
        if (rowCount++ < maxRows)
            rows.emplace_back();
    }
    void end_row() {}
    void cell(const char *p, size_t n, bool)
    {
        if (rowCount <= maxRows)
            rows.back().push_back(QString::fromUtf8(p, qsizetype(n)));
    }
};

QString decodeText(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    // Not valid UTF-8: the Windows Turkish code page
    const QString utf = QString::fromUtf8(bytes);
    if (utf.contains(QChar::ReplacementCharacter))
        return fromCp1254(bytes);
    return utf;
}

// 15 significant digits at most: a longer digit string (an account or an
// identity number) stays text instead of losing its last digits.
bool withinPrecision(const QString &digits)
{
    int significant = 0;
    bool leading = true;
    for (QChar c : digits) {
        if (!c.isDigit())
            continue;
        if (leading && c == u'0')
            continue;
        leading = false;
        ++significant;
    }
    return significant <= 15;
}

bool parseRegionalNumber(QString t, const Regional &reg, double *out)
{
    t = t.trimmed();
    if (t.isEmpty())
        return false;
    bool percent = false;
    if (t.endsWith(u'%')) {
        percent = true;
        t.chop(1);
        t = t.trimmed();
    }
    const QString dec = QRegularExpression::escape(QString(reg.decimal));
    const QString grp = QRegularExpression::escape(QString(reg.thousands));
    const QRegularExpression re(QStringLiteral("^([+-]?)(\\d{1,3}(?:%1\\d{3})+|\\d+)?(?:%2(\\d+))?(?:[eE]([+-]?\\d{1,3}))?$").arg(grp, dec));
    const QRegularExpressionMatch m = re.match(t);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        return false;
    QString intPart = m.captured(2);
    intPart.remove(reg.thousands);
    if (!withinPrecision(intPart + m.captured(3)))
        return false;
    QString plain = m.captured(1) + (intPart.isEmpty() ? QStringLiteral("0") : intPart);
    if (!m.captured(3).isEmpty())
        plain += u'.' + m.captured(3);
    if (!m.captured(4).isEmpty())
        plain += u'e' + m.captured(4);
    bool ok = false;
    double v = plain.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = percent ? v / 100.0 : v;
    return true;
}

bool parseRegionalDate(const QString &text, const Regional &reg, WorkbookCell *out)
{
    const QString t = text.trimmed();
    const QString sep = QRegularExpression::escape(QString(reg.date));
    static const QString time = QStringLiteral("(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?");
    // day, month, year with the regional separator, "/" or "-", the same twice
    const QRegularExpression dmy(QStringLiteral("^(\\d{1,2})(%1|/|-)(\\d{1,2})\\2(\\d{4}|\\d{2})%2$").arg(sep, time));
    const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})%1$").arg(time));
    const QRegularExpression timeOnly(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    QRegularExpressionMatch m;
    if ((m = dmy.match(t)).hasMatch()) {
        d = m.captured(1).toInt();
        mo = m.captured(3).toInt();
        y = m.captured(4).toInt();
        if (m.captured(4).size() == 2)
            y += y < 30 ? 2000 : 1900;
        h = m.captured(5).toInt();
        mi = m.captured(6).toInt();
        s = m.captured(7).toInt();
    } else if ((m = iso.match(t)).hasMatch()) {
        y = m.captured(1).toInt();
        mo = m.captured(2).toInt();
        d = m.captured(3).toInt();
        h = m.captured(4).toInt();
        mi = m.captured(5).toInt();
        s = m.captured(6).toInt();
    } else if ((m = timeOnly.match(t)).hasMatch()) {
        h = m.captured(1).toInt();
        mi = m.captured(2).toInt();
        s = m.captured(3).toInt();
        if (h > 23 || mi > 59 || s > 59)
            return false;
        out->kind = WorkbookCell::Kind::DateTime;
        out->hasDate = false;
        out->hour = h;
        out->minute = mi;
        out->second = s;
        return true;
    } else {
        return false;
    }
    if (!QDate::isValid(y, mo, d) || h > 23 || mi > 59 || s > 59)
        return false;
    out->kind = WorkbookCell::Kind::DateTime;
    out->year = y;
    out->month = mo;
    out->day = d;
    out->hour = h;
    out->minute = mi;
    out->second = s;
    return true;
}

} // namespace

char detectCsvDelimiter(const QByteArray &bytes)
{
    // Count the candidates outside quotes over the first lines; the one
    // that splits the lines most evenly and most often wins.
    const char candidates[3] = {';', ',', '\t'};
    int counts[3][20] = {};
    int line = 0;
    bool quoted = false;
    for (char c : bytes) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == '\n') {
            if (++line >= 20)
                break;
        } else if (!quoted) {
            for (int k = 0; k < 3; ++k)
                if (c == candidates[k])
                    ++counts[k][line];
        }
    }
    const int lines = std::max(1, std::min(line + 1, 20));
    int best = 0;
    double bestScore = -1;
    for (int k = 0; k < 3; ++k) {
        int total = 0, consistent = 0;
        for (int l = 0; l < lines; ++l) {
            total += counts[k][l];
            if (counts[k][l] > 0 && counts[k][l] == counts[k][0])
                ++consistent;
        }
        if (total == 0)
            continue;
        const double score = consistent * 1000.0 + total;
        if (score > bestScore) {
            bestScore = score;
            best = k;
        }
    }
    return bestScore < 0 ? ';' : candidates[best];
}

WorkbookSheet readCsvText(const QByteArray &raw, const Regional &reg, int maxRows)
{
    QByteArray bytes = raw;
    bytes.replace("\r\n", "\n");
    bytes.replace('\r', '\n');
    // The parser reads UTF-8; other encodings are turned into it first.
    const QByteArray utf8 = decodeText(bytes).toUtf8();
    orcus::csv::parser_config config;
    config.delimiters = std::string(1, detectCsvDelimiter(utf8));
    config.text_qualifier = '"';
    config.trim_cell_value = false;
    CsvHandler handler;
    handler.maxRows = maxRows;
    if (!utf8.isEmpty()) {
        // the parser's own exceptions become ours, with its reason
        try {
            orcus::csv_parser<CsvHandler> parser(utf8.constData(), size_t(utf8.size()), handler, config);
            parser.parse();
        } catch (const KervioError &) {
            throw;
        } catch (const std::exception &e) {
            throw KervioError(QString::fromUtf8(e.what()));
        }
    }
    WorkbookSheet out;
    for (size_t r = 0; r < handler.rows.size(); ++r) {
        const std::vector<QString> &row = handler.rows[r];
        for (size_t c = 0; c < row.size(); ++c) {
            const QString &t = row[c];
            if (t.isEmpty())
                continue;
            WorkbookCell cell;
            double v = 0;
            if (parseRegionalNumber(t, reg, &v)) {
                cell.kind = WorkbookCell::Kind::Number;
                cell.number = v;
            } else if (!parseRegionalDate(t, reg, &cell)) {
                cell.kind = WorkbookCell::Kind::Text;
                cell.text = t;
            }
            out.rows = std::max(out.rows, int(r) + 1);
            out.columns = std::max(out.columns, int(c) + 1);
            out.cells.push_back({int(r), int(c), std::move(cell)});
        }
    }
    // rows beyond the kept ones still count for the extent
    if (handler.rowCount > maxRows)
        out.rows = std::max(out.rows, handler.rowCount);
    return out;
}

WorkbookFormat detectWorkbookFormat(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return WorkbookFormat::Unknown;
    const QByteArray head = f.read(8);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (head.startsWith("\xD0\xCF\x11\xE0"))
        return WorkbookFormat::Xls;
    if (head.startsWith("PK\x03\x04")) {
        if (suffix == QLatin1String("ods"))
            return WorkbookFormat::Ods;
        if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm"))
            return WorkbookFormat::Xlsx;
        // a zip under another name: ask the library which kind it is
        f.seek(0);
        const QByteArray all = f.readAll();
        try {
            switch (orcus::detect(reinterpret_cast<const unsigned char *>(all.constData()), size_t(all.size()))) {
            case orcus::format_t::xlsx: return WorkbookFormat::Xlsx;
            case orcus::format_t::ods: return WorkbookFormat::Ods;
            default: return WorkbookFormat::Unknown;
            }
        } catch (const std::exception &) {
            return WorkbookFormat::Unknown;
        }
    }
    return WorkbookFormat::Csv;
}

WorkbookSheet readWorkbook(const QString &path, const Regional &reg, int maxRows)
{
    if (!QFileInfo(path).isFile())
        raiseUnreadable(path, QStringLiteral("dosya bulunamadı"));
    // the reader libraries read the files' numbers with the C library
    const CNumericLocale cNumbers;
    switch (detectWorkbookFormat(path)) {
    case WorkbookFormat::Xlsx:
        return readWithOrcus(path, WorkbookFormat::Xlsx, maxRows);
    case WorkbookFormat::Ods:
        return readWithOrcus(path, WorkbookFormat::Ods, maxRows);
    case WorkbookFormat::Xls:
        return readXls(path, maxRows);
    case WorkbookFormat::Csv: {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            raiseUnreadable(path, f.errorString());
        try {
            return readCsvText(f.readAll(), reg, maxRows);
        } catch (const std::exception &e) {
            raiseUnreadable(path, QString::fromUtf8(e.what()));
        }
    }
    case WorkbookFormat::Unknown:
        break;
    }
    raiseUnreadable(path, QStringLiteral("tanınan bir çalışma kitabı biçimi değil"));
}

} // namespace kervio
