#include "codepage1254.h"

#include <algorithm>
#include <array>

namespace kervio {

namespace {

// Bytes 0x80-0xFF. Bytes 0x00-0x7F are ASCII.
constexpr char16_t kHigh[128] = {
    // 0x80
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x008E, 0x008F,
    // 0x90
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178,
    // 0xA0
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    // 0xB0
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    // 0xC0
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    // 0xD0
    0x011E, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x0130, 0x015E, 0x00DF,
    // 0xE0
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    // 0xF0
    0x011F, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x0131, 0x015F, 0x00FF,
};

// Inverse of kHigh for the code points below U+0180 (a direct table); the
// few beyond it are looked up in kHigh.
struct LowInverse {
    std::array<unsigned char, 0x180> byte{};
    constexpr LowInverse()
    {
        for (int i = 0; i < 128; ++i)
            if (kHigh[i] < 0x180)
                byte[kHigh[i]] = static_cast<unsigned char>(0x80 + i);
    }
};
constexpr LowInverse kLowInverse;

char encodeOne(char32_t cp)
{
    if (cp < 0x80)
        return char(cp);
    if (cp < 0x180) {
        const unsigned char b = kLowInverse.byte[cp];
        return b ? char(b) : '?';
    }
    if (cp <= 0xFFFF)
        for (int i = 0; i < 128; ++i)
            if (kHigh[i] == cp)
                return char(0x80 + i);
    return '?';
}

} // namespace

QString fromCp1254(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    fromCp1254(bytes, reinterpret_cast<char16_t *>(out.data()));
    return out;
}

void fromCp1254(QByteArrayView bytes, char16_t *out)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = b < 0x80 ? char16_t(b) : kHigh[b - 0x80];
    }
}

QByteArray toCp1254(const QString &text)
{
    QByteArray out;
    appendCp1254(out, text);
    return out;
}

void appendCp1254(QByteArray &out, QStringView text)
{
    const qsizetype n = text.size();
    const qsizetype start = out.size();
    // grown by at least half, so that appending line by line stays linear
    if (out.capacity() < start + n)
        out.reserve(std::max(start + n, out.capacity() + out.capacity() / 2));
    out.resize(start + n);
    out.truncate(start + toCp1254(text, out.data() + start));
}

qsizetype toCp1254(QStringView text, char *out)
{
    const qsizetype n = text.size();
    char *d = out;
    const QChar *s = text.data();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s[i];
        if (c.unicode() < 0x80) {
            *d++ = char(c.unicode());
            continue;
        }
        if (c.isHighSurrogate() && i + 1 < n && s[i + 1].isLowSurrogate()) {
            ++i; // one character outside the BMP: one '?'
            *d++ = '?';
            continue;
        }
        *d++ = encodeOne(c.unicode());
    }
    return d - out;
}

} // namespace kervio
