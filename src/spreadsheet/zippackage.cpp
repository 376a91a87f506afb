#include "zippackage.h"

#include <QFile>
#include <QXmlStreamReader>

#include <zip.h>

namespace kervio {

namespace {

constexpr zip_uint16_t Zip64ExtraField = 0x0001;

ZipPackage::Status statusOf(int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
        return ZipPackage::Status::NotZip;
    case ZIP_ER_EOF:
    case ZIP_ER_SEEK:
        return ZipPackage::Status::Truncated;
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
    case ZIP_ER_NOENT:
    case ZIP_ER_MEMORY:
        return ZipPackage::Status::Unreadable;
    default:
        return ZipPackage::Status::Damaged;
    }
}

QString errorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

} // namespace

ZipPackage::ZipPackage(const QString &path)
{
    int code = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!m_zip) {
        m_status = statusOf(code);
        m_detail = errorText(code);
        return;
    }
    m_status = Status::Open;
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(m_zip, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
            continue;
        Part p;
        p.name = QString::fromUtf8(st.name);
        p.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        p.compressedSize = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
        p.encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
        zip_uint16_t length = 0;
        p.zip64 = zip_file_extra_field_get_by_id(m_zip, zip_uint64_t(i), Zip64ExtraField, 0, &length, ZIP_FL_CENTRAL)
                  != nullptr;
        m_parts.push_back(std::move(p));
    }
}

ZipPackage::~ZipPackage()
{
    if (m_zip)
        zip_discard(m_zip);
}

const ZipPackage::Part *ZipPackage::find(const QString &name) const
{
    for (const Part &p : m_parts)
        if (p.name == name)
            return &p;
    return nullptr;
}

bool ZipPackage::read(const QString &name, const std::function<bool(const char *, qsizetype)> &sink)
{
    const Part *part = find(name);
    if (!m_zip || !part || part->encrypted)
        return false;
    zip_file_t *file = zip_fopen(m_zip, name.toUtf8().constData(), 0);
    if (!file)
        return false;
    char buffer[64 * 1024];
    quint64 left = part->size;
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        // a part that inflates beyond its stated size is damaged
        if (quint64(n) > left) {
            ok = false;
            break;
        }
        left -= quint64(n);
        if (!sink(buffer, qsizetype(n))) {
            ok = false;
            break;
        }
    }
    zip_fclose(file);
    return ok;
}

QByteArray ZipPackage::readSmall(const QString &name, qint64 maxBytes)
{
    const Part *part = find(name);
    if (!part || part->size > quint64(maxBytes))
        return {};
    QByteArray out;
    out.reserve(qsizetype(part->size));
    if (!read(name, [&](const char *data, qsizetype n) {
            out.append(data, n);
            return true;
        }))
        return {};
    return out;
}

bool readXmlPart(ZipPackage &package, const QString &name, const std::function<bool(QXmlStreamReader &)> &onToken,
                 QString *error)
{
    QXmlStreamReader xml;
    bool stopped = false;
    QString xmlError;
    const bool read = package.read(name, [&](const char *data, qsizetype n) {
        xml.addData(QByteArray(data, n));
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.hasError()) {
                if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
                    return true; // more data to come
                xmlError = xml.errorString();
                return false;
            }
            if (!onToken(xml)) {
                stopped = true;
                return false;
            }
        }
        return true;
    });
    if (stopped)
        return true;
    if (!xmlError.isEmpty()) {
        *error = name + QStringLiteral(": ") + xmlError;
        return false;
    }
    if (!read) {
        *error = name;
        return false;
    }
    if (xml.hasError() || !xml.atEnd()) {
        *error = name + QStringLiteral(": ") + (xml.hasError() ? xml.errorString() : QStringLiteral("eksik"));
        return false;
    }
    return true;
}

namespace {

bool isPlainName(QStringView name)
{
    if (name.isEmpty())
        return false;
    const QChar first = name.front();
    if (!(first.isLetter() && first.unicode() < 128) && first != u'_')
        return false;
    for (QChar c : name)
        if (c.unicode() >= 128 || !(c.isLetterOrNumber() || c == u'_' || c == u'.' || c == u'-' || c == u':'))
            return false;
    return true;
}

} // namespace

bool checkXmlParts(ZipPackage &package, QString *error)
{
    for (const ZipPackage::Part &part : package.parts()) {
        if (!part.name.endsWith(QLatin1String(".xml")) && !part.name.endsWith(QLatin1String(".rels")))
            continue;
        QString badName;
        const bool read = readXmlPart(package, part.name, [&](QXmlStreamReader &x) {
            if (x.isDTD()) {
                badName = QStringLiteral("DOCTYPE");
                return false;
            }
            if (!x.isStartElement())
                return true;
            if (!isPlainName(x.qualifiedName())) {
                badName = x.qualifiedName().toString();
                return false;
            }
            for (const QXmlStreamAttribute &a : x.attributes())
                if (!isPlainName(a.qualifiedName())) {
                    badName = a.qualifiedName().toString();
                    return false;
                }
            return true;
        }, error);
        if (!read)
            return false;
        if (!badName.isEmpty()) {
            *error = part.name + QStringLiteral(": ") + badName.left(40);
            return false;
        }
    }
    return true;
}

} // namespace kervio
