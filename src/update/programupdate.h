#pragma once
#include "updateinstaller.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

namespace kervio {

class Dialogs;

// "Programı Güncelle": asks, downloads the new executable and its signature
// into "Dosya" beside the running one, checks the signature and hands over to
// the installer. The window binds the hooks; tests set the paths and the key.
class ProgramUpdate {
public:
    explicit ProgramUpdate(Dialogs *dialogs);

    // The whole update behind the button.
    void run();
    // False only when the system knows it is offline; contacts no server.
    bool isOnline() const;
    // Fetches an http(s) address into the file; false on any failure, a
    // status other than 200, a time-out or a body over MaxDownloadBytes.
    bool downloadFile(const QString &address, const QString &file);

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
    static constexpr qint64 MaxDownloadBytes = qint64(512) * 1024 * 1024;
    static QString downloadPath(); // "/download/Kervio20.exe" and its kin per platform
    static QString builtInServer();
    static QByteArray builtInPublicKey();

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
    bool install();
    bool fetch(const QUrl &url, QByteArray &out);

    Dialogs *m_dialogs;
    QString m_executable;
    QString m_settingsPath;
    QByteArray m_publicKey;
    int m_idleMs = 30000;
    int m_totalMs = 15 * 60 * 1000;
    bool m_closeRequested = false;
    QString m_lastFailure;
};

} // namespace kervio
