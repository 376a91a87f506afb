#include "core/codepage1254.h"
#include "files/commatext.h"

#include <QtTest>

using namespace kervio;

namespace {
const QString kHeaderLine = QStringLiteral(
    ",\"İşlem Tarihi\",\"Vade Tarihi\",Açıklama,\"Borç Tutarı\",\"Alacak Tutarı\",Gün,"
    "\"B.Vade Farkı\",\"A.Vade Farkı\",\"Borç Adat\",\"Alacak Adat\",Index,Index2");
const QStringList kHeaderItems = {
    QString(), "İşlem Tarihi", "Vade Tarihi", "Açıklama", "Borç Tutarı", "Alacak Tutarı", "Gün",
    "B.Vade Farkı", "A.Vade Farkı", "Borç Adat", "Alacak Adat", "Index", "Index2"};
} // namespace

class TestCommaText : public QObject {
    Q_OBJECT
private slots:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void roundTrip_data();
    void roundTrip();
    void splitLines_data();
    void splitLines();
    void cp1254Turkish();
    void cp1254EveryByteRoundTrips();
    void cp1254Unmappable_data();
    void cp1254Unmappable();
};

void TestCommaText::encode_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("line");
    QTest::newRow("header row") << kHeaderItems << kHeaderLine;
    QTest::newRow("parameter line")
        << QStringList{"365", "24", "2", "", "", "Cari", "H", "H", "E", "07.03.2024"}
        << "365,24,2,,,Cari,H,H,E,07.03.2024";
    QTest::newRow("decimal comma") << QStringList{"1.234,56", "2"} << "\"1.234,56\",2";
    QTest::newRow("blank") << QStringList{"Ali Veli"} << "\"Ali Veli\"";
    QTest::newRow("double quote doubled") << QStringList{"A \"B\" C"} << "\"A \"\"B\"\" C\"";
    QTest::newRow("quote alone") << QStringList{"a\"b"} << "\"a\"\"b\"";
    QTest::newRow("tab") << QStringList{"a\tb"} << "\"a\tb\"";
    QTest::newRow("two empty items") << QStringList{"", ""} << ",";
    QTest::newRow("no items") << QStringList{} << "";
    QTest::newRow("semicolon and Turkish letters stay bare") << QStringList{"a;ş"} << "a;ş";
}

void TestCommaText::encode()
{
    QFETCH(QStringList, items);
    QFETCH(QString, line);
    QCOMPARE(encodeCommaText(items), line);
}

void TestCommaText::decode_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("header row") << kHeaderLine << kHeaderItems;
    QTest::newRow("parameter line") << "365,24,2,,,Cari,H,H,E,07.03.2024"
                                    << QStringList{"365", "24", "2", "", "", "Cari", "H", "H", "E", "07.03.2024"};
    QTest::newRow("empty line") << "" << QStringList{};
    QTest::newRow("blanks only") << " \t " << QStringList{};
    QTest::newRow("adjacent commas") << "a,,b" << QStringList{"a", "", "b"};
    QTest::newRow("leading comma") << ",a" << QStringList{"", "a"};
    QTest::newRow("trailing comma") << "a," << QStringList{"a", ""};
    QTest::newRow("comma alone") << "," << QStringList{"", ""};
    QTest::newRow("doubled quote") << "\"a\"\"b\",c" << QStringList{"a\"b", "c"};
    QTest::newRow("quoted comma") << "\"Ali, Veli\",x" << QStringList{"Ali, Veli", "x"};
    QTest::newRow("empty quoted") << "\"\",x" << QStringList{"", "x"};
    QTest::newRow("unclosed quote takes the rest") << "a,\"b,c d" << QStringList{"a", "b,c d"};
    QTest::newRow("unquoted blank splits") << "a b,c" << QStringList{"a", "b", "c"};
    QTest::newRow("blanks around items") << "  a ,\t b  " << QStringList{"a", "b"};
    QTest::newRow("text after closing quote") << "\"x\"y,z" << QStringList{"x", "y", "z"};
    QTest::newRow("NUL ends the line") << QString::fromLatin1("a,b\0,c", 6) << QStringList{"a", "b"};
}

void TestCommaText::decode()
{
    QFETCH(QString, line);
    QFETCH(QStringList, items);
    QCOMPARE(decodeCommaText(line), items);
}

void TestCommaText::roundTrip_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::newRow("awkward company names")
        << QStringList{"Ali, Veli", " lead", "trail ", "\"q\"", "\"", ",", "", "x\ty"};
    QTest::newRow("empty cells of a row") << QStringList(13, QString());
    QTest::newRow("amounts") << QStringList{"1", "01.02.2024", "1.234,56", "-7", "0,00"};
}

void TestCommaText::roundTrip()
{
    QFETCH(QStringList, items);
    QCOMPARE(decodeCommaText(encodeCommaText(items)), items);
}

void TestCommaText::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("CR LF") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("lone CR") << "a\rb" << QStringList{"a", "b"};
    QTest::newRow("lone LF") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("no final break") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("break alone") << "\r\n" << QStringList{""};
    QTest::newRow("blank line kept") << "a\r\n\r\nb" << QStringList{"a", "", "b"};
    QTest::newRow("LF CR is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("CR CR LF") << "a\r\r\nb" << QStringList{"a", "", "b"};
}

void TestCommaText::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(kervio::splitLines(text), lines);
}

void TestCommaText::cp1254Turkish()
{
    const QString text = QStringLiteral("çğıİöşüÇĞÖŞÜ€");
    const QByteArray bytes("\xE7\xF0\xFD\xDD\xF6\xFE\xFC\xC7\xD0\xD6\xDE\xDC\x80");
    QCOMPARE(toCp1254(text), bytes);
    QCOMPARE(fromCp1254(bytes), text);
}

void TestCommaText::cp1254EveryByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString decoded = fromCp1254(all);
    QCOMPARE(decoded.size(), 256);
    QCOMPARE(toCp1254(decoded), all);
    // Bytes the code page leaves undefined stand for the C1 controls.
    QCOMPARE(decoded.at(0x81), QChar(0x81));
    QCOMPARE(decoded.at(0x9E), QChar(0x9E));
}

void TestCommaText::cp1254Unmappable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    // Latin-1 letters whose places Turkish letters took.
    QTest::newRow("eth") << QStringLiteral("a\u00D0b") << QByteArray("a?b");
    QTest::newRow("thorn") << QStringLiteral("\u00FE") << QByteArray("?");
    QTest::newRow("CJK") << QStringLiteral("日") << QByteArray("?");
    QTest::newRow("outside BMP is one character") << QStringLiteral("x\U0001F600y") << QByteArray("x?y");
    QTest::newRow("C1 without a byte") << QStringLiteral("\u0080") << QByteArray("?");
}

void TestCommaText::cp1254Unmappable()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toCp1254(text), bytes);
}

QTEST_GUILESS_MAIN(TestCommaText)
#include "tst_commatext.moc"
