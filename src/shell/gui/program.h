#pragma once
#include <QPointer>
#include <memory>

namespace kervio {

class Session;
class Tkervio2F;
namespace spreadsheet {
class ImportWindow;
}
class HelpWindow;
class UpdateProgressWindow;

// The program's windows, created once in their order (the main window, the
// import window, the help window, the waiting window; the report text holder
// lives in the main window) and bound to each other. Only the main window is
// shown. It may delete itself on closing, and the import window, which is its
// own, with it; the others live as long as this.
class KervioWindows {
public:
    explicit KervioWindows(Session &session);
    ~KervioWindows();
    Tkervio2F *kervio2F() const;
    spreadsheet::ImportWindow &aktarexcelF() const;
    HelpWindow &yardimF() { return *m_yardimF; }
    UpdateProgressWindow &form2() { return *m_form2; }

private:
    QPointer<Tkervio2F> m_kervio2F;
    QPointer<spreadsheet::ImportWindow> m_aktarexcelF;
    std::unique_ptr<HelpWindow> m_yardimF;
    std::unique_ptr<UpdateProgressWindow> m_form2;
};

// Starts the windowed program; a FILE.krv argument is opened as
// "KAYITTAN AÇ" would open it. `kervio --screenshot OUT.png` instead starts
// the program the same way, offscreen, and renders its main window holding
// the worked example into OUT.png.
int runGui(int argc, char **argv);

// True when the arguments ask for the screenshot rather than the command line.
bool isScreenshotRequest(int argc, char **argv);

// The three-entry example ledger with its parameters, recalculated.
void loadWorkedExample(Session &session);

} // namespace kervio
