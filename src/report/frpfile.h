#pragma once
#include "composition.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace kervio {

// The prepared-report file ("*.frp"): the composed pages as they print.
// Little-endian binary: magic, version, title, page size, a font table, then
// the pages with their drawing items.
QByteArray frpBytes(const ComposedReport &report);
// Null, with the reason in `why`, when the bytes are not a complete prepared
// report of a known version; never trusts a size it has not checked.
std::optional<ComposedReport> parseFrp(const QByteArray &bytes, QString *why = nullptr);

// Raise KervioError with the text the user sees.
void saveFrpFile(const ComposedReport &report, const QString &path);
ComposedReport loadFrpFile(const QString &path);

constexpr qint64 MaxFrpFileSize = 256LL * 1024 * 1024;

} // namespace kervio
