#pragma once
#include "ledger/ledgertable.h"
#include "ledger/parameters.h"
#include "ledger/regional.h"
#include "ledger/summary.h"
#include "core/dialogs.h"

#include <QObject>
#include <QStringList>
#include <functional>

namespace kervio {

// What the main window holds and does, without widgets: the parameters, the
// ledger table, the summary and the commands, under the handler names the
// window binds to its buttons, keys and menu entries. The window adds only
// widgets; tests and the command line drive this directly.
class Session : public QObject {
    Q_OBJECT
public:
    Session(const Regional &reg, Dialogs *dialogs, QObject *parent = nullptr);

    const Regional &regional() const { return m_reg; }
    Dialogs &dialogs() { return *m_dialogs; }
    LedgerTable &ledger() { return m_ledger; }
    Parameters &params() { return m_params; }
    Summary &summary() { return m_summary; }
    const LedgerTable &ledger() const { return m_ledger; }
    const Parameters &params() const { return m_params; }
    const Summary &summary() const { return m_summary; }

    // The settings file ("Ayarlar.ini" beside the executable unless set).
    QString settingsPath() const { return m_settingsPath; }
    void setSettingsPath(const QString &p) { m_settingsPath = p; }
    // Initial folder of the ledger file dialogs ("Dosya", relative).
    QString fileDialogFolder() const { return m_fileFolder; }
    void setFileDialogFolder(const QString &f) { m_fileFolder = f; }

    bool confirmOnClose() const { return m_confirmOnClose; }
    void setConfirmOnClose(bool on) { m_confirmOnClose = on; }

    // Runs one user action under the general error handler: an error is shown
    // with its own text, a silent abort ends it quietly. Returns false when
    // the action ended by an error or an abort.
    bool guarded(const std::function<void()> &action);

    // --- the grid's cursor -------------------------------------------------
    // Moves the current cell as the grid does; any change ends with
    // StringGrid3Click on the new current row. Columns 6-12 are refused
    // (StringGrid3SelectCell). Raises what the recalculation raises.
    void setCurrentCell(int row, int col);
    static bool StringGrid3SelectCell(int col, int row) { return col <= 5 && row >= 1; }

    // --- recalculation -------------------------------------------------------
    void StringGrid3Click();  // the current row and the summary
    void BitBtn1Click();      // "YENİDEN HESAPLA": every row
    void BitBtn19Click();     // "FAİZ BUL"
    void BitBtn2Click();      // "KAYITLARI SIRALA"
    void BitBtn4Click();      // "SIFIRLA", after a question

    // --- rows ----------------------------------------------------------------
    void MenuItem11Click();   // insert a row above the current one
    void MenuItem12Click();   // delete the current row (asks when it has a date)
    void DeleteRow();
    // The automatic new row of StringGrid3KeyDown: a key in the description
    // of the last row once its due date is filled.
    void autoNewRow();

    // --- ledger files --------------------------------------------------------
    void BitBtn45Click();     // "İŞLEMİ KAYDET"
    void BitBtn46Click();     // "KAYITTAN AÇ"
    QStringList GetStringsToSave3() const;
    // Writes the ledger; a failure raises "Dosya Saklanamıyor:\r<path>".
    void SaveToFile(const QString &path);
    // Reads and applies a ledger file; false (with the message shown) when
    // the file cannot be read or is malformed, and then nothing has changed.
    bool LoadFromFile(const QString &path);
    // Opens a file as "KAYITTAN AÇ" does after its dialog: load, recalculate.
    bool openLedger(const QString &path);

    // --- settings ------------------------------------------------------------
    void hafizadanoku();      // section "Ayar" into the parameters
    void hafizayayaz();       // the parameters into section "Ayar"
    void BitBtn31Click() { hafizayayaz(); }

signals:
    // After each command: the summary's texts and dates may have changed.
    void summaryChanged();

private:
    enum class ClickResult { Completed, Stopped };
    ClickResult recalcCurrentRow();
    bool completeDate(int row, int col); // true when the cell was rewritten
    void recalcSummary();
    void moveCurrentRow(int row);

    Regional m_reg;
    Dialogs *m_dialogs;
    LedgerTable m_ledger;
    Parameters m_params;
    Summary m_summary;
    QString m_settingsPath;
    QString m_fileFolder = QStringLiteral("Dosya");
    bool m_confirmOnClose = true;
    ClickResult m_lastClick = ClickResult::Stopped;
};

} // namespace kervio
