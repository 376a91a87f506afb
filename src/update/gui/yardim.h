#pragma once
#include "core/appinfo.h"

#include <QWidget>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QStatusBar;
class QTextEdit;

namespace kervio::yardim {

// The help window: a topic selector over a read-only view of one help text.
// Created once, shown on demand, never modal.
class TyardimF : public QWidget {
    Q_OBJECT
public:
    explicit TyardimF(QWidget *parent = nullptr);

    QFrame *Panel1;
    QLabel *Label1;
    QComboBox *ComboBox1;
    QTextEdit *RichEdit1;
    QStatusBar *StatusBar1;
    std::array<QLabel *, 2> statusPanels{};

    static QString NoticeText();

    // Index 0 loads "yardimvade", index 1 "yardimexl", others nothing.
    void ComboBox1Change(int index);
    // Shows and raises the window, then loads the text; the selector stays.
    void showHelp(const QString &name);
    // Loads a help text into the view when it is found; a missing one keeps
    // what the view showed. Rich text is shown formatted, other text as it is.
    bool loadHelp(const QString &name);
    // The current directory first, then the program's folder; empty when
    // neither has the file.
    QString findHelpFile(const QString &name) const;

    // The folder beside the executable (executableFolder() unless set).
    void setProgramFolder(const QString &folder) { m_programFolder = folder; }
    QString programFolder() const;

private:
    void FormCreate();
    QString m_programFolder;
};

// The main window's handlers.
namespace kervio2 {
// The help picture button at the foot of the button column.
void tfXPButton2Click(TyardimF &yardimF);
// "KULLANIM KILAVUZU": hands the manual to the desktop's viewer; whatever
// happens then is the system's business. Returns whether it was handed over.
bool JvXPButton2Click(const QString &programFolder = executableFolder());
} // namespace kervio2

// The import window's help picture button.
namespace aktarexcel {
void tfXPButton2Click(TyardimF &yardimF);
} // namespace aktarexcel

// "Kervio_Kullanim.pdf" in the given folder.
QString ManualPath(const QString &programFolder = executableFolder());

} // namespace kervio::yardim
