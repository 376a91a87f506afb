#pragma once
#include <QWidget>

class QProgressBar;
class QTextEdit;

namespace kervio {

// The windows created once at start besides the main window. Each stays
// hidden until its command shows it; their content comes with those commands.

class TaktarexcelF : public QWidget { // the spreadsheet import window
    Q_OBJECT
public:
    explicit TaktarexcelF(QWidget *parent = nullptr);
};

class TyardimF : public QWidget { // the help text window
    Q_OBJECT
public:
    explicit TyardimF(QWidget *parent = nullptr);
};

class TraporF : public QWidget { // holder of the report text, never shown
    Q_OBJECT
public:
    explicit TraporF(QWidget *parent = nullptr);
    QTextEdit *RichEdit9;
};

class TForm2 : public QWidget { // the small waiting window of the update
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    QProgressBar *ProgressBar1;
};

} // namespace kervio
