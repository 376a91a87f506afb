#pragma once
#include "report/composition.h"
#include "report/previewlayout.h"
#include "report/reportsearch.h"

#include <QAbstractScrollArea>
#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

class QActionGroup;
class QLabel;
class QMenu;
class QPrintDialog;
class QToolButton;

namespace kervio {

class Dialogs;
struct ReportHost;

class ReportPreviewDialog;

// The scrolled view of the pages.
class PreviewPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PreviewPageView(ReportPreviewDialog *dialog);

    const PreviewLayout &layout() const { return m_layout; }
    int currentPage() const;
    // The page the view keeps in sight when its size or zoom changes: the
    // one last gone to, or scrolled to by the user.
    int keptPage() const { return m_keptPage; }
    void scrollToPage(int page);
    void ensureVisible(const QRectF &contentRect);
    void relayout();

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QPoint scrollPosition() const;
    void paintMatch(QPainter &painter, const SearchHit &hit);

    ReportPreviewDialog *m_dialog;
    PreviewLayout m_layout;
    Typesetter m_typesetter;
    int m_keptPage = 0;
    bool m_placing = false; // the program, not the user, moves the view
};

// The modal preview of a prepared report: caption "Preview - " and the title,
// the pages, the toolbar with zoom, "Yazdır", "Sakla", "Aç", "Kapat", and
// the keys of the preview.
class ReportPreviewDialog : public QDialog {
    Q_OBJECT
public:
    ReportPreviewDialog(const ComposedReport &report, Dialogs &dialogs, QWidget *parent = nullptr);

    const ComposedReport &report() const { return m_report; }
    void setReport(const ComposedReport &report);
    int pageCount() const { return int(m_report.pages.size()); }
    int currentPage() const; // 0-based

    PreviewZoom zoom() const { return m_zoom; }
    void setZoom(const PreviewZoom &z);
    // The zoom in per cent as it is in force (also for the fitting modes).
    int effectivePercent() const;
    // Kept for later previews while the program runs.
    static PreviewZoom &lastZoom();

    void goToPage(int page);
    void print();
    void save();
    void open();
    void find();
    void findNext();
    const std::optional<SearchHit> &searchHit() const { return m_hit; }

    // Replaceable for tests: the search text prompt, whether a printer is
    // installed, and the print dialog's run (true when accepted).
    std::function<QString()> askSearchText;
    std::function<bool()> printerAvailable;
    std::function<bool(QPrintDialog &)> runPrintDialog;

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    friend class PreviewPageView;
    void buildToolbar();
    void buildZoomMenu();
    void buildPageView();
    void connectButtons();
    // Handles the preview's keys; false for keys it leaves to the widgets.
    bool handleKey(QKeyEvent *e);
    void updateStatus();
    void showHit();
    void addZoomEntry(const QString &text, PreviewZoom z);

    ComposedReport m_report;
    Dialogs &m_dialogs;
    PreviewZoom m_zoom;
    QString m_searchText;
    std::optional<SearchHit> m_hit;

    QToolButton *m_zoomButton = nullptr;
    QToolButton *m_printButton = nullptr;
    QToolButton *m_saveButton = nullptr;
    QToolButton *m_openButton = nullptr;
    QToolButton *m_closeButton = nullptr;
    QToolButton *m_previousPageButton = nullptr;
    QToolButton *m_nextPageButton = nullptr;
    QMenu *m_zoomMenu = nullptr;
    QActionGroup *m_zoomGroup = nullptr;
    std::vector<std::pair<QAction *, PreviewZoom>> m_zoomEntries;
    QLabel *m_pageLabel = nullptr;
    PreviewPageView *m_pages = nullptr;
};

// Shows the prepared report in the modal, maximised preview.
void showPreviewModal(const ComposedReport &report, Dialogs &dialogs, QWidget *parent);
// Makes `host` show its reports in the preview over `parent`.
void installPreviewWindow(ReportHost &host, Dialogs &dialogs, QWidget *parent);

} // namespace kervio
