// The maker's side of the update: a key pair, and the signed manifest that
// the program checks before it installs a downloaded executable.
//   kervio_sign keygen SECRET.key                       writes the secret key, prints the public key
//   kervio_sign sign SECRET.key FILE VERSION [PLATFORM] writes FILE.manifest
//   kervio_sign verify PUBLICHEX FILE                   checks FILE against FILE.manifest
#include "core/savefile.h"
#include "update/manifest.h"

#include <QByteArray>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <sodium.h>

namespace {

int fail(const char *message, const char *arg = "")
{
    std::fprintf(stderr, "%s%s\n", message, arg);
    return 1;
}

bool readAll(const QString &path, qint64 maxBytes, QByteArray *out)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > maxBytes)
        return false;
    *out = f.readAll();
    return f.error() == QFileDevice::NoError;
}

QString manifestPath(const QString &file)
{
    return file + QStringLiteral(".manifest");
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

// Writes FILE.manifest: the file's platform, name, version, size and hash,
// signed.
int signFile(const char *secretKeyPath, const char *file, const char *version, const char *platform)
{
    QByteArray secretHex;
    if (!readAll(QString::fromLocal8Bit(secretKeyPath), 1024, &secretHex))
        return fail("okunamadı: ", secretKeyPath);
    const QByteArray sk = QByteArray::fromHex(secretHex.trimmed());
    if (sk.size() != crypto_sign_SECRETKEYBYTES)
        return fail("gizli anahtar değil: ", secretKeyPath);
    const QString path = QString::fromLocal8Bit(file);
    const QFileInfo info(path);
    if (!info.isFile())
        return fail("okunamadı: ", file);
    if (info.size() > kervio::UpdateManifest::MaxExecutableBytes)
        return fail("program dosyası 64 MB'tan büyük: ", file);
    kervio::UpdateManifest m;
    m.platform = platform ? QString::fromLocal8Bit(platform) : kervio::UpdateManifest::platformName();
    m.fileName = info.fileName();
    m.version = QString::fromLocal8Bit(version);
    m.size = info.size();
    m.sha256 = kervio::fileSha256(path);
    if (m.sha256.isEmpty())
        return fail("okunamadı: ", file);
    if (!kervio::isNotOlderVersion(m.version, m.version))
        return fail("sürüm numarası değil: ", version);
    const QByteArray signedManifest = m.sign(sk);
    if (signedManifest.isEmpty() || !kervio::saveFileContents(manifestPath(path), signedManifest))
        return fail("bildirim yazılamadı: ", file);
    std::fputs(signedManifest.constData(), stdout);
    return 0;
}

// Checks FILE against FILE.manifest as the program checks a download
// (signature, name, size, hash): 0 right, 2 wrong.
int verifyFile(const char *publicHex, const char *file)
{
    const QByteArray pk = QByteArray::fromHex(QByteArray(publicHex));
    if (pk.size() != crypto_sign_PUBLICKEYBYTES)
        return fail("açık anahtar 64 onaltılık rakam olmalı");
    const QString path = QString::fromLocal8Bit(file);
    QByteArray signedManifest;
    if (!QFileInfo(path).isFile() || !readAll(manifestPath(path), kervio::UpdateManifest::MaxBytes, &signedManifest))
        return fail("dosya ya da bildirimi okunamadı: ", file);
    const std::optional<kervio::UpdateManifest> m = kervio::UpdateManifest::verify(signedManifest, pk);
    const bool ok = m && m->fileName == QFileInfo(path).fileName() && m->size == QFileInfo(path).size()
                    && m->sha256 == kervio::fileSha256(path);
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
    if (std::strcmp(command, "sign") == 0 && (argc == 5 || argc == 6))
        return signFile(argv[2], argv[3], argv[4], argc == 6 ? argv[5] : nullptr);
    if (std::strcmp(command, "verify") == 0 && argc == 4)
        return verifyFile(argv[2], argv[3]);
    std::fputs("Kullanım:\n"
               "  kervio_sign keygen GİZLİ.key                          gizli anahtarı yazar, açık anahtarı basar\n"
               "  kervio_sign sign GİZLİ.key DOSYA SÜRÜM [PLATFORM]     DOSYA.manifest bildirimini yazar\n"
               "  kervio_sign verify AÇIKHEX DOSYA                      DOSYA'yı bildirimine göre denetler\n",
               stderr);
    return 64;
}
