#pragma once
#include "core/appinfo.h"

#include <QString>
#include <functional>

namespace kervio {

// What decides where the program keeps its files.
struct LocationFacts {
    QString programFolder;    // the executable's folder, with its trailing separator
    QString userConfigFolder; // the user's folder for the program's settings
    QString documentsFolder;  // the user's documents folder
    QString userCacheFolder;  // the user's folder for passing files on
    bool packaged = false;    // built for a system package
    // Whether this process may write into a folder. Root may write anywhere,
    // so tests answer this themselves.
    std::function<bool(const QString &)> writable;
};

// A portable copy keeps everything beside its executable. An installed one
// (built for a package, in a folder it may not write, or with the installed
// data folder beside it) reads its data from that folder and keeps what the
// user makes in the user's own folders, created when first needed.
struct Locations {
    bool portable = true;
    QString programFolder;    // with its trailing separator
    QString dataFolder;       // the installed data, <program>/../share/kervio/
    QString settingsFile;     // "Ayarlar.ini"
    QString settingsDefaults; // read until the user saves settings; empty for a portable copy
    QString ledgerFolder;     // where the ledger file dialogs start
    QString mailFolder;       // where the workbook for a mailing is written
    bool selfUpdate = false;  // "Programı Güncelle" may replace the executable
};

Locations resolveLocations(const LocationFacts &facts);

// The facts of this process, for an executable in programFolder.
LocationFacts systemLocationFacts(const QString &programFolder = executableFolder());
// Where the running program keeps its files.
Locations programLocations();

// The installed data folder that belongs to an executable's folder, with
// its trailing separator; it need not exist.
QString installedDataFolder(const QString &programFolder);

// The settings file to read: the file itself, or, until it exists, the
// installed first-start settings when there are any.
QString settingsFileToRead(const QString &settingsFile, const QString &defaults);
// Before the first save into a settings file that does not exist yet: makes
// its folder and copies the first-start settings in, so that saving one
// section keeps the other's defaults. Failures show when the file is written.
void prepareSettingsFile(const QString &settingsFile, const QString &defaults);

} // namespace kervio
