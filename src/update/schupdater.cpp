#include "schupdater.h"
#include "core/codepage1254.h"
#include "core/savefile.h"

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
QString folderOf(const QString &exe)
{
    QString a = QDir::toNativeSeparators(QFileInfo(exe).absolutePath());
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

TSchUpdater::TSchUpdater() : m_about(QStringLiteral("Kavrel Kervio güncelleyici 2.0")) {}

void TSchUpdater::setOtherFiles(const QStringList &names)
{
    m_otherFiles.clear();
    for (const QString &n : names)
        if (!m_otherFiles.contains(n, Qt::CaseInsensitive))
            m_otherFiles << n;
}

QString TSchUpdater::ErrorText(TSchSimpleUpdaterLanguage language, TSchSimpleUpdaterError code)
{
    const int i = int(code);
    if (i < 0 || i > 7)
        return {};
    switch (language) {
    case sulaEnglish:
        return QString::fromUtf8(English[i]);
    case sulaHungarian:
        return QString::fromUtf8(Hungarian[i]);
    case sulaFrench:
        return QString::fromUtf8(French[i]);
    }
    return {};
}

void TSchUpdater::DoError(TSchSimpleUpdaterError code, const QString &Parameter)
{
    const QString msg = ErrorText(Language, code);
    if (OnError)
        OnError(this, code, Parameter, msg);
}

QString TSchUpdater::ScriptPathFor(const QString &E)
{
    const QFileInfo fi(E);
#ifdef Q_OS_WIN
    const QString ext = QStringLiteral(".bat");
#else
    const QString ext = QStringLiteral(".sh");
#endif
    QString base = fi.completeBaseName();
    if (base.isEmpty())
        base = fi.fileName();
    QString w = QDir::toNativeSeparators(fi.absolutePath() + u'/' + base + ext);
    if (QFileInfo(w) == fi) // an executable already named like its script
        w = QDir::toNativeSeparators(fi.absoluteFilePath()) + QStringLiteral(".guncelle") + ext;
    return w;
}

QStringList TSchUpdater::BatchScriptLines(const QString &E, const QString &A, const QString &F,
                                          const QStringList &others, const QString &W, bool autoRestart)
{
    const QString q = QStringLiteral("\"");
    QStringList l;
    l << QStringLiteral("@Echo Off")
      << QStringLiteral(":again")
      << QStringLiteral("del ") + q + E + q
      << QStringLiteral("if exist ") + q + E + q + QStringLiteral(" goto again")
      << QStringLiteral("copy ") + q + A + u'_' + F + q + u' ' + q + E + q
      << QStringLiteral("del ") + q + A + u'_' + F + q;
    for (const QString &O : others)
        l << QStringLiteral("copy ") + q + A + u'_' + O + q + u' ' + q + A + O + q
          << QStringLiteral("del ") + q + A + u'_' + O + q;
    l << QStringLiteral("if exist ") + q + E + q + QStringLiteral(" goto finish")
      << QStringLiteral("copy ") + q + A + u'B' + F + q + u' ' + q + E + q
      << QStringLiteral(":finish")
      << QStringLiteral("del ") + q + A + u'B' + F + q;
    if (autoRestart)
        l << QStringLiteral("call ") + q + E + q;
    l << QStringLiteral("del ") + q + W + q;
    return l;
}

QString TSchUpdater::ShellScriptText(const QString &E, const QString &A, const QString &F,
                                     const QStringList &others, const QString &W, qint64 pid, bool autoRestart)
{
    const QString e = shQuote(E);
    const QString staged = shQuote(A + u'_' + F);
    const QString backup = shQuote(A + u'B' + F);
    QString s;
    s += QStringLiteral("#!/bin/sh\n");
    s += QStringLiteral("# Kavrel Kervio: puts the downloaded program in place once the running one has ended.\n");
    s += QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 0.2 2>/dev/null || sleep 1; done\n").arg(pid);
    s += QStringLiteral("rm -f ") + e + u'\n';
    // a copy cut short must not pass for the new program: the backup comes back instead
    s += QStringLiteral("if [ ! -e ") + e + QStringLiteral(" ] && [ -e ") + staged + QStringLiteral(" ]; then cp -p ") + staged + u' ' + e
        + QStringLiteral(" || rm -f ") + e + QStringLiteral("; fi\n");
    s += QStringLiteral("rm -f ") + staged + u'\n';
    for (const QString &O : others) {
        const QString so = shQuote(A + u'_' + O);
        s += QStringLiteral("cp -p ") + so + u' ' + shQuote(A + O) + u'\n';
        s += QStringLiteral("rm -f ") + so + u'\n';
    }
    s += QStringLiteral("if [ ! -e ") + e + QStringLiteral(" ]; then cp -p ") + backup + u' ' + e + QStringLiteral("; fi\n");
    // the backup goes only once a program is in place again
    s += QStringLiteral("if [ -e ") + e + QStringLiteral(" ]; then rm -f ") + backup + QStringLiteral("; fi\n");
    if (autoRestart)
        s += e + QStringLiteral(" </dev/null >/dev/null 2>&1 &\n");
    s += QStringLiteral("rm -f ") + shQuote(W) + u'\n';
    return s;
}

bool TSchUpdater::startScriptDefault(const QString &script) const
{
    QProcess p;
#ifdef Q_OS_WIN
    p.setProgram(QStringLiteral("cmd.exe"));
    p.setArguments({QStringLiteral("/c"), script});
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

bool TSchUpdater::UpdateApp()
{
    if (m_updated) {
        DoError(suecAlreadyUpdated);
        return false;
    }
    if (UpdateSrc.trimmed().isEmpty()) {
        DoError(suecEmptySourceDir);
        return false;
    }

    const QString E = QDir::toNativeSeparators(QFileInfo(
        ExecutablePath.isEmpty() ? QCoreApplication::applicationFilePath() : ExecutablePath).absoluteFilePath());
    const QString F = QFileInfo(E).fileName();
    if (!endsWithSeparator(UpdateSrc))
        UpdateSrc += Sep;
    const QString S = UpdateSrc;
    const QString A = folderOf(E);
    if (!SaveDir.trimmed().isEmpty()) {
        if (!endsWithSeparator(SaveDir))
            SaveDir += Sep;
    } else {
        SaveDir = A + QStringLiteral("PRGBACKUP") + Sep;
    }

    bool failed = false;
    // true: end the run now
    auto report = [&](TSchSimpleUpdaterError code, const QString &param) {
        DoError(code, param);
        failed = true;
        return StopOnFirstError;
    };

    if (!QFileInfo(S).isDir() && report(suecNoEXESourceDir, {}))
        return false;
    if (!QFileInfo(S + F).isFile() && report(suecNoEXESource, {}))
        return false;
    if (SaveOriginalFiles && !QFileInfo(SaveDir).isDir() && !QDir().mkpath(SaveDir)
        && report(suecCannotCreateSaveDir, SaveDir))
        return false;
    if (failed)
        return false; // nothing has been touched

    SaveDir += QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")) + Sep;
    if (SaveOriginalFiles && !QDir().mkpath(SaveDir)) {
        DoError(suecCannotCreateSaveDir, SaveDir);
        return false;
    }

    const QString backup = A + u'B' + F;
    const QString stagedExe = A + u'_' + F;
    QStringList stagedOthers;
    const QString W = ScriptPathFor(E);
    auto undo = [&] {
        QFile::remove(backup);
        QFile::remove(stagedExe);
        for (const QString &O : stagedOthers)
            QFile::remove(A + u'_' + O);
        QFile::remove(W);
    };

    if (!copyOver(E, backup)) {
        DoError(suecFileCopyError, F);
        undo();
        return false;
    }
    if (SaveOriginalFiles && QFileInfo(SaveDir).isDir()) {
        if (!copyOver(E, SaveDir + F)) {
            DoError(suecFileCopyError, F);
            undo();
            return false;
        }
        for (const QString &O : m_otherFiles)
            if (QFileInfo::exists(A + O) && !copyOver(A + O, SaveDir + O)) {
                DoError(suecFileCopyError, O);
                undo();
                return false;
            }
    }
    if (!copyOver(S + F, stagedExe)) {
        DoError(suecFileCopyError, u'_' + F);
        undo();
        return false;
    }
    for (const QString &O : m_otherFiles) {
        if (!QFileInfo::exists(S + O))
            continue;
        if (!copyOver(S + O, A + u'_' + O)) {
            DoError(suecFileCopyError, u'_' + O);
            undo();
            return false;
        }
        stagedOthers << O;
    }

#ifdef Q_OS_WIN
    QByteArray bytes;
    for (const QString &line : BatchScriptLines(E, A, F, stagedOthers, W, AutoRestartApp)) {
        appendCp1254(bytes, line);
        bytes += "\r\n";
    }
#else
    const qint64 pid = ProgramPid > 0 ? ProgramPid : QCoreApplication::applicationPid();
    const QByteArray bytes = ShellScriptText(E, A, F, stagedOthers, W, pid, AutoRestartApp).toUtf8();
#endif
    if (!saveFileContents(W, bytes)) {
        DoError(suecFileCopyError, QFileInfo(W).fileName());
        undo();
        return false;
    }
    const bool started = StartScript ? StartScript(W) : startScriptDefault(W);
    if (!started) {
        undo();
        return false;
    }

    m_updated = true;
    if (AutoRestartApp) {
        if (CloseRequest)
            CloseRequest();
    } else {
        DoError(suecNeedRestartApp);
    }
    return true;
}

} // namespace kervio
