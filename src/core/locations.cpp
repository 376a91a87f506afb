#include "locations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef KERVIO_DATA_FROM_BIN
#define KERVIO_DATA_FROM_BIN "../share/kervio"
#endif

namespace kervio {

namespace {

const QString SettingsName = QStringLiteral("Ayarlar.ini");

QString withSeparator(QString folder)
{
    if (!folder.endsWith(u'/') && !folder.endsWith(QDir::separator()))
        folder += u'/';
    return folder;
}

QString userFolder(QStandardPaths::StandardLocation location)
{
    return QStandardPaths::writableLocation(location) + QStringLiteral("/kervio");
}

} // namespace

QString installedDataFolder(const QString &programFolder)
{
    return withSeparator(QDir::cleanPath(withSeparator(programFolder) + QStringLiteral(KERVIO_DATA_FROM_BIN)));
}

Locations resolveLocations(const LocationFacts &facts)
{
    Locations l;
    l.programFolder = withSeparator(facts.programFolder);
    l.dataFolder = installedDataFolder(l.programFolder);
    const QString besideProgram = l.programFolder + SettingsName;
    const bool hasSettings = QFileInfo(besideProgram).isFile();
    const bool writable = facts.writable && facts.writable(l.programFolder);
    const bool installedTree = QFileInfo(l.dataFolder).isDir();
    l.portable = !facts.packaged && !installedTree && (hasSettings || writable);

    // a settings file beside the executable is used wherever it is
    if (hasSettings || l.portable) {
        l.settingsFile = besideProgram;
    } else {
        l.settingsFile = withSeparator(facts.userConfigFolder) + SettingsName;
        l.settingsDefaults = l.dataFolder + SettingsName;
    }
    if (l.portable) {
        l.ledgerFolder = l.programFolder + QStringLiteral("Dosya");
        l.mailFolder = l.programFolder;
    } else {
        l.ledgerFolder = withSeparator(facts.documentsFolder) + QStringLiteral("Kervio");
        l.mailFolder = withSeparator(facts.userCacheFolder);
    }
    l.selfUpdate = l.portable && writable;
    return l;
}

LocationFacts systemLocationFacts(const QString &programFolder)
{
    LocationFacts f;
    f.programFolder = programFolder;
    f.userConfigFolder = userFolder(QStandardPaths::GenericConfigLocation);
    f.documentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (f.documentsFolder.isEmpty())
        f.documentsFolder = QDir::homePath();
    f.userCacheFolder = userFolder(QStandardPaths::GenericCacheLocation);
#ifdef KERVIO_PACKAGED
    f.packaged = true;
#endif
    f.writable = [](const QString &folder) { return QFileInfo(folder).isWritable(); };
    return f;
}

Locations programLocations()
{
    return resolveLocations(systemLocationFacts());
}

QString settingsFileToRead(const QString &settingsFile, const QString &defaults)
{
    if (!defaults.isEmpty() && !QFileInfo::exists(settingsFile) && QFileInfo(defaults).isFile())
        return defaults;
    return settingsFile;
}

void prepareSettingsFile(const QString &settingsFile, const QString &defaults)
{
    if (QFileInfo::exists(settingsFile))
        return;
    QDir().mkpath(QFileInfo(settingsFile).absolutePath());
    if (!defaults.isEmpty() && QFileInfo(defaults).isFile() && QFile::copy(defaults, settingsFile))
        QFile::setPermissions(settingsFile, QFile::permissions(settingsFile) | QFile::WriteOwner);
}

} // namespace kervio
