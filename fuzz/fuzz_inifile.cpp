// Settings file bytes: reading and writing keys must not crash, a written
// value must read back, and saving must be stable across a reload.
#include "files/inifile.h"

#include <cstdint>
#include <cstdlib>

using namespace kervio;

namespace {

void check(bool ok)
{
    if (!ok)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    IniFile ini;
    ini.loadBytes(bytes);

    for (const char *key : {"yilgun", "ayfaiz", "yilfaiz", "borcCheck"})
        check(ini.readString(QStringLiteral("Ayar"), QString::fromLatin1(key)).size() <= IniFile::MaxValueLength);
    ini.readString(QStringLiteral("ExcelAyar"), QStringLiteral("vade"), QStringLiteral("1"));

    ini.writeString(QStringLiteral("Ayar"), QStringLiteral("yilgun"), QStringLiteral("365"));
    ini.writeString(QStringLiteral("Yeni"), QStringLiteral("k"), QStringLiteral("v\r\nw"));
    // A section and key named by the input itself.
    const QString name = QString::fromLatin1(bytes.left(8));
    ini.writeString(name, name, name);
    ini.readString(name, name);

    const QByteArray saved = ini.toBytes();
    IniFile reloaded;
    reloaded.loadBytes(saved);
    check(reloaded.toBytes() == saved);
    check(reloaded.readString(QStringLiteral("Ayar"), QStringLiteral("yilgun")) == u"365"
          || name.trimmed().compare(QStringLiteral("Ayar"), Qt::CaseInsensitive) == 0
          || name.trimmed().compare(QStringLiteral("yilgun"), Qt::CaseInsensitive) == 0);
    check(reloaded.readString(QStringLiteral("Yeni"), QStringLiteral("k")) == u"v w"
          || name.trimmed().compare(QStringLiteral("Yeni"), Qt::CaseInsensitive) == 0);
    return 0;
}
