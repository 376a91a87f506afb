#pragma once
#include "manifest.h"
#include "updateinstaller.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

namespace kervio {

class Dialogs;

// "Programı Güncelle": asks, downloads the maker's signed manifest and the
// new executable it names into "Dosya" beside the running one, checks them
// and hands over to the installer. The window binds the hooks; tests set the
// paths, the key and the running version.
class ProgramUpdate {
public:
    explicit ProgramUpdate(Dialogs *dialogs);
    ~ProgramUpdate();
    ProgramUpdate(const ProgramUpdate &) = delete;
    ProgramUpdate &operator=(const ProgramUpdate &) = delete;

    // The whole update behind the button.
    void run();
    // False only when the system knows it is offline; contacts no server.
    bool isOnline() const;
    // Fetches an http(s) address into the file, at most maxBytes: a longer
    // body is cut off while it arrives. False on any failure, a status other
    // than 200, a time-out, a cancel or a body over the limit; `sha256` gets
    // the hash of what was written.
    bool downloadFile(const QString &address, const QString &file, qint64 maxBytes, QByteArray *sha256 = nullptr);

    // "İptal" of the waiting window: ends the running update's download; the
    // program stays as it was. Nothing happens when no update runs.
    void cancel();
    static void cancelRunning();
    bool wasCancelled() const { return m_cancelled; }

    // The question asked before anything happens.
    static QString confirmationText();
    // What an installed program says instead: the system's package manager
    // updates it.
    static QString installedProgramText();
    // Only a portable executable in a folder it may write replaces itself.
    bool mayReplaceProgram() const;

    UpdateInstaller installer;

    // --- hooks of the main window ---
    std::function<void(bool)> setConfirmOnClose;
    std::function<void()> showProgressWindow;
    std::function<void()> hideProgressWindow;
    // Called at the end of a completed update, after its message: the window
    // closes itself (without the question) and the script takes over.
    std::function<void()> closeMainWindow;
    // Replaces the system's connection state (tests).
    std::function<bool()> connectivity;

    // --- settings ---
    static QString downloadPath(); // "/download/Kervio20.exe" and its kin per platform
    static QString manifestSuffix() { return QStringLiteral(".manifest"); }
    static QString builtInServer();
    static QByteArray builtInPublicKey();
    // The version of this program, which an update may not go below.
    static QString builtInVersion();
    void setRunningVersion(const QString &version) { m_runningVersion = version; }

    void setExecutablePath(const QString &path); // also the installer's
    QString executablePath() const;
    void setSettingsPath(const QString &path) { m_settingsPath = path; }
    QString settingsPath() const;
    void setPublicKey(const QByteArray &key) { m_publicKey = key; }
    // No data for this long ends a transfer; the whole one may last up to total.
    void setTimeouts(int idleMs, int totalMs)
    {
        m_idleMs = idleMs;
        m_totalMs = totalMs;
    }
    // The maker's server, or "sunucu" of section "Guncelleme" in Ayarlar.ini.
    QUrl updateUrl() const;
    // Why the last run failed, for tests and diagnostics; empty after success.
    QString lastFailure() const { return m_lastFailure; }

private:
    bool userConfirms() const;
    bool downloadAndInstall();
    bool downloadVerified(const QString &target);
    bool acceptable(const std::optional<UpdateManifest> &manifest);
    bool install();
    bool fail(const QString &why);
    bool fetch(const QUrl &url, qint64 maxBytes, const std::function<bool(const QByteArray &)> &sink);

    Dialogs *m_dialogs;
    QString m_executable;
    QString m_settingsPath;
    QByteArray m_publicKey;
    QString m_runningVersion;
    bool m_cancelled = false;
    std::function<void()> m_abortTransfer;
    int m_idleMs = 30000;
    int m_totalMs = 15 * 60 * 1000;
    bool m_closeRequested = false;
    QString m_lastFailure;
};

} // namespace kervio
