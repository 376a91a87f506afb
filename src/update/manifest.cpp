#include "manifest.h"

#include <QFile>
#include <QList>
#include <QSysInfo>
#include <QVersionNumber>

#include <cctype>

#include <sodium.h>

namespace kervio {

namespace {

const QByteArray Header = "kervio-guncelleme 1\n";
const QByteArray SignatureKey = "imza=";

bool isHex(const QByteArray &s, qsizetype length)
{
    if (s.size() != length)
        return false;
    for (char c : s)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

std::optional<UpdateManifest> parseLines(const QByteArray &text)
{
    if (!text.startsWith(Header))
        return std::nullopt;
    UpdateManifest m;
    bool hasSize = false;
    for (const QByteArray &line : text.mid(Header.size()).split('\n')) {
        if (line.isEmpty())
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            return std::nullopt;
        const QByteArray key = line.left(eq), value = line.mid(eq + 1);
        if (key == "platform") {
            m.platform = QString::fromUtf8(value);
        } else if (key == "dosya") {
            m.fileName = QString::fromUtf8(value);
        } else if (key == "surum") {
            m.version = QString::fromUtf8(value);
        } else if (key == "boyut") {
            bool ok = false;
            m.size = value.toLongLong(&ok);
            hasSize = ok && m.size >= 0;
        } else if (key == "sha256" && isHex(value, 64)) {
            m.sha256 = QByteArray::fromHex(value);
        }
    }
    if (m.platform.isEmpty() || m.fileName.isEmpty() || m.version.isEmpty() || !hasSize || m.sha256.size() != 32)
        return std::nullopt;
    return m;
}

} // namespace

QString UpdateManifest::platformName()
{
    return QSysInfo::kernelType() + u'-' + QSysInfo::buildCpuArchitecture();
}

QByteArray UpdateManifest::signedText() const
{
    return Header + "platform=" + platform.toUtf8() + "\ndosya=" + fileName.toUtf8() + "\nsurum=" + version.toUtf8()
        + "\nboyut=" + QByteArray::number(size) + "\nsha256=" + sha256.toHex() + '\n';
}

QByteArray UpdateManifest::sign(const QByteArray &secretKey) const
{
    if (sodium_init() < 0 || secretKey.size() != crypto_sign_SECRETKEYBYTES)
        return {};
    const QByteArray text = signedText();
    unsigned char sig[crypto_sign_BYTES];
    crypto_sign_detached(sig, nullptr, reinterpret_cast<const unsigned char *>(text.constData()), size_t(text.size()),
                         reinterpret_cast<const unsigned char *>(secretKey.constData()));
    return text + SignatureKey + QByteArray(reinterpret_cast<const char *>(sig), sizeof sig).toHex() + '\n';
}

std::optional<UpdateManifest> UpdateManifest::verify(const QByteArray &bytes, const QByteArray &publicKey)
{
    if (sodium_init() < 0 || publicKey.size() != crypto_sign_PUBLICKEYBYTES || bytes.size() > MaxBytes)
        return std::nullopt;
    // the signature is the last line; it covers every byte before it
    const qsizetype at = bytes.lastIndexOf("\n" + SignatureKey);
    if (at < 0)
        return std::nullopt;
    const QByteArray text = bytes.left(at + 1);
    const QByteArray hex = bytes.mid(at + 1 + SignatureKey.size()).trimmed();
    if (!isHex(hex, 2 * crypto_sign_BYTES))
        return std::nullopt;
    const QByteArray sig = QByteArray::fromHex(hex);
    if (crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(sig.constData()),
                                    reinterpret_cast<const unsigned char *>(text.constData()),
                                    static_cast<unsigned long long>(text.size()),
                                    reinterpret_cast<const unsigned char *>(publicKey.constData()))
        != 0)
        return std::nullopt;
    return parseLines(text);
}

QByteArray fileSha256(const QString &path)
{
    QFile f(path);
    if (sodium_init() < 0 || !f.open(QIODevice::ReadOnly))
        return {};
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    while (!f.atEnd()) {
        const QByteArray piece = f.read(64 * 1024);
        if (piece.isEmpty() && f.error() != QFileDevice::NoError)
            return {};
        crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char *>(piece.constData()),
                                  static_cast<unsigned long long>(piece.size()));
    }
    QByteArray out(crypto_hash_sha256_BYTES, 0);
    crypto_hash_sha256_final(&state, reinterpret_cast<unsigned char *>(out.data()));
    return out;
}

bool isNotOlderVersion(const QString &version, const QString &running)
{
    qsizetype endOfNumber = 0;
    const QVersionNumber v = QVersionNumber::fromString(version, &endOfNumber);
    if (v.isNull() || endOfNumber != version.size())
        return false;
    return QVersionNumber::compare(v, QVersionNumber::fromString(running)) >= 0;
}

} // namespace kervio
