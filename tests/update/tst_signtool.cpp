// The maker's signing tool against the program's own check of a manifest.
#include "update/manifest.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace kervio;

class TestSignTool : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    int run(const QStringList &args, QByteArray *out = nullptr)
    {
        QProcess p;
        p.start(QStringLiteral(KERVIO_SIGN_BINARY), args);
        p.waitForFinished(30000);
        if (out)
            *out = p.readAllStandardOutput().trimmed();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void manifestVerifiesAndTamperedFileDoesNot()
    {
        const QString key = m_dir.filePath(QStringLiteral("maker.key"));
        QByteArray publicHex;
        QCOMPARE(run({QStringLiteral("keygen"), key}, &publicHex), 0);
        QCOMPARE(publicHex.size(), 64);
        QVERIFY(run({QStringLiteral("keygen"), key}) != 0); // never overwrites a key

        const QString exe = m_dir.filePath(QStringLiteral("Kervio20"));
        QFile f(exe);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho yeni\n");
        f.close();
        QVERIFY(run({QStringLiteral("sign"), key, exe, QStringLiteral("yeni")}) != 0); // no version number
        QCOMPARE(run({QStringLiteral("sign"), key, exe, QStringLiteral("2.1")}), 0);

        const QByteArray pk = QByteArray::fromHex(publicHex);
        const std::optional<UpdateManifest> m = UpdateManifest::verify(read(exe + QStringLiteral(".manifest")), pk);
        QVERIFY(m);
        QCOMPARE(m->platform, UpdateManifest::platformName());
        QCOMPARE(m->fileName, QStringLiteral("Kervio20"));
        QCOMPARE(m->version, QStringLiteral("2.1"));
        QCOMPARE(m->size, qint64(20));
        QCOMPARE(m->sha256, fileSha256(exe));
        QCOMPARE(run({QStringLiteral("verify"), QString::fromLatin1(publicHex), exe}), 0);

        QVERIFY(f.open(QIODevice::Append));
        f.write("rm -rf ~\n");
        f.close();
        QCOMPARE(run({QStringLiteral("verify"), QString::fromLatin1(publicHex), exe}), 2);

        // another platform, as the maker names it
        QCOMPARE(run({QStringLiteral("sign"), key, exe, QStringLiteral("2.1"), QStringLiteral("winnt-x86_64")}), 0);
        QCOMPARE(UpdateManifest::verify(read(exe + QStringLiteral(".manifest")), pk)->platform,
                 QStringLiteral("winnt-x86_64"));
    }
};

QTEST_GUILESS_MAIN(TestSignTool)
#include "tst_signtool.moc"
