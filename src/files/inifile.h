#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace kervio {

// A profile (INI) file in code page 1254. Sections and keys are matched
// without regard to case; the first section of a name and the first key of a
// name in it count. Writing a key replaces its line in place or appends it to
// its section and keeps every other line as it was.
class IniFile {
public:
    static constexpr int MaxValueLength = 2047;
    static constexpr qint64 MaxFileBytes = 1024 * 1024;

    IniFile() = default;
    // Loads the file; a missing file reads as empty. Anything but a regular
    // file of at most MaxFileBytes (a fifo, a device, a folder, a bigger
    // file) is not read: it reads as empty and is not readable.
    explicit IniFile(const QString &path);

    QString path() const { return m_path; }
    // False when the file exists but cannot be read; the content is empty
    // then, and saving it would lose the file, so callers must not save.
    bool isReadable() const { return m_readable; }

    void loadBytes(const QByteArray &bytes);
    // The whole file as it would be saved: code page 1254, CR LF line ends.
    QByteArray toBytes() const;

    // Up to MaxValueLength characters of the value, blanks around it removed;
    // `def` when the section or key is missing.
    QString readString(const QString &section, const QString &key, const QString &def = QString()) const;
    // A line break in a name or value becomes a blank; it would make lines.
    void writeString(const QString &section, const QString &key, const QString &value);

    // Replaces the file through a temporary one, so a failure leaves the old
    // file as it was.
    bool save() const;

private:
    struct Section {
        QString header;                 // the raw "[...]" line; empty for the lines before any section
        QStringList lines;              // the lines after the header
        QHash<QString, qsizetype> keys; // folded key name -> first line with it
    };

    static QString fold(const QString &name);
    void indexLine(Section &s, qsizetype index);
    Section *findSection(const QString &name);
    const Section *findSection(const QString &name) const;

    QString m_path;
    bool m_readable = true;
    std::vector<Section> m_sections;          // m_sections[0]: lines before any header
    QHash<QString, size_t> m_sectionIndex;    // folded name -> first section with it
};

} // namespace kervio
