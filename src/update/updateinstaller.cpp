#include "updateinstaller.h"
#include "core/codepage1254.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace kervio {

namespace {

#ifdef Q_OS_WIN
const QChar Sep = u'\\';
#else
const QChar Sep = u'/';
#endif

bool endsWithSeparator(const QString &s)
{
    return s.endsWith(u'/') || s.endsWith(u'\\');
}

// On Windows the folder is written upper-cased (ASCII letters only), as the
// file system does not care; elsewhere case matters and the folder stays.
QString folderOf(const QString &executable)
{
    QString a = QDir::toNativeSeparators(QFileInfo(executable).absolutePath());
#ifdef Q_OS_WIN
    for (QChar &c : a)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
#endif
    if (!endsWithSeparator(a))
        a += Sep;
    return a;
}

// Replaces the target; QFile::copy refuses an existing one and keeps the
// source's permissions.
bool copyOver(const QString &from, const QString &to)
{
    if (QFileInfo::exists(to) && !QFile::remove(to))
        return false;
    return QFile::copy(from, to);
}

QString shQuote(const QString &s)
{
    QString q = s;
    q.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + q + u'\'';
}

QString quoted(const QString &path)
{
    return u'"' + path + u'"';
}

// cmd expands %NAME% in a batch line even inside quotes; %% is a literal %.
QString batchLiteral(const QString &path)
{
    QString p = path;
    p.replace(u'%', QStringLiteral("%%"));
    return u'"' + p + u'"';
}

// "call" expands the line a second time, so its % are doubled twice.
QString callLiteral(const QString &path)
{
    QString p = path;
    p.replace(u'%', QStringLiteral("%%%%"));
    return u'"' + p + u'"';
}

// Writes a new file: whatever is at the path (a link, a planted file) is
// removed first, and the file is created only if nothing came back meanwhile,
// so no link is ever followed.
bool writeFreshFile(const QString &path, const QByteArray &bytes)
{
    if (QFileInfo(path).isSymLink() || QFileInfo::exists(path))
        if (!QFile::remove(path))
            return false;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool written = f.write(bytes) == bytes.size() && f.flush();
    f.close();
    if (!written || f.error() != QFileDevice::NoError) {
        QFile::remove(path);
        return false;
    }
    return true;
}

// Removes what a run has staged, unless the run went through.
class StagingGuard {
public:
    explicit StagingGuard(const InstallPaths &paths) : m_paths(paths) {}
    ~StagingGuard()
    {
        if (m_kept)
            return;
        QFile::remove(m_paths.backup());
        QFile::remove(m_paths.staged());
        for (const QString &name : stagedOthers)
            QFile::remove(m_paths.staged(name));
        QFile::remove(m_paths.script);
    }
    StagingGuard(const StagingGuard &) = delete;
    StagingGuard &operator=(const StagingGuard &) = delete;
    void keep() { m_kept = true; }

    QStringList stagedOthers;

private:
    const InstallPaths &m_paths;
    bool m_kept = false;
};

const char *const English[] = {
    "Update is done! Please restart Your application!",
    "Not exist the directory of update source!",
    "Not exist the update source (application)!",
    "Not exist some of other files in directory of update source!",
    "Can't create the save directory!",
    "File copy error!",
    "Files already updated!",
    "Source directory not defined!",
};
const char *const Hungarian[] = {
    "A frissítés megtörtént! Indítsa újra az alkalmazást!",
    "Nem létezik a frissítés helyeként megadott könyvtár!",
    "Nem található a friss alkalmazás a forrás könyvtárban!",
    "Nem található a fájl a forrás könyvtárban!",
    "A mentési könyvtár nem hozható létre!",
    "Hiba a fájl másolása közben!",
    "A frissítés már megtörtént!",
    "A frissítés forrás könyvtára nincs megadva!",
};
const char *const French[] = {
    "Mise à jour effectuée ! Veuillez redémarrer votre application!",
    "Le directory pour la mise à jour n'existe pas !",
    "Le directory pour la mise à jour n'existe pas (application)!",
    "Certains fichiers n'existe pas dans le répertoire de mise à jour!",
    "Ne peut créer le répertore pour la sauvegarde !",
    "Erreur lors de la copie des fichiers !",
    "Fichier déja à jour!",
    "Le répertoire source n'est pas défini !",
};

} // namespace

UpdateInstaller::UpdateInstaller() : m_about(QStringLiteral("Kavrel Kervio güncelleyici 2.0")) {}

void UpdateInstaller::setOtherFiles(const QStringList &names)
{
    m_otherFiles.clear();
    for (const QString &n : names)
        if (!m_otherFiles.contains(n, Qt::CaseInsensitive))
            m_otherFiles << n;
}

QString UpdateInstaller::errorText(InstallLanguage language, InstallError error)
{
    const int i = int(error);
    if (i < 0 || i > 7)
        return {};
    switch (language) {
    case InstallLanguage::English: return QString::fromUtf8(English[i]);
    case InstallLanguage::Hungarian: return QString::fromUtf8(Hungarian[i]);
    case InstallLanguage::French: return QString::fromUtf8(French[i]);
    }
    return {};
}

void UpdateInstaller::reportError(InstallError error, const QString &parameter)
{
    const QString message = errorText(language, error);
    if (onError)
        onError(this, error, parameter, message);
}

QString UpdateInstaller::scriptPathFor(const QString &executable)
{
    const QFileInfo fi(executable);
#ifdef Q_OS_WIN
    const QString ext = QStringLiteral(".bat");
#else
    const QString ext = QStringLiteral(".sh");
#endif
    QString base = fi.completeBaseName();
    if (base.isEmpty())
        base = fi.fileName();
    QString script = QDir::toNativeSeparators(fi.absolutePath() + u'/' + base + ext);
    if (QFileInfo(script) == fi) // an executable already named like its script
        script = QDir::toNativeSeparators(fi.absoluteFilePath()) + QStringLiteral(".guncelle") + ext;
    return script;
}

QStringList UpdateInstaller::batchScriptLines(const InstallPaths &paths, const QStringList &others, bool restart)
{
    const QString exe = batchLiteral(paths.executable);
    QStringList l;
    l << QStringLiteral("@Echo Off")
      << QStringLiteral(":again")
      << QStringLiteral("del ") + exe
      << QStringLiteral("if exist ") + exe + QStringLiteral(" goto again")
      << QStringLiteral("copy ") + batchLiteral(paths.staged()) + u' ' + exe
      << QStringLiteral("del ") + batchLiteral(paths.staged());
    for (const QString &name : others)
        l << QStringLiteral("copy ") + batchLiteral(paths.staged(name)) + u' ' + batchLiteral(paths.folder + name)
          << QStringLiteral("del ") + batchLiteral(paths.staged(name));
    l << QStringLiteral("if exist ") + exe + QStringLiteral(" goto finish")
      << QStringLiteral("copy ") + batchLiteral(paths.backup()) + u' ' + exe
      << QStringLiteral(":finish")
      << QStringLiteral("del ") + batchLiteral(paths.backup());
    if (restart)
        l << QStringLiteral("call ") + callLiteral(paths.executable);
    l << QStringLiteral("del ") + batchLiteral(paths.script);
    return l;
}

QString UpdateInstaller::batchStartArguments(const QString &script)
{
    // With /s cmd strips only the outer pair of quotes and keeps the quoted
    // path whole, parentheses, blanks and all.
    return QStringLiteral("/s /c \"") + quoted(script) + u'"';
}

QString UpdateInstaller::shellScript(const InstallPaths &paths, const QStringList &others, qint64 pid, bool restart)
{
    const QString e = shQuote(paths.executable);
    const QString staged = shQuote(paths.staged());
    const QString backup = shQuote(paths.backup());
    QString s;
    s += QStringLiteral("#!/bin/sh\n");
    s += QStringLiteral("# Kavrel Kervio: puts the downloaded program in place once the running one has ended.\n");
    s += QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 0.2 2>/dev/null || sleep 1; done\n").arg(pid);
    s += QStringLiteral("rm -f ") + e + u'\n';
    // a copy cut short must not pass for the new program: the backup comes back instead
    s += QStringLiteral("if [ ! -e ") + e + QStringLiteral(" ] && [ -e ") + staged + QStringLiteral(" ]; then cp -p ")
        + staged + u' ' + e + QStringLiteral(" || rm -f ") + e + QStringLiteral("; fi\n");
    s += QStringLiteral("rm -f ") + staged + u'\n';
    for (const QString &name : others) {
        const QString so = shQuote(paths.staged(name));
        s += QStringLiteral("cp -p ") + so + u' ' + shQuote(paths.folder + name) + u'\n';
        s += QStringLiteral("rm -f ") + so + u'\n';
    }
    s += QStringLiteral("if [ ! -e ") + e + QStringLiteral(" ]; then cp -p ") + backup + u' ' + e
        + QStringLiteral("; fi\n");
    // the backup goes only once a program is in place again
    s += QStringLiteral("if [ -e ") + e + QStringLiteral(" ]; then rm -f ") + backup + QStringLiteral("; fi\n");
    if (restart)
        s += e + QStringLiteral(" </dev/null >/dev/null 2>&1 &\n");
    s += QStringLiteral("rm -f ") + shQuote(paths.script) + u'\n';
    return s;
}

bool UpdateInstaller::install()
{
    if (m_installed) {
        reportError(InstallError::AlreadyInstalled);
        return false;
    }
    if (sourceFolder.trimmed().isEmpty()) {
        reportError(InstallError::NoSourceFolderSet);
        return false;
    }
    const InstallPaths paths = resolvePaths();
    if (!checkSourcesAndBackupFolder(paths) || !prepareBackupFolder())
        return false; // nothing has been touched
    StagingGuard staging(paths);
    if (!stageFiles(paths, staging.stagedOthers) || !writeScript(paths, staging.stagedOthers)
        || !launchScript(paths.script))
        return false;
    staging.keep();
    finish();
    return true;
}

// The executable's paths; the source and backup folders gain their trailing
// separator, and an empty backup folder becomes "PRGBACKUP" beside the
// executable.
InstallPaths UpdateInstaller::resolvePaths()
{
    InstallPaths paths;
    paths.executable = QDir::toNativeSeparators(QFileInfo(
        executablePath.isEmpty() ? QCoreApplication::applicationFilePath() : executablePath).absoluteFilePath());
    paths.fileName = QFileInfo(paths.executable).fileName();
    paths.folder = folderOf(paths.executable);
    if (!endsWithSeparator(sourceFolder))
        sourceFolder += Sep;
    paths.source = sourceFolder;
    paths.script = scriptPathFor(paths.executable);
    if (!backupFolder.trimmed().isEmpty()) {
        if (!endsWithSeparator(backupFolder))
            backupFolder += Sep;
    } else {
        backupFolder = paths.folder + QStringLiteral("PRGBACKUP") + Sep;
    }
    return paths;
}

// Reports every missing piece, or only the first with stopOnFirstError;
// false when any is missing.
bool UpdateInstaller::checkSourcesAndBackupFolder(const InstallPaths &paths)
{
    bool failed = false;
    // true: report no further
    const auto fail = [&](InstallError error, const QString &parameter) {
        reportError(error, parameter);
        failed = true;
        return stopOnFirstError;
    };
    if (!QFileInfo(paths.source).isDir() && fail(InstallError::NoSourceFolder, {}))
        return false;
    if (!QFileInfo(paths.source + paths.fileName).isFile() && fail(InstallError::NoSourceExecutable, {}))
        return false;
    if (keepOriginals && !QFileInfo(backupFolder).isDir() && !QDir().mkpath(backupFolder)
        && fail(InstallError::CannotCreateBackupFolder, backupFolder))
        return false;
    return !failed;
}

// The time-stamped folder of this run under the backup folder.
bool UpdateInstaller::prepareBackupFolder()
{
    backupFolder += QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")) + Sep;
    if (keepOriginals && !QDir().mkpath(backupFolder)) {
        reportError(InstallError::CannotCreateBackupFolder, backupFolder);
        return false;
    }
    return true;
}

// The backup beside the executable, the originals in the backup folder when
// asked, and the new files staged beside the old ones.
bool UpdateInstaller::stageFiles(const InstallPaths &paths, QStringList &stagedOthers)
{
    const auto copyFailed = [this](const QString &name) {
        reportError(InstallError::CopyFailed, name);
        return false;
    };
    if (!copyOver(paths.executable, paths.backup()))
        return copyFailed(paths.fileName);
    if (keepOriginals && QFileInfo(backupFolder).isDir()) {
        if (!copyOver(paths.executable, backupFolder + paths.fileName))
            return copyFailed(paths.fileName);
        for (const QString &name : m_otherFiles)
            if (QFileInfo::exists(paths.folder + name) && !copyOver(paths.folder + name, backupFolder + name))
                return copyFailed(name);
    }
    if (!copyOver(paths.source + paths.fileName, paths.staged()))
        return copyFailed(u'_' + paths.fileName);
    for (const QString &name : m_otherFiles) {
        if (!QFileInfo::exists(paths.source + name))
            continue;
        if (!copyOver(paths.source + name, paths.staged(name)))
            return copyFailed(u'_' + name);
        stagedOthers << name;
    }
    return true;
}

bool UpdateInstaller::writeScript(const InstallPaths &paths, const QStringList &stagedOthers)
{
#ifdef Q_OS_WIN
    QByteArray bytes;
    for (const QString &line : batchScriptLines(paths, stagedOthers, restartAfterwards)) {
        appendCp1254(bytes, line);
        bytes += "\r\n";
    }
#else
    const qint64 pid = programPid > 0 ? programPid : QCoreApplication::applicationPid();
    const QByteArray bytes = shellScript(paths, stagedOthers, pid, restartAfterwards).toUtf8();
#endif
    if (writeFreshFile(paths.script, bytes))
        return true;
    reportError(InstallError::CopyFailed, QFileInfo(paths.script).fileName());
    return false;
}

bool UpdateInstaller::launchScript(const QString &script) const
{
    if (startScript)
        return startScript(script);
    QProcess p;
#ifdef Q_OS_WIN
    p.setProgram(QStringLiteral("cmd.exe"));
    p.setNativeArguments(batchStartArguments(script));
    p.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags |= CREATE_NO_WINDOW | IDLE_PRIORITY_CLASS;
    });
#else
    p.setProgram(QStringLiteral("/bin/sh"));
    p.setArguments({script});
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
#endif
    return p.startDetached();
}

void UpdateInstaller::finish()
{
    m_installed = true;
    if (restartAfterwards) {
        if (requestClose)
            requestClose();
    } else {
        reportError(InstallError::NeedRestart);
    }
}

} // namespace kervio
