// The command line on many generated ledgers: huge and malformed amounts, odd
// and impossible dates, empty and overlong fields, broken lines. Every run
// ends with the program's own status, never a crash; in the sanitized build
// a finding of AddressSanitizer or UBSan ends the run and fails the test.
// KERVIO_GENERATED_LEDGERS sets how many ledgers (default 60).
#include "common/kervioprocess.h"
#include "core/codepage1254.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Header = QStringLiteral(",\"İşlem Tarihi\",\"Vade Tarihi\",Açıklama,\"Borç Tutarı\",\"Alacak Tutarı\",Gün,"
                                      "\"B.Vade Farkı\",\"A.Vade Farkı\",\"Borç Adat\",\"Alacak Adat\",Index,Index2");

// Builds one ledger file's lines from a seed, so a failing ledger can be
// made again from its number.
class LedgerGenerator {
public:
    explicit LedgerGenerator(quint32 seed) : m_rng(seed) { m_wild = chance(50); }

    QStringList lines()
    {
        QStringList out{parameterLine()};
        if (!m_wild || chance(95))
            out << Header;
        const int rows = chance(5) ? int(m_rng.bounded(2000, 6000)) : int(m_rng.bounded(0, 40));
        for (int r = 1; r <= rows; ++r)
            out << (m_wild && chance(3) ? junkLine() : rowLine(r));
        return out;
    }

private:
    QRandomGenerator m_rng;
    // a tame ledger holds only what a user could type: extreme but valid
    // values, so that the reports and workbooks get made too
    bool m_wild = false;

    bool chance(int percent) { return int(m_rng.bounded(100)) < percent; }
    QString pick(const QStringList &choices) { return choices[int(m_rng.bounded(int(choices.size())))]; }

    // Written as the program writes an item: quoted when it holds a blank,
    // a control character, a quote or a comma.
    static QString item(const QString &text)
    {
        for (QChar c : text)
            if (c.unicode() <= 32 || c == u'"' || c == u',')
                return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
        return text;
    }

    QString number()
    {
        return pick({"", "0", "365", "360", "-1", "1", "24", "24,5", "0,0000001", "-24", "1.000", "999999999999",
                     "2147483648", "-2147483649", "1e308", "99999999999999999999999999", "abc", ",", "1,2,3",
                     "nan", "inf", QString(400, u'9')});
    }

    QString date()
    {
        static const QStringList dates = {
            "", "01.01.2024", "29.02.2024", "29.02.2023", "31.12.9999", "01.01.0001", "01.01.1753", "31.02.2024",
            "00.00.0000", "99.99.9999", "1.1.24", "01.13.2024", "32.01.2024", "-1.-1.-1", "ab.cd.efgh", "01.01",
            "01..2024", "2024-03-07", "07/03/2024", "01.01.2147483648", "01.01.-5", " 01.01.2024", "01.01.2024x"};
        if (!m_wild || chance(50)) {
            // the program takes years 1905 to 2999
            if (chance(3))
                return pick({"01.01.1905", "31.12.2999", "29.02.2000", "29.02.2024"});
            const QDate d = QDate(1905, 1, 1).addDays(m_rng.bounded(0, m_wild ? 400000 : 73000));
            return d.toString(QStringLiteral("dd.MM.yyyy"));
        }
        return pick(dates);
    }

    QString amount()
    {
        static const QStringList amounts = {
            "", "", "0", "0,00", "1,00", "1.234,56", "-500,00", "999.999.999.999.999,99",
            "1.000.000.000.000.000.000.000,00", "0,001", "1e20", "-0", "1,2,3", ",5", "5,", "1..000", "NaN", "inf",
            "abc", "1 000", QString(300, u'9'), QStringLiteral("9") + QString(20, u'0') + QStringLiteral(",00")};
        if (!m_wild || chance(40)) {
            if (chance(5))
                return pick({"999.999.999.999.999,99", "0,01", "0,00", ""});
            if (chance(30))
                return QString();
            return QLocale(QLocale::Turkish).toString(double(m_rng.bounded(1, 100000000)) / 100, 'f', 2);
        }
        return pick(amounts);
    }

    QString text()
    {
        static const QStringList texts = {"", "Fatura", "Çek \"nakit\"", "a,b", "İĞÜŞÖÇığüşöç", "tab\there",
                                          "€ ve ™", QString(5000, u'x')};
        return m_wild || chance(20) ? pick(texts) : QStringLiteral("Fatura %1").arg(m_rng.bounded(1000));
    }

    QString parameterLine()
    {
        // days in a year, the two rates, the two grace days
        static const QStringList tame[5] = {
            {"365", "360"}, {"24", "0", "99999", "0,0001"}, {"2", "0"}, {"0", "", "5", "9999"}, {"0", "", "3", "9999"}};
        QStringList items;
        for (const QStringList &choices : tame)
            items << (m_wild ? number() : pick(choices));
        items << text() << pick({"H", "E", ""}) << pick({"H", "E", "X", ""}) << pick({"H", "E", "?", ""})
              << (chance(85) ? date() : QStringLiteral("31.12.2024"));
        if (m_wild && chance(5))
            items = items.mid(0, int(m_rng.bounded(0, 10)));
        QStringList quoted;
        for (const QString &i : items)
            quoted << item(i);
        return quoted.join(u',');
    }

    QString rowLine(int row)
    {
        QStringList cells = {m_wild && chance(10) ? number() : QString::number(row), date(), date(), text(), amount(),
                             amount()};
        // the computed cells and the sort keys, as a file of any origin may hold them
        for (int c = 6; c < 13; ++c)
            cells << (!m_wild || chance(80) ? QString() : chance(50) ? amount() : number());
        if (m_wild && chance(5))
            cells = cells.mid(0, int(m_rng.bounded(0, 13)));
        if (m_wild && chance(3))
            cells << text() << amount();
        QStringList quoted;
        for (const QString &c : cells)
            quoted << item(c);
        return quoted.join(u',');
    }

    QString junkLine()
    {
        switch (m_rng.bounded(5)) {
        case 0: return QString(int(m_rng.bounded(1, 200)), u',');
        case 1: return QStringLiteral("\"unterminated, quote");
        case 2: return QString();
        case 3: {
            QString s;
            for (int i = 0; i < 80; ++i)
                s += QChar(ushort(m_rng.bounded(1, 256)));
            return s;
        }
        default: return QStringLiteral("1,01.01.2024,01.01.2024,x,\"1,00\"\x01\x02,,,,,,,,");
        }
    }
};

} // namespace

using namespace kervio::test;

class TestCliGenerated : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void commandsOnGeneratedLedgers_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QString>("outputOption");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("recalculate") << QStringList{"--recalculate"} << QStringLiteral("--output") << ".krv";
        QTest::newRow("recalculate, sort") << QStringList{"--recalculate", "--sort"} << QStringLiteral("--output")
                                           << ".krv";
        QTest::newRow("export") << QStringList{"--export"} << QStringLiteral("--xlsx") << ".xlsx";
        QTest::newRow("report") << QStringList{"--report"} << QStringLiteral("--pdf") << ".pdf";
        QTest::newRow("report, net") << QStringList{"--report", "--net"} << QStringLiteral("--pdf") << ".pdf";
    }
    void commandsOnGeneratedLedgers()
    {
        QFETCH(QStringList, extra);
        QFETCH(QString, outputOption);
        QFETCH(QString, suffix);
        const int count = qEnvironmentVariableIsSet("KERVIO_GENERATED_LEDGERS")
                              ? qEnvironmentVariableIntValue("KERVIO_GENERATED_LEDGERS")
                              : 60;
        int done = 0;
        for (int n = 0; n < count; ++n) {
            const QString in = m_dir.filePath(QStringLiteral("defter%1.krv").arg(n));
            QFile f(in);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (const QString &line : LedgerGenerator(quint32(n)).lines())
                f.write(kervio::toCp1254(line) + "\r\n");
            f.close();
            const QString out = m_dir.filePath(QStringLiteral("sonuc") + suffix);
            QFile::remove(out);
            // the input goes right after the command's first option
            QStringList args = {extra.first(), in};
            args << extra.mid(1) << outputOption << out;
            const Run r = runKervio(args);
            const QByteArray what = "ledger " + QByteArray::number(n) + ": " + r.err.left(4000);
            QVERIFY2(r.exited, what.constData());
            QVERIFY2(!r.err.contains("Sanitizer") && !r.err.contains("runtime error:"), what.constData());
            QVERIFY2(r.exitCode == 0 || r.exitCode == 2 || r.exitCode == 3, what.constData());
            if (r.exitCode == 0) {
                QVERIFY2(QFileInfo(out).size() > 0, what.constData());
                ++done;
            }
        }
        // the tame half mostly gets through to the written file
        QVERIFY2(done >= count / 4, qPrintable(QString::number(done)));
    }
};

QTEST_GUILESS_MAIN(TestCliGenerated)
#include "tst_cligenerated.moc"
