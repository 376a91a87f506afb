#pragma once
#include <QString>
#include <QStringList>
#include <functional>

namespace kervio {

// What an installation reports, numbered as the updater component numbers
// its error codes.
enum class InstallError {
    NeedRestart = 0,          // done, but the program is to be restarted by hand
    NoSourceFolder = 1,       // the source folder does not exist
    NoSourceExecutable = 2,   // the new executable is not in the source folder
    NoOtherSource = 3,        // never reported
    CannotCreateBackupFolder = 4,
    CopyFailed = 5,
    AlreadyInstalled = 6,     // a run after a completed run
    NoSourceFolderSet = 7,    // the source folder is empty or blank
};

// The language of the texts that go with the reports.
enum class InstallLanguage { English, Hungarian, French };

// The files of one installation. On Windows the folder is written in upper
// case (ASCII letters only).
struct InstallPaths {
    QString executable; // the running program
    QString fileName;   // its file name
    QString folder;     // its folder, with the trailing separator
    QString source;     // where the new files wait, with the trailing separator
    QString script;     // what runs once the program has ended

    QString backup() const { return folder + u'B' + fileName; }
    QString staged() const { return staged(fileName); }
    QString staged(const QString &name) const { return folder + u'_' + name; }
};

// Replaces the running executable by the one waiting in the source folder:
// stages it beside the old one, keeps a backup, writes a script that runs
// after the program has ended, starts it and asks the program to close.
//
// Any reported error ends the run with false before anything is staged, so a
// failed run never starts the script; stopOnFirstError only decides whether
// the remaining checks are still reported.
class UpdateInstaller {
public:
    using ErrorHandler = std::function<void(UpdateInstaller *sender, InstallError error, const QString &parameter,
                                            const QString &message)>;

    UpdateInstaller();

    // --- settings ---
    ErrorHandler onError;
    InstallLanguage language = InstallLanguage::English;
    QString sourceFolder;
    bool stopOnFirstError = false;
    // Also keep copies of the old files in a time-stamped folder under
    // backupFolder (empty: "PRGBACKUP" beside the executable).
    bool keepOriginals = false;
    QString backupFolder;
    // The script starts the program again, and the program is asked to close.
    bool restartAfterwards = true;
    const QStringList &otherFiles() const { return m_otherFiles; }
    // Compared without regard to case; duplicates are dropped.
    void setOtherFiles(const QStringList &names);
    QString about() const { return m_about; }

    bool hasInstalled() const { return m_installed; }

    // --- what the platform gives; tests replace them ---
    // The running executable (default: this process's executable).
    QString executablePath;
    // The process the script waits for (default: this process).
    qint64 programPid = 0;
    // Starts the written script without waiting; false when it did not start.
    std::function<bool(const QString &script)> startScript;
    // Asked once a run has completed with restartAfterwards.
    std::function<void()> requestClose;

    // True when the run went through: files staged, script written and started.
    bool install();
    void reportError(InstallError error, const QString &parameter = QString());

    static QString errorText(InstallLanguage language, InstallError error);

    // The Windows batch script, line by line; `others` are the further files
    // whose staged copies exist. Every % of a path is doubled, so that cmd
    // takes it literally.
    static QStringList batchScriptLines(const InstallPaths &paths, const QStringList &others, bool restart);
    // What follows "cmd" on the line that starts the batch script:
    // /s /c ""<script>"".
    static QString batchStartArguments(const QString &script);
    // The same steps for a POSIX shell; `pid` is the process to wait for.
    static QString shellScript(const InstallPaths &paths, const QStringList &others, qint64 pid, bool restart);
    // Where the script goes for an executable.
    static QString scriptPathFor(const QString &executable);

private:
    InstallPaths resolvePaths();
    bool checkSourcesAndBackupFolder(const InstallPaths &paths);
    bool prepareBackupFolder();
    bool stageFiles(const InstallPaths &paths, QStringList &stagedOthers);
    bool writeScript(const InstallPaths &paths, const QStringList &stagedOthers);
    bool launchScript(const QString &script) const;
    void finish();

    QStringList m_otherFiles;
    QString m_about;
    bool m_installed = false;
};

} // namespace kervio
