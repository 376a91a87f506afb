#include "reportpreviewdialog.h"

#include "core/dialogs.h"
#include "core/errors.h"
#include "report/frpfile.h"
#include "report/gui/reportprinting.h"
#include "report/reportcommands.h"
#include "report/reportfiles.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kervio {

namespace {

QString frpFilter()
{
    return QStringLiteral("Report file (*.frp)");
}

QString percentText(int percent)
{
    return QStringLiteral("%1%").arg(percent);
}

QToolButton *toolButton(QWidget *parent, const QString &text, const char *name)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setObjectName(QLatin1String(name));
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(true);
    return b;
}

QToolButton *pageButton(QWidget *parent, Qt::ArrowType arrow, const char *name)
{
    auto *b = new QToolButton(parent);
    b->setArrowType(arrow);
    b->setObjectName(QLatin1String(name));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

// --- the page view -----------------------------------------------------------

PreviewPageView::PreviewPageView(ReportPreviewDialog *dialog) : QAbstractScrollArea(dialog), m_dialog(dialog)
{
    setObjectName(QStringLiteral("pageView"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
}

void PreviewPageView::relayout()
{
    const QScopedValueRollback placing(m_placing, true);
    const ComposedReport &r = m_dialog->report();
    const QSize vp = viewport()->size();
    m_layout = PreviewLayout(r.pageSizeMm, int(r.pages.size()), m_dialog->zoom(), vp, logicalDpiX());
    const QSize range = m_layout.scrollRange();
    verticalScrollBar()->setPageStep(vp.height());
    horizontalScrollBar()->setPageStep(vp.width());
    verticalScrollBar()->setRange(0, range.height());
    horizontalScrollBar()->setRange(0, range.width());
    viewport()->update();
}

QPoint PreviewPageView::scrollPosition() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

int PreviewPageView::currentPage() const
{
    return m_layout.pageAt(verticalScrollBar()->value());
}

void PreviewPageView::scrollToPage(int page)
{
    const QScopedValueRollback placing(m_placing, true);
    m_keptPage = page;
    verticalScrollBar()->setValue(m_layout.scrollTopOf(page));
}

void PreviewPageView::ensureVisible(const QRectF &r)
{
    const QPoint scroll = m_layout.scrollToShow(r, scrollPosition());
    verticalScrollBar()->setValue(scroll.y());
    horizontalScrollBar()->setValue(scroll.x());
}

void PreviewPageView::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    const ComposedReport &r = m_dialog->report();
    const QPointF offset = -QPointF(scrollPosition());
    const QRectF visible(QPointF(0, 0), QSizeF(viewport()->size()));
    const std::optional<SearchHit> &hit = m_dialog->searchHit();
    for (int i = 0; i < int(r.pages.size()); ++i) {
        const QRectF page = m_layout.pageRect(i).translated(offset);
        if (!page.intersects(visible))
            continue;
        p.fillRect(page.translated(3, 3), QColor(0, 0, 0, 90));
        p.fillRect(page, Qt::white);
        p.save();
        p.translate(page.topLeft());
        p.setClipRect(QRectF(QPointF(0, 0), page.size()));
        if (hit && hit->page == i)
            paintMatch(p, *hit);
        paintPage(p, r.pages[size_t(i)], m_layout.pxPerMm(), m_typesetter);
        p.restore();
    }
}

void PreviewPageView::paintMatch(QPainter &painter, const SearchHit &hit)
{
    painter.fillRect(matchRect(m_dialog->report(), hit, m_layout.pxPerMm(), m_typesetter), QColor(255, 200, 0, 160));
}

void PreviewPageView::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    relayout();
    // a fitting zoom changes the pages' size: the page kept stays in sight
    if (m_dialog->zoom().mode != ZoomMode::Percent)
        scrollToPage(m_keptPage);
    m_dialog->updateStatus();
}

void PreviewPageView::keyPressEvent(QKeyEvent *e)
{
    if (!m_dialog->handleKey(e))
        QAbstractScrollArea::keyPressEvent(e);
}

void PreviewPageView::scrollContentsBy(int, int)
{
    if (!m_placing)
        m_keptPage = currentPage();
    viewport()->update();
    m_dialog->updateStatus();
}

// --- the preview window --------------------------------------------------------

PreviewZoom &ReportPreviewDialog::lastZoom()
{
    static PreviewZoom zoom;
    return zoom;
}

ReportPreviewDialog::ReportPreviewDialog(const ComposedReport &report, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), m_report(report), m_dialogs(dialogs), m_zoom(lastZoom())
{
    setObjectName(QStringLiteral("reportPreviewDialog"));
    setModal(true);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    printerAvailable = [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); };
    runPrintDialog = [](QPrintDialog &dialog) { return dialog.exec() == QDialog::Accepted; };
    askSearchText = [this] {
        bool ok = false;
        const QString t = QInputDialog::getText(this, QStringLiteral("Ara"), QStringLiteral("Aranacak metin:"),
                                                QLineEdit::Normal, m_searchText, &ok);
        return ok ? t : QString();
    };

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolbar();
    buildZoomMenu();
    buildPageView();
    connectButtons();

    setWindowTitle(QStringLiteral("Preview - ") + m_report.title);
    resize(900, 700);
    setZoom(m_zoom);
    m_pages->setFocus();
}

void ReportPreviewDialog::buildToolbar()
{
    auto *bar = new QWidget(this);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    m_zoomButton = toolButton(bar, QStringLiteral("200%"), "zoomButton");
    m_zoomButton->setPopupMode(QToolButton::InstantPopup);
    m_printButton = toolButton(bar, QStringLiteral("Yazdır"), "printButton");
    m_saveButton = toolButton(bar, QStringLiteral("Sakla"), "saveButton");
    m_openButton = toolButton(bar, QStringLiteral("Aç"), "openButton");
    m_closeButton = toolButton(bar, QStringLiteral("Kapat"), "closeButton");
    for (QToolButton *b : {m_zoomButton, m_printButton, m_saveButton, m_openButton, m_closeButton})
        barLayout->addWidget(b);
    barLayout->addStretch(1);
    this->layout()->addWidget(bar);
}

void ReportPreviewDialog::buildZoomMenu()
{
    m_zoomMenu = new QMenu(m_zoomButton);
    m_zoomMenu->setObjectName(QStringLiteral("zoomMenu"));
    m_zoomGroup = new QActionGroup(m_zoomMenu);
    for (int percent : {200, 150, 100, 75, 50, 25, 10})
        addZoomEntry(percentText(percent), {ZoomMode::Percent, percent});
    m_zoomMenu->addSeparator();
    addZoomEntry(QStringLiteral("Page width"), {ZoomMode::PageWidth, 100});
    addZoomEntry(QStringLiteral("Whole page"), {ZoomMode::WholePage, 100});
    addZoomEntry(QStringLiteral("Two pages"), {ZoomMode::TwoPages, 100});
    m_zoomButton->setMenu(m_zoomMenu);
}

void ReportPreviewDialog::addZoomEntry(const QString &text, PreviewZoom z)
{
    QAction *a = m_zoomMenu->addAction(text);
    a->setCheckable(true);
    m_zoomGroup->addAction(a);
    m_zoomEntries.emplace_back(a, z);
    connect(a, &QAction::triggered, this, [this, z] { setZoom(z); });
}

void ReportPreviewDialog::buildPageView()
{
    m_pages = new PreviewPageView(this);
    m_previousPageButton = pageButton(m_pages, Qt::UpArrow, "previousPageButton");
    m_nextPageButton = pageButton(m_pages, Qt::DownArrow, "nextPageButton");
    m_pages->addScrollBarWidget(m_previousPageButton, Qt::AlignBottom);
    m_pages->addScrollBarWidget(m_nextPageButton, Qt::AlignBottom);
    static_cast<QVBoxLayout *>(layout())->addWidget(m_pages, 1);

    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("pageLabel"));
    m_pageLabel->setContentsMargins(6, 2, 6, 2);
    layout()->addWidget(m_pageLabel);
}

void ReportPreviewDialog::connectButtons()
{
    connect(m_printButton, &QToolButton::clicked, this, &ReportPreviewDialog::print);
    connect(m_saveButton, &QToolButton::clicked, this, &ReportPreviewDialog::save);
    connect(m_openButton, &QToolButton::clicked, this, &ReportPreviewDialog::open);
    connect(m_closeButton, &QToolButton::clicked, this, &QDialog::reject);
    connect(m_previousPageButton, &QToolButton::clicked, this, [this] { goToPage(currentPage() - 1); });
    connect(m_nextPageButton, &QToolButton::clicked, this, [this] { goToPage(currentPage() + 1); });
}

void ReportPreviewDialog::setReport(const ComposedReport &report)
{
    m_report = report;
    m_hit.reset();
    setWindowTitle(QStringLiteral("Preview - ") + m_report.title);
    m_pages->relayout();
    goToPage(0);
}

int ReportPreviewDialog::currentPage() const
{
    return m_pages->currentPage();
}

void ReportPreviewDialog::setZoom(const PreviewZoom &z)
{
    const int page = m_pages->keptPage();
    m_zoom = z;
    lastZoom() = z;
    for (const auto &[action, entry] : m_zoomEntries)
        action->setChecked(z.sameChoice(entry));
    m_pages->relayout();
    m_pages->scrollToPage(page);
    updateStatus();
}

int ReportPreviewDialog::effectivePercent() const
{
    return m_pages->layout().effectivePercent();
}

void ReportPreviewDialog::goToPage(int page)
{
    if (m_report.pages.empty())
        return;
    m_pages->scrollToPage(m_pages->layout().clampPage(page));
    updateStatus();
}

void ReportPreviewDialog::updateStatus()
{
    const int current = m_pages->currentPage();
    m_pageLabel->setText(QStringLiteral("Page %1/%2").arg(current + 1).arg(pageCount()));
    // a fitting zoom changes with the window's size
    m_zoomButton->setText(percentText(effectivePercent()));
    m_previousPageButton->setEnabled(current > 0);
    m_nextPageButton->setEnabled(m_pages->layout().hasPageAfter(current));
}

void ReportPreviewDialog::print()
{
    if (!printerAvailable || !printerAvailable()) {
        m_dialogs.error(PrintText::noPrinter());
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, m_report);
    QPrintDialog dialog(&printer, this);
    preparePrintDialog(dialog, printer, pageCount());
    if (!runPrintDialog || !runPrintDialog(dialog))
        return;
    QString failure;
    if (const std::optional<PrintRequest> request = requestFromDialog(dialog, printer, currentPage(), &failure))
        failure = printPreparedReport(m_report, printer, *request);
    if (!failure.isEmpty())
        m_dialogs.error(failure);
}

void ReportPreviewDialog::save()
{
    const QString chosen = m_dialogs.saveFileName(
        {QStringLiteral("Raporu Sakla"), frpFilter() + QStringLiteral(";;PDF Dosyası (*.pdf)"), QString(), QString()});
    if (chosen.isEmpty())
        return;
    const ReportSaveTarget target = reportSaveTarget(chosen);
    if (QFileInfo::exists(target.path)
        && m_dialogs.question(QString(), QStringLiteral("Dosya mevcut Üzerine kayıt edilsinmi?"),
                              Dialogs::Icon::Question, Dialogs::Buttons::YesNo)
            != Dialogs::Answer::Yes)
        return;
    try {
        saveReport(m_report, target);
    } catch (const KervioError &e) {
        m_dialogs.error(e.text());
    }
}

void ReportPreviewDialog::open()
{
    const QString path = m_dialogs.openFileName({QStringLiteral("Rapor Aç"), frpFilter(), QString(), QString()});
    if (path.isEmpty())
        return;
    try {
        setReport(loadFrpFile(path));
    } catch (const KervioError &e) {
        m_dialogs.error(e.text());
    }
}

void ReportPreviewDialog::find()
{
    const QString text = askSearchText ? askSearchText() : QString();
    if (text.isEmpty())
        return;
    m_searchText = text;
    m_hit.reset();
    findNext();
}

void ReportPreviewDialog::findNext()
{
    if (m_searchText.isEmpty()) {
        find();
        return;
    }
    bool wrapped = false;
    m_hit = findNextMatch(m_report, m_searchText, m_hit, currentPage(), &wrapped);
    if (m_hit) {
        if (wrapped)
            m_dialogs.message(QStringLiteral("Belgenin sonuna gelindi, baştan aranıyor."));
        showHit();
        return;
    }
    m_pages->viewport()->update();
    m_dialogs.message(QStringLiteral("Aranan metin bulunamadı: ") + m_searchText);
}

void ReportPreviewDialog::showHit()
{
    const DrawItem &item = m_report.pages[size_t(m_hit->page)].items[size_t(m_hit->item)];
    const QRectF page = m_pages->layout().pageRect(m_hit->page);
    const double k = m_pages->layout().pxPerMm();
    m_pages->ensureVisible(QRectF(page.topLeft() + item.rect.topLeft() * k, item.rect.size() * k));
    m_pages->viewport()->update();
    updateStatus();
}

bool ReportPreviewDialog::handleKey(QKeyEvent *e)
{
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    QScrollBar *v = m_pages->verticalScrollBar(), *h = m_pages->horizontalScrollBar();
    const int step = m_pages->layout().pagesPerStep();
    switch (e->key()) {
    case Qt::Key_Escape: reject(); return true;
    case Qt::Key_Space:
        m_zoomMenu->popup(m_zoomButton->mapToGlobal(QPoint(0, m_zoomButton->height())));
        return true;
    case Qt::Key_F3: findNext(); return true;
    case Qt::Key_P: if (ctrl) { print(); return true; } break;
    case Qt::Key_S: if (ctrl) { save(); return true; } break;
    case Qt::Key_O: if (ctrl) { open(); return true; } break;
    case Qt::Key_F: if (ctrl) { find(); return true; } break;
    case Qt::Key_PageUp:
        if (ctrl)
            goToPage(currentPage() - step);
        else
            v->triggerAction(QAbstractSlider::SliderPageStepSub);
        return true;
    case Qt::Key_PageDown:
        if (ctrl)
            goToPage(currentPage() + step);
        else
            v->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return true;
    case Qt::Key_Home:
        if (ctrl) {
            v->setValue(0);
            h->setValue(0);
            return true;
        }
        break;
    case Qt::Key_End:
        if (ctrl) {
            goToPage(pageCount() - 1);
            return true;
        }
        break;
    case Qt::Key_Up: v->triggerAction(QAbstractSlider::SliderSingleStepSub); return true;
    case Qt::Key_Down: v->triggerAction(QAbstractSlider::SliderSingleStepAdd); return true;
    case Qt::Key_Left: h->triggerAction(QAbstractSlider::SliderSingleStepSub); return true;
    case Qt::Key_Right: h->triggerAction(QAbstractSlider::SliderSingleStepAdd); return true;
    default: break;
    }
    return false;
}

void ReportPreviewDialog::keyPressEvent(QKeyEvent *e)
{
    if (!handleKey(e))
        QDialog::keyPressEvent(e);
}

void showPreviewModal(const ComposedReport &report, Dialogs &dialogs, QWidget *parent)
{
    ReportPreviewDialog dialog(report, dialogs, parent);
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    dialog.exec();
}

void installPreviewWindow(ReportHost &host, Dialogs &dialogs, QWidget *parent)
{
    QPointer<QWidget> owner(parent);
    host.showPreview = [&dialogs, owner](const ComposedReport &report) { showPreviewModal(report, dialogs, owner); };
}

} // namespace kervio
