#pragma once
// The streams of a compound file (the container of .xls workbooks and of
// encrypted xlsx ones), read from its bytes. Only what the workbook reader
// needs of it and the xls library does not give: the names of the streams,
// and one stream's bytes.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace kervio {

class CompoundFile {
public:
    static bool hasSignature(const QByteArray &head);

    explicit CompoundFile(const QByteArray &bytes);
    // False when the header or the directory cannot be read.
    bool isValid() const { return m_valid; }
    // Valid, and every directory entry well formed with its stream readable
    // in full: what a library that trusts the directory needs.
    bool isIntact() const;
    QStringList streamNames() const;
    bool hasStream(const QString &name) const;
    // The stream's bytes (names compared without regard to case); empty when
    // it is missing, longer than maxBytes, or its sectors are damaged.
    QByteArray stream(const QString &name, qint64 maxBytes) const;

private:
    struct Entry {
        QString name;
        int type = 0; // 2 stream, 5 root
        quint32 start = 0;
        quint64 size = 0;
    };
    quint32 u32(qint64 at) const;
    quint16 u16(qint64 at) const;
    bool readFat();
    bool readDirectory();
    std::vector<quint32> chain(quint32 start, const std::vector<quint32> &table, qint64 limit) const;
    QByteArray readChain(quint32 start, quint64 size) const;
    QByteArray readMiniChain(quint32 start, quint64 size) const;
    // The sectors' bytes, cut to `size`; empty when they fall short.
    static QByteArray gather(const QByteArray &from, int sectorSize, qint64 offset, const std::vector<quint32> &sectors,
                             quint64 size);
    const Entry *entry(const QString &name) const;
    bool streamReadable(const Entry &e) const;

    QByteArray m_bytes;
    bool m_valid = false;
    bool m_entriesWellFormed = true;
    int m_sectorSize = 512;
    int m_miniSectorSize = 64;
    quint32 m_miniCutoff = 4096;
    std::vector<quint32> m_fat;
    std::vector<quint32> m_miniFat;
    std::vector<Entry> m_entries;
    QByteArray m_miniStream;
};

} // namespace kervio
