// The maker's side of the update: a key pair, and the signature that the
// program checks before it installs a downloaded executable.
//   kervio_sign keygen SECRET.key        writes the secret key, prints the public key
//   kervio_sign sign SECRET.key FILE     writes FILE.sig
//   kervio_sign verify PUBLICHEX FILE    checks FILE.sig
#include "core/savefile.h"

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

} // namespace

int main(int argc, char **argv)
{
    if (sodium_init() < 0)
        return fail("libsodium başlatılamadı");
    const char *cmd = argc > 1 ? argv[1] : "";
    if (std::strcmp(cmd, "keygen") == 0 && argc == 3) {
        unsigned char pk[crypto_sign_PUBLICKEYBYTES], sk[crypto_sign_SECRETKEYBYTES];
        crypto_sign_keypair(pk, sk);
        const QByteArray secretHex = QByteArray(reinterpret_cast<char *>(sk), sizeof sk).toHex() + '\n';
        sodium_memzero(sk, sizeof sk);
        const QString path = QString::fromLocal8Bit(argv[2]);
        if (QFile::exists(path))
            return fail("var olan anahtarın üzerine yazılmaz: ", argv[2]);
        if (!kervio::saveFileContents(path, secretHex))
            return fail("yazılamadı: ", argv[2]);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        std::printf("%s\n", QByteArray(reinterpret_cast<char *>(pk), sizeof pk).toHex().constData());
        return 0;
    }
    if (std::strcmp(cmd, "sign") == 0 && argc == 4) {
        QByteArray secretHex, data;
        if (!readAll(argv[2], &secretHex))
            return fail("okunamadı: ", argv[2]);
        const QByteArray sk = QByteArray::fromHex(secretHex.trimmed());
        if (sk.size() != crypto_sign_SECRETKEYBYTES)
            return fail("gizli anahtar değil: ", argv[2]);
        if (!readAll(argv[3], &data))
            return fail("okunamadı: ", argv[3]);
        unsigned char sig[crypto_sign_BYTES];
        crypto_sign_detached(sig, nullptr, reinterpret_cast<const unsigned char *>(data.constData()),
                             size_t(data.size()), reinterpret_cast<const unsigned char *>(sk.constData()));
        const QString out = QString::fromLocal8Bit(argv[3]) + QStringLiteral(".sig");
        if (!kervio::saveFileContents(out, QByteArray(reinterpret_cast<char *>(sig), sizeof sig)))
            return fail("imza yazılamadı: ", argv[3]);
        return 0;
    }
    if (std::strcmp(cmd, "verify") == 0 && argc == 4) {
        const QByteArray pk = QByteArray::fromHex(QByteArray(argv[2]));
        QByteArray data, sig;
        if (pk.size() != crypto_sign_PUBLICKEYBYTES)
            return fail("açık anahtar 64 onaltılık rakam olmalı");
        if (!readAll(argv[3], &data) || !readAll((QByteArray(argv[3]) + ".sig").constData(), &sig))
            return fail("dosya ya da imzası okunamadı: ", argv[3]);
        const bool ok = sig.size() == crypto_sign_BYTES &&
                        crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(sig.constData()),
                                                    reinterpret_cast<const unsigned char *>(data.constData()),
                                                    size_t(data.size()),
                                                    reinterpret_cast<const unsigned char *>(pk.constData())) == 0;
        std::puts(ok ? "imza doğru" : "imza yanlış");
        return ok ? 0 : 2;
    }
    std::fputs("Kullanım:\n"
               "  kervio_sign keygen GİZLİ.key        gizli anahtarı yazar, açık anahtarı basar\n"
               "  kervio_sign sign GİZLİ.key DOSYA    DOSYA.sig imzasını yazar\n"
               "  kervio_sign verify AÇIKHEX DOSYA    DOSYA.sig imzasını denetler\n",
               stderr);
    return 64;
}
