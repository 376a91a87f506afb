#pragma once
#include "files/settings.h"
#include "spreadsheet/staginggrid.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace kervio {

class Session;

namespace spreadsheet {

// The import window: a workbook's first sheet is staged as texts, the user
// maps its columns and rows and transfers them into the session's ledger.
// Created once; closing only hides it, so the staged cells, the mapping and
// the caption survive until the next opening.
class TaktarexcelF : public QWidget {
    Q_OBJECT
public:
    explicit TaktarexcelF(Session &session, QWidget *parent = nullptr);

    // "EXCEL'DEN VERİ AL": shows the window (maximised), reads the mapping
    // from section "ExcelAyar" and puts the version into the status bar.
    void BitBtn23Click();

    void hafizadanoku();            // section "ExcelAyar" into the fields
    void hafizayayaz();             // the fields into section "ExcelAyar"
    ExcelAyarSettings mapping() const;

    void JvXPButton1Click();        // "Excel Dosyası Aç"
    void JvXPButton2Click();        // "Vade Farkına Aktar"
    void JvXPButton7Click();        // "Yeni Dosya"
    // Reads a workbook as "Excel Dosyası Aç" does after its dialog.
    bool openWorkbook(const QString &path);

    StagingGrid &grid() { return m_grid; }

    // Controls under their names, for the tests and the help issue.
    QLineEdit *JvDotNetEdit19, *JvDotNetEdit3, *JvDotNetEdit4, *JvDotNetEdit1, *JvDotNetEdit2, *JvDotNetEdit20, *JvDotNetEdit21;
    QCheckBox *CheckBox1;
    QPushButton *JvXPButton1, *JvXPButton2, *JvXPButton7, *tfXPButton2;
    QTableView *StringGrid1;
    QLabel *statusPanel0, *statusPanel1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void moveToNextCell();
    void comeToFront();
    void applyReadLayout();

    Session &m_session;
    StagingGrid m_grid;
};

} // namespace spreadsheet
} // namespace kervio
