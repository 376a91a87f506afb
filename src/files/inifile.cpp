#include "inifile.h"
#include "core/codepage1254.h"
#include "commatext.h"
#include "core/savefile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kervio {

namespace {

enum class LineKind { Other, Header, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QStringView name;  // section or key name
    QStringView value; // key lines only
};

ParsedLine parseLine(QStringView line)
{
    ParsedLine p;
    const QStringView t = line.trimmed();
    if (t.isEmpty() || t.front() == u';')
        return p;
    if (t.front() == u'[') {
        qsizetype end = t.indexOf(u']');
        if (end < 0)
            end = t.size();
        p.kind = LineKind::Header;
        p.name = t.mid(1, end - 1).trimmed();
        return p;
    }
    const qsizetype eq = t.indexOf(u'=');
    if (eq < 0)
        return p;
    p.kind = LineKind::Key;
    p.name = t.left(eq).trimmed();
    p.value = t.mid(eq + 1).trimmed();
    return p;
}

QString singleLine(const QString &text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s;
}

bool isBlankLine(const QString &line)
{
    for (const QChar c : line)
        if (!c.isSpace())
            return false;
    return true;
}

enum class ReadResult { Read, Missing, Refused };

// Reads a regular file of at most IniFile::MaxFileBytes. Anything else (a
// fifo, a device, a folder, a bigger file) is refused without blocking or
// reading it; a link counts as what it points to.
ReadResult readRegularFile(const QString &path, QByteArray *bytes)
{
#ifdef Q_OS_UNIX
    // non-blocking, so that opening a fifo without a writer returns at once
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Refused;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > IniFile::MaxFileBytes) {
        ::close(fd);
        return ReadResult::Refused;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return ReadResult::Refused;
    }
#else
    const QFileInfo info(path);
    if (!info.exists())
        return ReadResult::Missing;
    if (!info.isFile() || info.size() > IniFile::MaxFileBytes)
        return ReadResult::Refused;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadResult::Refused;
#endif
    // one byte more than allowed tells a file that grew meanwhile
    *bytes = file.read(IniFile::MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes->size() > IniFile::MaxFileBytes) {
        bytes->clear();
        return ReadResult::Refused;
    }
    return ReadResult::Read;
}

} // namespace

IniFile::IniFile(const QString &path)
    : m_path(path)
{
    QByteArray bytes;
    const ReadResult result = readRegularFile(path, &bytes);
    // an unreadable file reads as a missing one, and is never written over
    m_readable = result != ReadResult::Refused;
    loadBytes(bytes);
}

QString IniFile::fold(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

void IniFile::indexLine(Section &s, qsizetype index)
{
    const ParsedLine p = parseLine(s.lines[index]);
    if (p.kind != LineKind::Key || p.name.isEmpty())
        return;
    const QString key = fold(p.name.toString());
    if (!s.keys.contains(key))
        s.keys.insert(key, index);
}

void IniFile::loadBytes(const QByteArray &bytes)
{
    m_sections.clear();
    m_sectionIndex.clear();
    m_sections.emplace_back();

    const QStringList lines = splitLines(fromCp1254(bytes));
    for (const QString &line : lines) {
        const ParsedLine p = parseLine(line);
        if (p.kind == LineKind::Header) {
            const QString name = fold(p.name.toString());
            if (!m_sectionIndex.contains(name))
                m_sectionIndex.insert(name, m_sections.size());
            m_sections.emplace_back();
            m_sections.back().header = line;
            continue;
        }
        Section &s = m_sections.back();
        s.lines += line;
        indexLine(s, s.lines.size() - 1);
    }
}

QByteArray IniFile::toBytes() const
{
    QString text;
    for (size_t i = 0; i < m_sections.size(); ++i) {
        const Section &s = m_sections[i];
        if (i > 0) {
            text += s.header;
            text += QLatin1String("\r\n");
        }
        for (const QString &line : s.lines) {
            text += line;
            text += QLatin1String("\r\n");
        }
    }
    return toCp1254(text);
}

IniFile::Section *IniFile::findSection(const QString &name)
{
    const auto it = m_sectionIndex.constFind(fold(name));
    return it == m_sectionIndex.cend() ? nullptr : &m_sections[*it];
}

const IniFile::Section *IniFile::findSection(const QString &name) const
{
    const auto it = m_sectionIndex.constFind(fold(name));
    return it == m_sectionIndex.cend() ? nullptr : &m_sections[*it];
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    const Section *s = findSection(section);
    if (!s)
        return def;
    const auto it = s->keys.constFind(fold(key));
    if (it == s->keys.cend())
        return def;
    return parseLine(s->lines[*it]).value.left(MaxValueLength).toString();
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = singleLine(section);
    const QString keyName = singleLine(key);
    const QString line = keyName + u'=' + singleLine(value);

    Section *s = findSection(sectionName);
    if (!s) {
        m_sectionIndex.insert(fold(sectionName), m_sections.size());
        m_sections.emplace_back();
        s = &m_sections.back();
        s->header = u'[' + sectionName + u']';
    }
    const auto it = s->keys.constFind(fold(keyName));
    if (it != s->keys.cend()) {
        s->lines[*it] = line;
        return;
    }
    // After the section's last non-blank line, so that blank lines that
    // separate it from the next section stay below it.
    qsizetype at = s->lines.size();
    while (at > 0 && isBlankLine(s->lines[at - 1]))
        --at;
    s->lines.insert(at, line);
    indexLine(*s, at);
}

bool IniFile::save() const
{
    if (!m_readable || m_path.isEmpty())
        return false;
    const QByteArray bytes = toBytes();
    return saveFileContents(m_path, bytes);
}

} // namespace kervio
