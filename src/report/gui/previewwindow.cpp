#include "previewwindow.h"

#include "core/errors.h"
#include "report/frpfile.h"
#include "report/pdfexport.h"
#include "report/reportcommands.h"
#include "core/dialogs.h"

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
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace kervio {

namespace {

constexpr int Gap = 10; // pixels around and between the pages

QString frpFilter()
{
    return QStringLiteral("Report file (*.frp)");
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

} // namespace

// --- the page view -----------------------------------------------------------

PreviewPages::PreviewPages(TfrPreviewForm *form) : QAbstractScrollArea(form), m_form(form)
{
    setObjectName(QStringLiteral("pages"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
}

void PreviewPages::relayout()
{
    const ComposedReport &r = m_form->report();
    const QSizeF page = r.pageSizeMm;
    const QSize vp = viewport()->size();
    const PreviewZoom z = m_form->zoom();
    switch (z.mode) {
    case ZoomMode::Percent: m_scale = z.percent / 100.0 * logicalDpiX() / 25.4; break;
    case ZoomMode::PageWidth: m_scale = (vp.width() - 2.0 * Gap) / page.width(); break;
    case ZoomMode::WholePage:
        m_scale = std::min((vp.width() - 2.0 * Gap) / page.width(), (vp.height() - 2.0 * Gap) / page.height());
        break;
    case ZoomMode::TwoPages:
        m_scale = std::min((vp.width() - 3.0 * Gap) / (2 * page.width()), (vp.height() - 2.0 * Gap) / page.height());
        break;
    }
    m_scale = std::max(m_scale, 0.05);
    const int n = std::max(1, int(r.pages.size()));
    const bool two = z.mode == ZoomMode::TwoPages;
    const int perRow = two ? 2 : 1;
    const int rows = (n + perRow - 1) / perRow;
    const double pw = page.width() * m_scale, ph = page.height() * m_scale;
    m_content = QSizeF(perRow * pw + (perRow + 1) * Gap, rows * (ph + Gap) + Gap);

    verticalScrollBar()->setPageStep(vp.height());
    horizontalScrollBar()->setPageStep(vp.width());
    verticalScrollBar()->setRange(0, std::max(0, int(std::ceil(m_content.height())) - vp.height()));
    horizontalScrollBar()->setRange(0, std::max(0, int(std::ceil(m_content.width())) - vp.width()));
    viewport()->update();
}

QRectF PreviewPages::pageRect(int page) const
{
    const QSizeF size = m_form->report().pageSizeMm * m_scale;
    const bool two = m_form->zoom().mode == ZoomMode::TwoPages;
    const int row = two ? page / 2 : page, col = two ? page % 2 : 0;
    const double rowWidth = two ? 2 * size.width() + Gap : size.width();
    const double left = std::max<double>(Gap, (viewport()->width() - rowWidth) / 2.0);
    return QRectF(left + col * (size.width() + Gap), Gap + row * (size.height() + Gap), size.width(), size.height());
}

int PreviewPages::currentPage() const
{
    const int n = int(m_form->report().pages.size());
    const double probe = verticalScrollBar()->value() + viewport()->height() / 3.0;
    const bool two = m_form->zoom().mode == ZoomMode::TwoPages;
    int current = 0;
    for (int p = 0; p < n; p += two ? 2 : 1)
        if (pageRect(p).top() - Gap <= probe)
            current = p;
    return current;
}

void PreviewPages::scrollToPage(int page)
{
    verticalScrollBar()->setValue(int(pageRect(page).top()) - Gap);
}

void PreviewPages::ensureVisible(const QRectF &r)
{
    QScrollBar *v = verticalScrollBar(), *h = horizontalScrollBar();
    if (r.top() < v->value() || r.bottom() > v->value() + viewport()->height())
        v->setValue(int(r.center().y() - viewport()->height() / 2.0));
    if (r.left() < h->value() || r.right() > h->value() + viewport()->width())
        h->setValue(int(r.left() - Gap));
}

void PreviewPages::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    const ComposedReport &r = m_form->report();
    const QPointF offset(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    const QRectF visible(QPointF(0, 0), QSizeF(viewport()->size()));
    const double dpi = logicalDpiY();
    for (int i = 0; i < int(r.pages.size()); ++i) {
        const QRectF page = pageRect(i).translated(offset);
        if (!page.intersects(visible))
            continue;
        p.fillRect(page.translated(3, 3), QColor(0, 0, 0, 90));
        p.fillRect(page, Qt::white);
        p.save();
        p.translate(page.topLeft());
        p.setClipRect(QRectF(QPointF(0, 0), page.size()));
        const std::optional<SearchHit> &hit = m_form->searchHit();
        if (hit && hit->page == i) {
            const DrawItem &item = r.pages[size_t(i)].items[size_t(hit->item)];
            const QFontMetricsF fm(item.font.toQFont(m_scale * 25.4 / dpi), this);
            const QRectF box(item.rect.topLeft() * m_scale, item.rect.size() * m_scale);
            const double full = fm.horizontalAdvance(item.text);
            double x = box.left();
            if (item.alignment & Qt::AlignRight)
                x = box.right() - full;
            else if (item.alignment & Qt::AlignHCenter)
                x = box.center().x() - full / 2;
            x += fm.horizontalAdvance(item.text.left(hit->position));
            const double w = fm.horizontalAdvance(item.text.mid(hit->position, hit->length));
            p.fillRect(QRectF(x, box.top(), w, box.height()), QColor(255, 200, 0, 160));
        }
        paintPage(p, r.pages[size_t(i)], m_scale);
        p.restore();
    }
}

void PreviewPages::resizeEvent(QResizeEvent *e)
{
    const int page = currentPage();
    QAbstractScrollArea::resizeEvent(e);
    relayout();
    if (m_form->zoom().mode != ZoomMode::Percent)
        scrollToPage(page);
    m_form->updateStatus();
}

void PreviewPages::keyPressEvent(QKeyEvent *e)
{
    if (!m_form->handleKey(e))
        QAbstractScrollArea::keyPressEvent(e);
}

void PreviewPages::scrollContentsBy(int, int)
{
    viewport()->update();
    m_form->updateStatus();
}

// --- the preview window --------------------------------------------------------

PreviewZoom &TfrPreviewForm::lastZoom()
{
    static PreviewZoom zoom;
    return zoom;
}

TfrPreviewForm::TfrPreviewForm(const ComposedReport &report, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), m_report(report), m_dialogs(dialogs), m_zoom(lastZoom())
{
    setObjectName(QStringLiteral("frPreviewForm"));
    setModal(true);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    printerAvailable = [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); };
    askSearchText = [this] {
        bool ok = false;
        const QString t = QInputDialog::getText(this, QStringLiteral("Ara"), QStringLiteral("Aranacak metin:"),
                                                QLineEdit::Normal, m_searchText, &ok);
        return ok ? t : QString();
    };

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *bar = new QWidget(this);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    zoomButton = toolButton(bar, QStringLiteral("200%"), "ZoomBtn");
    zoomButton->setPopupMode(QToolButton::InstantPopup);
    printButton = toolButton(bar, QStringLiteral("Yazdır"), "PrintBtn");
    saveButton = toolButton(bar, QStringLiteral("Sakla"), "SaveBtn");
    openButton = toolButton(bar, QStringLiteral("Aç"), "OpenBtn");
    closeButton = toolButton(bar, QStringLiteral("Kapat"), "ExitBtn");
    for (QToolButton *b : {zoomButton, printButton, saveButton, openButton, closeButton})
        barLayout->addWidget(b);
    barLayout->addStretch(1);
    layout->addWidget(bar);

    zoomMenu = new QMenu(zoomButton);
    m_zoomGroup = new QActionGroup(zoomMenu);
    for (int percent : {200, 150, 100, 75, 50, 25, 10})
        zoomAction(QStringLiteral("%1%").arg(percent), {ZoomMode::Percent, percent});
    zoomMenu->addSeparator();
    zoomAction(QStringLiteral("Page width"), {ZoomMode::PageWidth, 100});
    zoomAction(QStringLiteral("Whole page"), {ZoomMode::WholePage, 100});
    zoomAction(QStringLiteral("Two pages"), {ZoomMode::TwoPages, 100});
    zoomButton->setMenu(zoomMenu);

    pages = new PreviewPages(this);
    prevPageButton = new QToolButton(pages);
    prevPageButton->setArrowType(Qt::UpArrow);
    prevPageButton->setObjectName(QStringLiteral("PrevPageBtn"));
    prevPageButton->setFocusPolicy(Qt::NoFocus);
    nextPageButton = new QToolButton(pages);
    nextPageButton->setArrowType(Qt::DownArrow);
    nextPageButton->setObjectName(QStringLiteral("NextPageBtn"));
    nextPageButton->setFocusPolicy(Qt::NoFocus);
    pages->addScrollBarWidget(prevPageButton, Qt::AlignBottom);
    pages->addScrollBarWidget(nextPageButton, Qt::AlignBottom);
    layout->addWidget(pages, 1);

    pageLabel = new QLabel(this);
    pageLabel->setObjectName(QStringLiteral("StatusLabel"));
    pageLabel->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(pageLabel);

    connect(printButton, &QToolButton::clicked, this, &TfrPreviewForm::print);
    connect(saveButton, &QToolButton::clicked, this, &TfrPreviewForm::save);
    connect(openButton, &QToolButton::clicked, this, &TfrPreviewForm::open);
    connect(closeButton, &QToolButton::clicked, this, &QDialog::reject);
    connect(prevPageButton, &QToolButton::clicked, this, [this] { goToPage(currentPage() - 1); });
    connect(nextPageButton, &QToolButton::clicked, this, [this] { goToPage(currentPage() + 1); });

    setWindowTitle(QStringLiteral("Preview - ") + m_report.title);
    resize(900, 700);
    setZoom(m_zoom);
    pages->setFocus();
}

QAction *TfrPreviewForm::zoomAction(const QString &text, PreviewZoom z)
{
    QAction *a = zoomMenu->addAction(text);
    a->setCheckable(true);
    m_zoomGroup->addAction(a);
    m_zoomActions.emplace_back(a, z);
    connect(a, &QAction::triggered, this, [this, z] { setZoom(z); });
    return a;
}

void TfrPreviewForm::setReport(const ComposedReport &report)
{
    m_report = report;
    m_hit.reset();
    setWindowTitle(QStringLiteral("Preview - ") + m_report.title);
    pages->relayout();
    goToPage(0);
}

int TfrPreviewForm::currentPage() const
{
    return pages->currentPage();
}

void TfrPreviewForm::setZoom(const PreviewZoom &z)
{
    const int page = currentPage();
    m_zoom = z;
    lastZoom() = z;
    for (const auto &[action, az] : m_zoomActions)
        action->setChecked(az == z || (z.mode != ZoomMode::Percent && az.mode == z.mode));
    pages->relayout();
    pages->scrollToPage(page);
    updateStatus();
}

int TfrPreviewForm::effectivePercent() const
{
    if (m_zoom.mode == ZoomMode::Percent)
        return m_zoom.percent;
    return int(std::lround(pages->pxPerMm() * 25.4 / pages->logicalDpiX() * 100));
}

void TfrPreviewForm::goToPage(int page)
{
    if (m_report.pages.empty())
        return;
    page = std::clamp(page, 0, pageCount() - 1);
    pages->scrollToPage(page);
    updateStatus();
}

void TfrPreviewForm::updateStatus()
{
    const int current = pages->currentPage();
    pageLabel->setText(QStringLiteral("Page %1/%2").arg(current + 1).arg(pageCount()));
    // a fitting zoom changes with the window's size
    zoomButton->setText(QStringLiteral("%1%").arg(effectivePercent()));
    prevPageButton->setEnabled(current > 0);
    nextPageButton->setEnabled(current + (m_zoom.mode == ZoomMode::TwoPages ? 2 : 1) < pageCount());
}

void TfrPreviewForm::print()
{
    if (!printerAvailable || !printerAvailable())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(m_report.pageSizeMm, QPageSize::Millimeter));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(m_report.title);
    QPrintDialog dialog(&printer, this);
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintCurrentPage
                      | QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, pageCount());
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!printReport(m_report, printer, currentPage()))
        m_dialogs.error(QStringLiteral("Yazıcı başlatılamadı: ") + printer.printerName());
}

void TfrPreviewForm::save()
{
    QString path = m_dialogs.saveFileName({QStringLiteral("Raporu Sakla"),
                                           frpFilter() + QStringLiteral(";;PDF Dosyası (*.pdf)"), QString(), QString()});
    if (path.isEmpty())
        return;
    const bool pdf = path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    if (!pdf && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".frp");
    if (QFileInfo::exists(path)
        && m_dialogs.question(QString(), QStringLiteral("Dosya mevcut Üzerine kayıt edilsinmi?"),
                              Dialogs::Icon::Question, Dialogs::Buttons::YesNo)
            != Dialogs::Answer::Yes)
        return;
    try {
        if (pdf)
            savePdfFile(m_report, path);
        else
            saveFrpFile(m_report, path);
    } catch (const KervioError &e) {
        m_dialogs.error(e.text());
    }
}

void TfrPreviewForm::open()
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

void TfrPreviewForm::find()
{
    const QString text = askSearchText ? askSearchText() : QString();
    if (text.isEmpty())
        return;
    m_searchText = text;
    m_hit.reset();
    findNext();
}

void TfrPreviewForm::findNext()
{
    if (m_searchText.isEmpty()) {
        find();
        return;
    }
    // start after the last hit, or at the top of the current page
    int page = m_hit ? m_hit->page : currentPage();
    int item = m_hit ? m_hit->item : 0;
    int from = m_hit ? m_hit->position + 1 : 0;
    for (; page < pageCount(); ++page, item = 0, from = 0) {
        const std::vector<DrawItem> &items = m_report.pages[size_t(page)].items;
        for (; item < int(items.size()); ++item, from = 0) {
            if (items[size_t(item)].kind != DrawItem::Text)
                continue;
            const int at = int(items[size_t(item)].text.indexOf(m_searchText, from, Qt::CaseInsensitive));
            if (at >= 0) {
                m_hit = SearchHit{page, item, at, int(m_searchText.size())};
                showHit();
                return;
            }
        }
    }
    m_hit.reset();
    pages->viewport()->update();
    m_dialogs.message(QStringLiteral("Aranan metin bulunamadı: ") + m_searchText);
}

void TfrPreviewForm::showHit()
{
    const DrawItem &item = m_report.pages[size_t(m_hit->page)].items[size_t(m_hit->item)];
    const QRectF page = pages->pageRect(m_hit->page);
    const double k = pages->pxPerMm();
    pages->ensureVisible(QRectF(page.topLeft() + item.rect.topLeft() * k, item.rect.size() * k));
    pages->viewport()->update();
    updateStatus();
}

bool TfrPreviewForm::handleKey(QKeyEvent *e)
{
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    QScrollBar *v = pages->verticalScrollBar(), *h = pages->horizontalScrollBar();
    switch (e->key()) {
    case Qt::Key_Escape: reject(); return true;
    case Qt::Key_Space:
        zoomMenu->popup(zoomButton->mapToGlobal(QPoint(0, zoomButton->height())));
        return true;
    case Qt::Key_F3: findNext(); return true;
    case Qt::Key_P: if (ctrl) { print(); return true; } break;
    case Qt::Key_S: if (ctrl) { save(); return true; } break;
    case Qt::Key_O: if (ctrl) { open(); return true; } break;
    case Qt::Key_F: if (ctrl) { find(); return true; } break;
    case Qt::Key_PageUp:
        if (ctrl)
            goToPage(currentPage() - (m_zoom.mode == ZoomMode::TwoPages ? 2 : 1));
        else
            v->triggerAction(QAbstractSlider::SliderPageStepSub);
        return true;
    case Qt::Key_PageDown:
        if (ctrl)
            goToPage(currentPage() + (m_zoom.mode == ZoomMode::TwoPages ? 2 : 1));
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

void TfrPreviewForm::keyPressEvent(QKeyEvent *e)
{
    if (!handleKey(e))
        QDialog::keyPressEvent(e);
}

// --- printing ------------------------------------------------------------------

std::vector<int> pagesToPrint(const QPrinter &printer, int currentPage, int pageCount)
{
    std::vector<int> out;
    switch (printer.printRange()) {
    case QPrinter::CurrentPage:
        if (currentPage >= 0 && currentPage < pageCount)
            out.push_back(currentPage);
        break;
    case QPrinter::PageRange:
        for (const QPageRanges::Range &r : printer.pageRanges().toRangeList())
            for (int p = std::max(1, r.from); p <= std::min(pageCount, r.to); ++p)
                out.push_back(p - 1);
        break;
    case QPrinter::AllPages:
    case QPrinter::Selection:
        for (int p = 0; p < pageCount; ++p)
            out.push_back(p);
        break;
    }
    return out;
}

bool printReport(const ComposedReport &report, QPrinter &printer, int currentPage)
{
    const std::vector<int> chosen = pagesToPrint(printer, currentPage, int(report.pages.size()));
    if (chosen.empty())
        return true;
    // copies the printer cannot make itself are printed one after the other
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double k = printer.resolution() / 25.4;
    bool first = true;
    for (int c = 0; c < copies; ++c)
        for (int p : chosen) {
            if (!first)
                printer.newPage();
            first = false;
            paintPage(painter, report.pages[size_t(p)], k);
        }
    return painter.end();
}

void showPreviewModal(const ComposedReport &report, Dialogs &dialogs, QWidget *parent)
{
    TfrPreviewForm form(report, dialogs, parent);
    form.setWindowState(form.windowState() | Qt::WindowMaximized);
    form.exec();
}

void installPreviewWindow(ReportHost &host, Dialogs &dialogs, QWidget *parent)
{
    QPointer<QWidget> owner(parent);
    host.showPreview = [&dialogs, owner](const ComposedReport &report) { showPreviewModal(report, dialogs, owner); };
}

} // namespace kervio
