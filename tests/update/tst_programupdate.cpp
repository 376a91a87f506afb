#include "update/programupdate.h"
#include "common/filebytes.h"
#include "core/savefile.h"
#include "core/scripteddialogs.h"
#include "update/programfixture.h"
#include "update/tinyhttpserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sodium.h>

using namespace kervio;
using namespace kervio::test;

namespace {

struct KeyPair {
    QByteArray pk, sk;
    KeyPair()
    {
        pk.resize(crypto_sign_PUBLICKEYBYTES);
        sk.resize(crypto_sign_SECRETKEYBYTES);
        crypto_sign_keypair(reinterpret_cast<unsigned char *>(pk.data()), reinterpret_cast<unsigned char *>(sk.data()));
    }
};

QByteArray sha256(const QByteArray &bytes)
{
    QByteArray out(crypto_hash_sha256_BYTES, 0);
    crypto_hash_sha256(reinterpret_cast<unsigned char *>(out.data()), reinterpret_cast<const unsigned char *>(bytes.constData()),
                       static_cast<unsigned long long>(bytes.size()));
    return out;
}

// The maker's manifest of `program` as this program expects it.
UpdateManifest manifestOf(const QByteArray &program)
{
    UpdateManifest m;
    m.platform = UpdateManifest::platformName();
    m.fileName = QFileInfo(ProgramUpdate::downloadPath()).fileName();
    m.version = ProgramUpdate::builtInVersion();
    m.size = program.size();
    m.sha256 = sha256(program);
    return m;
}

} // namespace

class TestProgramUpdate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(sodium_init() >= 0); }

    void serverAddress();
    void declinedOrOffline_data();
    void declinedOrOffline();
    void failedDownloadKeepsProgram_data();
    void failedDownloadKeepsProgram();
    void updateEndToEnd();
    void installedProgramIsLeftToThePackageManager();
};

void TestProgramUpdate::serverAddress()
{
    QTemporaryDir tmp;
    const QString ini = tmp.filePath(QStringLiteral("Ayarlar.ini"));
    ScriptedDialogs dialogs;
    ProgramUpdate g(&dialogs);
    g.setSettingsPath(ini);
    QCOMPARE(g.updateUrl(), QUrl(ProgramUpdate::builtInServer() + ProgramUpdate::downloadPath()));
    QVERIFY(saveFileContents(ini, "[Ayar]\r\nyilgun=365\r\n[GUNCELLEME]\r\nSunucu=ayna.example.org:8080/\r\n"));
    QCOMPARE(g.updateUrl(), QUrl(QStringLiteral("http://ayna.example.org:8080") + ProgramUpdate::downloadPath()));
}

void TestProgramUpdate::declinedOrOffline_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("online");
    QTest::addColumn<QStringList>("shown");
    const QString ask = QStringLiteral("Bu işlem programınızın versionunu yükseltecektir!\n\rDevam etmek istiyormusunuz?");
    QTest::newRow("answered no") << false << true << QStringList{ask};
    QTest::newRow("offline") << true << false
                             << QStringList{ask, QStringLiteral("Internet bağlantınız yok! Bağlantı Yaptıktan sonra tekrar deneyiniz.")};
}

void TestProgramUpdate::declinedOrOffline()
{
    QFETCH(bool, yes);
    QFETCH(bool, online);
    QFETCH(QStringList, shown);
    TinyHttpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    QTemporaryDir tmp;
    QVERIFY(saveFileContents(tmp.filePath(QStringLiteral("Ayarlar.ini")),
                             "[Guncelleme]\r\nsunucu=" + server.base().toUtf8() + "\r\n"));
    ScriptedDialogs dialogs;
    dialogs.answers.push_back(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    ProgramUpdate g(&dialogs);
    g.setExecutablePath(tmp.filePath(QStringLiteral("kervio")));
    g.connectivity = [online] { return online; };
    int shownProgress = 0;
    g.showProgressWindow = [&] { ++shownProgress; };
    g.run();
    QCOMPARE(dialogs.texts(), shown);
    QCOMPARE(dialogs.shown.front().title, QStringLiteral("Kavrel Kervio"));
    QCOMPARE(shownProgress, 0);
    QVERIFY(server.requested.isEmpty());
}

void TestProgramUpdate::failedDownloadKeepsProgram_data()
{
    QTest::addColumn<QString>("fault");
    for (const char *f : {"other platform", "other file", "older version", "no version number", "wrong size",
                          "wrong hash", "longer than announced", "signed by another key", "tampered manifest",
                          "manifest over 4 KB", "executable over 64 MB", "no manifest", "missing on server",
                          "unreachable server", "silent server", "cancelled while it trickles"})
        QTest::newRow(f) << QString::fromLatin1(f);
}

void TestProgramUpdate::failedDownloadKeepsProgram()
{
    QFETCH(QString, fault);
    const KeyPair key, otherKey;
    TinyHttpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QByteArray path = ProgramUpdate::downloadPath().toUtf8();
    const QByteArray fresh = programText("yeni");
    UpdateManifest m = manifestOf(fresh);
    QByteArray served = fresh;
    if (fault == u"other platform")
        m.platform = QStringLiteral("winnt-x86_64") == m.platform ? QStringLiteral("linux-x86_64") : QStringLiteral("winnt-x86_64");
    else if (fault == u"other file")
        m.fileName = QStringLiteral("Kasa20.exe");
    else if (fault == u"older version")
        m.version = QStringLiteral("1.9");
    else if (fault == u"no version number")
        m.version = QStringLiteral("yeni");
    else if (fault == u"wrong size")
        m.size -= 1;
    else if (fault == u"wrong hash")
        served[5] = 'X';
    else if (fault == u"longer than announced")
        served += QByteArray(100000, '#');
    else if (fault == u"executable over 64 MB")
        m.size = UpdateManifest::MaxExecutableBytes + 1;
    QByteArray manifest = m.sign(fault == u"signed by another key" ? otherKey.sk : key.sk);
    if (fault == u"tampered manifest")
        manifest.replace("surum=" + m.version.toUtf8(), "surum=9.9");
    else if (fault == u"manifest over 4 KB")
        manifest.prepend(QByteArray(UpdateManifest::MaxBytes, '\n'));
    if (fault != u"missing on server")
        server.files.insert(path, served);
    if (fault != u"no manifest" && fault != u"missing on server")
        server.files.insert(path + ".manifest", manifest);
    server.silent = fault == u"silent server";
    if (fault == u"cancelled while it trickles")
        server.trickled = path;
    QString base = server.base();
    if (fault == u"unreachable server")
        server.close();

    QTemporaryDir tmp;
    const QString E = tmp.filePath(QStringLiteral("kervio"));
    QVERIFY(writeExecutable(E, programText("eski")));
    QVERIFY(saveFileContents(tmp.filePath(QStringLiteral("Ayarlar.ini")), "[Guncelleme]\r\nsunucu=" + base.toUtf8() + "\r\n"));
    ScriptedDialogs dialogs;
    dialogs.answers.push_back(Dialogs::Answer::Yes);
    ProgramUpdate g(&dialogs);
    g.setExecutablePath(E);
    g.setPublicKey(key.pk);
    g.setTimeouts(300, 3000);
    const bool cancel = fault == u"cancelled while it trickles";
    if (cancel)
        g.setTimeouts(60000, 60000); // only the cancel ends it
    g.connectivity = [] { return true; };
    QStringList events;
    g.showProgressWindow = [&] {
        events << QStringLiteral("show");
        if (cancel) // "İptal" of the waiting window, once the download runs
            QTimer::singleShot(300, [] { ProgramUpdate::cancelRunning(); });
    };
    g.hideProgressWindow = [&] { events << QStringLiteral("hide"); };
    g.setConfirmOnClose = [&](bool on) { events << (on ? QStringLiteral("ask") : QStringLiteral("noask")); };
    g.closeMainWindow = [&] { events << QStringLiteral("close"); };
    int scripts = 0;
    g.installer.startScript = [&](const QString &) { return ++scripts, true; };

    QElapsedTimer clock;
    clock.start();
    g.run();
    if (cancel) {
        QVERIFY(g.wasCancelled());
        QVERIFY(clock.elapsed() < 20000);
        QCOMPARE(dialogs.texts().size(), 1); // the question alone: nothing more is said
    } else {
        QCOMPARE(dialogs.texts().last(), QStringLiteral("Güncelleme yapılamadı"));
        QVERIFY2(!g.lastFailure().isEmpty(), "a reason is kept");
    }
    QCOMPARE(events.first(), QStringLiteral("show"));
    QCOMPARE(events.last(), QStringLiteral("hide"));
    QVERIFY(!events.contains(QStringLiteral("noask")));
    QVERIFY(!events.contains(QStringLiteral("close")));
    QCOMPARE(scripts, 0);
    QCOMPARE(readBytes(E), programText("eski"));
    QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), (QStringList{QStringLiteral("Ayarlar.ini"), QStringLiteral("kervio")}));
    QVERIFY(QDir(tmp.filePath(QStringLiteral("Dosya"))).isEmpty());
    // an executable over the limit is not even asked for
    if (fault == u"executable over 64 MB" || fault.startsWith(u"other") || fault.contains(u"version")
        || fault.contains(u"manifest") || fault == u"signed by another key")
        QVERIFY(!server.requested.contains(path));
}

// An installed tree (bin beside share/kervio) is the package manager's, even
// where this process may write into it, as root may.
void TestProgramUpdate::installedProgramIsLeftToThePackageManager()
{
    const KeyPair key;
    TinyHttpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QByteArray fresh = programText("yeni");
    server.files.insert(ProgramUpdate::downloadPath().toUtf8(), fresh);
    server.files.insert(ProgramUpdate::downloadPath().toUtf8() + ".manifest", manifestOf(fresh).sign(key.sk));
    QTemporaryDir tmp;
    QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("share/kervio")));
    QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("bin")));
    const QString E = tmp.filePath(QStringLiteral("bin/kervio"));
    QVERIFY(writeExecutable(E, programText("eski")));
    QVERIFY(saveFileContents(tmp.filePath(QStringLiteral("bin/Ayarlar.ini")),
                             "[Guncelleme]\r\nsunucu=" + server.base().toUtf8() + "\r\n"));

    ScriptedDialogs dialogs;
    dialogs.answers = {Dialogs::Answer::Yes};
    ProgramUpdate g(&dialogs);
    g.setExecutablePath(E);
    g.setPublicKey(key.pk);
    g.connectivity = [] { return true; };
    int progress = 0;
    g.showProgressWindow = [&] { ++progress; };
    g.setConfirmOnClose = [&](bool) { QFAIL("the closing question stays"); };
    QVERIFY(!g.mayReplaceProgram());
    g.run();
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Kurulu program, sistemin paket yöneticisiyle güncellenir "
                                                         "(örneğin: sudo apt upgrade). Programda bir değişiklik yapılmadı.")});
    QCOMPARE(dialogs.shown.front().kind, ScriptedDialogs::Shown::Message);
    QCOMPARE(progress, 0);
    QVERIFY(server.requested.isEmpty());
    QCOMPARE(readBytes(E), programText("eski"));
    QCOMPARE(QDir(tmp.filePath(QStringLiteral("bin"))).entryList(QDir::Files),
             (QStringList{QStringLiteral("Ayarlar.ini"), QStringLiteral("kervio")}));
}

void TestProgramUpdate::updateEndToEnd()
{
    const KeyPair key;
    TinyHttpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QByteArray fresh = programText("yeni");
    const QByteArray path = ProgramUpdate::downloadPath().toUtf8();
    server.files.insert(path, fresh);
    server.files.insert(path + ".manifest", manifestOf(fresh).sign(key.sk));

    // an installation folder with a blank and a quote, started from elsewhere
    QTemporaryDir tmp;
    QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("Kervio'nun Klasörü")));
    const QString folder = tmp.filePath(QStringLiteral("Kervio'nun Klasörü"));
    const QString E = folder + QStringLiteral("/kervio");
    QVERIFY(writeExecutable(E, programText("eski")));
    QVERIFY(saveFileContents(folder + QStringLiteral("/Ayarlar.ini"), "[Guncelleme]\r\nsunucu=" + server.base().toUtf8() + "\r\n"));

    // the running program, which the script waits for
    QProcess program;
    program.start(QStringLiteral("sleep"), {QStringLiteral("300")});
    QVERIFY(program.waitForStarted());

    ScriptedDialogs dialogs;
    dialogs.answers = {Dialogs::Answer::Yes, Dialogs::Answer::Yes};
    ProgramUpdate g(&dialogs);
    g.setExecutablePath(E);
    g.setPublicKey(key.pk);
    g.connectivity = [] { return true; };
    g.installer.programPid = program.processId();
    bool confirmOnClose = true;
    int closes = 0;
    g.setConfirmOnClose = [&](bool on) { confirmOnClose = on; };
    g.closeMainWindow = [&] { ++closes; };

    g.run();
    QCOMPARE(dialogs.texts().last(), QStringLiteral("Güncelleme yapıldı"));
    QVERIFY(!confirmOnClose);
    QCOMPARE(closes, 1);
    QVERIFY(g.installer.hasInstalled());
    const QString script = UpdateInstaller::scriptPathFor(E);
    QVERIFY(QFileInfo::exists(script));
    QCOMPARE(readBytes(folder + QStringLiteral("/_kervio")), fresh);
    QCOMPARE(readBytes(folder + QStringLiteral("/Bkervio")), programText("eski"));
    QCOMPARE(readBytes(folder + QStringLiteral("/Dosya/kervio")), fresh);
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/Dosya/kervio.manifest")));
    // the old program is still there while it runs
    QCOMPARE(readBytes(E), programText("eski"));

    // a second update before the restart is refused and keeps the first one going
    g.run();
    QCOMPARE(dialogs.texts().last(), QStringLiteral("Güncelleme yapılamadı"));
    QVERIFY(!confirmOnClose);
    QCOMPARE(closes, 1);

    // the program ends; the script puts the new one in place and starts it
    program.kill();
    QVERIFY(program.waitForFinished());
    const QString marker = folder + QStringLiteral("/yeniden-basladi");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker) && !QFileInfo::exists(script), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(readBytes(marker), QByteArray("yeni\n"), 10000);
    QCOMPARE(readBytes(E), fresh);
    QVERIFY(QFileInfo(E).isExecutable());
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/_kervio")));
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/Bkervio")));
    QCOMPARE(readBytes(folder + QStringLiteral("/Dosya/kervio")), fresh); // the download stays
}

QTEST_GUILESS_MAIN(TestProgramUpdate)
#include "tst_programupdate.moc"
