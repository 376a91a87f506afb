#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kervio {

// Windows Turkish code page 1254, the encoding of every file the program
// writes. The five bytes the code page leaves undefined (and the two control
// bytes 0x8D-0x8E) map to the C1 control code points, so every byte string
// survives a decode and encode unchanged.
QString fromCp1254(QByteArrayView bytes);
// The same into `out`, which has room for bytes.size() characters.
void fromCp1254(QByteArrayView bytes, char16_t *out);
// Characters without a byte in the code page become '?', one per character.
QByteArray toCp1254(const QString &text);
// The same, appended to `out`.
void appendCp1254(QByteArray &out, QStringView text);
// The same into `out`, which has room for text.size() bytes; returns how
// many it wrote.
qsizetype toCp1254(QStringView text, char *out);

} // namespace kervio
