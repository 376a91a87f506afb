#pragma once
#include <QString>

namespace kervio {

// Section "Ayar" of the settings file: the calculation parameters the
// program starts with.
struct RateSettings {
    QString daysInYear;      // key "yilgun"
    QString yearlyRate;      // key "ayfaiz", whatever the key's name says
    QString monthlyRate;     // key "yilfaiz"
    QString debitGraceDays;  // key "borcgun"
    QString creditGraceDays; // key "alacakgun"
    bool debitWeekend = false;  // key "borcCheck"
    bool creditWeekend = false; // key "alacakCheck"
};

// Section "ExcelAyar": the import window's column mapping.
struct ExcelAyarSettings {
    QString vade, islem, aciklama, borc, alacak, basla, bitir;
    bool vadeCheck = false;
};

// Missing file, section or key read as empty (and unchecked). A check is on
// only for the value "1".
RateSettings readRateSettings(const QString &iniPath);
ExcelAyarSettings readExcelAyar(const QString &iniPath);

// Write one section, leaving the rest of the file as it was; checks as "1"
// or "2". A failure raises "Unable to write to <full path>" and leaves the
// file unchanged.
void writeRateSettings(const QString &iniPath, const RateSettings &settings);
void writeExcelAyar(const QString &iniPath, const ExcelAyarSettings &settings);

} // namespace kervio
