#pragma once
#include <QFont>
#include <QPointer>
#include <QString>
#include <memory>

class QLineEdit;

namespace kervio {

class Session;
class Tkervio2F;
namespace spreadsheet {
class TaktarexcelF;
}
namespace yardim {
class TyardimF;
}
namespace kayit {
class TForm2;
}

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
    spreadsheet::TaktarexcelF &aktarexcelF() const;
    yardim::TyardimF &yardimF() { return *m_yardimF; }
    kayit::TForm2 &form2() { return *m_form2; }

private:
    QPointer<Tkervio2F> m_kervio2F;
    QPointer<spreadsheet::TaktarexcelF> m_aktarexcelF;
    std::unique_ptr<yardim::TyardimF> m_yardimF;
    std::unique_ptr<kayit::TForm2> m_form2;
};

// What every window of the program needs of the application, before the
// first window is made: the title, the style, the fonts and the Turkish
// interface.
void prepareApplication();

// The interface is Turkish whatever the system language: Qt's own texts
// (box buttons, file dialogs, field menus) from its Turkish translation in
// translationsFolder, the calendar's month and day names from the Turkish
// locale. The regional separators stay those of QLocale::system(), which this
// leaves alone. False when the translation is missing; the program still runs.
bool installTurkishInterface(const QString &translationsFolder);

// A text the program puts into a field shows its start, not its end.
void showText(QLineEdit *field, const QString &text);

// Starts the windowed program; a FILE.krv argument is opened as
// "KAYITTAN AÇ" would open it. `kervio --screenshot OUT.png` instead starts
// the program the same way, offscreen, and renders its main window holding
// the worked example into OUT.png.
int runGui(int argc, char **argv);

// True when the arguments ask for the screenshot rather than the command line.
bool isScreenshotRequest(int argc, char **argv);

// Fonts the machine lacks map to their metric twins, never to whatever the
// toolkit would pick.
void installFontSubstitutions();

// Tahoma is narrower than its substitute; the semi-condensed face keeps the
// captions inside the sizes the layouts give them.
QFont tahoma(int pixels, bool bold = false, int stretch = QFont::SemiCondensed);

// The three-entry example ledger with its parameters, recalculated.
void loadWorkedExample(Session &session);

} // namespace kervio
