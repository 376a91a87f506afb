#include "compoundfile.h"

#include <QtEndian>

namespace kervio {

namespace {

constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 LastRegularSector = 0xFFFFFFFA;
const char Signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

constexpr quint32 NoStream = 0xFFFFFFFF;

// Unused, storage, stream or root; a name of at most 31 characters and its
// end; links to entries or none. What a file written by a spreadsheet program
// holds, and what the xls library relies on.
bool entryWellFormed(const QByteArray &bytes, qint64 at)
{
    const quint8 type = quint8(bytes[at + 0x42]);
    if (type == 0)
        return true;
    if (type != 1 && type != 2 && type != 5)
        return false;
    const quint16 nameBytes = qFromLittleEndian<quint16>(bytes.constData() + at + 0x40);
    if (nameBytes < 2 || nameBytes > 64 || nameBytes % 2 != 0)
        return false;
    const qint64 maxLinks = bytes.size() / 128;
    for (int link = 0x44; link <= 0x4C; link += 4) {
        const quint32 id = qFromLittleEndian<quint32>(bytes.constData() + at + link);
        if (id != NoStream && qint64(id) >= maxLinks)
            return false;
    }
    return true;
}

} // namespace

bool CompoundFile::hasSignature(const QByteArray &head)
{
    return head.startsWith(QByteArray(Signature, 8));
}

CompoundFile::CompoundFile(const QByteArray &bytes) : m_bytes(bytes)
{
    if (m_bytes.size() < 512 || !hasSignature(m_bytes))
        return;
    const int sectorShift = u16(0x1E);
    const int miniShift = u16(0x20);
    if ((sectorShift != 9 && sectorShift != 12) || miniShift != 6)
        return;
    m_sectorSize = 1 << sectorShift;
    m_miniSectorSize = 1 << miniShift;
    m_miniCutoff = u32(0x38);
    m_valid = readFat() && readDirectory();
}

quint32 CompoundFile::u32(qint64 at) const
{
    if (at < 0 || at + 4 > m_bytes.size())
        return EndOfChain;
    return qFromLittleEndian<quint32>(m_bytes.constData() + at);
}

quint16 CompoundFile::u16(qint64 at) const
{
    if (at < 0 || at + 2 > m_bytes.size())
        return 0;
    return qFromLittleEndian<quint16>(m_bytes.constData() + at);
}

bool CompoundFile::readFat()
{
    const qint64 sectors = m_bytes.size() / m_sectorSize; // an upper bound for every count below
    const quint32 fatSectors = u32(0x2C);
    if (fatSectors > sectors)
        return false;
    std::vector<quint32> fatSectorList;
    for (int i = 0; i < 109 && fatSectorList.size() < fatSectors; ++i)
        fatSectorList.push_back(u32(0x4C + 4 * i));
    // the rest of the list lives in a chain of its own sectors
    quint32 difat = u32(0x44);
    const int perSector = m_sectorSize / 4 - 1;
    for (qint64 guard = 0; fatSectorList.size() < fatSectors && difat <= LastRegularSector; ++guard) {
        if (guard > sectors)
            return false;
        const qint64 at = (qint64(difat) + 1) * m_sectorSize;
        for (int i = 0; i < perSector && fatSectorList.size() < fatSectors; ++i)
            fatSectorList.push_back(u32(at + 4 * i));
        difat = u32(at + 4 * perSector);
    }
    for (quint32 s : fatSectorList) {
        if (s > LastRegularSector)
            return false;
        const qint64 at = (qint64(s) + 1) * m_sectorSize;
        if (at + m_sectorSize > m_bytes.size())
            return false;
        for (int i = 0; i < m_sectorSize / 4; ++i)
            m_fat.push_back(u32(at + 4 * i));
    }
    return !m_fat.empty();
}

std::vector<quint32> CompoundFile::chain(quint32 start, const std::vector<quint32> &table, qint64 limit) const
{
    std::vector<quint32> out;
    for (quint32 s = start; s <= LastRegularSector; s = table[s]) {
        // a loop or a chain longer than the file is damage
        if (s >= table.size() || qint64(out.size()) >= limit)
            return {};
        out.push_back(s);
    }
    return out;
}

QByteArray CompoundFile::readChain(quint32 start, quint64 size) const
{
    // sector n of the file starts after the header, which fills sector -1
    return gather(m_bytes, m_sectorSize, m_sectorSize, chain(start, m_fat, m_bytes.size() / m_sectorSize + 1), size);
}

QByteArray CompoundFile::readMiniChain(quint32 start, quint64 size) const
{
    return gather(m_miniStream, m_miniSectorSize, 0,
                  chain(start, m_miniFat, m_miniStream.size() / m_miniSectorSize + 1), size);
}

QByteArray CompoundFile::gather(const QByteArray &from, int sectorSize, qint64 offset, const std::vector<quint32> &sectors,
                                quint64 size)
{
    QByteArray out;
    for (quint32 s : sectors) {
        const qint64 at = offset + qint64(s) * sectorSize;
        if (at + sectorSize > from.size())
            return {};
        out += QByteArray::fromRawData(from.constData() + at, sectorSize);
        if (quint64(out.size()) >= size)
            break;
    }
    if (quint64(out.size()) < size)
        return {};
    out.truncate(qsizetype(size));
    return out;
}

bool CompoundFile::readDirectory()
{
    const std::vector<quint32> sectors = chain(u32(0x30), m_fat, m_bytes.size() / m_sectorSize + 1);
    if (sectors.empty())
        return false;
    for (quint32 s : sectors) {
        const qint64 base = (qint64(s) + 1) * m_sectorSize;
        for (int k = 0; k < m_sectorSize / 128; ++k) {
            const qint64 at = base + 128 * k;
            if (at + 128 > m_bytes.size())
                break;
            Entry e;
            e.type = quint8(m_bytes[at + 0x42]);
            if (!entryWellFormed(m_bytes, at))
                m_entriesWellFormed = false;
            if (e.type != 2 && e.type != 5)
                continue;
            const int nameBytes = qBound(0, int(u16(at + 0x40)) - 2, 62);
            e.name = QString::fromUtf16(reinterpret_cast<const char16_t *>(m_bytes.constData() + at), nameBytes / 2);
            e.start = u32(at + 0x74);
            e.size = m_sectorSize == 512 ? u32(at + 0x78) : (quint64(u32(at + 0x7C)) << 32 | u32(at + 0x78));
            m_entries.push_back(e);
        }
    }
    if (m_entries.empty() || m_entries.front().type != 5)
        return false;
    const Entry &root = m_entries.front();
    if (root.size <= quint64(m_bytes.size())) {
        m_miniStream = readChain(root.start, root.size);
        const quint32 miniFatStart = u32(0x3C);
        const QByteArray miniFat = miniFatStart <= LastRegularSector
                                       ? readChain(miniFatStart, quint64(u32(0x40)) * quint64(m_sectorSize))
                                       : QByteArray();
        for (qsizetype i = 0; i + 4 <= miniFat.size(); i += 4)
            m_miniFat.push_back(qFromLittleEndian<quint32>(miniFat.constData() + i));
    }
    return true;
}

bool CompoundFile::streamReadable(const Entry &e) const
{
    if (e.size == 0)
        return true;
    if (e.size > quint64(m_bytes.size()))
        return false;
    const QByteArray bytes = e.size < m_miniCutoff ? readMiniChain(e.start, e.size) : readChain(e.start, e.size);
    return !bytes.isEmpty();
}

bool CompoundFile::isIntact() const
{
    if (!m_valid || !m_entriesWellFormed)
        return false;
    for (const Entry &e : m_entries)
        if (e.type == 2 && !streamReadable(e))
            return false;
    return true;
}

QStringList CompoundFile::streamNames() const
{
    QStringList names;
    for (const Entry &e : m_entries)
        if (e.type == 2)
            names << e.name;
    return names;
}

const CompoundFile::Entry *CompoundFile::entry(const QString &name) const
{
    for (const Entry &e : m_entries)
        if (e.type == 2 && e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

bool CompoundFile::hasStream(const QString &name) const
{
    return entry(name) != nullptr;
}

QByteArray CompoundFile::stream(const QString &name, qint64 maxBytes) const
{
    const Entry *e = entry(name);
    if (!e || e->size > quint64(maxBytes) || e->size > quint64(m_bytes.size()))
        return {};
    if (e->size < m_miniCutoff)
        return readMiniChain(e->start, e->size);
    return readChain(e->start, e->size);
}

} // namespace kervio
