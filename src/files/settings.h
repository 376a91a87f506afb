#pragma once
#include <QString>

namespace kervio {

// Section "Ayar" of the settings file: the calculation parameters.
struct AyarSettings {
    QString yilgun;    // days in a year
    QString ayfaiz;    // the YEARLY rate, whatever the key's name says
    QString yilfaiz;   // the MONTHLY rate
    QString borcgun;   // debit grace days
    QString alacakgun; // credit grace days
    bool borcCheck = false;
    bool alacakCheck = false;
};

// Section "ExcelAyar": the import window's column mapping.
struct ExcelAyarSettings {
    QString vade, islem, aciklama, borc, alacak, basla, bitir;
    bool vadeCheck = false;
};

// Missing file, section or key read as empty (and unchecked). A check is on
// only for the value "1".
AyarSettings readAyar(const QString &iniPath);
ExcelAyarSettings readExcelAyar(const QString &iniPath);

// Write one section, leaving the rest of the file as it was; checks as "1"
// or "2". A failure raises "Unable to write to <full path>" and leaves the
// file unchanged.
void writeAyar(const QString &iniPath, const AyarSettings &settings);
void writeExcelAyar(const QString &iniPath, const ExcelAyarSettings &settings);

} // namespace kervio
