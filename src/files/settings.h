#pragma once
#include <QString>
#include <array>

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

// Section "ExcelAyar": the import window's column mapping, as typed texts
// (digit strings, or empty). Columns and rows count from 1 in the sheet.
struct ImportMapping {
    QString dueDateColumn;
    QString transactionDateColumn;
    QString descriptionColumn;
    QString debitColumn;
    QString creditColumn;
    QString firstRow;
    QString lastRow;
    bool dueDateIsTransactionDate = false;

    // The window's design values, shown until the settings file is read.
    static ImportMapping formDefaults();
    bool operator==(const ImportMapping &) const = default;
};

// One key of the mapping: its name in section "ExcelAyar" and on the
// command line, what it means (the label beside its field), its design
// value and the kind of field that holds it.
struct ImportMappingKey {
    enum class Kind { Column, Row, Check };
    const char16_t *key;
    const char *meaning; // UTF-8
    const char16_t *formDefault;
    Kind kind;
    QString ImportMapping::*text; // null for the check

    // Column fields take 2 digits, row fields 5.
    int maxDigits() const { return kind == Kind::Column ? 2 : kind == Kind::Row ? 5 : 0; }
    // The stored text: a check as "1" (on) or "2" (off).
    QString value(const ImportMapping &mapping) const;
    // From a stored text: a check is on only for "1".
    void setValue(ImportMapping &mapping, const QString &stored) const;
};

// The keys in the order they are read, written and shown.
const std::array<ImportMappingKey, 8> &importMappingKeys();
// The key of that name, matched without regard to case; null when none is.
const ImportMappingKey *findImportMappingKey(QStringView name);

// Missing file, section or key read as empty (and unchecked). A check is on
// only for the value "1".
RateSettings readRateSettings(const QString &iniPath);
ImportMapping readImportMapping(const QString &iniPath);

// Write one section, leaving the rest of the file as it was; checks as "1"
// or "2". A failure raises "Unable to write to <full path>" and leaves the
// file unchanged.
void writeRateSettings(const QString &iniPath, const RateSettings &settings);
void writeImportMapping(const QString &iniPath, const ImportMapping &mapping);

} // namespace kervio
