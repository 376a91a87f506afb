#pragma once
#include "files/settings.h"
#include "spreadsheet/workbookimport.h"

#include <QWidget>

#include <array>

class QLabel;
class QPushButton;
class QTableView;

namespace kervio {

class Session;

namespace spreadsheet {

// The import window: a workbook's first sheet is staged as texts, the user
// maps its columns and rows and transfers them into the session's ledger.
// Created once; closing only hides it, so the staged cells, the mapping and
// the caption survive until the next opening. Its widgets carry object
// names for the tests: the mapping fields, "openWorkbookButton",
// "transferButton", "newFileButton", "helpButton", "stagingGrid",
// "noticeLabel", "versionLabel".
class ImportWindow : public QWidget {
    Q_OBJECT
public:
    explicit ImportWindow(Session &session, QWidget *parent = nullptr);

    // "EXCEL'DEN VERİ AL": shows the window (maximised), reads the mapping
    // from the settings file and puts the version into the status bar.
    void showWithStoredMapping();

    // The mapping as the fields show it.
    ImportMapping mapping() const;
    const StagingGrid &staging() const { return m_import.staging(); }
    StagingGrid &staging() { return m_import.staging(); }

    // The help picture button works once the help window is there.
    void setHelpAvailable(bool available);

signals:
    void helpRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildMappingPanel();
    QTableView *buildStagingGrid();
    QWidget *buildStatusBar();

    void loadImportMapping();
    void showMapping(const ImportMapping &mapping);
    void openWorkbook();      // "Excel Dosyası Aç"
    void transferToLedger();  // "Vade Farkına Aktar"
    void clearStaging();      // "Yeni Dosya"
    void showStagedWorkbook(const QString &fullPath);
    void moveToNextCell();
    void comeToFront();

    Session &m_session;
    WorkbookImport m_import;
    // in the order of importMappingKeys()
    std::array<QWidget *, 8> m_mappingFields{};
    QPushButton *m_openWorkbookButton = nullptr;
    QPushButton *m_transferButton = nullptr;
    QPushButton *m_newFileButton = nullptr;
    QPushButton *m_helpButton = nullptr;
    QTableView *m_stagingGrid = nullptr;
    QLabel *m_versionLabel = nullptr;
};

} // namespace spreadsheet
} // namespace kervio
