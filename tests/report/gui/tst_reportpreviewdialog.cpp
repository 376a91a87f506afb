#include "report/frpfile.h"
#include "report/gui/reportpreviewdialog.h"
#include "report/gui/reportprinting.h"
#include "report/pdftext.h"
#include "report/reportfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QPainter>
#include <QtTest>

using namespace kervio;
using namespace kervio::test;

namespace {

ComposedReport preparedReport(int entries)
{
    ReportFixture f(longLedger(entries));
    f.print(ReportTable::Split);
    return f.host.lastReport;
}

struct Preview {
    ScriptedDialogs dialogs;
    ReportPreviewDialog form;
    explicit Preview(const ComposedReport &r) : form(r, dialogs)
    {
        form.printerAvailable = [] { return false; };
        form.resize(1000, 800);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    template <class W> W *child(const char *name) const
    {
        W *w = form.findChild<W *>(QLatin1String(name));
        if (!w)
            qFatal("no %s in the preview", name);
        return w;
    }
    QToolButton *button(const char *name) const { return child<QToolButton>(name); }
    PreviewPageView *pages() const { return child<PreviewPageView>("pageView"); }
    QMenu *zoomMenu() const { return child<QMenu>("zoomMenu"); }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(pages(), Qt::Key(k), m); }
    QString status() const { return child<QLabel>("pageLabel")->text(); }
    QString zoomText() const { return button("zoomButton")->text(); }
    int scroll() const { return pages()->verticalScrollBar()->value(); }
};

// The page numbers of a printed PDF, page by page, read from the footers.
QList<int> printedPages(const QString &pdf)
{
    QList<int> out;
    static const QRegularExpression footer(QStringLiteral("Sayfa (\\d+)"));
    QStringList pages = pdfText(pdf).split(u'\f');
    pages.removeLast(); // after the last form feed
    for (const QString &page : pages) {
        const QRegularExpressionMatch m = footer.match(page);
        out << (m.hasMatch() ? m.captured(1).toInt() : 0);
    }
    return out;
}

void printToPdf(QPrinter &printer, const QString &path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
}

// The right end of the ink of one text item drawn alone at `pxPerMm`.
double inkRightMm(const DrawItem &item, double pxPerMm)
{
    QImage image(QSize(int(210 * pxPerMm), int(item.rect.bottom() * pxPerMm) + 2), QImage::Format_Grayscale8);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        Typesetter typesetter;
        ReportPage one;
        one.items.push_back(item);
        paintPage(painter, one, pxPerMm, typesetter);
    }
    int right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.constScanLine(y)[x] < 160)
                right = std::max(right, x);
    return (right + 1) / pxPerMm;
}

QAction *menuAction(QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

} // namespace

class TestReportPreviewDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { ReportPreviewDialog::lastZoom() = PreviewZoom{}; }
    void captionAndPages();
    void navigationKeys();
    void zoomMenu();
    void zoomKeptForLaterPreviews();
    void opensOnTheFirstPage_data();
    void opensOnTheFirstPage();
    void hundredPercentIsPaperSize();
    void searchShowsTheHit();
    void saveAndOpen();
    void saveAsPdf();
    void openRefusesBadFile();
    void printWithoutPrinterSaysSo();
    void printSelectionAndOrder_data();
    void printSelectionAndOrder();
    void printDialogKnowsTheReport_data();
    void printDialogKnowsTheReport();
    void escapeCloses();
    void previewHookShowsReport();
};

void TestReportPreviewDialog::captionAndPages()
{
    Preview p(preparedReport(300));
    QCOMPARE(p.form.windowTitle(), QStringLiteral("Preview - Kavrel Rapor Önizleme - Vade farkı raporu"));
    QVERIFY(p.form.pageCount() >= 4);
    QCOMPARE(p.status(), QStringLiteral("Page 1/%1").arg(p.form.pageCount()));
    QStringList buttons;
    for (const char *name : {"zoomButton", "printButton", "saveButton", "openButton", "closeButton"})
        buttons << p.button(name)->text();
    QCOMPARE(buttons, (QStringList{"100%", "Yazdır", "Sakla", "Aç", "Kapat"}));
    QVERIFY(!p.button("previousPageButton")->isEnabled());
    p.button("nextPageButton")->click();
    QCOMPARE(p.status(), QStringLiteral("Page 2/%1").arg(p.form.pageCount()));
    p.button("previousPageButton")->click();
    QCOMPARE(p.form.currentPage(), 0);
}

void TestReportPreviewDialog::navigationKeys()
{
    Preview p(preparedReport(300));
    const int n = p.form.pageCount();
    p.key(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(p.status(), QStringLiteral("Page %1/%1").arg(n));
    QVERIFY(!p.button("nextPageButton")->isEnabled());
    p.key(Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(p.scroll(), 0);
    QCOMPARE(p.form.currentPage(), 0);
    p.key(Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(p.form.currentPage(), 1);
    p.key(Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(p.form.currentPage(), 0);

    const int step = p.pages()->verticalScrollBar()->singleStep();
    p.key(Qt::Key_Down);
    QCOMPARE(p.scroll(), step);
    p.key(Qt::Key_Up);
    QCOMPARE(p.scroll(), 0);
    p.key(Qt::Key_PageDown);
    QCOMPARE(p.scroll(), p.pages()->verticalScrollBar()->pageStep());
    p.key(Qt::Key_PageUp);
    QCOMPARE(p.scroll(), 0);

    // the wheel scrolls too
    QWidget *vp = p.pages()->viewport();
    QWheelEvent wheel(QPointF(50, 50), vp->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp, &wheel);
    QVERIFY(p.scroll() > 0);
}

void TestReportPreviewDialog::zoomMenu()
{
    Preview p(preparedReport(150));
    QStringList entries;
    QMenu *menu = p.zoomMenu();
    for (QAction *a : menu->actions())
        if (!a->isSeparator())
            entries << a->text();
    QCOMPARE(entries, (QStringList{"200%", "150%", "100%", "75%", "50%", "25%", "10%", "Page width", "Whole page",
                                   "Two pages"}));
    QVERIFY(menuAction(menu, "100%")->isChecked());

    p.key(Qt::Key_Space);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();

    menuAction(menu, "50%")->trigger();
    QCOMPARE(p.zoomText(), QStringLiteral("50%"));
    QVERIFY(menuAction(menu, "50%")->isChecked());
    QVERIFY(!menuAction(menu, "100%")->isChecked());

    // the fitting modes follow the window: the layout's own arithmetic has its tests
    const PreviewPageView *view = p.pages();
    menuAction(menu, "Whole page")->trigger();
    QVERIFY(view->layout().pageRect(0).height() <= view->viewport()->height());
    QCOMPARE(p.zoomText(), QStringLiteral("%1%").arg(p.form.effectivePercent()));

    menuAction(menu, "Page width")->trigger();
    QVERIFY(qAbs(view->layout().pageRect(0).width() - (view->viewport()->width() - 20)) < 1.0);

    menuAction(menu, "Two pages")->trigger();
    QVERIFY(menuAction(menu, "Two pages")->isChecked());
    QCOMPARE(view->layout().pagesPerStep(), 2);
}

void TestReportPreviewDialog::zoomKeptForLaterPreviews()
{
    const ComposedReport r = preparedReport(3);
    {
        Preview p(r);
        menuAction(p.zoomMenu(), "75%")->trigger();
    }
    Preview again(r);
    QCOMPARE(again.zoomText(), QStringLiteral("75%"));
    QVERIFY(menuAction(again.zoomMenu(), "75%")->isChecked());
}

void TestReportPreviewDialog::opensOnTheFirstPage_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("percent");
    QTest::newRow("100%") << int(ZoomMode::Percent) << 100;
    QTest::newRow("25%") << int(ZoomMode::Percent) << 25;
    QTest::newRow("page width") << int(ZoomMode::PageWidth) << 100;
    QTest::newRow("whole page") << int(ZoomMode::WholePage) << 100;
    QTest::newRow("two pages") << int(ZoomMode::TwoPages) << 100;
}

// At the zoom last chosen, through the sizes a window goes through while it
// opens and is maximised: the first page at the top, every time.
void TestReportPreviewDialog::opensOnTheFirstPage()
{
    QFETCH(int, mode);
    QFETCH(int, percent);
    const ComposedReport r = preparedReport(3000);
    for (const QSize first : {QSize(900, 700), QSize(60, 1000), QSize(1600, 50)}) {
        ReportPreviewDialog::lastZoom() = PreviewZoom{ZoomMode(mode), percent};
        ScriptedDialogs dialogs;
        ReportPreviewDialog form(r, dialogs);
        form.resize(first);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.resize(1600, 1000);
        QCoreApplication::processEvents();
        const QString at = QStringLiteral("opened at %1x%2").arg(first.width()).arg(first.height());
        QVERIFY2(form.currentPage() == 0, qPrintable(at + QStringLiteral(" on page %1").arg(form.currentPage() + 1)));
        QCOMPARE(form.findChild<PreviewPageView *>()->verticalScrollBar()->value(), 0);
        QCOMPARE(form.findChild<QLabel *>("pageLabel")->text(), QStringLiteral("Page 1/%1").arg(form.pageCount()));
        QCOMPARE(form.zoom(), ReportPreviewDialog::lastZoom());
        form.goToPage(7); // where this preview is left; the next opens at the top again
    }
}

// At 100 per cent a page is as large on the screen as on paper, and so is
// every line of text on it: a line ends where it ends at a printer's
// resolution.
void TestReportPreviewDialog::hundredPercentIsPaperSize()
{
    Preview p(preparedReport(3));
    const PreviewPageView *view = p.pages();
    const double screen = view->logicalDpiX() / 25.4;
    QCOMPARE(view->layout().pageRect(0).width(), 210.0 * screen);
    const DrawItem *longest = nullptr;
    for (const DrawItem &i : p.form.report().pages[0].items)
        if (i.kind == DrawItem::Text && (!longest || i.text.size() > longest->text.size()))
            longest = &i;
    QVERIFY(longest);
    const double onScreen = inkRightMm(*longest, screen), onPaper = inkRightMm(*longest, 600 / 25.4);
    QVERIFY2(std::abs(onScreen - onPaper) < 1.5 / screen,
             qPrintable(QStringLiteral("%1 ends at %2 mm on the screen, at %3 mm on paper")
                            .arg(longest->text).arg(onScreen).arg(onPaper)));
}

void TestReportPreviewDialog::searchShowsTheHit()
{
    Preview p(preparedReport(300));
    QStringList asked{"sayfa 3", "yok böyle metin"};
    p.form.askSearchText = [&] { return asked.takeFirst(); };
    p.key(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(p.form.searchHit());
    QCOMPARE(p.form.searchHit()->page, 2);
    QCOMPARE(p.form.currentPage(), 2);
    if (qEnvironmentVariableIsSet("KERVIO_PREVIEW_PNG"))
        p.form.grab().save(qEnvironmentVariable("KERVIO_PREVIEW_PNG"));
    QCOMPARE(p.status(), QStringLiteral("Page 3/%1").arg(p.form.pageCount()));
    const DrawItem &item = p.form.report().pages[2].items[size_t(p.form.searchHit()->item)];
    QCOMPARE(item.text, QStringLiteral("Sayfa 3"));

    // F3 goes on from the hit; "Fatura" is not in the split table, "2.500,00" is
    p.form.askSearchText = [] { return QStringLiteral("2.500,00"); };
    p.key(Qt::Key_F, Qt::ControlModifier);
    const SearchHit first = *p.form.searchHit();
    p.key(Qt::Key_F3);
    QVERIFY(p.form.searchHit());
    const SearchHit second = *p.form.searchHit();
    QVERIFY(second.page > first.page || second.item > first.item);

    p.form.askSearchText = [] { return QStringLiteral("yok böyle metin"); };
    p.key(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(!p.form.searchHit());
    QCOMPARE(p.dialogs.texts().last(), QStringLiteral("Aranan metin bulunamadı: yok böyle metin"));

    // from the last page on round to the first, with a word at the wrap;
    // letters match the Turkish way
    p.key(Qt::Key_End, Qt::ControlModifier);
    p.dialogs.shown.clear();
    p.form.askSearchText = [] { return QStringLiteral("işlem tarihi"); };
    p.key(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(p.form.searchHit());
    QCOMPARE(p.form.searchHit()->page, 0);
    QCOMPARE(p.form.currentPage(), 0);
    QCOMPARE(p.dialogs.texts(), QStringList{"Belgenin sonuna gelindi, baştan aranıyor."});
    // the only one: F3 comes round to it again
    p.key(Qt::Key_F3);
    QCOMPARE(p.form.searchHit()->page, 0);
    QCOMPARE(p.dialogs.texts().size(), 2);
}

void TestReportPreviewDialog::saveAndOpen()
{
    QTemporaryDir dir;
    const ComposedReport big = preparedReport(300), small = preparedReport(3);
    Preview p(big);
    p.dialogs.fileNames.push_back(dir.filePath("buyuk")); // the extension is added
    p.key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(p.dialogs.fileDialogs.back().filter, QStringLiteral("Report file (*.frp);;PDF Dosyası (*.pdf)"));
    QCOMPARE(loadFrpFile(dir.filePath("buyuk.frp")), big);

    saveFrpFile(small, dir.filePath("kucuk.frp"));
    p.dialogs.fileNames.push_back(dir.filePath("kucuk.frp"));
    p.key(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(p.form.report(), small);
    QCOMPARE(p.status(), QStringLiteral("Page 1/1"));

    // an existing file is kept unless the user agrees
    p.dialogs.fileNames.push_back(dir.filePath("buyuk.frp"));
    p.dialogs.answers.push_back(Dialogs::Answer::No);
    p.button("saveButton")->click();
    QCOMPARE(p.dialogs.texts().last(), QStringLiteral("Dosya mevcut Üzerine kayıt edilsinmi?"));
    QCOMPARE(loadFrpFile(dir.filePath("buyuk.frp")), big);
}

void TestReportPreviewDialog::saveAsPdf()
{
    QTemporaryDir dir;
    Preview p(preparedReport(3));
    p.dialogs.fileNames.push_back(dir.filePath("rapor.PDF"));
    p.button("saveButton")->click();
    QVERIFY(p.dialogs.shown.empty());
    const QString text = pdfText(dir.filePath("rapor.PDF"));
    QVERIFY2(containsInOrder(text, {"Kavrel Kervio 2.0", "TOPLAM", "Sayfa 1"}), qPrintable(text));
}

void TestReportPreviewDialog::openRefusesBadFile()
{
    QTemporaryDir dir;
    const ComposedReport r = preparedReport(3);
    Preview p(r);
    const QString bad = dir.filePath("bozuk.frp");
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(frpBytes(r).left(100));
    f.close();
    p.dialogs.fileNames.push_back(bad);
    p.button("openButton")->click();
    QCOMPARE(p.dialogs.shown.size(), size_t(1));
    QCOMPARE(p.dialogs.shown[0].kind, ScriptedDialogs::Shown::Error);
    QVERIFY(p.dialogs.shown[0].text.contains("hazır rapor dosyası değil"));
    QCOMPARE(p.form.report(), r);
}

void TestReportPreviewDialog::printWithoutPrinterSaysSo()
{
    Preview p(preparedReport(3));
    bool dialogRun = false;
    p.form.runPrintDialog = [&](QPrintDialog &) { return dialogRun = true; };
    p.key(Qt::Key_P, Qt::ControlModifier);
    QVERIFY(!dialogRun);
    QCOMPARE(p.dialogs.texts(), QStringList{PrintText::noPrinter()});
    QVERIFY(p.form.isVisible());
}

// The page selection, copies, collation and reverse order through a PDF
// printer, which makes no copies itself; read back page by page.
void TestReportPreviewDialog::printSelectionAndOrder_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<bool>("reverse");
    QTest::addColumn<QList<int>>("printed");
    const int all = int(PageChoice::AllPages), current = int(PageChoice::CurrentPage), list = int(PageChoice::PageRanges);
    QTest::newRow("all") << all << "" << 1 << true << false << QList<int>{1, 2, 3, 4};
    QTest::newRow("current") << current << "" << 1 << true << false << QList<int>{2};
    QTest::newRow("list") << list << "1, 3-4" << 1 << true << false << QList<int>{1, 3, 4};
    QTest::newRow("range beyond the end") << list << "3-9" << 1 << true << false << QList<int>{3, 4};
    QTest::newRow("reverse") << list << "1-3" << 1 << true << true << QList<int>{3, 2, 1};
    QTest::newRow("two collated") << list << "2-3" << 2 << true << false << QList<int>{2, 3, 2, 3};
    QTest::newRow("two not collated") << list << "2-3" << 2 << false << false << QList<int>{2, 2, 3, 3};
    QTest::newRow("two collated reversed") << all << "" << 2 << true << true << QList<int>{4, 3, 2, 1, 4, 3, 2, 1};
}

void TestReportPreviewDialog::printSelectionAndOrder()
{
    QFETCH(int, choice);
    QFETCH(QString, list);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(bool, reverse);
    QFETCH(QList<int>, printed);
    const ComposedReport r = preparedReport(250);
    QCOMPARE(int(r.pages.size()), 4);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, r);
    printToPdf(printer, dir.filePath("baski.pdf"));
    PrintRequest request;
    request.choice = PageChoice(choice);
    request.ranges = parsePageList(list).value_or(QPageRanges());
    request.pageList = list;
    request.currentPage = 1;
    request.order = PrintOrder{copies, collate, reverse};
    QCOMPARE(printPreparedReport(r, printer, request), QString());
    QCOMPARE(printedPages(dir.filePath("baski.pdf")), printed);
}

// The real print dialog, filled in as a user would; its printer then prints
// to a PDF file in place of the print system.
void TestReportPreviewDialog::printDialogKnowsTheReport_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QList<int>>("printed");
    QTest::addColumn<QString>("message");
    QTest::newRow("all") << "printAll" << "" << QList<int>{1, 2, 3, 4} << "";
    QTest::newRow("current page") << "printCurrentPage" << "" << QList<int>{3} << "";
    QTest::newRow("list with blanks") << "pagesRadioButton" << " 1, 3 -4" << QList<int>{1, 3, 4} << "";
    QTest::newRow("one page") << "pagesRadioButton" << "2" << QList<int>{2} << "";
    QTest::newRow("backwards range") << "pagesRadioButton" << "4-2" << QList<int>{} << PrintText::badPageList("4-2");
    QTest::newRow("no page of the report") << "pagesRadioButton" << "7,9-12" << QList<int>{}
                                           << PrintText::noPageInList("7,9-12", 4);
}

void TestReportPreviewDialog::printDialogKnowsTheReport()
{
    QFETCH(QString, button);
    QFETCH(QString, list);
    QFETCH(QList<int>, printed);
    QFETCH(QString, message);
    Preview p(preparedReport(250));
    QCOMPARE(p.form.pageCount(), 4);
    p.form.goToPage(2);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("baski.pdf");
    p.form.printerAvailable = [] { return true; };
    bool ran = false, fields = false;
    p.form.runPrintDialog = [&](QPrintDialog &dialog) {
        ran = true;
        QPrinter *printer = dialog.printer();
        [&] {
            QCOMPARE(dialog.minPage(), 1);
            QCOMPARE(dialog.maxPage(), 4);
            QCOMPARE(printer->fromPage(), 1);
            QCOMPARE(printer->toPage(), 4);
            QVERIFY(dialog.testOption(QAbstractPrintDialog::PrintCurrentPage));
            QVERIFY(dialog.testOption(QAbstractPrintDialog::PrintPageRange));
        }();
        auto *choice = dialog.findChild<QRadioButton *>(button);
        auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("pagesLineEdit"));
        fields = choice && edit;
        if (!fields)
            return false;
        choice->setChecked(true);
        edit->setText(list);
        dialog.accept();
        printToPdf(*printer, pdf);
        return dialog.result() == QDialog::Accepted;
    };
    p.button("printButton")->click();
    QVERIFY(ran);
    if (!fields)
        QSKIP("this platform's print dialog has no page list field");
    if (message.isEmpty()) {
        QCOMPARE(p.dialogs.texts(), QStringList());
        QCOMPARE(printedPages(pdf), printed);
    } else {
        QCOMPARE(p.dialogs.texts(), QStringList{message});
        QVERIFY(!QFile::exists(pdf));
    }
}

void TestReportPreviewDialog::escapeCloses()
{
    Preview p(preparedReport(3));
    p.key(Qt::Key_Escape);
    QVERIFY(!p.form.isVisible());
    QCOMPARE(p.form.result(), int(QDialog::Rejected));
}

void TestReportPreviewDialog::previewHookShowsReport()
{
    // the window's binding: the modal preview opens over the parent and the
    // command returns when it is closed
    ReportFixture f;
    installPreviewWindow(f.host, f.dialogs, nullptr);
    QString caption;
    QTimer::singleShot(0, [&] {
        auto *form = qobject_cast<ReportPreviewDialog *>(QApplication::activeModalWidget());
        QVERIFY(form);
        caption = form->windowTitle();
        QVERIFY(form->windowState() & Qt::WindowMaximized);
        form->findChild<QToolButton *>(QStringLiteral("closeButton"))->click();
    });
    QVERIFY(f.print(ReportTable::Split));
    QCOMPARE(caption, QStringLiteral("Preview - Kavrel Rapor Önizleme - Vade farkı raporu"));
}

QTEST_MAIN(TestReportPreviewDialog)
#include "tst_reportpreviewdialog.moc"
