#pragma once
// The stored XML of a written xlsx, read with the import library's zip
// reader and QXmlStreamReader: nothing of the writer's code is involved.
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <vector>

namespace kervio::test {

// One part of the package ("xl/worksheets/sheet1.xml"); empty when missing.
inline QByteArray xlsxPart(const QString &path, const char *name)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    try {
        orcus::zip_archive_stream_blob stream(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
        orcus::zip_archive archive(&stream);
        archive.load();
        std::vector<unsigned char> buf;
        if (!archive.read_file_entry(name, buf))
            return {};
        return QByteArray(reinterpret_cast<const char *>(buf.data()), qsizetype(buf.size()));
    } catch (const std::exception &) {
        return {};
    }
}

// The numbers a sheet stores: the values of its number and formula cells by
// reference ("G4"), and its sizes (row heights, column widths, margins) as
// "name=value".
struct SheetNumbers {
    QMap<QString, QString> cells;
    QStringList sizes;
};

inline SheetNumbers sheetNumbers(const QByteArray &xml)
{
    static const QStringList sizeNames = {"ht", "width", "defaultRowHeight", "baseColWidth", "left",
                                          "right", "top", "bottom", "header", "footer"};
    SheetNumbers out;
    QXmlStreamReader r(xml);
    QString ref;
    bool numeric = false;
    while (!r.atEnd()) {
        if (!r.readNextStartElement())
            continue;
        const QXmlStreamAttributes a = r.attributes();
        for (const QXmlStreamAttribute &at : a)
            if (sizeNames.contains(at.name().toString()))
                out.sizes << at.name().toString() + u'=' + at.value().toString();
        if (r.name() == QLatin1String("c")) {
            ref = a.value(QLatin1String("r")).toString();
            const QString type = a.value(QLatin1String("t")).toString();
            numeric = type.isEmpty() || type == QLatin1String("n");
        } else if (r.name() == QLatin1String("v") && numeric) {
            out.cells[ref] = r.readElementText();
        }
    }
    return out;
}

// A number as the xlsx format writes it: a decimal point, never a comma.
inline bool isXmlNumber(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^-?\\d+(\\.\\d+)?([eE][+-]?\\d+)?$"));
    return re.match(text).hasMatch();
}

// The first stored number or size that is not such a number ("G4=401,1",
// "ht=15,75"); empty when there is none.
inline QString firstMalformedNumber(const SheetNumbers &stored)
{
    for (auto it = stored.cells.cbegin(); it != stored.cells.cend(); ++it)
        if (!isXmlNumber(it.value()))
            return it.key() + u'=' + it.value();
    for (const QString &size : stored.sizes)
        if (!isXmlNumber(size.section(u'=', 1)))
            return size;
    return {};
}

} // namespace kervio::test
