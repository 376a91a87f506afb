#pragma once
#include "ledgerfile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QLockFile;

namespace kervio {

// A recovery copy is a ledger file whose parameter line carries two more
// items, which the ledger file's reader does not read: the path of the file
// the work came from (percent-encoded, empty for none) and the SHA-256 of the
// file as it would be without those two items. So a copy opens like any
// ledger file, and a copy that is cut short or changed shows as damaged.
struct RecoveredWork {
    LedgerFileContent content;
    QString sourcePath;
};

QByteArray recoveryCopyBytes(const QStringList &ledgerLines, const QString &sourcePath);
// nullopt for a damaged copy: unreadable, without the two items, failing its
// checksum, or not a ledger.
std::optional<RecoveredWork> readRecoveryCopy(const QString &path);

class RecoveryFolder;

// A copy left by a program that is no longer running. It is held (locked)
// while this lives, so no other program offers it at the same time; let go
// undecided, it is found again at the next start.
class LeftCopy {
public:
    LeftCopy(QString copyPath, std::unique_ptr<QLockFile> lock);
    LeftCopy(LeftCopy &&) noexcept;
    LeftCopy &operator=(LeftCopy &&) noexcept;
    ~LeftCopy();

    QString path() const { return m_path; }
    // When the copy was written.
    QDateTime written() const { return m_written; }

private:
    friend class RecoveryFolder;
    QString m_path;
    QDateTime m_written;
    std::unique_ptr<QLockFile> m_lock;
};

// The folder of recovery copies that every running program shares. Each
// program has a copy name of its own, locked while it runs, so two programs
// never write over each other's copies, and a copy whose lock is gone or
// stale (its program ended or was killed) is a left copy.
class RecoveryFolder {
public:
    // The user's data folder for the copies: "kurtarma" in the application's
    // data location.
    static QString defaultPath();

    explicit RecoveryFolder(QString folder);
    // Lets go of this program's name; its copy stays, to be found again.
    ~RecoveryFolder();
    RecoveryFolder(const RecoveryFolder &) = delete;
    RecoveryFolder &operator=(const RecoveryFolder &) = delete;

    // Makes the folder and takes this program's name. False when either fails;
    // then no copy is written.
    bool open();
    bool isOpen() const;
    QString folder() const { return m_folder; }
    // This program's copy.
    QString copyPath() const;

    // Replace this program's copy safely; false on a failure, which leaves
    // the previous copy as it was.
    bool writeCopy(const QStringList &ledgerLines, const QString &sourcePath);
    void removeCopy();

    // The copies of programs that are no longer running, newest first, each
    // held until it is let go.
    std::vector<LeftCopy> takeLeftCopies();
    // The left copy becomes this program's copy.
    bool claim(LeftCopy copy);
    void discard(LeftCopy copy);
    // Moves a damaged copy into the subfolder "hasarli", out of the way of
    // the next starts; returns where it now lies.
    QString setAside(LeftCopy copy);

private:
    QString m_folder;
    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace kervio
