#include "common/xlsxparts.h"
#include "core/codepage1254.h"
#include "core/appinfo.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList Header = {
    QStringLiteral(",\"İşlem Tarihi\",\"Vade Tarihi\",Açıklama,\"Borç Tutarı\",\"Alacak Tutarı\",Gün,"
                   "\"B.Vade Farkı\",\"A.Vade Farkı\",\"Borç Adat\",\"Alacak Adat\",Index,Index2")};

QByteArray ledgerBytes(const QStringList &lines)
{
    QByteArray b;
    for (const QString &l : lines)
        b += kervio::toCp1254(l) + "\r\n";
    return b;
}

struct Run {
    int exitCode = -1;
    QStringList out, err;
};

// Runs the program with only the given locale variables ("LANG=tr_TR.UTF-8"),
// in `folder` when one is given.
Run runKervio(const QStringList &args, const QStringList &localeVariables = {QStringLiteral("LANG=C.UTF-8")},
              const QString &folder = {})
{
    QProcess p;
    if (!folder.isEmpty())
        p.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &name : env.keys())
        if (name == QLatin1String("LANG") || name == QLatin1String("LANGUAGE") || name.startsWith(QLatin1String("LC_")))
            env.remove(name);
    for (const QString &v : localeVariables)
        env.insert(v.section(u'=', 0, 0), v.section(u'=', 1));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KERVIO_BINARY), args);
    p.waitForFinished(60000);
    Run r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    r.err = QString::fromUtf8(p.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    return r;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }

    // The worked example, under a name with a Turkish letter.
    QString workedExample()
    {
        const QString path = m_dir.filePath(QStringLiteral("örnek.krv"));
        if (!QFile::exists(path))
            QFile::copy(QStringLiteral(KERVIO_WORKED_EXAMPLE), path);
        return path;
    }

private slots:
    void version()
    {
        const Run r = runKervio({QStringLiteral("--version")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringList{QStringLiteral("Kavrel Kervio 2.0 Güncelleme:0")});
        QVERIFY(runKervio({QStringLiteral("--help")}).out.join(u'\n').contains(QStringLiteral("--recalculate")));
    }

    // A misuse prints the usage of the command it names, then the reason.
    void misuse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("usage");  // the first line on standard error
        QTest::addColumn<QString>("reason"); // the last one
        const QString general = QStringLiteral("Kullanım:");
        const QString generalEnd = QStringLiteral("  kervio --help                           bu yardımı yazar");
        const QString spreadsheetEnd = QStringLiteral("          verilmeyen anahtar boş sayılır");
        const QString report = QStringLiteral("Kullanım: kervio --report IN.krv --pdf OUT.pdf [--net]");
        const QString unknown = QStringLiteral("Bilinmeyen ya da eksik seçenek: ");
        QTest::newRow("file missing") << QStringList{"--recalculate"} << 64 << general << unknown + "--recalculate";
        QTest::newRow("no command") << QStringList{"--sort"} << 64 << general << generalEnd;
        QTest::newRow("unknown option") << QStringList{"--recalculate", "a.krv", "--foo"} << 64 << general
                                        << unknown + "--foo";
        QTest::newRow("stray argument") << QStringList{"--recalculate", "a.krv", "extra"} << 64 << general
                                        << unknown + "extra";
        QTest::newRow("another command's option") << QStringList{"--pdf", "b.pdf"} << 64 << general << unknown + "--pdf";
        QTest::newRow("output without its file") << QStringList{"--recalculate", "a.krv", "--output"} << 64 << general
                                                 << unknown + "--output";
        QTest::newRow("report without pdf") << QStringList{"--report", "a.krv"} << 64 << report
                                            << "Eksik seçenek: --pdf";
        QTest::newRow("report, unknown option") << QStringList{"--report", "a", "--pdf", "b", "--foo"} << 64 << report
                                                << unknown + "--foo";
        QTest::newRow("report without its file") << QStringList{"--report"} << 64 << report << unknown + "--report";
        QTest::newRow("export without xlsx") << QStringList{"--export", "a.krv"} << 64 << general << spreadsheetEnd;
        QTest::newRow("export, recalculation's option") << QStringList{"--export", "a", "--xlsx", "b", "--sort"} << 64
                                                        << general << unknown + "--sort";
        QTest::newRow("import, unknown key") << QStringList{"--import", "b", "--mapping", "renk=1", "--output", "o"} << 64
                                             << general << "Bilinmeyen eşleştirme anahtarı: renk";
        QTest::newRow("picture without its file") << QStringList{"--screenshot"} << 2
                                                  << "Kullanım: kervio --screenshot OUT.png"
                                                  << "Kullanım: kervio --screenshot OUT.png";
    }
    void misuse()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, usage);
        QFETCH(QString, reason);
        const Run r = runKervio(args);
        QCOMPARE(r.exitCode, status);
        QCOMPARE(r.out, QStringList());
        QVERIFY(!r.err.isEmpty());
        QCOMPARE(r.err.first(), usage);
        QCOMPARE(r.err.last(), reason);
    }

    void helpAndVersionIgnoreTheRest_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("--help") << QStringList{"--help"} << "Kullanım:";
        QTest::newRow("-h") << QStringList{"-h"} << "Kullanım:";
        QTest::newRow("help wins over the recalculation") << QStringList{"--recalculate", "a.krv", "--help"} << "Kullanım:";
        QTest::newRow("version with an unknown option") << QStringList{"--version", "--foo"}
                                                        << "Kavrel Kervio 2.0 Güncelleme:0";
    }
    void helpAndVersionIgnoreTheRest()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, firstLine);
        const Run r = runKervio(args);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QStringList());
        QVERIFY(!r.out.isEmpty());
        QCOMPARE(r.out.first(), firstLine);
    }

    // The argument after --recalculate is its file, whatever it looks like.
    void fileNamedLikeAnOption()
    {
        QTemporaryDir folder;
        QVERIFY(QFile::copy(workedExample(), folder.filePath(QStringLiteral("-h"))));
        const Run r = runKervio({QStringLiteral("--recalculate"), QStringLiteral("-h")}, {QStringLiteral("LANG=C.UTF-8")},
                                folder.path());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QStringList());
        QCOMPARE(r.out.size(), 14);
        QCOMPARE(r.out.first(), QStringLiteral("borctoplamEdit=10.000,00"));
        const Run missing = runKervio({QStringLiteral("--recalculate"), QStringLiteral("--help")},
                                      {QStringLiteral("LANG=C.UTF-8")}, folder.path());
        QVERIFY(missing.exitCode != 0);
        QCOMPARE(missing.err, QStringList{QStringLiteral("Dosya açılamadı: ") + folder.filePath(QStringLiteral("--help"))});
    }

    void executableFolder()
    {
        // the folder of the executable, whatever the current directory
        const QString before = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        const QString p = kervio::executableFolder();
        QDir::setCurrent(before);
        QCOMPARE(p, QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator());
    }

    // The separators come from the environment, also after the program has
    // set the C library's numbers back to the C locale.
    void recalculate_data()
    {
        QTest::addColumn<QStringList>("locale");
        QTest::newRow("C") << QStringList{"LANG=C.UTF-8"};
        QTest::newRow("Turkish desktop") << QStringList{"LANG=tr_TR.UTF-8"};
        QTest::newRow("LC_ALL") << QStringList{"LANG=en_US.UTF-8", "LC_ALL=tr_TR.UTF-8"};
    }
    void recalculate()
    {
        QFETCH(QStringList, locale);
        const Run r = runKervio({QStringLiteral("--recalculate"), workedExample()}, locale);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QStringList());
        QCOMPARE(r.out, QStringList({"borctoplamEdit=10.000,00", "alacaktoplamtutarEdit=6.500,00",
                                     "bakiyetutarEdit=3.500,00", "borckervioEdit=401,10", "alacakkervioEdit=11,51",
                                     "netkervioEdit=389,59", "genelortgunEdit=-169", "borcortgunEdit=-61",
                                     "alacakortEdit=-3", "DateTimePicker4=15.07.2024", "DateTimePicker76=31.10.2024",
                                     "DateTimePicker3=28.12.2024", "yillikfaizneolurEdit=338,8594",
                                     "aylikfaizneolurEdit=28,2382833333333"}));
    }

    void sortAndOutput()
    {
        const QString in = write(QStringLiteral("sırasız.krv"),
                                 ledgerBytes(QStringList{QStringLiteral("365,24,2,,,Cari,H,H,H,31.12.2024")} + Header +
                                             QStringList{
                                                 QStringLiteral("1,15.02.2024,15.02.2024,c,\"1,00\",,,,,,,,"),
                                                 QStringLiteral("2,03.01.2024,03.01.2024,b,\"1,00\",,,,,,,,"),
                                                 QStringLiteral("3,28.12.2023,28.12.2023,a,,\"1,00\",,,,,,,"),
                                             }));
        const QString out = m_dir.filePath(QStringLiteral("sıralı.krv"));
        const Run r = runKervio({QStringLiteral("--recalculate"), in, QStringLiteral("--sort"),
                                 QStringLiteral("--output"), out});
        QCOMPARE(r.exitCode, 0);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList lines = kervio::fromCp1254(f.readAll()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 6); // parameter line, header, three rows, the final break
        QVERIFY(lines[2].startsWith(QStringLiteral("1,28.12.2023,28.12.2023,a,")));
        QVERIFY(lines[4].startsWith(QStringLiteral("3,15.02.2024,15.02.2024,c,")));
        QVERIFY(lines[4].endsWith(QStringLiteral(",20240215")));
        QCOMPARE(r.out.size(), 14);
        QCOMPARE(r.out[0], QStringLiteral("borctoplamEdit=2,00"));
    }

    void messagesGoToStandardError()
    {
        const QString in = write(QStringLiteral("hatalı.krv"),
                                 ledgerBytes(QStringList{QStringLiteral("365,24,2,,,Cari,H,H,H,31.12.2024")} + Header +
                                             QStringList{
                                                 QStringLiteral("1,01.02.2024,31.02.2024,x,\"1,00\",,,,,,,,"),
                                                 QStringLiteral("2,05.00.2024,05.00.2024,y,\"1,00\",,,,,,,,"),
                                             }));
        const Run r = runKervio({QStringLiteral("--recalculate"), in});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QStringList({"31.02.2024 Tarih Girişiniz doğru değil.",
                                     "\"05.00.2024\" tarih girişiniz uygun değil!"}));
        QCOMPARE(r.out.size(), 14);
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("short parameter line") << QByteArray("365,24,2\r\n");
        QTest::newRow("no lines") << QByteArray();
        QTest::newRow("iso date") << QByteArray("365,24,2,,,Cari,H,H,H,2024-03-07\r\n");
    }
    void failures()
    {
        QFETCH(QByteArray, content);
        const QString path = write(QStringLiteral("bozuk.krv"), content);
        const Run r = runKervio({QStringLiteral("--recalculate"), path});
        QVERIFY(r.exitCode != 0);
        QCOMPARE(r.out, QStringList());
        QCOMPARE(r.err.size(), 1);
        QVERIFY(r.err[0].startsWith(QStringLiteral("Dosya açılamadı:")));
        QVERIFY(r.err[0].contains(path));
    }
    void missingFile()
    {
        const Run r = runKervio({QStringLiteral("--recalculate"), m_dir.filePath(QStringLiteral("yok.krv"))});
        QVERIFY(r.exitCode != 0);
        QCOMPARE(r.out, QStringList());
        QCOMPARE(r.err.size(), 1);
    }

    // Any of the locale variables naming a Turkish locale: the workbook's
    // stored numbers and sizes still carry a decimal point.
    void exportUnderTurkishLocale_data()
    {
        QTest::addColumn<QStringList>("locale");
        QTest::newRow("LANG") << QStringList{"LANG=tr_TR.UTF-8"};
        QTest::newRow("LC_ALL") << QStringList{"LC_ALL=tr_TR.UTF-8"};
        QTest::newRow("LC_NUMERIC") << QStringList{"LANG=C.UTF-8", "LC_NUMERIC=tr_TR.UTF-8"};
    }
    void exportUnderTurkishLocale()
    {
        QFETCH(QStringList, locale);
        const QString out = m_dir.filePath(QStringLiteral("dışa.xlsx"));
        QFile::remove(out);
        const Run r = runKervio({QStringLiteral("--export"), workedExample(), QStringLiteral("--xlsx"), out}, locale);
        QCOMPARE(r.exitCode, 0);
        const kervio::test::SheetNumbers stored =
            kervio::test::sheetNumbers(kervio::test::xlsxPart(out, "xl/worksheets/sheet1.xml"));
        QVERIFY(stored.cells.size() > 20);
        QVERIFY(!stored.sizes.isEmpty());
        QCOMPARE(kervio::test::firstMalformedNumber(stored), QString());
        QCOMPARE(stored.cells.value(QStringLiteral("G4")), QStringLiteral("401.1"));
        QCOMPARE(stored.cells.value(QStringLiteral("E16")), QStringLiteral("389.59"));
    }

    void otherRegionalSettings()
    {
        // decimal point, slash dates: the file is read and written in those
        const QString in = write(QStringLiteral("us.krv"),
                                 ledgerBytes(QStringList{QStringLiteral("365,24,2,,,Cari,H,H,H,31/12/2024")} + Header +
                                             QStringList{
                                                 QStringLiteral("1,01/10/2024,31/10/2024,x,\"10,000.00\",,,,,,,,"),
                                                 QStringLiteral("2,15/11/2024,15/01/2025,y,,4000.5,,,,,,,"),
                                             }));
        const Run r = runKervio({QStringLiteral("--recalculate"), in}, {QStringLiteral("LANG=en_US.UTF-8")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.mid(0, 3), QStringList({"borctoplamEdit=10,000.00", "alacaktoplamtutarEdit=4,000.50",
                                               "bakiyetutarEdit=5,999.50"}));
        QVERIFY(r.out.contains(QStringLiteral("DateTimePicker76=31/10/2024")));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
