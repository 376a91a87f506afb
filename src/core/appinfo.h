#pragma once
#include <QString>

namespace kervio {

// The version suffix of the captions and status bars.
inline QString versionSuffix() { return QStringLiteral(" 2.0 Güncelleme:0"); }
inline QString applicationTitle() { return QStringLiteral("Kavrel Kervio"); }
inline QString mainWindowCaption() { return QStringLiteral("Kavrel Kervio Programı"); }
// The folder of the running executable, with its trailing separator.
QString executableFolder();

} // namespace kervio
