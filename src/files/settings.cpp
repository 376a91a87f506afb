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

RateSettings readRateSettings(const QString &iniPath)
{
    const IniFile ini(iniPath);
    RateSettings s;
    s.daysInYear = ini.readString(kAyar, QStringLiteral("yilgun"));
    s.yearlyRate = ini.readString(kAyar, QStringLiteral("ayfaiz"));
    s.monthlyRate = ini.readString(kAyar, QStringLiteral("yilfaiz"));
    s.debitGraceDays = ini.readString(kAyar, QStringLiteral("borcgun"));
    s.creditGraceDays = ini.readString(kAyar, QStringLiteral("alacakgun"));
    s.debitWeekend = checkValue(ini.readString(kAyar, QStringLiteral("borcCheck")));
    s.creditWeekend = checkValue(ini.readString(kAyar, QStringLiteral("alacakCheck")));
    return s;
}

void writeRateSettings(const QString &iniPath, const RateSettings &s)
{
    writeSection(iniPath, kAyar,
                 {{u"yilgun", s.daysInYear},
                  {u"ayfaiz", s.yearlyRate},
                  {u"yilfaiz", s.monthlyRate},
                  {u"borcgun", s.debitGraceDays},
                  {u"alacakgun", s.creditGraceDays},
                  {u"borcCheck", checkText(s.debitWeekend)},
                  {u"alacakCheck", checkText(s.creditWeekend)}});
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
