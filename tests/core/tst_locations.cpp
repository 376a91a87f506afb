// Where a portable and an installed program keep their files. Writability
// is answered by the test: as root every folder is writable.
#include "core/locations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kervio;

namespace {

// An executable's folder "bin" in a temporary tree, with the user's folders
// beside it.
struct Tree {
    QTemporaryDir dir;
    QString path(const QString &relative) const { return dir.filePath(relative); }
    QString bin() const { return path(QStringLiteral("bin")) + u'/'; }

    LocationFacts facts(bool packaged, bool writable) const
    {
        LocationFacts f;
        f.programFolder = bin();
        f.userConfigFolder = path(QStringLiteral("home/.config/kervio"));
        f.documentsFolder = path(QStringLiteral("home/Belgeler"));
        f.userCacheFolder = path(QStringLiteral("home/.cache/kervio"));
        f.packaged = packaged;
        const QString program = bin();
        f.writable = [=](const QString &folder) {
            if (folder != program)
                qFatal("asked about %s", qPrintable(folder));
            return writable;
        };
        return f;
    }
};

void touch(const QString &path, const QByteArray &bytes = "[Ayar]\r\n")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestLocations : public QObject {
    Q_OBJECT
private slots:
    void rules_data();
    void rules();
    void dataFolderBesideTheExecutablesFolder();
    void firstStartSettings_data();
    void firstStartSettings();
    void firstSaveCopiesTheFirstStartSettings();
    void firstSaveLeavesAnExistingFile();
};

void TestLocations::rules_data()
{
    QTest::addColumn<bool>("packaged");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("settingsBeside"); // an Ayarlar.ini beside the executable
    QTest::addColumn<bool>("dataTree");       // share/kervio beside bin
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QString>("settings"); // "bin" or "config"
    QTest::addColumn<bool>("selfUpdate");

    QTest::newRow("portable copy") << false << true << false << false << true << "bin" << true;
    QTest::newRow("portable copy with its settings") << false << true << true << false << true << "bin" << true;
    QTest::newRow("read-only folder") << false << false << false << false << false << "config" << false;
    QTest::newRow("read-only folder with settings") << false << false << true << false << true << "bin" << false;
    // root, or a prefix in the user's home: writable, still an installed tree
    QTest::newRow("installed tree, writable") << false << true << false << true << false << "config" << false;
    QTest::newRow("installed tree, read-only") << false << false << false << true << false << "config" << false;
    QTest::newRow("installed tree with settings") << false << false << true << true << false << "bin" << false;
    QTest::newRow("package, writable") << true << true << false << false << false << "config" << false;
    QTest::newRow("package with settings") << true << true << true << true << false << "bin" << false;
}

void TestLocations::rules()
{
    QFETCH(bool, packaged);
    QFETCH(bool, writable);
    QFETCH(bool, settingsBeside);
    QFETCH(bool, dataTree);
    QFETCH(bool, portable);
    QFETCH(QString, settings);
    QFETCH(bool, selfUpdate);
    Tree t;
    QVERIFY(QDir().mkpath(t.bin()));
    if (settingsBeside)
        touch(t.bin() + QStringLiteral("Ayarlar.ini"));
    if (dataTree)
        QVERIFY(QDir().mkpath(t.path(QStringLiteral("share/kervio"))));

    const Locations l = resolveLocations(t.facts(packaged, writable));
    QCOMPARE(l.portable, portable);
    QCOMPARE(l.programFolder, t.bin());
    QCOMPARE(l.dataFolder, t.path(QStringLiteral("share/kervio/")));
    QCOMPARE(l.settingsFile, settings == u"bin" ? t.bin() + QStringLiteral("Ayarlar.ini")
                                                : t.path(QStringLiteral("home/.config/kervio/Ayarlar.ini")));
    // first-start settings only where the user's own file lives apart
    QCOMPARE(l.settingsDefaults,
             settings == u"bin" ? QString() : t.path(QStringLiteral("share/kervio/Ayarlar.ini")));
    QCOMPARE(l.ledgerFolder, portable ? t.bin() + QStringLiteral("Dosya") : t.path(QStringLiteral("home/Belgeler/Kervio")));
    QCOMPARE(l.mailFolder, portable ? t.bin() : t.path(QStringLiteral("home/.cache/kervio/")));
    QCOMPARE(l.selfUpdate, selfUpdate);
    // resolving makes nothing
    QVERIFY(!QFileInfo::exists(t.path(QStringLiteral("home"))));
}

void TestLocations::dataFolderBesideTheExecutablesFolder()
{
    QCOMPARE(installedDataFolder(QStringLiteral("/opt/kervio/bin/")), QStringLiteral("/opt/kervio/share/kervio/"));
    QCOMPARE(installedDataFolder(QStringLiteral("/usr/bin")), QStringLiteral("/usr/share/kervio/"));
}

void TestLocations::firstStartSettings_data()
{
    QTest::addColumn<bool>("userFile");
    QTest::addColumn<bool>("defaultsFile");
    QTest::addColumn<bool>("defaultsGiven");
    QTest::addColumn<QString>("read"); // "user" or "defaults"
    QTest::newRow("first start") << false << true << true << "defaults";
    QTest::newRow("after the first save") << true << true << true << "user";
    QTest::newRow("defaults missing") << false << false << true << "user";
    QTest::newRow("portable: none given") << false << true << false << "user";
}

void TestLocations::firstStartSettings()
{
    QFETCH(bool, userFile);
    QFETCH(bool, defaultsFile);
    QFETCH(bool, defaultsGiven);
    QFETCH(QString, read);
    QTemporaryDir dir;
    const QString user = dir.filePath(QStringLiteral("config/Ayarlar.ini"));
    const QString defaults = dir.filePath(QStringLiteral("share/Ayarlar.ini"));
    if (userFile)
        touch(user);
    if (defaultsFile)
        touch(defaults);
    QCOMPARE(settingsFileToRead(user, defaultsGiven ? defaults : QString()), read == u"user" ? user : defaults);
}

void TestLocations::firstSaveCopiesTheFirstStartSettings()
{
    QTemporaryDir dir;
    const QString user = dir.filePath(QStringLiteral("home/.config/kervio/Ayarlar.ini"));
    const QString defaults = dir.filePath(QStringLiteral("share/kervio/Ayarlar.ini"));
    touch(defaults, "[Ayar]\r\nyilgun=365\r\n");
    // an installed file may be read-only; the user's copy must not be
    QVERIFY(QFile::setPermissions(defaults, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    prepareSettingsFile(user, defaults);
    QFile copy(user);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), QByteArray("[Ayar]\r\nyilgun=365\r\n"));
    QVERIFY(copy.permissions() & QFile::WriteOwner);

    // without first-start settings only the folder is made
    const QString other = dir.filePath(QStringLiteral("other/kervio/Ayarlar.ini"));
    prepareSettingsFile(other, QString());
    QVERIFY(QFileInfo(QFileInfo(other).absolutePath()).isDir());
    QVERIFY(!QFileInfo::exists(other));
}

void TestLocations::firstSaveLeavesAnExistingFile()
{
    QTemporaryDir dir;
    const QString user = dir.filePath(QStringLiteral("Ayarlar.ini"));
    const QString defaults = dir.filePath(QStringLiteral("defaults.ini"));
    touch(user, "[Ayar]\r\nyilgun=360\r\n");
    touch(defaults, "[Ayar]\r\nyilgun=365\r\n");
    prepareSettingsFile(user, defaults);
    QFile f(user);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("[Ayar]\r\nyilgun=360\r\n"));
}

QTEST_GUILESS_MAIN(TestLocations)
#include "tst_locations.moc"
