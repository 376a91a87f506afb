#include "workbookreader.h"
#include "workbookformats.h"
#include "core/errors.h"
#include "core/numericlocale.h"
#include "compoundfile.h"
#include "zippackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>


#include <algorithm>
#include <exception>

namespace kervio {

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

void WorkbookSheet::add(int row, int col, WorkbookCell cell, int maxRows)
{
    rows = std::max(rows, row + 1);
    columns = std::max(columns, col + 1);
    if (row < maxRows)
        cells.push_back({row, col, std::move(cell)});
}

[[noreturn]] void raiseUnreadable(const QString &path, const QString &reason)
{
    throw KervioError(QStringLiteral("\"%1\" dosyası okunamadı: %2").arg(QDir::toNativeSeparators(path), reason));
}

[[noreturn]] void raiseDamaged(const QString &path, const QString &what, const QString &detail)
{
    QString reason = what + QStringLiteral(" bozuk ya da eksik");
    if (!detail.trimmed().isEmpty())
        reason += QStringLiteral(" (") + detail.trimmed() + u')';
    raiseUnreadable(path, reason);
}

[[noreturn]] void raiseEncrypted(const QString &path)
{
    raiseUnreadable(path, QStringLiteral("çalışma kitabı şifreli (parola korumalı); şifresini kaldırıp yeniden "
                                         "kaydettikten sonra açın"));
}

[[noreturn]] void raiseTooManyCells(const QString &path)
{
    raiseUnreadable(path, QStringLiteral("ilk sayfada %1 hücreden fazla dolu hücre var").arg(WorkbookLimits::Cells));
}

QByteArray readWholeFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        raiseUnreadable(path, QStringLiteral("dosya açılamadı (") + f.errorString() + u')');
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        raiseUnreadable(path, QStringLiteral("dosya okunamadı (") + f.errorString() + u')');
    return bytes;
}

bool isErrorName(QStringView s)
{
    static const char16_t *const names[] = {u"#NULL!", u"#DIV/0!", u"#VALUE!", u"#REF!", u"#NAME?",
                                            u"#NUM!",  u"#N/A",    u"#GETTING_DATA"};
    for (const char16_t *n : names)
        if (s == QStringView(n))
            return true;
    // LibreOffice's own: "Err:502"
    return s.startsWith(u"Err:");
}

std::optional<QStringConverter::Encoding> utf16ByteOrder(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    if (bytes.startsWith("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

bool overlayCells(WorkbookSheet &sheet, std::vector<PlacedCell> cells, int maxRows)
{
    if (cells.empty())
        return true;
    std::vector<PlacedCell> kept;
    for (PlacedCell &p : cells) {
        sheet.rows = std::max(sheet.rows, p.row + 1);
        sheet.columns = std::max(sheet.columns, p.col + 1);
        if (p.row < maxRows)
            kept.push_back(std::move(p));
    }
    const auto byPlace = [](const PlacedCell &a, const PlacedCell &b) { return std::pair(a.row, a.col) < std::pair(b.row, b.col); };
    std::stable_sort(kept.begin(), kept.end(), byPlace);
    std::vector<PlacedCell> merged;
    merged.reserve(sheet.cells.size() + kept.size());
    auto a = sheet.cells.begin();
    auto b = kept.begin();
    while (a != sheet.cells.end() || b != kept.end()) {
        if (b == kept.end() || (a != sheet.cells.end() && byPlace(*a, *b))) {
            merged.push_back(std::move(*a++));
            continue;
        }
        if (a != sheet.cells.end() && !byPlace(*b, *a)) {
            // the same place: the overlay keeps the library's format and font
            b->cell.numberFormat = a->cell.numberFormat;
            b->cell.bold = a->cell.bold;
            b->cell.fontSize = a->cell.fontSize;
            ++a;
        }
        // the last of several at one place counts
        auto next = b + 1;
        if (next == kept.end() || byPlace(*b, *next))
            merged.push_back(std::move(*b));
        ++b;
    }
    sheet.cells = std::move(merged);
    return qint64(sheet.cells.size()) <= WorkbookLimits::Cells;
}

namespace {

QString megabytes(qint64 bytes)
{
    return QString::number((bytes + WorkbookLimits::MB / 2) / WorkbookLimits::MB);
}

uint codeOf(char c)
{
    return uchar(c);
}
uint codeOf(QChar c)
{
    return c.unicode();
}

// No NUL, and at most one control character in a hundred other than those
// of lines and pages.
template <typename Units>
bool fewControls(const Units &units)
{
    qsizetype controls = 0;
    for (const auto unit : units) {
        const uint c = codeOf(unit);
        if (c == 0)
            return false;
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A)
            ++controls;
    }
    return controls * 100 <= units.size();
}

// Text when its first 64 KB are; UTF-16 only after its byte order mark, as
// spreadsheet programs save "Unicode text".
bool looksLikeText(const QByteArray &head)
{
    if (const auto utf16 = utf16ByteOrder(head)) {
        QStringDecoder decode(*utf16);
        return fewControls(QString(decode(head.mid(2, (head.size() - 2) & ~qsizetype(1)))));
    }
    return fewControls(head);
}

WorkbookProbe refuse(const QString &reason)
{
    return {WorkbookFormat::Unknown, reason};
}

WorkbookProbe probePackage(const QString &path)
{
    ZipPackage zip(path);
    switch (zip.status()) {
    case ZipPackage::Status::Open:
        break;
    case ZipPackage::Status::NotZip:
    case ZipPackage::Status::Truncated:
        return refuse(QStringLiteral("dosya yarım kalmış ya da bozuk: zip arşivinin sonu eksik (%1)").arg(zip.detail()));
    case ZipPackage::Status::Damaged:
        return refuse(QStringLiteral("zip arşivi bozuk (%1)").arg(zip.detail()));
    case ZipPackage::Status::Unreadable:
        return refuse(QStringLiteral("dosya okunamadı (%1)").arg(zip.detail()));
    }
    quint64 total = 0;
    for (const ZipPackage::Part &p : zip.parts()) {
        if (p.encrypted)
            return refuse(QStringLiteral("zip arşivi şifreli (parola korumalı)"));
        if (p.zip64)
            return refuse(QStringLiteral("zip arşivi desteklenmeyen zip64 biçiminde"));
        if (p.size > quint64(WorkbookLimits::PartBytes))
            return refuse(QStringLiteral("\"%1\" bölümü açıldığında çok büyük (%2 MB; en çok %3 MB)")
                              .arg(p.name, megabytes(qint64(std::min<quint64>(p.size, quint64(1) << 50))),
                                   megabytes(WorkbookLimits::PartBytes)));
        total += p.size;
    }
    if (total > quint64(WorkbookLimits::PackageBytes))
        return refuse(QStringLiteral("arşiv açıldığında çok büyük (%1 MB; en çok %2 MB)")
                          .arg(megabytes(qint64(std::min<quint64>(total, quint64(1) << 50))),
                               megabytes(WorkbookLimits::PackageBytes)));
    if (zip.find(QStringLiteral("xl/workbook.xml")))
        return {WorkbookFormat::Xlsx, {}};
    if (zip.find(QStringLiteral("xl/workbook.bin")))
        return refuse(QStringLiteral("ikili Excel çalışma kitabı (xlsb) desteklenmiyor; xlsx olarak kaydedin"));
    const QByteArray mime = zip.readSmall(QStringLiteral("mimetype"), 256).trimmed();
    if (mime == "application/vnd.oasis.opendocument.spreadsheet" && zip.find(QStringLiteral("content.xml")))
        return {WorkbookFormat::Ods, {}};
    return refuse(QStringLiteral("zip arşivi bir çalışma kitabı içermiyor"));
}

WorkbookProbe probeCompoundFile(const QString &path)
{
    const CompoundFile cf(readWholeFile(path));
    if (!cf.isValid())
        return refuse(QStringLiteral("Excel 97-2003 dosyası bozuk ya da eksik"));
    if (cf.hasStream(QStringLiteral("EncryptedPackage")) || cf.hasStream(QStringLiteral("EncryptionInfo")))
        return refuse(QStringLiteral("çalışma kitabı şifreli (parola korumalı); şifresini kaldırıp yeniden "
                                     "kaydettikten sonra açın"));
    if (cf.hasStream(QStringLiteral("Workbook")) || cf.hasStream(QStringLiteral("Book")))
        return {WorkbookFormat::Xls, {}};
    return refuse(QStringLiteral("bir Office belgesi, ama Excel çalışma kitabı değil"));
}

} // namespace

WorkbookProbe probeWorkbook(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return refuse(QStringLiteral("dosya bulunamadı"));
    if (!info.isFile())
        return refuse(QStringLiteral("bir dosya değil"));
    if (info.size() == 0)
        return refuse(QStringLiteral("dosya boş"));
    if (info.size() > WorkbookLimits::FileBytes)
        return refuse(QStringLiteral("dosya çok büyük (%1 MB; en çok %2 MB)")
                          .arg(megabytes(info.size()), megabytes(WorkbookLimits::FileBytes)));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("dosya açılamadı (") + f.errorString() + u')');
    const QByteArray head = f.read(64 * 1024);
    f.close();
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06"))
        return probePackage(path);
    if (CompoundFile::hasSignature(head))
        return probeCompoundFile(path);
    if (!looksLikeText(head))
        return refuse(QStringLiteral("bir çalışma kitabı (xlsx, ods, xls) ya da metin (csv) dosyası değil"));
    if (info.size() > WorkbookLimits::CsvBytes)
        return refuse(QStringLiteral("metin dosyası çok büyük (%1 MB; en çok %2 MB)")
                          .arg(megabytes(info.size()), megabytes(WorkbookLimits::CsvBytes)));
    return {WorkbookFormat::Csv, {}};
}

WorkbookFormat detectWorkbookFormat(const QString &path)
{
    return probeWorkbook(path).format;
}

WorkbookSheet readWorkbook(const QString &path, const Regional &reg, int maxRows)
{
    const WorkbookProbe probe = probeWorkbook(path);
    // the reader libraries read the files' numbers with the C library
    const CNumericLocale cNumbers;
    switch (probe.format) {
    case WorkbookFormat::Xlsx:
        return readXlsxWorkbook(path, maxRows);
    case WorkbookFormat::Ods:
        return readOdsWorkbook(path, maxRows);
    case WorkbookFormat::Xls:
        return readXlsWorkbook(path, maxRows);
    case WorkbookFormat::Csv:
        return readCsvWorkbook(path, reg, maxRows);
    case WorkbookFormat::Unknown:
        break;
    }
    raiseUnreadable(path, probe.problem);
}

} // namespace kervio
