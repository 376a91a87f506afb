#pragma once
#include <QWidget>


namespace kervio {

// The windows created once at start besides the main window. Each stays
// hidden until its command shows it; their content comes with those commands.

class TaktarexcelF : public QWidget { // the spreadsheet import window
    Q_OBJECT
public:
    explicit TaktarexcelF(QWidget *parent = nullptr);
};

} // namespace kervio
