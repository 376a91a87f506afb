#pragma once
#include "report/composition.h"

#include <QAbstractScrollArea>
#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QMenu;
class QPrinter;
class QToolButton;
class QActionGroup;

namespace kervio {

class Dialogs;
struct ReportHost;

enum class ZoomMode { Percent, PageWidth, WholePage, TwoPages };
struct PreviewZoom {
    ZoomMode mode = ZoomMode::Percent;
    int percent = 100;
    bool operator==(const PreviewZoom &) const = default;
};

// A place in the prepared pages where the search text was found.
struct SearchHit {
    int page = 0;
    int item = 0;
    int position = 0;
    int length = 0;
};

class TfrPreviewForm;

// The scrolled view of the pages.
class PreviewPages : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PreviewPages(TfrPreviewForm *form);

    double pxPerMm() const { return m_scale; }
    QRectF pageRect(int page) const; // in content coordinates
    int currentPage() const;
    void scrollToPage(int page);
    void ensureVisible(const QRectF &contentRect);
    void relayout();

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    TfrPreviewForm *m_form;
    double m_scale = 1;
    QSizeF m_content;
};

// The modal preview of a prepared report: caption "Preview - " and the title,
// the pages, the toolbar with zoom, "Yazdır", "Sakla", "Aç", "Kapat", and
// the keys of the preview.
class TfrPreviewForm : public QDialog {
    Q_OBJECT
public:
    TfrPreviewForm(const ComposedReport &report, Dialogs &dialogs, QWidget *parent = nullptr);

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

    // Handles the preview's keys; false for keys it leaves to the widgets.
    bool handleKey(QKeyEvent *e);

    // Replaceable for tests: the search text prompt, and whether a printer
    // is installed.
    std::function<QString()> askSearchText;
    std::function<bool()> printerAvailable;

    QToolButton *zoomButton, *printButton, *saveButton, *openButton, *closeButton;
    QToolButton *prevPageButton, *nextPageButton;
    QMenu *zoomMenu;
    QLabel *pageLabel;
    PreviewPages *pages;

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    friend class PreviewPages;
    void updateStatus();
    void showHit();
    QAction *zoomAction(const QString &text, PreviewZoom z);

    ComposedReport m_report;
    Dialogs &m_dialogs;
    PreviewZoom m_zoom;
    QActionGroup *m_zoomGroup;
    std::vector<std::pair<QAction *, PreviewZoom>> m_zoomActions;
    QString m_searchText;
    std::optional<SearchHit> m_hit;
};

// The pages to print for the printer's range choice (0-based, in order).
std::vector<int> pagesToPrint(const QPrinter &printer, int currentPage, int pageCount);
// Prints the chosen pages with the preview's painter; false when the
// printer could not be started.
bool printReport(const ComposedReport &report, QPrinter &printer, int currentPage);

// Shows the prepared report in the modal, maximised preview.
void showPreviewModal(const ComposedReport &report, Dialogs &dialogs, QWidget *parent);
// Makes `host` show its reports in the preview over `parent`.
void installPreviewWindow(ReportHost &host, Dialogs &dialogs, QWidget *parent);

} // namespace kervio
