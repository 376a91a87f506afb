#pragma once
#include <QString>
#include <QStringList>
#include <functional>

namespace kervio {

enum TSchSimpleUpdaterError {
    suecNeedRestartApp = 0,
    suecNoEXESourceDir = 1,
    suecNoEXESource = 2,
    suecNoOtherSource = 3,
    suecCannotCreateSaveDir = 4,
    suecFileCopyError = 5,
    suecAlreadyUpdated = 6,
    suecEmptySourceDir = 7,
};

enum TSchSimpleUpdaterLanguage { sulaEnglish, sulaHungarian, sulaFrench };

// Replaces the running executable by the one waiting in UpdateSrc: stages it
// beside the old one, keeps a backup, writes a script that runs after the
// program has ended, starts it and asks the program to close.
//
// Any reported error ends the run with false before anything is staged, so a
// failed run never starts the script; StopOnFirstError only decides whether
// the remaining checks are still reported.
class TSchUpdater {
public:
    using ErrorEvent = std::function<void(TSchUpdater *Sender, TSchSimpleUpdaterError ErrorCode,
                                          const QString &Parameter, const QString &ErrMessage)>;

    TSchUpdater();

    // --- published properties, in declaration order ---
    ErrorEvent OnError;
    TSchSimpleUpdaterLanguage Language = sulaEnglish;
    QString UpdateSrc;
    bool StopOnFirstError = false;
    bool SaveOriginalFiles = false;
    QString SaveDir;
    bool AutoRestartApp = true;
    const QStringList &OtherFiles() const { return m_otherFiles; }
    // Compared without regard to case; duplicates are dropped.
    void setOtherFiles(const QStringList &names);
    QString About() const { return m_about; }
    void setAbout(const QString &) {} // informational only

    bool Updated() const { return m_updated; }

    // --- what the platform gives; tests replace them ---
    // The running executable (default: this process's executable).
    QString ExecutablePath;
    // The process the script waits for (default: this process).
    qint64 ProgramPid = 0;
    // Starts the written script without waiting; false when it did not start.
    std::function<bool(const QString &script)> StartScript;
    // Asked once a run has completed with AutoRestartApp.
    std::function<void()> CloseRequest;

    bool UpdateApp();
    void DoError(TSchSimpleUpdaterError code, const QString &Parameter = QString());

    static QString ErrorText(TSchSimpleUpdaterLanguage language, TSchSimpleUpdaterError code);

    // The Windows batch script, line by line: E the executable, A its folder
    // (with the trailing backslash), F its file name, others the further
    // files whose staged copies exist, W the script itself.
    static QStringList BatchScriptLines(const QString &E, const QString &A, const QString &F,
                                        const QStringList &others, const QString &W, bool autoRestart);
    // The same steps for a POSIX shell; pid is the process to wait for.
    static QString ShellScriptText(const QString &E, const QString &A, const QString &F,
                                   const QStringList &others, const QString &W, qint64 pid, bool autoRestart);
    // Where the script goes for an executable E.
    static QString ScriptPathFor(const QString &E);

private:
    bool startScriptDefault(const QString &script) const;

    QStringList m_otherFiles;
    QString m_about;
    bool m_updated = false;
};

} // namespace kervio
