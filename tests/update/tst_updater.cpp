#include "update/guncelleme.h"
#include "update/schupdater.h"
#include "core/savefile.h"
#include "core/scripteddialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <sodium.h>

using namespace kervio;

namespace {

// Serves fixed bodies by path over plain HTTP on 127.0.0.1; unknown paths
// get 404. A silent server accepts and never answers.
class TinyHttpServer : public QTcpServer {
public:
    QHash<QByteArray, QByteArray> files;
    bool silent = false;
    QList<QByteArray> requested;

    TinyHttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] { serve(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }

private:
    void serve(QTcpSocket *s)
    {
        QByteArray buf = s->property("buf").toByteArray() + s->readAll();
        s->setProperty("buf", buf);
        if (!buf.contains("\r\n\r\n") || silent)
            return;
        const QList<QByteArray> first = buf.left(buf.indexOf("\r\n")).split(' ');
        const QByteArray path = first.value(1);
        requested << path;
        QByteArray reply;
        if (files.contains(path)) {
            const QByteArray body = files.value(path);
            reply = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
                + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        } else {
            reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        }
        s->write(reply);
        s->disconnectFromHost();
    }
};

struct KeyPair {
    QByteArray pk, sk;
    KeyPair()
    {
        pk.resize(crypto_sign_PUBLICKEYBYTES);
        sk.resize(crypto_sign_SECRETKEYBYTES);
        crypto_sign_keypair(reinterpret_cast<unsigned char *>(pk.data()), reinterpret_cast<unsigned char *>(sk.data()));
    }
    QByteArray sign(const QByteArray &m) const
    {
        QByteArray sig(crypto_sign_BYTES, 0);
        crypto_sign_detached(reinterpret_cast<unsigned char *>(sig.data()), nullptr,
                             reinterpret_cast<const unsigned char *>(m.constData()), m.size(),
                             reinterpret_cast<const unsigned char *>(sk.constData()));
        return sig;
    }
};

QByteArray programText(const char *version)
{
    return QByteArray("#!/bin/sh\necho ") + version + " > \"$(dirname \"$0\")/yeniden-basladi\"\n";
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeExecutable(const QString &path, const QByteArray &bytes)
{
    return saveFileContents(path, bytes)
        && QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ReadOwner);
}

} // namespace

class TestUpdater : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(sodium_init() >= 0); }

    void batchScript_data();
    void batchScript();
    void errorsReachOnError();
    void failedRunTouchesNothing_data();
    void failedRunTouchesNothing();
    void shellScriptRestoresBackupWhenNothingArrived();
    void serverAddress();
    void declinedOrOffline_data();
    void declinedOrOffline();
    void failedDownloadKeepsProgram_data();
    void failedDownloadKeepsProgram();
    void updateEndToEnd();
};

void TestUpdater::batchScript_data()
{
    QTest::addColumn<QStringList>("others");
    QTest::addColumn<bool>("restart");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("one other file, restart")
        << QStringList{QStringLiteral("Rapor.frf")} << true
        << QStringList{
               QStringLiteral("@Echo Off"),
               QStringLiteral(":again"),
               QStringLiteral("del \"C:\\Prog\\Kervio.exe\""),
               QStringLiteral("if exist \"C:\\Prog\\Kervio.exe\" goto again"),
               QStringLiteral("copy \"C:\\PROG\\_Kervio.exe\" \"C:\\Prog\\Kervio.exe\""),
               QStringLiteral("del \"C:\\PROG\\_Kervio.exe\""),
               QStringLiteral("copy \"C:\\PROG\\_Rapor.frf\" \"C:\\PROG\\Rapor.frf\""),
               QStringLiteral("del \"C:\\PROG\\_Rapor.frf\""),
               QStringLiteral("if exist \"C:\\Prog\\Kervio.exe\" goto finish"),
               QStringLiteral("copy \"C:\\PROG\\BKervio.exe\" \"C:\\Prog\\Kervio.exe\""),
               QStringLiteral(":finish"),
               QStringLiteral("del \"C:\\PROG\\BKervio.exe\""),
               QStringLiteral("call \"C:\\Prog\\Kervio.exe\""),
               QStringLiteral("del \"C:\\Prog\\Kervio.bat\""),
           };
    QTest::newRow("no other files, no restart")
        << QStringList{} << false
        << QStringList{
               QStringLiteral("@Echo Off"),
               QStringLiteral(":again"),
               QStringLiteral("del \"C:\\Prog\\Kervio.exe\""),
               QStringLiteral("if exist \"C:\\Prog\\Kervio.exe\" goto again"),
               QStringLiteral("copy \"C:\\PROG\\_Kervio.exe\" \"C:\\Prog\\Kervio.exe\""),
               QStringLiteral("del \"C:\\PROG\\_Kervio.exe\""),
               QStringLiteral("if exist \"C:\\Prog\\Kervio.exe\" goto finish"),
               QStringLiteral("copy \"C:\\PROG\\BKervio.exe\" \"C:\\Prog\\Kervio.exe\""),
               QStringLiteral(":finish"),
               QStringLiteral("del \"C:\\PROG\\BKervio.exe\""),
               QStringLiteral("del \"C:\\Prog\\Kervio.bat\""),
           };
}

void TestUpdater::batchScript()
{
    QFETCH(QStringList, others);
    QFETCH(bool, restart);
    QFETCH(QStringList, expected);
    const QStringList lines = TSchUpdater::BatchScriptLines(
        QStringLiteral("C:\\Prog\\Kervio.exe"), QStringLiteral("C:\\PROG\\"), QStringLiteral("Kervio.exe"), others,
        QStringLiteral("C:\\Prog\\Kervio.bat"), restart);
    QCOMPARE(lines, expected);
}

void TestUpdater::errorsReachOnError()
{
    TSchUpdater u;
    QList<std::tuple<int, QString, QString>> got;
    u.OnError = [&](TSchUpdater *sender, TSchSimpleUpdaterError code, const QString &param, const QString &msg) {
        QCOMPARE(sender, &u);
        got.append({int(code), param, msg});
    };
    u.Language = sulaFrench;
    u.DoError(suecFileCopyError, QStringLiteral("_Kervio.exe"));
    u.Language = sulaHungarian;
    u.DoError(suecAlreadyUpdated);
    u.Language = sulaEnglish;
    u.DoError(suecEmptySourceDir);
    QCOMPARE(got.size(), 3);
    QCOMPARE(got[0], std::make_tuple(5, QStringLiteral("_Kervio.exe"), QStringLiteral("Erreur lors de la copie des fichiers !")));
    QCOMPARE(got[1], std::make_tuple(6, QString(), QStringLiteral("A frissítés már megtörtént!")));
    QCOMPARE(got[2], std::make_tuple(7, QString(), QStringLiteral("Source directory not defined!")));
}

void TestUpdater::failedRunTouchesNothing_data()
{
    QTest::addColumn<QString>("source");        // relative to the temp folder; "" = empty property
    QTest::addColumn<bool>("newFileThere");
    QTest::addColumn<bool>("stopOnFirst");
    QTest::addColumn<QList<int>>("codes");
    QTest::newRow("no source folder") << QStringLiteral("yok/") << false << false << QList<int>{1, 2};
    QTest::newRow("no source folder, stop at first") << QStringLiteral("yok/") << false << true << QList<int>{1};
    QTest::newRow("no new executable") << QStringLiteral("Dosya/") << false << false << QList<int>{2};
    QTest::newRow("blank source") << QStringLiteral("  ") << false << false << QList<int>{7};
}

void TestUpdater::failedRunTouchesNothing()
{
    QFETCH(QString, source);
    QFETCH(bool, newFileThere);
    QFETCH(bool, stopOnFirst);
    QFETCH(QList<int>, codes);
    QTemporaryDir tmp;
    const QString E = tmp.filePath(QStringLiteral("kervio"));
    QVERIFY(writeExecutable(E, programText("eski")));
    QDir(tmp.path()).mkdir(QStringLiteral("Dosya"));
    if (newFileThere)
        QVERIFY(writeExecutable(tmp.filePath(QStringLiteral("Dosya/kervio")), programText("yeni")));

    TSchUpdater u;
    QList<int> got;
    u.OnError = [&](TSchUpdater *, TSchSimpleUpdaterError c, const QString &, const QString &) { got << int(c); };
    u.ExecutablePath = E;
    u.StopOnFirstError = stopOnFirst;
    u.UpdateSrc = source.trimmed().isEmpty() ? source : tmp.filePath(source);
    int started = 0, closes = 0;
    u.StartScript = [&](const QString &) { return ++started, true; };
    u.CloseRequest = [&] { ++closes; };

    QVERIFY(!u.UpdateApp());
    QCOMPARE(got, codes);
    QCOMPARE(started, 0);
    QCOMPARE(closes, 0);
    QVERIFY(!u.Updated());
    QCOMPARE(readAll(E), programText("eski"));
    QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), QStringList{QStringLiteral("kervio")});
}

void TestUpdater::shellScriptRestoresBackupWhenNothingArrived()
{
    QTemporaryDir tmp;
    const QString A = tmp.path() + u'/';
    const QString E = A + QStringLiteral("kervio");
    const QString W = TSchUpdater::ScriptPathFor(E);
    // the program has ended and its file is gone, as if the staged copy never came
    QVERIFY(writeExecutable(A + QStringLiteral("Bkervio"), programText("eski")));
    QProcess ended;
    ended.start(QStringLiteral("/bin/true"));
    QVERIFY(ended.waitForFinished());
    QVERIFY(saveFileContents(W, TSchUpdater::ShellScriptText(E, A, QStringLiteral("kervio"), {}, W,
                                                             ended.processId() > 0 ? ended.processId() : 999999,
                                                             false)
                                    .toUtf8()));
    QCOMPARE(QProcess::execute(QStringLiteral("/bin/sh"), {W}), 0);
    QCOMPARE(readAll(E), programText("eski"));
    QVERIFY(QFileInfo(E).isExecutable());
    QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), QStringList{QStringLiteral("kervio")});
}

void TestUpdater::serverAddress()
{
    QTemporaryDir tmp;
    const QString ini = tmp.filePath(QStringLiteral("Ayarlar.ini"));
    ScriptedDialogs dialogs;
    Guncelleme g(&dialogs);
    g.setSettingsPath(ini);
    QCOMPARE(g.updateUrl(), QUrl(Guncelleme::BuiltInServer() + Guncelleme::DownloadPath()));
    QVERIFY(saveFileContents(ini, "[Ayar]\r\nyilgun=365\r\n[GUNCELLEME]\r\nSunucu=ayna.example.org:8080/\r\n"));
    QCOMPARE(g.updateUrl(), QUrl(QStringLiteral("http://ayna.example.org:8080") + Guncelleme::DownloadPath()));
}

void TestUpdater::declinedOrOffline_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("online");
    QTest::addColumn<QStringList>("shown");
    const QString ask = QStringLiteral("Bu işlem programınızın versionunu yükseltecektir!\n\rDevam etmek istiyormusunuz?");
    QTest::newRow("answered no") << false << true << QStringList{ask};
    QTest::newRow("offline") << true << false
                             << QStringList{ask, QStringLiteral("Internet bağlantınız yok! Bağlantı Yaptıktan sonra tekrar deneyiniz.")};
}

void TestUpdater::declinedOrOffline()
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
    Guncelleme g(&dialogs);
    g.setExecutablePath(tmp.filePath(QStringLiteral("kervio")));
    g.connectivity = [online] { return online; };
    int form2 = 0;
    g.showForm2 = [&] { ++form2; };
    g.ProgramGuncelle();
    QCOMPARE(dialogs.texts(), shown);
    QCOMPARE(dialogs.shown.front().title, QStringLiteral("Kavrel Kervio"));
    QCOMPARE(form2, 0);
    QVERIFY(server.requested.isEmpty());
}

void TestUpdater::failedDownloadKeepsProgram_data()
{
    QTest::addColumn<QString>("fault");
    for (const char *f : {"tampered", "no signature", "signed by another key", "missing on server",
                          "unreachable server", "silent server"})
        QTest::newRow(f) << QString::fromLatin1(f);
}

void TestUpdater::failedDownloadKeepsProgram()
{
    QFETCH(QString, fault);
    const KeyPair key, otherKey;
    TinyHttpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QByteArray path = Guncelleme::DownloadPath().toUtf8();
    const QByteArray fresh = programText("yeni");
    if (fault != u"missing on server")
        server.files.insert(path, fault == u"tampered" ? fresh + "rm -rf ~\n" : fresh);
    if (fault != u"no signature" && fault != u"missing on server")
        server.files.insert(path + ".sig", (fault == u"signed by another key" ? otherKey : key).sign(fresh));
    server.silent = fault == u"silent server";
    QString base = server.base();
    if (fault == u"unreachable server")
        server.close();

    QTemporaryDir tmp;
    const QString E = tmp.filePath(QStringLiteral("kervio"));
    QVERIFY(writeExecutable(E, programText("eski")));
    QVERIFY(saveFileContents(tmp.filePath(QStringLiteral("Ayarlar.ini")), "[Guncelleme]\r\nsunucu=" + base.toUtf8() + "\r\n"));
    ScriptedDialogs dialogs;
    dialogs.answers.push_back(Dialogs::Answer::Yes);
    Guncelleme g(&dialogs);
    g.setExecutablePath(E);
    g.setPublicKey(key.pk);
    g.setTimeouts(300, 3000);
    g.connectivity = [] { return true; };
    QStringList events;
    g.showForm2 = [&] { events << QStringLiteral("show"); };
    g.hideForm2 = [&] { events << QStringLiteral("hide"); };
    g.setConfirmOnClose = [&](bool on) { events << (on ? QStringLiteral("ask") : QStringLiteral("noask")); };
    g.closeMainWindow = [&] { events << QStringLiteral("close"); };
    int scripts = 0;
    g.SchUpdater1.StartScript = [&](const QString &) { return ++scripts, true; };

    g.ProgramGuncelle();
    QCOMPARE(dialogs.texts().last(), QStringLiteral("Güncelleme yapılamadı"));
    QVERIFY2(!g.lastFailure().isEmpty(), "a reason is kept");
    QCOMPARE(events.first(), QStringLiteral("show"));
    QCOMPARE(events.last(), QStringLiteral("hide"));
    QVERIFY(!events.contains(QStringLiteral("noask")));
    QVERIFY(!events.contains(QStringLiteral("close")));
    QCOMPARE(scripts, 0);
    QCOMPARE(readAll(E), programText("eski"));
    QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), (QStringList{QStringLiteral("Ayarlar.ini"), QStringLiteral("kervio")}));
    QVERIFY(QDir(tmp.filePath(QStringLiteral("Dosya"))).isEmpty());
}

void TestUpdater::updateEndToEnd()
{
    const KeyPair key;
    TinyHttpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QByteArray fresh = programText("yeni");
    const QByteArray path = Guncelleme::DownloadPath().toUtf8();
    server.files.insert(path, fresh);
    server.files.insert(path + ".sig", key.sign(fresh).toHex()); // the hex form is accepted too

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
    Guncelleme g(&dialogs);
    g.setExecutablePath(E);
    g.setPublicKey(key.pk);
    g.connectivity = [] { return true; };
    g.SchUpdater1.ProgramPid = program.processId();
    bool confirmOnClose = true;
    int closes = 0;
    g.setConfirmOnClose = [&](bool on) { confirmOnClose = on; };
    g.closeMainWindow = [&] { ++closes; };

    g.ProgramGuncelle();
    QCOMPARE(dialogs.texts().last(), QStringLiteral("Güncelleme yapıldı"));
    QVERIFY(!confirmOnClose);
    QCOMPARE(closes, 1);
    QVERIFY(g.SchUpdater1.Updated());
    const QString script = TSchUpdater::ScriptPathFor(E);
    QVERIFY(QFileInfo::exists(script));
    QCOMPARE(readAll(folder + QStringLiteral("/_kervio")), fresh);
    QCOMPARE(readAll(folder + QStringLiteral("/Bkervio")), programText("eski"));
    QCOMPARE(readAll(folder + QStringLiteral("/Dosya/kervio")), fresh);
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/Dosya/kervio.sig")));
    // the old program is still there while it runs
    QCOMPARE(readAll(E), programText("eski"));

    // a second update before the restart is refused and keeps the first one going
    g.ProgramGuncelle();
    QCOMPARE(dialogs.texts().last(), QStringLiteral("Güncelleme yapılamadı"));
    QVERIFY(!confirmOnClose);
    QCOMPARE(closes, 1);

    // the program ends; the script puts the new one in place and starts it
    program.kill();
    QVERIFY(program.waitForFinished());
    const QString marker = folder + QStringLiteral("/yeniden-basladi");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker) && !QFileInfo::exists(script), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(readAll(marker), QByteArray("yeni\n"), 10000);
    QCOMPARE(readAll(E), fresh);
    QVERIFY(QFileInfo(E).isExecutable());
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/_kervio")));
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/Bkervio")));
    QCOMPARE(readAll(folder + QStringLiteral("/Dosya/kervio")), fresh); // the download stays
}

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
