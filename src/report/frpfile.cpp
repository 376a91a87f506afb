#include "frpfile.h"

#include "reportfiles.h"
#include "core/errors.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace kervio {

namespace {

constexpr char Magic[8] = {'K', 'V', 'R', 'F', 'R', 'P', '\r', '\n'};
constexpr quint16 Version = 1;
constexpr quint32 MaxString = 1u << 20;
constexpr quint32 MaxPages = 1000000;
constexpr double MaxCoordinate = 100000.0; // mm
constexpr quint32 KnownAlignment = Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask;

class Writer {
public:
    void raw(const void *p, size_t n) { m_out.append(static_cast<const char *>(p), qsizetype(n)); }
    void u8(quint8 v) { raw(&v, 1); }
    void u16(quint16 v)
    {
        v = qToLittleEndian(v);
        raw(&v, 2);
    }
    void u32(quint32 v)
    {
        v = qToLittleEndian(v);
        raw(&v, 4);
    }
    void f64(double d)
    {
        quint64 v;
        std::memcpy(&v, &d, 8);
        v = qToLittleEndian(v);
        raw(&v, 8);
    }
    void str(const QString &s)
    {
        const QByteArray b = s.toUtf8();
        u32(quint32(b.size()));
        m_out.append(b);
    }
    QByteArray take() { return std::move(m_out); }

private:
    QByteArray m_out;
};

struct Invalid {
    QString why;
};

class Reader {
public:
    explicit Reader(const QByteArray &b) : m_p(b.constData()), m_left(size_t(b.size())) {}
    size_t left() const { return m_left; }
    void raw(void *out, size_t n)
    {
        if (n > m_left)
            throw Invalid{QStringLiteral("dosya eksik")};
        std::memcpy(out, m_p, n);
        m_p += n;
        m_left -= n;
    }
    quint8 u8()
    {
        quint8 v;
        raw(&v, 1);
        return v;
    }
    quint16 u16()
    {
        quint16 v;
        raw(&v, 2);
        return qFromLittleEndian(v);
    }
    quint32 u32()
    {
        quint32 v;
        raw(&v, 4);
        return qFromLittleEndian(v);
    }
    double f64(double lo, double hi)
    {
        quint64 v;
        raw(&v, 8);
        v = qFromLittleEndian(v);
        double d;
        std::memcpy(&d, &v, 8);
        if (!std::isfinite(d) || d < lo || d > hi)
            throw Invalid{QStringLiteral("geçersiz ölçü")};
        return d;
    }
    // A count of records of at least `minSize` bytes each that must still
    // fit in the file, so a forged count cannot make us allocate.
    quint32 count(size_t minSize, quint32 limit)
    {
        const quint32 n = u32();
        if (n > limit || size_t(n) * minSize > m_left)
            throw Invalid{QStringLiteral("geçersiz boyut")};
        return n;
    }
    QString str()
    {
        const quint32 n = u32();
        if (n > MaxString || n > m_left)
            throw Invalid{QStringLiteral("geçersiz metin uzunluğu")};
        const QString s = QString::fromUtf8(m_p, qsizetype(n));
        m_p += n;
        m_left -= n;
        return s;
    }

private:
    const char *m_p;
    size_t m_left;
};

enum FontFlag : quint8 { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };

} // namespace

namespace {

// The distinct fonts of the text items, each written once ahead of the pages.
class FontTable {
public:
    quint32 indexOf(const ReportFont &f)
    {
        for (size_t i = 0; i < m_fonts.size(); ++i)
            if (*m_fonts[i] == f)
                return quint32(i);
        m_fonts.push_back(&f);
        return quint32(m_fonts.size() - 1);
    }
    void write(Writer &w) const
    {
        w.u32(quint32(m_fonts.size()));
        for (const ReportFont *f : m_fonts) {
            w.str(f->family);
            w.f64(f->pointSize);
            w.u8(quint8((f->bold ? Bold : 0) | (f->italic ? Italic : 0) | (f->underline ? Underline : 0)
                        | (f->strikeOut ? StrikeOut : 0)));
        }
    }

private:
    std::vector<const ReportFont *> m_fonts;
};

void writeItem(Writer &w, const DrawItem &item, quint32 fontIndex)
{
    w.u8(item.kind);
    w.f64(item.rect.x());
    w.f64(item.rect.y());
    w.f64(item.rect.width());
    w.f64(item.rect.height());
    if (item.kind == DrawItem::Text) {
        w.str(item.text);
        w.u32(fontIndex);
        w.u32(item.alignment);
    } else {
        w.f64(item.penWidth);
    }
}

} // namespace

QByteArray frpBytes(const ComposedReport &report)
{
    FontTable fonts;
    std::vector<std::vector<quint32>> fontIndices(report.pages.size());
    for (size_t p = 0; p < report.pages.size(); ++p)
        for (const DrawItem &item : report.pages[p].items)
            fontIndices[p].push_back(item.kind == DrawItem::Text ? fonts.indexOf(item.font) : 0);

    Writer w;
    w.raw(Magic, sizeof Magic);
    w.u16(Version);
    w.str(report.title);
    w.f64(report.pageSizeMm.width());
    w.f64(report.pageSizeMm.height());
    fonts.write(w);
    w.u32(quint32(report.pages.size()));
    for (size_t p = 0; p < report.pages.size(); ++p) {
        const std::vector<DrawItem> &items = report.pages[p].items;
        w.u32(quint32(items.size()));
        for (size_t i = 0; i < items.size(); ++i)
            writeItem(w, items[i], fontIndices[p][i]);
    }
    return w.take();
}

namespace {

void readMagicAndVersion(Reader &r)
{
    char magic[sizeof Magic];
    if (r.left() < sizeof Magic)
        throw Invalid{QStringLiteral("tanınmayan dosya türü")};
    r.raw(magic, sizeof magic);
    if (std::memcmp(magic, Magic, sizeof Magic) != 0)
        throw Invalid{QStringLiteral("tanınmayan dosya türü")};
    const quint16 version = r.u16();
    if (version != Version)
        throw Invalid{QStringLiteral("desteklenmeyen sürüm %1").arg(version)};
}

std::vector<ReportFont> readFonts(Reader &r)
{
    std::vector<ReportFont> fonts(r.count(4 + 8 + 1, 65536));
    for (ReportFont &f : fonts) {
        f.family = r.str();
        f.pointSize = r.f64(0.5, 1000);
        const quint8 flags = r.u8();
        if (flags & ~quint8(Bold | Italic | Underline | StrikeOut))
            throw Invalid{QStringLiteral("geçersiz yazı tipi")};
        f.bold = flags & Bold;
        f.italic = flags & Italic;
        f.underline = flags & Underline;
        f.strikeOut = flags & StrikeOut;
    }
    return fonts;
}

DrawItem readItem(Reader &r, const std::vector<ReportFont> &fonts)
{
    DrawItem item;
    const quint8 kind = r.u8();
    if (kind != DrawItem::Text && kind != DrawItem::Rule)
        throw Invalid{QStringLiteral("geçersiz öğe")};
    item.kind = DrawItem::Kind(kind);
    const double x = r.f64(-MaxCoordinate, MaxCoordinate), y = r.f64(-MaxCoordinate, MaxCoordinate);
    const double w = r.f64(-MaxCoordinate, MaxCoordinate), h = r.f64(-MaxCoordinate, MaxCoordinate);
    item.rect = QRectF(x, y, w, h);
    if (item.kind == DrawItem::Rule) {
        item.penWidth = r.f64(0, 100);
        return item;
    }
    item.text = r.str();
    const quint32 fontIndex = r.u32();
    if (fontIndex >= fonts.size())
        throw Invalid{QStringLiteral("geçersiz yazı tipi")};
    item.font = fonts[fontIndex];
    item.alignment = r.u32();
    if (item.alignment & ~KnownAlignment)
        throw Invalid{QStringLiteral("geçersiz hizalama")};
    return item;
}

std::vector<ReportPage> readPages(Reader &r, const std::vector<ReportFont> &fonts)
{
    const quint32 pageCount = r.count(4, MaxPages);
    if (pageCount == 0)
        throw Invalid{QStringLiteral("sayfa yok")};
    std::vector<ReportPage> pages(pageCount);
    constexpr size_t MinItem = 1 + 4 * 8 + 8; // a rule, the smallest item
    for (ReportPage &page : pages) {
        page.items.resize(r.count(MinItem, 10000000));
        for (DrawItem &item : page.items)
            item = readItem(r, fonts);
    }
    return pages;
}

} // namespace

std::optional<ComposedReport> parseFrp(const QByteArray &bytes, QString *why)
{
    try {
        Reader r(bytes);
        readMagicAndVersion(r);
        ComposedReport rep;
        rep.title = r.str();
        const double w = r.f64(1, 10000), h = r.f64(1, 10000);
        rep.pageSizeMm = QSizeF(w, h);
        const std::vector<ReportFont> fonts = readFonts(r);
        rep.pages = readPages(r, fonts);
        if (r.left() != 0)
            throw Invalid{QStringLiteral("dosyanın sonunda fazla veri")};
        return rep;
    } catch (const Invalid &e) {
        if (why)
            *why = e.why;
        return std::nullopt;
    }
}

void saveFrpFile(const ComposedReport &report, const QString &path)
{
    writeReportFile(path, frpBytes(report));
}

ComposedReport loadFrpFile(const QString &path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        throw KervioError(QStringLiteral("Dosya açılamadı:\n") + full);
    if (f.size() > MaxFrpFileSize)
        throw KervioError(QStringLiteral("Dosya hazır rapor dosyası değil (çok büyük):\n") + full);
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw KervioError(QStringLiteral("Dosya açılamadı:\n") + full);
    QString why;
    std::optional<ComposedReport> rep = parseFrp(bytes, &why);
    if (!rep)
        throw KervioError(QStringLiteral("Dosya hazır rapor dosyası değil ya da bozuk (%1):\n").arg(why) + full);
    return std::move(*rep);
}

} // namespace kervio
