#include "update/updateinstaller.h"
#include "common/filebytes.h"
#include "update/programfixture.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace kervio;
using namespace kervio::test;

Q_DECLARE_METATYPE(kervio::InstallError)

namespace {

// An installation folder with a blank in its name, as on Windows.
InstallPaths windowsPaths()
{
    InstallPaths p;
    p.executable = QStringLiteral("C:\\Program Files\\Kervio\\Kervio.exe");
    p.fileName = QStringLiteral("Kervio.exe");
    p.folder = QStringLiteral("C:\\PROGRAM FILES\\KERVIO\\");
    p.source = QStringLiteral("C:\\Program Files\\Kervio\\Dosya\\");
    p.script = QStringLiteral("C:\\Program Files\\Kervio\\Kervio.bat");
    return p;
}

// A folder with the running program "kervio" and the new one waiting in
// "Dosya"; returns the program's path.
QString installationFolder(const QDir &folder)
{
    const QString E = folder.filePath(QStringLiteral("kervio"));
    if (!writeExecutable(E, programText("eski")) || !folder.mkpath(QStringLiteral("Dosya"))
        || !writeExecutable(folder.filePath(QStringLiteral("Dosya/kervio")), programText("yeni")))
        qFatal("cannot prepare %s", qPrintable(folder.path()));
    return E;
}

QString quoted(const QString &path)
{
    return u'"' + path + u'"';
}

} // namespace

class TestUpdateInstaller : public QObject {
    Q_OBJECT

private slots:
    void batchScript_data();
    void batchScript();
    void errorsReachOnError();
    void failedCheckTouchesNothing_data();
    void failedCheckTouchesNothing();
    void failedStagingIsRolledBack_data();
    void failedStagingIsRolledBack();
    void shellScriptRestoresBackupWhenNothingArrived();
    void batchLinesTakePercentLiterally();
    void scriptReplacesALinkInsteadOfFollowingIt();
};

void TestUpdateInstaller::batchScript_data()
{
    QTest::addColumn<QStringList>("others");
    QTest::addColumn<bool>("restart");
    QTest::newRow("one other file, restart") << QStringList{QStringLiteral("Rapor.frf")} << true;
    QTest::newRow("no other files, no restart") << QStringList{} << false;
}

// The script never runs here: what it must do is checked on its lines.
void TestUpdateInstaller::batchScript()
{
    QFETCH(QStringList, others);
    QFETCH(bool, restart);
    const InstallPaths p = windowsPaths();
    const QStringList lines = UpdateInstaller::batchScriptLines(p, others, restart);
    const auto at = [&](const QString &line) {
        const qsizetype i = lines.indexOf(line);
        if (i < 0)
            qWarning() << "missing:" << line;
        return i;
    };
    const QString exe = quoted(p.executable);

    // every path is quoted, so blanks in the folder do no harm
    static const QRegularExpression quotedPart(QStringLiteral("\"[^\"]*\""));
    for (const QString &line : lines) {
        const QString outside = QString(line).remove(quotedPart);
        QVERIFY2(!outside.contains(u'"') && !outside.contains(u'\\'), qPrintable(line));
    }

    QCOMPARE(lines.first(), QStringLiteral("@Echo Off"));
    // the program's file goes as soon as the program has ended
    const qsizetype again = at(QStringLiteral(":again"));
    QVERIFY(again >= 0);
    QCOMPARE(lines[again + 1], QStringLiteral("del ") + exe);
    QCOMPARE(lines[again + 2], QStringLiteral("if exist ") + exe + QStringLiteral(" goto again"));
    // then the staged program takes its place and its staged copy goes
    const qsizetype put = at(QStringLiteral("copy ") + quoted(p.folder + QStringLiteral("_Kervio.exe")) + u' ' + exe);
    QVERIFY(put > again + 2);
    QVERIFY(at(QStringLiteral("del ") + quoted(p.folder + QStringLiteral("_Kervio.exe"))) > put);
    // the further files, each after the program
    for (const QString &o : others) {
        const qsizetype copy = at(QStringLiteral("copy ") + quoted(p.staged(o)) + u' ' + quoted(p.folder + o));
        QVERIFY(copy > put);
        QCOMPARE(lines[copy + 1], QStringLiteral("del ") + quoted(p.staged(o)));
    }
    // when no program arrived the backup comes back; the backup goes in any case
    const qsizetype check = at(QStringLiteral("if exist ") + exe + QStringLiteral(" goto finish"));
    const qsizetype restore = at(QStringLiteral("copy ") + quoted(p.folder + QStringLiteral("BKervio.exe")) + u' ' + exe);
    const qsizetype finish = at(QStringLiteral(":finish"));
    const qsizetype dropBackup = at(QStringLiteral("del ") + quoted(p.folder + QStringLiteral("BKervio.exe")));
    QVERIFY(put < check && check + 1 == restore && restore + 1 == finish && finish + 1 == dropBackup);
    // the program starts again only when asked, and the script removes itself last
    QCOMPARE(lines.contains(QStringLiteral("call ") + exe), restart);
    QCOMPARE(lines.last(), QStringLiteral("del ") + quoted(p.script));
}

void TestUpdateInstaller::errorsReachOnError()
{
    UpdateInstaller u;
    QList<std::tuple<InstallError, QString, QString>> got;
    u.onError = [&](UpdateInstaller *sender, InstallError error, const QString &param, const QString &msg) {
        QCOMPARE(sender, &u);
        got.append({error, param, msg});
    };
    u.language = InstallLanguage::French;
    u.reportError(InstallError::CopyFailed, QStringLiteral("_Kervio.exe"));
    u.language = InstallLanguage::Hungarian;
    u.reportError(InstallError::AlreadyInstalled);
    u.language = InstallLanguage::English;
    u.reportError(InstallError::NoSourceFolderSet);
    QCOMPARE(got.size(), 3);
    QCOMPARE(got[0], std::make_tuple(InstallError::CopyFailed, QStringLiteral("_Kervio.exe"),
                                     QStringLiteral("Erreur lors de la copie des fichiers !")));
    QCOMPARE(got[1], std::make_tuple(InstallError::AlreadyInstalled, QString(), QStringLiteral("A frissítés már megtörtént!")));
    QCOMPARE(got[2], std::make_tuple(InstallError::NoSourceFolderSet, QString(), QStringLiteral("Source directory not defined!")));
}

void TestUpdateInstaller::failedCheckTouchesNothing_data()
{
    QTest::addColumn<QString>("source");        // relative to the temp folder; "" = empty property
    QTest::addColumn<bool>("stopOnFirst");
    QTest::addColumn<QList<InstallError>>("errors");
    using E = InstallError;
    QTest::newRow("no source folder") << QStringLiteral("yok/") << false << QList<E>{E::NoSourceFolder, E::NoSourceExecutable};
    QTest::newRow("no source folder, stop at first") << QStringLiteral("yok/") << true << QList<E>{E::NoSourceFolder};
    QTest::newRow("no new executable") << QStringLiteral("Dosya/") << false << QList<E>{E::NoSourceExecutable};
    QTest::newRow("blank source") << QStringLiteral("  ") << false << QList<E>{E::NoSourceFolderSet};
}

void TestUpdateInstaller::failedCheckTouchesNothing()
{
    QFETCH(QString, source);
    QFETCH(bool, stopOnFirst);
    QFETCH(QList<InstallError>, errors);
    QTemporaryDir tmp;
    const QString E = tmp.filePath(QStringLiteral("kervio"));
    QVERIFY(writeExecutable(E, programText("eski")));
    QDir(tmp.path()).mkdir(QStringLiteral("Dosya"));

    UpdateInstaller u;
    QList<InstallError> got;
    u.onError = [&](UpdateInstaller *, InstallError e, const QString &, const QString &) { got << e; };
    u.executablePath = E;
    u.stopOnFirstError = stopOnFirst;
    u.sourceFolder = source.trimmed().isEmpty() ? source : tmp.filePath(source);
    int started = 0, closes = 0;
    u.startScript = [&](const QString &) { return ++started, true; };
    u.requestClose = [&] { ++closes; };

    QVERIFY(!u.install());
    QCOMPARE(got, errors);
    QCOMPARE(started, 0);
    QCOMPARE(closes, 0);
    QVERIFY(!u.hasInstalled());
    QCOMPARE(readBytes(E), programText("eski"));
    QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), QStringList{QStringLiteral("kervio")});
}

void TestUpdateInstaller::failedStagingIsRolledBack_data()
{
    QTest::addColumn<QString>("blocked");     // a folder where the run wants to write a file
    QTest::addColumn<bool>("scriptStarts");
    QTest::addColumn<QString>("reported");    // the copy error's parameter; empty: none
    QTest::newRow("the staged program") << QStringLiteral("_kervio") << true << QStringLiteral("_kervio");
    QTest::newRow("a staged further file") << QStringLiteral("_ayar.dat") << true << QStringLiteral("_ayar.dat");
    QTest::newRow("the script") << QStringLiteral("kervio.sh") << true << QStringLiteral("kervio.sh");
    QTest::newRow("the script does not start") << QString() << false << QString();
}

void TestUpdateInstaller::failedStagingIsRolledBack()
{
    QFETCH(QString, blocked);
    QFETCH(bool, scriptStarts);
    QFETCH(QString, reported);
    QTemporaryDir tmp;
    const QDir folder(tmp.path());
    const QString E = installationFolder(folder);
    QVERIFY(saveFileContents(folder.filePath(QStringLiteral("Dosya/ayar.dat")), "ayar"));
    // a folder with something in it cannot be replaced by a file
    if (!blocked.isEmpty()) {
        QVERIFY(folder.mkdir(blocked));
        QVERIFY(saveFileContents(folder.filePath(blocked + QStringLiteral("/icinde")), "x"));
    }

    UpdateInstaller u;
    u.executablePath = E;
    u.sourceFolder = folder.filePath(QStringLiteral("Dosya"));
    u.setOtherFiles({QStringLiteral("ayar.dat")});
    QStringList copyErrors;
    u.onError = [&](UpdateInstaller *, InstallError e, const QString &param, const QString &) {
        QCOMPARE(e, InstallError::CopyFailed);
        copyErrors << param;
    };
    int closes = 0;
    u.startScript = [&](const QString &) { return scriptStarts; };
    u.requestClose = [&] { ++closes; };

    QVERIFY(!u.install());
    QCOMPARE(copyErrors, reported.isEmpty() ? QStringList{} : QStringList{reported});
    QVERIFY(!u.hasInstalled());
    QCOMPARE(closes, 0);
    // nothing staged stays behind, and the program is as it was
    QCOMPARE(folder.entryList(QDir::Files), QStringList{QStringLiteral("kervio")});
    QCOMPARE(readBytes(E), programText("eski"));
}

void TestUpdateInstaller::shellScriptRestoresBackupWhenNothingArrived()
{
    QTemporaryDir tmp;
    InstallPaths p;
    p.folder = tmp.path() + u'/';
    p.fileName = QStringLiteral("kervio");
    p.executable = p.folder + p.fileName;
    p.source = p.folder + QStringLiteral("Dosya/");
    p.script = UpdateInstaller::scriptPathFor(p.executable);
    // the program has ended and its file is gone, as if the staged copy never came
    QVERIFY(writeExecutable(p.backup(), programText("eski")));
    QProcess ended;
    ended.start(QStringLiteral("/bin/true"));
    QVERIFY(ended.waitForFinished());
    const qint64 pid = ended.processId() > 0 ? ended.processId() : 999999;
    QVERIFY(saveFileContents(p.script, UpdateInstaller::shellScript(p, {}, pid, false).toUtf8()));
    QCOMPARE(QProcess::execute(QStringLiteral("/bin/sh"), {p.script}), 0);
    QCOMPARE(readBytes(p.executable), programText("eski"));
    QVERIFY(QFileInfo(p.executable).isExecutable());
    QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), QStringList{QStringLiteral("kervio")});
}

// cmd expands %...% in batch lines even inside quotes, and "call" expands its
// line twice; a folder with parentheses must not break the line that starts
// the script.
void TestUpdateInstaller::batchLinesTakePercentLiterally()
{
    InstallPaths p;
    p.executable = QStringLiteral("C:\\Program Files (x86)\\%100 %PATH%\\Kervio.exe");
    p.fileName = QStringLiteral("Kervio.exe");
    p.folder = QStringLiteral("C:\\PROGRAM FILES (X86)\\%100 %PATH%\\");
    p.source = p.folder + QStringLiteral("Dosya\\");
    p.script = QStringLiteral("C:\\Program Files (x86)\\%100 %PATH%\\Kervio.bat");
    const QStringList lines = UpdateInstaller::batchScriptLines(p, {QStringLiteral("a%b.frf")}, true);
    const QString exe = QStringLiteral("\"C:\\Program Files (x86)\\%%100 %%PATH%%\\Kervio.exe\"");
    QVERIFY(lines.contains(QStringLiteral("del ") + exe));
    QVERIFY(lines.contains(QStringLiteral("copy \"C:\\PROGRAM FILES (X86)\\%%100 %%PATH%%\\_a%%b.frf\" "
                                          "\"C:\\PROGRAM FILES (X86)\\%%100 %%PATH%%\\a%%b.frf\"")));
    QVERIFY(lines.contains(QStringLiteral("call \"C:\\Program Files (x86)\\%%%%100 %%%%PATH%%%%\\Kervio.exe\"")));
    // no single % is left anywhere
    static const QRegularExpression lonePercent(QStringLiteral("(?<!%)%(%%)*(?!%)"));
    for (const QString &line : lines)
        QVERIFY2(!line.contains(lonePercent), qPrintable(line));
    QCOMPARE(UpdateInstaller::batchStartArguments(p.script),
             QStringLiteral("/s /c \"\"C:\\Program Files (x86)\\%100 %PATH%\\Kervio.bat\"\""));
}

void TestUpdateInstaller::scriptReplacesALinkInsteadOfFollowingIt()
{
    QTemporaryDir tmp;
    const QDir folder(tmp.path());
    const QString E = installationFolder(folder);
    // someone else's file, linked where the script goes
    const QString victim = folder.filePath(QStringLiteral("baskasinin"));
    QVERIFY(saveFileContents(victim, "dokunma"));
    const QString script = UpdateInstaller::scriptPathFor(E);
    QVERIFY(QFile::link(victim, script));

    UpdateInstaller u;
    u.executablePath = E;
    u.sourceFolder = folder.filePath(QStringLiteral("Dosya"));
    u.startScript = [](const QString &) { return true; };
    QVERIFY(u.install());
    QCOMPARE(readBytes(victim), QByteArray("dokunma"));
    QVERIFY(!QFileInfo(script).isSymLink());
    QVERIFY(readBytes(script).startsWith("#!/bin/sh"));
}

QTEST_GUILESS_MAIN(TestUpdateInstaller)
#include "tst_updateinstaller.moc"
