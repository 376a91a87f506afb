#pragma once
#include <QString>

namespace kervio {

// The version suffix of the captions and status bars, " 2.0 Güncelleme:0"
// for the project's version 2.0.
QString versionSuffix();
inline QString applicationTitle() { return QStringLiteral("Kavrel Kervio"); }
inline QString mainWindowCaption() { return QStringLiteral("Kavrel Kervio Programı"); }
// The folder of the running executable, with its trailing separator.
QString executableFolder();

} // namespace kervio
