#pragma once
#include "core/scripteddialogs.h"
#include "shell/session.h"

#include <QString>

namespace kervio {

// One line on standard error (UTF-8); line breaks inside become blanks.
void writeErrorLine(const QString &text);
// One line on standard output (UTF-8).
void writeOutputLine(const QString &text);

// A freshly started program for the command line, started as the window
// starts: system separators, the settings file beside the executable, and
// every message box's text on standard error.
struct CommandLineSession {
    ScriptedDialogs dialogs;
    Session session;
    CommandLineSession();
    // Opens a ledger as "KAYITTAN AÇ" does: loads it, then recalculates (a
    // failing recalculation is shown, the file still counts as opened).
    // False, with the reason on standard error, when it could not be opened.
    bool open(const QString &path);
};

} // namespace kervio
