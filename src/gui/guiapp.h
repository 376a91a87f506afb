#pragma once
#include <QApplication>
#include <QFont>
#include <QString>

class QKeyEvent;
class QLineEdit;

namespace kervio {

class Dialogs;

// The application object of the windowed program. The last line of defence
// of the general error handler: an error escaping an event handler is shown
// with its text through `dialogs` and the program runs on.
class KervioApplication : public QApplication {
public:
    KervioApplication(int &argc, char **argv) : QApplication(argc, argv) {}
    Dialogs *dialogs = nullptr;

    bool notify(QObject *receiver, QEvent *event) override;
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

// The character a key types: u'\r' for Enter, u'\b' for Backspace, a null
// character for keys that type nothing (arrows, function keys, Tab, Delete).
QChar typedCharacter(const QKeyEvent *e);

// A text the program puts into a field shows its start, not its end.
void showText(QLineEdit *field, const QString &text);

// Fonts the machine lacks map to their metric twins, never to whatever the
// toolkit would pick.
void installFontSubstitutions();

// Tahoma is narrower than its substitute; the semi-condensed face keeps the
// captions inside the sizes the layouts give them.
QFont tahoma(int pixels, bool bold = false, int stretch = QFont::SemiCondensed);

} // namespace kervio
