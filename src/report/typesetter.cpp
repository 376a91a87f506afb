#include "typesetter.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QVarLengthArray>
#include <cmath>

namespace kervio {

namespace {

constexpr double MmPerPoint = 25.4 / 72.0;
// The characters whose glyphs are cached; above, every text is shaped.
constexpr char16_t CachedChars = 0x2200;

// A character that is drawn by its own glyph, without shaping.
bool standsAlone(QChar c)
{
    if (c.unicode() < 0x20 || c.isSurrogate() || c.isMark())
        return false;
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph: return false;
    default: break;
    }
    switch (c.script()) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic: break;
    default: return false;
    }
    switch (c.direction()) {
    case QChar::DirL:
    case QChar::DirEN:
    case QChar::DirES:
    case QChar::DirET:
    case QChar::DirCS:
    case QChar::DirWS:
    case QChar::DirON: return true;
    default: return false;
    }
}

} // namespace

struct Typesetter::Face {
    ReportFont key;
    QFont font;
    QRawFont raw;
    double mmPerPixel = 0;
    double ascent = 0;
    double lineSpacing = 0;
    bool decorated = false; // underline and strike-out need the layout engine

    enum State : quint8 { Unknown, Alone, Shaped };
    std::vector<State> states = std::vector<State>(CachedChars, Unknown);
    std::vector<quint32> glyphs = std::vector<quint32>(CachedChars, 0);
    std::vector<double> advances = std::vector<double>(CachedChars, 0.0);

    // What add() collected: glyphs and their positions in pixels of this
    // face from the page's corner.
    QList<quint32> runGlyphs;
    QList<QPointF> runPositions;

    explicit Face(const ReportFont &f) : key(f)
    {
        font = f.toQFont();
        font.setPixelSize(1000);
        raw = QRawFont::fromFont(font);
        // at a pixel a design unit every advance is a whole number, the
        // shortest to write into a PDF
        const int pixels = raw.isValid() ? std::max(16, int(raw.unitsPerEm())) : 1000;
        font.setPixelSize(pixels);
        raw.setPixelSize(pixels);
        mmPerPixel = f.pointSize * MmPerPoint / pixels;
        ascent = raw.ascent();
        lineSpacing = raw.ascent() + raw.descent() + raw.leading();
        if (!raw.isValid()) { // no font at all: the layout engine finds one
            const QFontMetricsF fm(font);
            ascent = fm.ascent();
            lineSpacing = fm.lineSpacing();
        }
        decorated = f.underline || f.strikeOut || !raw.isValid();
    }

    bool alone(QChar c)
    {
        const char16_t u = c.unicode();
        if (u >= CachedChars)
            return false;
        if (states[u] == Unknown) {
            quint32 glyph = 0;
            int count = 1;
            if (standsAlone(c) && raw.glyphIndexesForChars(&c, 1, &glyph, &count) && count == 1 && glyph != 0) {
                QPointF advance;
                raw.advancesForGlyphIndexes(&glyph, &advance, 1, QRawFont::UseDesignMetrics);
                glyphs[u] = glyph;
                advances[u] = advance.x();
                states[u] = Alone;
            } else {
                states[u] = Shaped;
            }
        }
        return states[u] == Alone;
    }

    // True when every character of `text` is drawn by its own glyph.
    bool plain(const QString &text)
    {
        if (decorated)
            return false;
        for (QChar c : text)
            if (!alone(c))
                return false;
        return true;
    }

    // A text that needs shaping, laid out on one line.
    std::unique_ptr<QTextLayout> layout(const QString &text) const
    {
        auto l = std::make_unique<QTextLayout>(text, font);
        QTextOption option;
        option.setUseDesignMetrics(true);
        option.setWrapMode(QTextOption::NoWrap);
        l->setTextOption(option);
        l->beginLayout();
        QTextLine line = l->createLine();
        if (line.isValid())
            line.setLineWidth(1e9);
        l->endLayout();
        return l;
    }

    // Width in pixels of this face.
    double advance(const QString &text)
    {
        if (plain(text)) {
            double w = 0;
            for (QChar c : text)
                w += advances[c.unicode()];
            return w;
        }
        const std::unique_ptr<QTextLayout> l = layout(text);
        return l->lineCount() ? l->lineAt(0).naturalTextWidth() : 0.0;
    }
};

Typesetter::Typesetter() = default;
Typesetter::~Typesetter() = default;

Typesetter::Face &Typesetter::face(const ReportFont &font)
{
    if (m_lastFace && m_lastFace->key == font)
        return const_cast<Face &>(*m_lastFace);
    for (const std::unique_ptr<Face> &f : m_faces)
        if (f->key == font) {
            m_lastFace = f.get();
            return *f;
        }
    m_faces.push_back(std::make_unique<Face>(font));
    m_lastFace = m_faces.back().get();
    return *m_faces.back();
}

double Typesetter::advanceMm(const ReportFont &font, const QString &text)
{
    Face &f = face(font);
    return f.advance(text) * f.mmPerPixel;
}

double Typesetter::lineMm(const ReportFont &font)
{
    Face &f = face(font);
    return f.lineSpacing * f.mmPerPixel;
}

double Typesetter::ascentMm(const ReportFont &font)
{
    Face &f = face(font);
    return f.ascent * f.mmPerPixel;
}

QStringList Typesetter::wrap(const ReportFont &font, const QString &text, double widthMm)
{
    Face &f = face(font);
    const double limit = widthMm / f.mmPerPixel + 1e-6;
    if (text.isEmpty() || f.advance(text) <= limit)
        return {text};
    const auto width = [&](qsizetype from, qsizetype to) {
        while (to > from && text[to - 1].isSpace())
            --to;
        return f.advance(text.mid(from, to - from));
    };
    QStringList out;
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = -1;
        breaks.setPosition(start);
        for (qsizetype p = breaks.toNextBoundary(); p > 0; p = breaks.toNextBoundary()) {
            if (width(start, p) > limit)
                break;
            end = p;
        }
        if (end < 0) { // one word wider than the box: as many characters as fit, at least one
            graphemes.setPosition(start);
            end = graphemes.toNextBoundary();
            for (qsizetype p = graphemes.toNextBoundary(); p > 0 && width(start, p) <= limit; p = graphemes.toNextBoundary())
                end = p;
        }
        qsizetype cut = end;
        while (cut > start + 1 && text[cut - 1].isSpace())
            --cut;
        out << text.mid(start, cut - start);
        start = end;
    }
    return out;
}

void Typesetter::add(QPainter &painter, const ReportFont &font, const QString &text, QPointF topLeftMm, double pxPerMm)
{
    Face &f = face(font);
    const QPointF origin = topLeftMm / f.mmPerPixel;
    if (f.plain(text)) {
        double x = origin.x();
        const double y = origin.y() + f.ascent;
        for (QChar c : text) {
            const char16_t u = c.unicode();
            if (u != u' ') { // a blank draws nothing
                f.runGlyphs.push_back(f.glyphs[u]);
                f.runPositions.push_back(QPointF(x, y));
            }
            x += f.advances[u];
        }
        return;
    }
    const std::unique_ptr<QTextLayout> l = f.layout(text);
    if (!l->lineCount())
        return;
    painter.save();
    const double scale = pxPerMm * f.mmPerPixel;
    painter.scale(scale, scale);
    l->draw(&painter, QPointF(origin.x(), origin.y() + f.ascent - l->lineAt(0).ascent()));
    painter.restore();
}

void Typesetter::flush(QPainter &painter, double pxPerMm)
{
    for (const std::unique_ptr<Face> &f : m_faces) {
        if (f->runGlyphs.isEmpty())
            continue;
        {
            QGlyphRun run;
            run.setRawFont(f->raw);
            run.setGlyphIndexes(f->runGlyphs);
            run.setPositions(f->runPositions);
            painter.save();
            const double scale = pxPerMm * f->mmPerPixel;
            painter.scale(scale, scale);
            painter.drawGlyphRun(QPointF(0, 0), run);
            painter.restore();
        }
        f->runGlyphs.clear();
        f->runPositions.clear();
    }
}

} // namespace kervio
