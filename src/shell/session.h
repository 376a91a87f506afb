#pragma once
#include "core/dialogs.h"
#include "files/ledgerfile.h"
#include "ledger/document.h"

#include <QObject>
#include <QStringList>
#include <functional>

namespace kervio {

// What the main window holds and does, without widgets: one document (the
// ledger, its parameters and summary), the dialogs its commands ask and
// tell through, the settings file, and a command for every button, key and
// menu entry. The window adds only widgets; tests and the command line drive
// this directly.
class Session : public QObject {
    Q_OBJECT
public:
    Session(const Regional &reg, Dialogs *dialogs, QObject *parent = nullptr);

    Document &document() { return m_document; }
    const Document &document() const { return m_document; }
    const Regional &regional() const { return m_document.regional(); }
    Dialogs &dialogs() { return *m_dialogs; }
    LedgerTable &ledger() { return m_document.ledger(); }
    Parameters &params() { return m_document.params(); }
    Summary &summary() { return m_document.summary(); }
    const LedgerTable &ledger() const { return m_document.ledger(); }
    const Parameters &params() const { return m_document.params(); }
    const Summary &summary() const { return m_document.summary(); }

    // The settings file (where programLocations() puts it unless set), and
    // the first-start settings read until it exists (none unless given).
    QString settingsPath() const { return m_settingsPath; }
    void setSettingsPath(const QString &p, const QString &defaults = QString())
    {
        m_settingsPath = p;
        m_settingsDefaults = defaults;
    }
    // The file to read the settings from; the file to write them to, made
    // ready for the first save.
    QString settingsPathToRead() const;
    QString settingsPathToWrite() const;
    // Initial folder of the ledger file dialogs ("Dosya" beside a portable
    // executable, else a folder of the user's documents made when needed).
    QString fileDialogFolder() const { return m_fileFolder; }
    void setFileDialogFolder(const QString &f, bool makeWhenNeeded = false)
    {
        m_fileFolder = f;
        m_makeFileFolder = makeWhenNeeded;
    }

    bool confirmOnClose() const { return m_confirmOnClose; }
    void setConfirmOnClose(bool on) { m_confirmOnClose = on; }

    // The state the program starts in, for the window and the command line
    // alike: today as the calculation date and the average due dates, the
    // numbered empty ledger under its header, the parameters of the settings
    // file, and closing asks first.
    void startFresh();
    // Whether the program may end: while closing asks first, only a Yes to
    // the question.
    bool mayClose();

    // Runs one user action under the general error handler: an error is shown
    // with its own text, a silent abort ends it quietly. Returns false when
    // the action ended by an error or an abort.
    bool guarded(const std::function<void()> &action);

    // --- the grid's cursor -------------------------------------------------
    // Moves the current cell as the grid does; any change recalculates the
    // new current row. Columns 6-12 are refused. Raises what the
    // recalculation raises.
    void setCurrentCell(int row, int col) { m_document.setCurrentCell(row, col); }
    void moveCursorToRow(int row) { m_document.moveCursorToRow(row); }

    // --- recalculation -------------------------------------------------------
    void recalculateCurrentRow() { m_document.recalculateCurrentRow(); } // the row and the summary
    void recalculateAll() { m_document.recalculateAll(); }               // "YENİDEN HESAPLA"
    void findBalancingRate() { m_document.findBalancingRate(); }         // "FAİZ BUL"
    void sortByTransactionDate() { m_document.sortByTransactionDate(); } // "KAYITLARI SIRALA"
    void clearLedger();                                                  // "SIFIRLA", after a question

    // --- rows ----------------------------------------------------------------
    void insertRowAbove() { m_document.insertRowAbove(); }
    // Deletes the current row, asking first when it has a transaction date.
    void deleteCurrentRow();
    // The automatic new row of the grid's keys: a key in the description of
    // the last row once its due date is filled.
    void appendRowIfLastEntryDated() { m_document.appendRowIfLastEntryDated(); }

    // --- typing into the ledger ----------------------------------------------
    // A character typed into the current cell (u'\r' Enter, u'\b' Backspace,
    // null for a key that types nothing). Enter walks on; a character the
    // column does not take is swallowed. True when the key is used up here.
    bool typeIntoLedger(QChar typed);
    // A key released in the ledger: the amount being typed in the current cell
    // is grouped in thousands, unless the key typed the decimal separator.
    // True when the cell was regrouped (its text may be the same).
    bool regroupTypedAmount();

    // --- ledger files --------------------------------------------------------
    void saveLedger();        // "İŞLEMİ KAYDET": asks for the file
    void openLedger();        // "KAYITTAN AÇ": asks for the file
    QStringList ledgerFileLines() const;
    // Writes the ledger; a failure raises "Dosya Saklanamıyor:\r<path>".
    void saveLedgerFile(const QString &path);
    // Reads and applies a ledger file; false (with the message shown) when
    // the file cannot be read or is malformed, and then nothing has changed.
    bool loadLedgerFile(const QString &path);
    // Opens a file as "KAYITTAN AÇ" does after its dialog: load, recalculate.
    bool openLedgerFile(const QString &path);
    // The file the ledger was last opened from or saved to; empty for none.
    QString sourcePath() const { return m_sourcePath; }
    // Puts recovered work back as it was (the parameters' texts untouched by
    // the rate link, every cell without recalculating) and sums up the
    // summary. It stays unsaved, and the next "İŞLEMİ KAYDET" proposes the
    // file it came from.
    void restoreWork(LedgerFileContent content, const QString &sourcePath);

    // --- settings ------------------------------------------------------------
    void loadRateSettings();  // section "Ayar" into the parameters
    void saveRateSettings();  // the parameters into section "Ayar"

signals:
    // After each command: the summary's texts and dates may have changed.
    void summaryChanged();
    // The ledger now matches the file: written to it, or opened from it (and
    // recalculated, even when the recalculation stopped).
    void ledgerFileSaved(const QString &path);
    void ledgerFileOpened(const QString &path);
    // The user answered Yes to the closing question.
    void closeConfirmed();

private:
    // The initial folder, made first where it belongs to the user.
    QString ledgerDialogFolder() const;

    Document m_document;
    Dialogs *m_dialogs;
    QString m_settingsPath;
    QString m_settingsDefaults;
    QString m_fileFolder;
    bool m_makeFileFolder = false;
    bool m_confirmOnClose = true;
    QString m_sourcePath;
    bool m_proposeSourcePath = false;
    // set by a typed decimal separator, cleared by the next key's release
    bool m_separatorTyped = false;
};

} // namespace kervio
