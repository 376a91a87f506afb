#pragma once
#include "ledgergrid.h"
#include "report/reportcommands.h"
#include "shell/session.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <array>
#include <memory>

namespace kervio {

class ProgramUpdate;
class HelpWindow;
class UpdateProgressWindow;
namespace spreadsheet {
class ImportWindow;
}

// The main window: the button column, the parameters panel, the ledger grid
// and the summary panel, bound to a session that holds everything they show.
class Tkervio2F : public QMainWindow {
    Q_OBJECT
public:
    // The session (with its regional settings, dialogs and settings path)
    // must outlive the window.
    explicit Tkervio2F(Session &session, QWidget *parent = nullptr);
    ~Tkervio2F() override;

    // The windows created beside this one; the commands that show them are
    // enabled once they are attached.
    void attachHelp(HelpWindow *yardimF);
    void attachUpdate(UpdateProgressWindow *form2);
    void tfXPButton2Click();  // help picture button
    void JvXPButton2Click();  // "KULLANIM KILAVUZU"
    void BitBtn3Click();      // "Programı Güncelle"
    // Printing: the text holder, the template and the modal preview.
    void attachReport();
    void BitBtn28Click();     // "YAZDIR"
    void YazdirButtonClick(); // print-preview picture button
    ReportHost &report() { return m_report; }
    // Workbook exchange: export, import window, mail.
    void attachSpreadsheet(spreadsheet::ImportWindow *aktarexcelF);
    void BitBtn26Click();     // "EXCEL'E VERİ AKTAR"
    void BitBtn23Click();     // "EXCEL'DEN VERİ AL"
    void mailgonderClick();   // mail picture button
    ProgramUpdate *guncelleme() { return m_guncelleme.get(); }

    Session &session() { return m_session; }
    // Runs one user action under the general error handler; false when it
    // failed, or when another action is still running.
    bool act(const std::function<void()> &action);
    // Opens a ledger file as "KAYITTAN AÇ" does after its dialog.
    void openFile(const QString &path);

    // --- left button column ---
    QPushButton *BitBtn45, *BitBtn46, *BitBtn26, *BitBtn23, *BitBtn28, *BitBtn31, *BitBtn1, *BitBtn4, *BitBtn2;
    QPushButton *tfXPButton2;
    QLabel *Label57;
    // --- title bar ---
    QLabel *Label1;
    QPushButton *JvXPButton2;
    // --- parameters panel ---
    QLineEdit *firmaadiEdit, *yildakigunEdit, *yillikfaizEdit, *aylikfaizEdit, *borceksureEdit, *alacakeksureEdit;
    QDateEdit *DateTimePicker61;
    QCheckBox *CheckBox8, *CheckBox9;
    QPushButton *YazdirButton, *mailgonder, *BitBtn3;
    // --- grid ---
    LedgerGrid *StringGrid3;
    // --- summary panel ---
    QLineEdit *borctoplamEdit, *alacaktoplamtutarEdit, *bakiyetutarEdit, *borckervioEdit, *alacakkervioEdit,
        *netkervioEdit, *genelortgunEdit, *borcortgunEdit, *alacakortEdit;
    QDateEdit *DateTimePicker4, *DateTimePicker76, *DateTimePicker3;
    QPushButton *BitBtn19;
    QLineEdit *yillikfaizneolurEdit, *aylikfaizneolurEdit;
    // --- status bar ---
    QStatusBar *StatusBar1;
    std::array<QLabel *, 2> statusPanels{};

    static QString Label57Text();

protected:
    void closeEvent(QCloseEvent *e) override;
    // Tab, Shift+Tab and the Enter walk go through the window's controls in
    // their tab order, skipping those that cannot take the focus.
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void buildLeftColumn(QWidget *column);
    void buildTitleBar(QWidget *bar);
    void buildParametersPanel(QWidget *panel);
    void buildSummaryPanel(QWidget *panel);
    void bindSession();
    void setTabOrders();
    void FormCreate();
    bool FormCloseQuery();
    bool FormKeyPress(QKeyEvent *e);
    bool datePickerKeyPress(QDateEdit *picker, QKeyEvent *e);
    bool yildakigunEditKeyPress(QKeyEvent *e);
    bool yillikfaizEditKeyPress(QKeyEvent *e);
    void firmaadiEditEnter(QLineEdit *edit);
    void firmaadiEditExit(QLineEdit *edit);
    void yillikfaizEditEnter(QLineEdit *edit);
    void yillikfaizEditExit(QLineEdit *edit);
    void aylikfaizEditEnter();
    void aylikfaizEditExit();
    void refreshSummary();
    void refreshParameters();
    void onFocusChanged(QWidget *old, QWidget *now);
    QLineEdit *paramEdit(Parameters::Field f) const;
    QDateEdit *makeDatePicker(QWidget *parent, const QString &name);

    Session &m_session;
    HelpWindow *m_yardimF = nullptr;
    UpdateProgressWindow *m_form2 = nullptr;
    spreadsheet::ImportWindow *m_aktarexcelF = nullptr;
    std::unique_ptr<ProgramUpdate> m_guncelleme;
    ReportHost m_report;
    bool m_busy = false;
    std::array<QLineEdit *, 9> m_summaryEdits{};
    QList<QWidget *> m_tabChain;
    QScrollArea *m_scrollArea = nullptr;
};

} // namespace kervio
