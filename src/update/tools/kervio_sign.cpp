// The maker's side of the update: a key pair, and the signature that the
// program checks before it installs a downloaded executable.
//   kervio_sign keygen SECRET.key        writes the secret key, prints the public key
//   kervio_sign sign SECRET.key FILE     writes FILE.sig
//   kervio_sign verify PUBLICHEX FILE    checks FILE.sig
#include "core/savefile.h"
#include "update/signature.h"

#include <QByteArray>
#include <QFile>
#include <QFileDevice>
#include <cstdio>
#include <cstring>
#include <sodium.h>

namespace {

int fail(const char *message, const char *arg = "")
{
    std::fprintf(stderr, "%s%s\n", message, arg);
    return 1;
}

bool readAll(const char *path, QByteArray *out)
{
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    *out = f.readAll();
    return f.error() == QFileDevice::NoError;
}

// Writes a new secret key (never over an existing one) and prints the public key.
int generateKeys(const char *secretKeyPath)
{
    unsigned char pk[crypto_sign_PUBLICKEYBYTES], sk[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(pk, sk);
    const QByteArray secretHex = QByteArray(reinterpret_cast<char *>(sk), sizeof sk).toHex() + '\n';
    sodium_memzero(sk, sizeof sk);
    const QString path = QString::fromLocal8Bit(secretKeyPath);
    if (QFile::exists(path))
        return fail("var olan anahtarın üzerine yazılmaz: ", secretKeyPath);
    if (!kervio::saveFileContents(path, secretHex))
        return fail("yazılamadı: ", secretKeyPath);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    std::printf("%s\n", QByteArray(reinterpret_cast<char *>(pk), sizeof pk).toHex().constData());
    return 0;
}

// Writes FILE.sig, the detached signature of FILE.
int signFile(const char *secretKeyPath, const char *file)
{
    QByteArray secretHex, data;
    if (!readAll(secretKeyPath, &secretHex))
        return fail("okunamadı: ", secretKeyPath);
    const QByteArray sk = QByteArray::fromHex(secretHex.trimmed());
    if (sk.size() != crypto_sign_SECRETKEYBYTES)
        return fail("gizli anahtar değil: ", secretKeyPath);
    if (!readAll(file, &data))
        return fail("okunamadı: ", file);
    unsigned char sig[crypto_sign_BYTES];
    crypto_sign_detached(sig, nullptr, reinterpret_cast<const unsigned char *>(data.constData()),
                         size_t(data.size()), reinterpret_cast<const unsigned char *>(sk.constData()));
    const QString out = QString::fromLocal8Bit(file) + QStringLiteral(".sig");
    if (!kervio::saveFileContents(out, QByteArray(reinterpret_cast<char *>(sig), sizeof sig)))
        return fail("imza yazılamadı: ", file);
    return 0;
}

// Checks FILE.sig as the program checks a download: 0 right, 2 wrong.
int verifyFile(const char *publicHex, const char *file)
{
    const QByteArray pk = QByteArray::fromHex(QByteArray(publicHex));
    if (pk.size() != crypto_sign_PUBLICKEYBYTES)
        return fail("açık anahtar 64 onaltılık rakam olmalı");
    const QString path = QString::fromLocal8Bit(file);
    const QString signature = path + QStringLiteral(".sig");
    QByteArray unused;
    if (!readAll(file, &unused) || !readAll(QFile::encodeName(signature).constData(), &unused))
        return fail("dosya ya da imzası okunamadı: ", file);
    const bool ok = kervio::verifyDetachedSignature(path, signature, pk);
    std::puts(ok ? "imza doğru" : "imza yanlış");
    return ok ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (sodium_init() < 0)
        return fail("libsodium başlatılamadı");
    const char *command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "keygen") == 0 && argc == 3)
        return generateKeys(argv[2]);
    if (std::strcmp(command, "sign") == 0 && argc == 4)
        return signFile(argv[2], argv[3]);
    if (std::strcmp(command, "verify") == 0 && argc == 4)
        return verifyFile(argv[2], argv[3]);
    std::fputs("Kullanım:\n"
               "  kervio_sign keygen GİZLİ.key        gizli anahtarı yazar, açık anahtarı basar\n"
               "  kervio_sign sign GİZLİ.key DOSYA    DOSYA.sig imzasını yazar\n"
               "  kervio_sign verify AÇIKHEX DOSYA    DOSYA.sig imzasını denetler\n",
               stderr);
    return 64;
}
