#pragma once
#include <QString>

namespace kervio {

class Session;

// Starts the windowed program; a FILE.krv argument is opened as
// "KAYITTAN AÇ" would open it. `kervio --screenshot OUT.png` instead renders
// the main window holding the worked example into OUT.png, offscreen.
int runGui(int argc, char **argv);

// True when the arguments ask for the screenshot rather than the command line.
bool isScreenshotRequest(int argc, char **argv);

// Fonts the machine lacks map to their metric twins, never to whatever the
// toolkit would pick.
void installFontSubstitutions();

// The three-entry example ledger with its parameters, recalculated.
void loadWorkedExample(Session &session);

} // namespace kervio
