#pragma once
#include <QString>

namespace kervio {

// kervio --recalculate IN.krv [--sort] [--output OUT.krv]
// Opens IN.krv in a freshly started program as "KAYITTAN AÇ" does, sorts
// as "KAYITLARI SIRALA" does, presses "FAİZ BUL" and prints the summary as
// `name=text` lines; with an output file it then saves the ledger as
// "İŞLEMİ KAYDET" does. Exit status: 0 opened, 2 not opened, 3 not saved.
int recalculateLedger(const QString &in, bool sort, const QString &out);

} // namespace kervio
