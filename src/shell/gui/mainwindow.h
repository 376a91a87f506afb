#pragma once
#include "report/reportcommands.h"
#include "shell/session.h"
#include "shell/typingrules.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTimer;

namespace kervio {

class HelpWindow;
class LedgerGrid;
class ProgramUpdate;
class UpdateProgressWindow;
class WorkRecovery;
namespace spreadsheet {
class ImportWindow;
}

// The main window: the command column, the parameters panel, the ledger
// grid and the summary panel, bound to a session that holds everything they
// show and decides everything they do. Tests find its controls by their
// object names (calculationDateEdit, debitWeekendCheck, saveLedgerButton...).
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The session (with its regional settings, dialogs and settings path)
    // must outlive the window.
    explicit MainWindow(Session &session, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The windows created beside this one; the commands that use them are
    // enabled once they are attached.
    void attachHelp(HelpWindow *helpWindow);
    void attachUpdate(UpdateProgressWindow *waitingWindow);
    void attachReport();
    void attachSpreadsheet(spreadsheet::ImportWindow *importWindow);
    // Keeps a recovery copy of the unsaved work a short quiet time after the
    // changes, and at the latest a set time after the first change.
    void attachRecovery(WorkRecovery *recovery);

    Session &session() { return m_session; }
    // Where the printing commands hand their report (the modal preview).
    ReportHost &report() { return m_report; }
    // Runs one user action under the general error handler; false when it
    // failed, or when another action is still running.
    bool act(const std::function<void()> &action);
    // Opens a ledger file as "KAYITTAN AÇ" does after its dialog.
    void openFile(const QString &path);

protected:
    void closeEvent(QCloseEvent *e) override;
    // Tab, Shift+Tab and the Enter walk go through the window's controls in
    // their tab order, skipping those that cannot take the focus.
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void buildContent();
    void buildStatusBar();
    void buildCommandColumn(QWidget *column);
    void buildTitleBar(QWidget *bar);
    void buildParametersPanel(QWidget *panel);
    void buildSummaryPanel(QWidget *panel);
    void buildBalancingRateGroup(QWidget *panel);
    void bindCommands();
    void bindParameters();
    void setTabOrder();
    void sizeGridColumns();
    void startFresh();
    QDateEdit *makeDatePicker(QWidget *parent, const char *name);
    // A field whose keys and focus follow the rules of its kind.
    void watchField(QWidget *field, WindowField kind);

    // --- field events ---
    void fieldEntered(QWidget *field, const FieldRules &rules);
    void fieldLeft(QWidget *field, const FieldRules &rules);
    bool fieldKeyPressed(QWidget *field, const FieldRules &rules, QKeyEvent *e);

    // --- showing the session ---
    void showSummary();
    void showParameters();
    void onFocusChanged(QWidget *old, QWidget *now);
    QLineEdit *parameterEdit(Parameters::Field f) const;

    // --- commands of the attached windows ---
    void showHelp();
    void openManual();
    void updateProgram();
    void printReport();
    void previewNetReport();
    void exportToWorkbook();
    void showImportWindow();
    void mailWorkbook();
    void keepRecoveryCopy();

    Session &m_session;
    WorkRecovery *m_recovery = nullptr;
    QTimer *m_recoveryQuietTimer = nullptr;
    QTimer *m_recoveryLongestTimer = nullptr;
    QElapsedTimer m_lastChange;
    HelpWindow *m_helpWindow = nullptr;
    UpdateProgressWindow *m_waitingWindow = nullptr;
    spreadsheet::ImportWindow *m_importWindow = nullptr;
    std::unique_ptr<ProgramUpdate> m_programUpdate;
    ReportHost m_report;
    bool m_busy = false;
    QHash<QObject *, WindowField> m_fieldKinds;
    QList<QWidget *> m_tabChain;
    QScrollArea *m_scrollArea = nullptr;

    // --- command column ---
    QPushButton *m_saveLedgerButton = nullptr;
    QPushButton *m_openLedgerButton = nullptr;
    QPushButton *m_exportButton = nullptr;
    QPushButton *m_importButton = nullptr;
    QPushButton *m_printButton = nullptr;
    QPushButton *m_saveRatesButton = nullptr;
    QPushButton *m_recalculateButton = nullptr;
    QPushButton *m_resetButton = nullptr;
    QPushButton *m_sortButton = nullptr;
    QPushButton *m_helpButton = nullptr;
    // --- title bar ---
    QPushButton *m_manualButton = nullptr;
    // --- parameters panel ---
    QLineEdit *m_companyNameEdit = nullptr;
    QDateEdit *m_calculationDateEdit = nullptr;
    QLineEdit *m_daysInYearEdit = nullptr;
    QLineEdit *m_yearlyRateEdit = nullptr;
    QLineEdit *m_monthlyRateEdit = nullptr;
    QLineEdit *m_debitGraceDaysEdit = nullptr;
    QLineEdit *m_creditGraceDaysEdit = nullptr;
    QCheckBox *m_debitWeekendCheck = nullptr;
    QCheckBox *m_creditWeekendCheck = nullptr;
    QPushButton *m_previewNetReportButton = nullptr;
    QPushButton *m_mailButton = nullptr;
    QPushButton *m_updateButton = nullptr;
    // --- grid ---
    LedgerGrid *m_ledgerGrid = nullptr;
    // --- summary panel, by Summary::Field and Summary::Picker ---
    std::array<QLineEdit *, Summary::FieldCount> m_summaryEdits{};
    std::array<QDateEdit *, Summary::PickerCount> m_averageDueDateEdits{};
    QPushButton *m_findRateButton = nullptr;
    // --- status bar ---
    QLabel *m_versionLabel = nullptr;
};

} // namespace kervio
