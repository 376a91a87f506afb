#include "orcussheet.h"
#include "workbookformats.h"
#include "core/errors.h"

#include <QDate>

#include <orcus/exception.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <map>
#include <memory>
#include <unordered_map>

namespace kervio {

namespace ss = orcus::spreadsheet;
namespace iface = orcus::spreadsheet::iface;

namespace {

QString fromUtf8(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// A cell's text, cut where a spreadsheet cuts it; a huge text is cut before
// it is converted.
QString cellText(std::string_view s)
{
    constexpr size_t MaxBytes = size_t(WorkbookLimits::TextLength) * 4;
    return fromUtf8(s.substr(0, std::min(s.size(), MaxBytes))).left(WorkbookLimits::TextLength);
}

// Raised from inside the library's parsing when the sheet grows too big.
struct TooManyCells {};

} // namespace

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

namespace {

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
        list.push_back(cellText(s));
        return list.size() - 1;
    }
    size_t add(std::string_view s) override
    {
        const QString q = cellText(s);
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
    void append_segment(std::string_view s) override
    {
        if (segments.size() < WorkbookLimits::TextLength)
            segments += cellText(s);
    }
    size_t commit_segments() override
    {
        list.push_back(segments.left(WorkbookLimits::TextLength));
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
        m_cell.text = cellText(value);
        if (isErrorName(m_cell.text))
            m_cell.kind = WorkbookCell::Kind::Error;
        else
            m_cell.kind = value.empty() ? WorkbookCell::Kind::Empty : WorkbookCell::Kind::Text;
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
        c.text = cellText(s);
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
        if (!m_keep || row >= m_maxRows)
            return;
        m_formats[key(row, col)] = xf_index;
        // formatted empty cells cost memory too
        if (qint64(m_formats.size()) > 2 * WorkbookLimits::Cells)
            throw TooManyCells();
    }
    void set_format(ss::row_t, ss::col_t, ss::row_t, ss::col_t, size_t) override {}
    void fill_down_cells(ss::row_t src_row, ss::col_t src_col, ss::row_t range_size) override
    {
        auto it = m_cells.find(key(src_row, src_col));
        if (it == m_cells.end())
            return;
        const WorkbookCell c = it->second;
        for (ss::row_t r = 1; r <= range_size && src_row + r < m_maxRows; ++r)
            put(src_row + r, src_col, WorkbookCell(c));
        // rows past the kept ones still count for the extent
        m_rows = std::max(m_rows, int(std::min<qint64>(qint64(src_row) + range_size + 1, 1 << 30)));
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
        if (row < m_maxRows) {
            m_cells[key(row, col)] = std::move(c);
            if (qint64(m_cells.size()) > WorkbookLimits::Cells)
                throw TooManyCells();
        }
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

    bool hasSheets() const { return !m_sheets.empty(); }
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

} // namespace

WorkbookSheet readOrcusWorkbook(const QString &path, int maxRows, const OrcusParse &parse)
{
    const QByteArray bytes = readWholeFile(path);
    Factory factory(maxRows);
    try {
        parse(factory, std::string_view(bytes.constData(), size_t(bytes.size())));
    } catch (const KervioError &) {
        throw;
    } catch (const TooManyCells &) {
        raiseTooManyCells(path);
    } catch (const std::exception &e) {
        raiseDamaged(path, QStringLiteral("çalışma kitabı"), QString::fromUtf8(e.what()));
    }
    // a package the library finds no sheet in is no workbook it can read
    if (!factory.hasSheets())
        raiseUnreadable(path, QStringLiteral("çalışma kitabında okunabilen bir sayfa yok"));
    return factory.result();
}

} // namespace kervio
