#include "settings.h"
#include "inifile.h"
#include "core/errors.h"

#include <QFileInfo>
#include <vector>
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

void writeSection(const QString &iniPath, const QString &section, const std::vector<KeyValue> &values)
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
