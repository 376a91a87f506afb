// The maker's signing tool against the program's own check of a download.
#include "update/signature.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

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

private slots:
    void signedFileVerifiesAndTamperedDoesNot()
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
        QCOMPARE(run({QStringLiteral("sign"), key, exe}), 0);

        const QByteArray pk = QByteArray::fromHex(publicHex);
        QVERIFY(kervio::verifyDetachedSignature(exe, exe + QStringLiteral(".sig"), pk));
        QCOMPARE(run({QStringLiteral("verify"), QString::fromLatin1(publicHex), exe}), 0);

        QVERIFY(f.open(QIODevice::Append));
        f.write("rm -rf ~\n");
        f.close();
        QVERIFY(!kervio::verifyDetachedSignature(exe, exe + QStringLiteral(".sig"), pk));
        QCOMPARE(run({QStringLiteral("verify"), QString::fromLatin1(publicHex), exe}), 2);
    }
};

QTEST_GUILESS_MAIN(TestSignTool)
#include "tst_signtool.moc"
