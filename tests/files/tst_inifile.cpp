#include "common/filebytes.h"
#include "common/filesizelimit.h"
#include "files/inifile.h"
#include "files/settings.h"
#include "core/errors.h"

#include <QtTest>
#include <memory>
#include <sys/stat.h>

using namespace kervio;
using namespace kervio::test;

namespace {

QByteArray crlf(const QByteArrayList &lines)
{
    QByteArray out;
    for (const QByteArray &l : lines)
        out += l + "\r\n";
    return out;
}

RateSettings sampleRates()
{
    RateSettings s;
    s.daysInYear = "365";
    s.yearlyRate = "24";
    s.monthlyRate = "2";
    s.debitGraceDays = "0";
    s.creditGraceDays = "0";
    s.debitWeekend = false;
    s.creditWeekend = true;
    return s;
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void init();

    void readString_data();
    void readString();
    void valueTruncatedAt2047();

    void writeKeepsEveryOtherLine();
    void caseInsensitiveSectionAndKey();
    void missingRatesReadAsSoundStart_data();
    void missingRatesReadAsSoundStart();
    void missingFileWriteCreatesAyarOnly();
    void bothSectionsMakeTheDocumentedFile();
    void checkValues_data();
    void checkValues();
    void writeFailure_data();
    void writeFailure();
    void onlySmallRegularFilesAreRead_data();
    void onlySmallRegularFilesAreRead();


private:
    QString iniPath() const { return m_dir->filePath("Ayarlar.ini"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestIniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestIniFile::readString_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("value"); // section "a", key "k", default "def"
    QTest::newRow("plain") << QByteArray("[a]\r\nk=1\r\n") << "1";
    QTest::newRow("LF line ends") << QByteArray("[a]\nk=1\n") << "1";
    QTest::newRow("lone CR") << QByteArray("[a]\rj=2\rk=1") << "1";
    QTest::newRow("first section of a name") << QByteArray("[a]\nk=1\n[a]\nk=2\n") << "1";
    QTest::newRow("first key of a name") << QByteArray("[a]\nk=1\nk=2\n") << "1";
    QTest::newRow("key before any section") << QByteArray("k=0\n[a]\nk=1\n") << "1";
    QTest::newRow("key of another section") << QByteArray("[b]\nk=1\n") << "def";
    QTest::newRow("blanks around") << QByteArray("[ a ]\n  k =  v w  \n") << "v w";
    QTest::newRow("comment line") << QByteArray("[a]\n;k=1\nk=2\n") << "2";
    QTest::newRow("empty value is no default") << QByteArray("[a]\nk=\n") << "";
    QTest::newRow("line without equals") << QByteArray("[a]\nk\n") << "def";
    QTest::newRow("equals in value") << QByteArray("[a]\nk=x=y\n") << "x=y";
    QTest::newRow("code page 1254") << QByteArray("[a]\nk=\xDE\xFD\xF0\n") << "Şığ";
    QTest::newRow("empty file") << QByteArray() << "def";
    QTest::newRow("garbage") << QByteArray("\0\xFF[\n]=\n[a\nk=1", 13) << "1";
}

void TestIniFile::readString()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, value);
    IniFile ini;
    ini.loadBytes(file);
    QCOMPARE(ini.readString("a", "k", "def"), value);
}

void TestIniFile::valueTruncatedAt2047()
{
    IniFile ini;
    ini.loadBytes("[a]\nlong=" + QByteArray(3000, 'x') + "\nexact=" + QByteArray(2047, 'y') + "\n");
    QCOMPARE(ini.readString("a", "long"), QString(2047, u'x'));
    QCOMPARE(ini.readString("a", "exact"), QString(2047, u'y'));
}

void TestIniFile::writeKeepsEveryOtherLine()
{
    writeBytes(iniPath(), "; ayarlar\n"
                          "[Ayar]\n"
                          "yilgun=360\n"
                          "eskiAnahtar=1\n"
                          "ayfaiz=12\n"
                          "\n"
                          "[ExcelAyar]\n"
                          "vade=7\n"
                          "firma=\xDEirket\n");
    writeRateSettings(iniPath(), sampleRates());
    QCOMPARE(readBytes(iniPath()), crlf({"; ayarlar",
                                         "[Ayar]",
                                         "yilgun=365",
                                         "eskiAnahtar=1",
                                         "ayfaiz=24",
                                         "yilfaiz=2",
                                         "borcgun=0",
                                         "alacakgun=0",
                                         "borcCheck=2",
                                         "alacakCheck=1",
                                         "",
                                         "[ExcelAyar]",
                                         "vade=7",
                                         "firma=\xDEirket"}));
}

void TestIniFile::caseInsensitiveSectionAndKey()
{
    writeBytes(iniPath(), crlf({"[AYAR]", "YILGUN=360", "AyFaiz=30", "BORCCHECK=1"}));
    const RateSettings read = readRateSettings(iniPath());
    QCOMPARE(read.daysInYear, QStringLiteral("360"));
    QCOMPARE(read.yearlyRate, QStringLiteral("30"));
    QVERIFY(read.debitWeekend);

    writeRateSettings(iniPath(), sampleRates());
    QCOMPARE(readBytes(iniPath()), crlf({"[AYAR]", "yilgun=365", "ayfaiz=24", "borcCheck=2", "yilfaiz=2",
                                         "borcgun=0", "alacakgun=0", "alacakCheck=1"}));
}

// A fresh start must not leave the rate fields empty, or the first entry
// fails to compute; only what the user stored empty stays empty.
void TestIniFile::missingRatesReadAsSoundStart_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no file at all
    QTest::addColumn<QStringList>("texts"); // days, yearly, monthly, debit and credit grace
    const QStringList fresh{"365", "0", "0", "0", "0"};
    QTest::newRow("no file") << QByteArray() << fresh;
    QTest::newRow("only the mapping's section") << crlf({"[ExcelAyar]", "vade=1"}) << fresh;
    QTest::newRow("some keys missing") << crlf({"[Ayar]", "yilgun=360", "yilfaiz=2"})
                                       << QStringList{"360", "0", "2", "0", "0"};
    QTest::newRow("stored empty")
        << crlf({"[Ayar]", "yilgun=", "ayfaiz=", "yilfaiz=", "borcgun=", "alacakgun="})
        << QStringList{"", "", "", "", ""};
}

void TestIniFile::missingRatesReadAsSoundStart()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, texts);
    if (!file.isEmpty())
        writeBytes(iniPath(), file);
    const RateSettings read = readRateSettings(iniPath());
    QCOMPARE((QStringList{read.daysInYear, read.yearlyRate, read.monthlyRate, read.debitGraceDays,
                          read.creditGraceDays}),
             texts);
    QVERIFY(!read.debitWeekend && !read.creditWeekend);
    QCOMPARE(QFile::exists(iniPath()), !file.isEmpty()); // reading writes nothing
}

void TestIniFile::missingFileWriteCreatesAyarOnly()
{
    RateSettings s = sampleRates();
    s.creditGraceDays.clear();
    writeRateSettings(iniPath(), s);
    QCOMPARE(readBytes(iniPath()), crlf({"[Ayar]", "yilgun=365", "ayfaiz=24", "yilfaiz=2", "borcgun=0",
                                         "alacakgun=", "borcCheck=2", "alacakCheck=1"}));
}

void TestIniFile::bothSectionsMakeTheDocumentedFile()
{
    const ImportMapping e = ImportMapping::formDefaults();
    writeRateSettings(iniPath(), sampleRates());
    writeImportMapping(iniPath(), e);
    const QByteArray expected = crlf({"[Ayar]", "yilgun=365", "ayfaiz=24", "yilfaiz=2", "borcgun=0", "alacakgun=0",
                                      "borcCheck=2", "alacakCheck=1", "[ExcelAyar]", "vade=1", "islem=2",
                                      "aciklama=3", "borc=4", "alacak=5", "basla=3", "bitir=10", "vadeCheck=2"});
    QCOMPARE(readBytes(iniPath()), expected);

    // Writing one section again leaves the other as it was.
    RateSettings a = sampleRates();
    a.daysInYear = "360";
    writeRateSettings(iniPath(), a);
    QCOMPARE(readBytes(iniPath()), QByteArray(expected).replace("yilgun=365", "yilgun=360"));

    QVERIFY(readImportMapping(iniPath()) == e);
}

void TestIniFile::checkValues_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<bool>("checked");
    QTest::newRow("1") << QByteArray("borcCheck=1\nalacakCheck=1\nvadeCheck=1\n") << true;
    QTest::newRow("2") << QByteArray("borcCheck=2\nalacakCheck=2\nvadeCheck=2\n") << false;
    QTest::newRow("other text") << QByteArray("borcCheck=E\nalacakCheck=01\nvadeCheck=true\n") << false;
    QTest::newRow("empty") << QByteArray("borcCheck=\nalacakCheck=\nvadeCheck=\n") << false;
    QTest::newRow("missing") << QByteArray() << false;
}

void TestIniFile::checkValues()
{
    QFETCH(QByteArray, lines);
    QFETCH(bool, checked);
    writeBytes(iniPath(), "[Ayar]\n" + lines + "[ExcelAyar]\n" + lines);
    const RateSettings a = readRateSettings(iniPath());
    QCOMPARE(a.debitWeekend, checked);
    QCOMPARE(a.creditWeekend, checked);
    QCOMPARE(readImportMapping(iniPath()).dueDateIsTransactionDate, checked);
}

void TestIniFile::writeFailure_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("missing folder") << "yok/Ayarlar.ini" << false;
    QTest::newRow("disk full") << "Ayarlar.ini" << true;
}

void TestIniFile::writeFailure()
{
    QFETCH(QString, name);
    QFETCH(bool, diskFull);
    const QString path = m_dir->filePath(name);
    const QByteArray old = crlf({"[Ayar]", "yilgun=360"});
    if (diskFull)
        writeBytes(path, old);

    QString error;
    {
        std::unique_ptr<FileSizeLimit> limit;
        if (diskFull)
            limit = std::make_unique<FileSizeLimit>(old.size());
        try {
            writeRateSettings(path, sampleRates());
        } catch (const KervioError &e) {
            error = e.text();
        }
    }
    QCOMPARE(error, "Unable to write to " + QFileInfo(path).absoluteFilePath());
    if (diskFull)
        QCOMPARE(readBytes(path), old);
    else
        QVERIFY(!QFile::exists(path));
}

// A settings file that is no regular file of at most 1 MB reads as a missing
// one (the defaults), at once, and is never written over.
void TestIniFile::onlySmallRegularFilesAreRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("read");
    QTest::newRow("exactly 1 MB") << "1mb" << true;
    QTest::newRow("one byte over 1 MB") << "1mb+1" << false;
    QTest::newRow("300 MB") << "300mb" << false;
    QTest::newRow("fifo without a writer") << "fifo" << false;
    QTest::newRow("link to /dev/zero") << "zero" << false;
    QTest::newRow("folder") << "folder" << false;
}

void TestIniFile::onlySmallRegularFilesAreRead()
{
    QFETCH(QString, kind);
    QFETCH(bool, read);
    const QString path = iniPath();
    const QByteArray head = crlf({"[Ayar]", "yilgun=360", "borcCheck=1"});
    const auto sized = [&](qint64 size) {
        writeBytes(path, head);
        QFile f(path);
        QVERIFY(f.resize(size)); // the rest reads as NUL bytes, no memory spent
    };
    if (kind == u"1mb")
        sized(IniFile::MaxFileBytes);
    else if (kind == u"1mb+1")
        sized(IniFile::MaxFileBytes + 1);
    else if (kind == u"300mb")
        sized(qint64(300) * 1024 * 1024);
    else if (kind == u"fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == u"zero")
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    else
        QVERIFY(QDir().mkdir(path));
    const QFileInfo before(path);

    const RateSettings s = readRateSettings(path);
    QCOMPARE(s.daysInYear, read ? QStringLiteral("360") : QStringLiteral("365"));
    QCOMPARE(s.debitWeekend, read);
    if (read)
        return;
    QString error;
    try {
        writeRateSettings(path, sampleRates());
    } catch (const KervioError &e) {
        error = e.text();
    }
    QCOMPARE(error, "Unable to write to " + QFileInfo(path).absoluteFilePath());
    const QFileInfo after(path);
    QCOMPARE(after.isSymLink(), before.isSymLink());
    QCOMPARE(after.isFile(), before.isFile());
    QCOMPARE(after.size(), before.size());
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
