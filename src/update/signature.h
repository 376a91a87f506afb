#pragma once
#include <QByteArray>
#include <QString>

namespace kervio {

// Whether `file` carries the maker's detached Ed25519 signature, kept in
// `signatureFile` as 64 raw bytes or their 128 hex digits. Any file that
// cannot be read, and any key that is not 32 bytes, gives false.
bool verifyDetachedSignature(const QString &file, const QString &signatureFile, const QByteArray &publicKey);

} // namespace kervio
