#include "settings.h"
#include "inifile.h"
#include "core/errors.h"

#include <QFileInfo>
#include <initializer_list>
#include <utility>

namespace kervio {

namespace {

const QString kAyar = QStringLiteral("Ayar");
const QString kExcelAyar = QStringLiteral("ExcelAyar");

bool checkValue(const QString &v)
{
    return v == u"1";
}

QString checkText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("2");
}

using KeyValue = std::pair<const char16_t *, QString>;

void writeSection(const QString &iniPath, const QString &section, std::initializer_list<KeyValue> values)
{
    IniFile ini(iniPath);
    for (const auto &[key, value] : values)
        ini.writeString(section, QString::fromUtf16(key), value);
    if (!ini.save())
        throw KervioError(QStringLiteral("Unable to write to ") + QFileInfo(iniPath).absoluteFilePath());
}

} // namespace

AyarSettings readAyar(const QString &iniPath)
{
    const IniFile ini(iniPath);
    AyarSettings s;
    s.yilgun = ini.readString(kAyar, QStringLiteral("yilgun"));
    s.ayfaiz = ini.readString(kAyar, QStringLiteral("ayfaiz"));
    s.yilfaiz = ini.readString(kAyar, QStringLiteral("yilfaiz"));
    s.borcgun = ini.readString(kAyar, QStringLiteral("borcgun"));
    s.alacakgun = ini.readString(kAyar, QStringLiteral("alacakgun"));
    s.borcCheck = checkValue(ini.readString(kAyar, QStringLiteral("borcCheck")));
    s.alacakCheck = checkValue(ini.readString(kAyar, QStringLiteral("alacakCheck")));
    return s;
}

void writeAyar(const QString &iniPath, const AyarSettings &s)
{
    writeSection(iniPath, kAyar,
                 {{u"yilgun", s.yilgun},
                  {u"ayfaiz", s.ayfaiz},
                  {u"yilfaiz", s.yilfaiz},
                  {u"borcgun", s.borcgun},
                  {u"alacakgun", s.alacakgun},
                  {u"borcCheck", checkText(s.borcCheck)},
                  {u"alacakCheck", checkText(s.alacakCheck)}});
}

ExcelAyarSettings readExcelAyar(const QString &iniPath)
{
    const IniFile ini(iniPath);
    ExcelAyarSettings s;
    s.vade = ini.readString(kExcelAyar, QStringLiteral("vade"));
    s.islem = ini.readString(kExcelAyar, QStringLiteral("islem"));
    s.aciklama = ini.readString(kExcelAyar, QStringLiteral("aciklama"));
    s.borc = ini.readString(kExcelAyar, QStringLiteral("borc"));
    s.alacak = ini.readString(kExcelAyar, QStringLiteral("alacak"));
    s.basla = ini.readString(kExcelAyar, QStringLiteral("basla"));
    s.bitir = ini.readString(kExcelAyar, QStringLiteral("bitir"));
    s.vadeCheck = checkValue(ini.readString(kExcelAyar, QStringLiteral("vadeCheck")));
    return s;
}

void writeExcelAyar(const QString &iniPath, const ExcelAyarSettings &s)
{
    writeSection(iniPath, kExcelAyar,
                 {{u"vade", s.vade},
                  {u"islem", s.islem},
                  {u"aciklama", s.aciklama},
                  {u"borc", s.borc},
                  {u"alacak", s.alacak},
                  {u"basla", s.basla},
                  {u"bitir", s.bitir},
                  {u"vadeCheck", checkText(s.vadeCheck)}});
}

} // namespace kervio
