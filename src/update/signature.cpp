#include "signature.h"

#include <QFile>

#include <cctype>
#include <sodium.h>

namespace kervio {

namespace {

// The signature's raw bytes, or an empty array when it is neither form.
QByteArray readSignature(const QString &signatureFile)
{
    QFile sf(signatureFile);
    if (!sf.open(QIODevice::ReadOnly) || sf.size() > 1024)
        return {};
    const QByteArray sig = sf.readAll();
    if (sig.size() == crypto_sign_BYTES)
        return sig;
    const QByteArray hex = sig.trimmed();
    if (hex.size() != 2 * crypto_sign_BYTES)
        return {};
    for (char c : hex)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return {};
    return QByteArray::fromHex(hex);
}

} // namespace

bool verifyDetachedSignature(const QString &file, const QString &signatureFile, const QByteArray &publicKey)
{
    if (sodium_init() < 0 || publicKey.size() != crypto_sign_PUBLICKEYBYTES)
        return false;
    const QByteArray sig = readSignature(signatureFile);
    if (sig.isEmpty())
        return false;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(sig.constData()),
                                       reinterpret_cast<const unsigned char *>(data.constData()),
                                       static_cast<unsigned long long>(data.size()),
                                       reinterpret_cast<const unsigned char *>(publicKey.constData()))
        == 0;
}

} // namespace kervio
