#pragma once
#include "reportfont.h"

#include <QPointF>
#include <QStringList>
#include <memory>
#include <vector>

class QPainter;

namespace kervio {

// Lays out and draws the report's text with one set of metrics: every font
// at its design size (a pixel a unit of its em), unhinted, with unrounded
// advances, scaled linearly onto the paper, the screen and the printer
// alike. So a line is exactly as wide on every device as it was when
// it was broken. Texts of plain Latin, Greek and Cyrillic letters are set
// glyph by glyph from a cache; anything that needs shaping (combining marks,
// other scripts, glyphs from a fallback font) goes through the text layout
// engine at the same size. Needs a GUI application.
class Typesetter {
public:
    Typesetter();
    ~Typesetter();
    Typesetter(const Typesetter &) = delete;
    Typesetter &operator=(const Typesetter &) = delete;

    double advanceMm(const ReportFont &font, const QString &text);
    double lineMm(const ReportFont &font);
    double ascentMm(const ReportFont &font);

    // The visual lines of one text line in a box `widthMm` wide: broken at
    // the line-break opportunities, inside a word only where the word alone
    // is wider than the box; blanks at a break are dropped.
    QStringList wrap(const ReportFont &font, const QString &text, double widthMm);

    // Collects `text` with the top left corner of its line at `topLeftMm`;
    // drawn by the next flush().
    void add(QPainter &painter, const ReportFont &font, const QString &text, QPointF topLeftMm, double pxPerMm);
    // Draws what add() collected.
    void flush(QPainter &painter, double pxPerMm);

    struct Face;

private:
    Face &face(const ReportFont &font);
    std::vector<std::unique_ptr<Face>> m_faces;
    const Face *m_lastFace = nullptr;
};

} // namespace kervio
