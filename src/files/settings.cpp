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

ImportMapping ImportMapping::formDefaults()
{
    ImportMapping m;
    for (const ImportMappingKey &k : importMappingKeys())
        k.setValue(m, QString::fromUtf16(k.formDefault));
    return m;
}

const std::array<ImportMappingKey, 8> &importMappingKeys()
{
    using K = ImportMappingKey::Kind;
    static const std::array<ImportMappingKey, 8> keys = {{
        {u"vade", "Vade Tarihi Sütunu", u"1", K::Column, &ImportMapping::dueDateColumn},
        {u"islem", "İşlem Tarihi Sütunu", u"2", K::Column, &ImportMapping::transactionDateColumn},
        {u"aciklama", "Açıklama Sütunu", u"3", K::Column, &ImportMapping::descriptionColumn},
        {u"borc", "Borç Sütunu", u"4", K::Column, &ImportMapping::debitColumn},
        {u"alacak", "Alacak Sütunu", u"5", K::Column, &ImportMapping::creditColumn},
        {u"basla", "Baş. Satır", u"3", K::Row, &ImportMapping::firstRow},
        {u"bitir", "Bitiş Satır", u"10", K::Row, &ImportMapping::lastRow},
        {u"vadeCheck", "Vade Tarihi Aynı Zamanda İşlem Tarihi", u"2", K::Check, nullptr},
    }};
    return keys;
}

const ImportMappingKey *findImportMappingKey(QStringView name)
{
    for (const ImportMappingKey &k : importMappingKeys())
        if (name.compare(QStringView(k.key), Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

QString ImportMappingKey::value(const ImportMapping &mapping) const
{
    return text ? mapping.*text : checkText(mapping.dueDateIsTransactionDate);
}

void ImportMappingKey::setValue(ImportMapping &mapping, const QString &stored) const
{
    if (text)
        mapping.*text = stored;
    else
        mapping.dueDateIsTransactionDate = checkValue(stored);
}

ImportMapping readImportMapping(const QString &iniPath)
{
    const IniFile ini(iniPath);
    ImportMapping m;
    for (const ImportMappingKey &k : importMappingKeys())
        k.setValue(m, ini.readString(kExcelAyar, QString::fromUtf16(k.key)));
    return m;
}

void writeImportMapping(const QString &iniPath, const ImportMapping &m)
{
    std::vector<KeyValue> values;
    for (const ImportMappingKey &k : importMappingKeys())
        values.emplace_back(k.key, k.value(m));
    writeSection(iniPath, kExcelAyar, values);
}

} // namespace kervio
