#pragma once
#include <QPointer>
#include <QString>
#include <memory>

namespace kervio {

class Session;
class MainWindow;
namespace spreadsheet {
class ImportWindow;
}
class HelpWindow;
class UpdateProgressWindow;
class WorkRecovery;

// The program's windows, created once in their order (the main window, the
// import window, the help window, the waiting window; the report body
// lives in the main window) and bound to each other. Only the main window is
// shown. It may delete itself on closing, and the import window, which is its
// own, with it; the others live as long as this.
class ProgramWindows {
public:
    explicit ProgramWindows(Session &session);
    ~ProgramWindows();
    MainWindow *mainWindow() const;
    spreadsheet::ImportWindow &importWindow() const;
    HelpWindow &helpWindow() { return *m_helpWindow; }
    UpdateProgressWindow &waitingWindow() { return *m_waitingWindow; }
    // Keeps recovery copies of the unsaved work in `folder` and offers the
    // copies that programs which ended without saving left there.
    void keepRecoveryCopies(const QString &folder);
    WorkRecovery *recovery() const { return m_recovery.get(); }

private:
    QPointer<MainWindow> m_mainWindow;
    QPointer<spreadsheet::ImportWindow> m_importWindow;
    std::unique_ptr<HelpWindow> m_helpWindow;
    std::unique_ptr<UpdateProgressWindow> m_waitingWindow;
    std::unique_ptr<WorkRecovery> m_recovery;
};

// Starts the windowed program; a FILE.krv argument is opened as
// "KAYITTAN AÇ" would open it.
int runProgram(int argc, char **argv);

// Starts the program the same way, offscreen, and renders its main window
// at its design size holding the worked example (recalculated, "FAİZ BUL"
// pressed) into a PNG picture.
int runScreenshot(int argc, char **argv, const QString &picturePath);

// The worked example (share/worked-example.krv, built into the program)
// opened as "KAYITTAN AÇ" opens a file, with "FAİZ BUL" pressed.
bool loadWorkedExample(Session &session);

} // namespace kervio
