#include "settings.h"
#include "inifile.h"
#include "core/errors.h"

#include <QFileInfo>
#include <utility>
#include <vector>

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

void writeSection(const QString &iniPath, const QString &section, const std::vector<KeyValue> &values)
{
    IniFile ini(iniPath);
    for (const auto &[key, value] : values)
        ini.writeString(section, QString::fromUtf16(key), value);
    if (!ini.save())
        throw KervioError(QStringLiteral("Unable to write to ") + QFileInfo(iniPath).absoluteFilePath());
}

// The keys of section "Ayar": each names a text or a check of the settings.
struct RateKey {
    const char16_t *key;
    QString RateSettings::*text;
    bool RateSettings::*check;
};
const RateKey kRateKeys[] = {
    {u"yilgun", &RateSettings::daysInYear, nullptr},
    {u"ayfaiz", &RateSettings::yearlyRate, nullptr},
    {u"yilfaiz", &RateSettings::monthlyRate, nullptr},
    {u"borcgun", &RateSettings::debitGraceDays, nullptr},
    {u"alacakgun", &RateSettings::creditGraceDays, nullptr},
    {u"borcCheck", nullptr, &RateSettings::debitWeekend},
    {u"alacakCheck", nullptr, &RateSettings::creditWeekend},
};

} // namespace

RateSettings readRateSettings(const QString &iniPath)
{
    const IniFile ini(iniPath);
    RateSettings s;
    for (const RateKey &k : kRateKeys) {
        const QString value = ini.readString(kAyar, QString::fromUtf16(k.key));
        if (k.text)
            s.*k.text = value;
        else
            s.*k.check = checkValue(value);
    }
    return s;
}

void writeRateSettings(const QString &iniPath, const RateSettings &s)
{
    std::vector<KeyValue> values;
    for (const RateKey &k : kRateKeys)
        values.emplace_back(k.key, k.text ? s.*k.text : checkText(s.*k.check));
    writeSection(iniPath, kAyar, values);
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
