#pragma once
// The parts of a zip package (xlsx, ods) as libzip lists them: names and
// sizes before anything is inflated, and a part read in pieces.
#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

struct zip;
class QXmlStreamReader;

namespace kervio {

class ZipPackage {
public:
    enum class Status { Open, NotZip, Truncated, Damaged, Unreadable };
    struct Part {
        QString name;
        quint64 size = 0;           // uncompressed, as the central directory says
        quint64 compressedSize = 0;
        bool encrypted = false;
        bool zip64 = false;         // sizes from a zip64 field, which not every reader takes
    };

    explicit ZipPackage(const QString &path);
    ~ZipPackage();
    ZipPackage(const ZipPackage &) = delete;
    ZipPackage &operator=(const ZipPackage &) = delete;

    Status status() const { return m_status; }
    // The library's reason when the package could not be opened.
    QString detail() const { return m_detail; }
    const std::vector<Part> &parts() const { return m_parts; }
    const Part *find(const QString &name) const;

    // Hands the part's inflated bytes to `sink` in pieces, never more than
    // the part's stated size; false when the part is missing or damaged (or
    // `sink` returned false).
    bool read(const QString &name, const std::function<bool(const char *data, qsizetype size)> &sink);
    // The whole part when it is at most maxBytes; empty otherwise.
    QByteArray readSmall(const QString &name, qint64 maxBytes);

private:
    zip *m_zip = nullptr;
    Status m_status = Status::Unreadable;
    QString m_detail;
    std::vector<Part> m_parts;
};

// Parses an XML part as it inflates: `onToken` sees the reader after every
// token and returns false to stop early. False with `error` set when the
// part is missing, damaged or no well-formed XML.
bool readXmlPart(ZipPackage &package, const QString &name, const std::function<bool(QXmlStreamReader &)> &onToken,
                 QString *error);

// Reads every XML part of the package once, as its CRC and well-formedness
// are checked, and refuses names outside ASCII letters, digits and "_.-:"
// and document type declarations, which the import library asserts on
// instead of refusing. False with `error` naming the part and the reason.
bool checkXmlParts(ZipPackage &package, QString *error);

} // namespace kervio
