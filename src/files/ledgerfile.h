#pragma once
#include "ledger/ledgertable.h"
#include "ledger/parameters.h"
#include "ledger/regional.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace kervio {

// The lines of a ledger file: the parameter line (10 items), the header row
// and one line per grid row. Line breaks and NULs inside a text become
// blanks, since the reader would split or end the line at them. Texts the
// code page lacks read as the file holds them.
QStringList ledgerFileLines(const Parameters &params, const LedgerTable &ledger, const Regional &reg);

// Code page 1254, every line ending CR LF. Written through a temporary file,
// so a failure leaves a previous file as it was.
bool writeLedgerFile(const QString &path, const QStringList &lines);
// The bytes writeLedgerFile writes.
QByteArray ledgerFileBytes(const QStringList &lines);
// The lines encoded as the file holds them, made row by row without the
// lines in between, and written so.
QByteArray ledgerFileBytes(const Parameters &params, const LedgerTable &ledger, const Regional &reg);
bool writeLedgerFile(const QString &path, const Parameters &params, const LedgerTable &ledger, const Regional &reg);

// The decoded lines of a file; nullopt when it cannot be read.
std::optional<QStringList> readLedgerFileLines(const QString &path);

struct LedgerFileContent {
    // Items 1-6: days in a year, yearly rate, monthly rate, debit grace days,
    // credit grace days, company name.
    QString texts[6];
    // nullopt: the item was neither "E" nor "H" and the box stays as it is.
    std::optional<bool> debitWeekend;
    std::optional<bool> creditWeekend;
    QDate calculationDate;
    std::vector<PackedRow> rows; // below the header, 13 cells each
};

// nullopt when the lines do not make a ledger: no lines, a parameter line of
// fewer than 10 items, a date whose pieces are not integers or which does
// not exist. Then nothing is to be applied.
// Takes the lines by value and frees each once read, so a large file is not
// held twice.
std::optional<LedgerFileContent> parseLedgerFileLines(QStringList lines);
// The same from the file's bytes, decoded line by line; and from the file
// (nullopt also when it cannot be read).
std::optional<LedgerFileContent> parseLedgerFileBytes(const QByteArray &bytes);
std::optional<LedgerFileContent> readLedgerFile(const QString &path);

// Sets the fields (the yearly rate before the monthly one, so the rate link
// acts as on typing; its conversion error propagates), the weekend boxes, the
// date and then the entries.
void applyLedgerFileContent(LedgerFileContent content, Parameters &params, LedgerTable &ledger);

} // namespace kervio
