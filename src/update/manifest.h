#pragma once
// The maker's signed statement about an update: which platform and file it
// is for, its version, size and SHA-256. The program installs a download
// only when such a statement, signed with the maker's Ed25519 key, names
// this program and matches the file.
#include <QByteArray>
#include <QString>
#include <optional>

namespace kervio {

struct UpdateManifest {
    static constexpr qint64 MaxBytes = 4 * 1024;                 // the signed text
    static constexpr qint64 MaxExecutableBytes = 64 * 1024 * 1024; // the file it names

    QString platform; // "linux-x86_64", as platformName() gives it
    QString fileName; // the file name on the server ("Kervio20.exe")
    QString version;  // "2.1"
    qint64 size = 0;
    QByteArray sha256; // 32 bytes

    // The lines that are signed (UTF-8, LF).
    QByteArray signedText() const;
    // The text followed by the line of its signature.
    QByteArray sign(const QByteArray &secretKey) const;

    // The manifest when `bytes` carry a good signature of `publicKey` over
    // well-formed lines; nothing otherwise.
    static std::optional<UpdateManifest> verify(const QByteArray &bytes, const QByteArray &publicKey);
    // The operating system and processor this program was built for.
    static QString platformName();
};

// The SHA-256 of a file, read in pieces; empty when it cannot be read.
QByteArray fileSha256(const QString &path);

// Whether `version` ("2.1") is at least `running` ("2.0"); a text that is no
// version number is never.
bool isNotOlderVersion(const QString &version, const QString &running);

} // namespace kervio
