#pragma once
// Zip packages written with libzip for tests and benchmarks: small parts as
// given, and big ones made of a head, a run of one filler byte and a tail,
// produced while libzip compresses them (a zip bomb costs no memory to make).
#include <QByteArray>
#include <QFile>
#include <QString>

#include <zip.h>

#include <cstring>
#include <vector>

namespace kervio::test {

struct ZipPart {
    QString name;
    QByteArray head{};
    qint64 filler = 0; // bytes of fillerByte after the head
    QByteArray tail{};
    char fillerByte = ' ';
};

namespace detail {

struct PartReader {
    ZipPart part;
    qint64 at = 0;
    qint64 size() const { return part.head.size() + part.filler + part.tail.size(); }
};

inline zip_int64_t readPart(void *state, void *data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    auto *r = static_cast<PartReader *>(state);
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
        r->at = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        auto *out = static_cast<char *>(data);
        zip_uint64_t n = 0;
        while (n < len && r->at < r->size()) {
            const qint64 headSize = r->part.head.size(), fillEnd = headSize + r->part.filler;
            if (r->at < headSize) {
                const qint64 k = std::min<qint64>(qint64(len - n), headSize - r->at);
                std::memcpy(out + n, r->part.head.constData() + r->at, size_t(k));
                n += zip_uint64_t(k);
                r->at += k;
            } else if (r->at < fillEnd) {
                const qint64 k = std::min<qint64>(qint64(len - n), fillEnd - r->at);
                std::memset(out + n, r->part.fillerByte, size_t(k));
                n += zip_uint64_t(k);
                r->at += k;
            } else {
                const qint64 k = std::min<qint64>(qint64(len - n), r->size() - r->at);
                std::memcpy(out + n, r->part.tail.constData() + (r->at - fillEnd), size_t(k));
                n += zip_uint64_t(k);
                r->at += k;
            }
        }
        return zip_int64_t(n);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto *st = static_cast<zip_stat_t *>(data);
        zip_stat_init(st);
        st->size = zip_uint64_t(r->size());
        st->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return 2 * sizeof(int);
    case ZIP_SOURCE_FREE:
        delete r;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        return -1;
    }
}

} // namespace detail

// Writes the parts, deflated, into a new zip at `path`; false on failure.
inline bool writeZip(const QString &path, const std::vector<ZipPart> &parts)
{
    QFile::remove(path);
    int error = 0;
    zip_t *z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_EXCL, &error);
    if (!z)
        return false;
    for (const ZipPart &p : parts) {
        zip_source_t *src = zip_source_function(z, detail::readPart, new detail::PartReader{p, 0});
        if (!src || zip_file_add(z, p.name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(src);
            zip_discard(z);
            return false;
        }
    }
    return zip_close(z) == 0;
}

// The parts of the smallest xlsx the readers take, with `sheetData` as the
// first sheet's cells.
inline std::vector<ZipPart> minimalXlsx(const QByteArray &sheetData, qint64 filler = 0)
{
    const QByteArray ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    const QByteArray rel = "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
    return {
        {"[Content_Types].xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
         "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
         "</Types>"},
        {"_rels/.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
         "</Relationships>"},
        {"xl/workbook.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook " + ns + " " + rel
             + "><sheets><sheet name=\"Hareketler\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
         "</Relationships>"},
        {"xl/worksheets/sheet1.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet " + ns + "><sheetData>" + sheetData,
         filler, "</sheetData></worksheet>"},
    };
}

// The parts of the smallest ods the readers take, with `rows` as the first
// table's rows (the prefixes office, table and text are declared).
inline std::vector<ZipPart> minimalOds(const QByteArray &rows)
{
    return {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
            {"META-INF/manifest.xml",
             "<?xml version=\"1.0\"?><manifest:manifest "
             "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\"/>"},
            {"content.xml",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
             "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
             "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
             "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
             "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\"><office:body><office:spreadsheet>"
             "<table:table table:name=\"A\">"
                 + rows + "</table:table></office:spreadsheet></office:body></office:document-content>"}};
}

} // namespace kervio::test
