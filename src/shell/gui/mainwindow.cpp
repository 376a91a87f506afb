#include "mainwindow.h"
#include "ledgergrid.h"
#include "core/appinfo.h"
#include "gui/guiapp.h"
#include "gui/icons.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "report/gui/reportpreviewdialog.h"
#include "spreadsheet/exchange.h"
#include "spreadsheet/gui/importwindow.h"
#include "update/programupdate.h"
#include "update/gui/updateprogresswindow.h"
#include "update/gui/helpwindow.h"
#include "shell/workrecovery.h"

namespace kervio {

namespace {

const QColor WindowColour(192, 220, 192);
const QColor FocusColour(255, 255, 0);
const int DesignWidth = 1081, DesignHeight = 649, StatusBarHeight = 22;

const QString NetDifferenceNote = QStringLiteral(
    "(*) Net Vade Farkı (-) tutar veriyorsa hesap vade farkından alacaklıdır. Yani alacağının "
    "ortalama vadesi borcunun ortalama vadesinden  daha erkendir. Hesabına vade farkı alacak "
    "olarak geçilmelidir.");

QLabel *makeLabel(QWidget *parent, const QString &text, int x, int y, bool bold = false, int pixels = 13)
{
    auto *l = new QLabel(text, parent);
    l->setFont(tahoma(pixels, bold));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLineEdit *makeEdit(QWidget *parent, const char *name, int x, int y, int width, int pixels = 13)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setFont(tahoma(pixels));
    e->setGeometry(x, y, width, 21);
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, Qt::white);
    e->setPalette(pal);
    return e;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry,
                        int pixels, Picture picture)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setFont(tahoma(pixels, true));
    b->setGeometry(geometry);
    b->setIcon(pictureIcon(picture));
    b->setIconSize(QSize(18, 18));
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

QCheckBox *makeCheck(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    auto *c = new QCheckBox(caption, parent);
    c->setObjectName(QLatin1String(name));
    c->setFont(tahoma(13));
    c->setGeometry(geometry);
    return c;
}

void setBackground(QWidget *w, const QColor &c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, c);
    w->setPalette(pal);
}

QWidget *panel(QWidget *parent, const char *name)
{
    auto *p = new QFrame(parent);
    p->setObjectName(QLatin1String(name));
    p->setFrameShape(QFrame::StyledPanel);
    p->setFrameShadow(QFrame::Raised);
    return p;
}

// The panels lie edge to edge.
template <typename Box>
Box *withoutGaps(Box *layout)
{
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

bool isTab(const QKeyEvent *e)
{
    return (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)
        && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

MainWindow::MainWindow(Session &session, QWidget *parent) : QMainWindow(parent), m_session(session)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(mainWindowCaption());
    resize(DesignWidth, DesignHeight);
    setFont(tahoma(11));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, WindowColour);
    setPalette(pal);
    setAutoFillBackground(true);

    buildContent();
    buildStatusBar();
    bindCommands();
    bindParameters();
    setTabOrder();
    sizeGridColumns();
    startFresh();
    // the window opens on the first control of its tab order, not on a command
    m_companyNameEdit->setFocus(Qt::OtherFocusReason);
}

MainWindow::~MainWindow()
{
    // QWidget's destructor still moves the focus; the slot must not run on a
    // window that is no longer a MainWindow.
    disconnect(qApp, nullptr, this, nullptr);
}

// --- layout -----------------------------------------------------------------------

void MainWindow::buildContent()
{
    // The content keeps the design size; on a smaller screen it scrolls, on a
    // larger one it stretches (the grid takes the room).
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("content"));
    content->setMinimumSize(DesignWidth, DesignHeight - StatusBarHeight);
    auto *outer = withoutGaps(new QHBoxLayout(content));
    auto *left = panel(content, "commandColumn");
    left->setFixedWidth(156);
    buildCommandColumn(left);
    outer->addWidget(left);

    auto *right = new QWidget(content);
    auto *rightLayout = withoutGaps(new QVBoxLayout(right));
    auto *title = panel(right, "titleBar");
    title->setFixedHeight(34);
    buildTitleBar(title);
    auto *params = panel(right, "parametersPanel");
    params->setFixedHeight(86);
    buildParametersPanel(params);
    m_ledgerGrid = new LedgerGrid(m_session, [this](const std::function<void()> &a) { return act(a); }, right);
    auto *summary = panel(right, "summaryPanel");
    summary->setFixedHeight(111);
    buildSummaryPanel(summary);
    rightLayout->addWidget(title);
    rightLayout->addWidget(params);
    rightLayout->addWidget(m_ledgerGrid, 1); // the grid takes the room that resizing gives
    rightLayout->addWidget(summary);
    outer->addWidget(right, 1);

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setObjectName(QStringLiteral("scrollArea"));
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFocusPolicy(Qt::NoFocus);
    m_scrollArea->setWidget(content);
    setCentralWidget(m_scrollArea);
}

void MainWindow::buildStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setFixedHeight(StatusBarHeight);
    bar->setSizeGripEnabled(false);
    auto *notice = new QLabel(QStringLiteral("Kavrel Yazılım - Cari Hesap Vade Farkı Hesaplama"), bar);
    notice->setObjectName(QStringLiteral("makerNoticeLabel"));
    notice->setFixedWidth(350);
    m_versionLabel = new QLabel(bar);
    m_versionLabel->setObjectName(QStringLiteral("versionLabel"));
    m_versionLabel->setMinimumWidth(50);
    bar->addWidget(notice);
    bar->addWidget(m_versionLabel, 1);
    setStatusBar(bar);
}

void MainWindow::buildCommandColumn(QWidget *column)
{
    column->setStyleSheet(QStringLiteral("QPushButton { padding: 1px; }"));
    auto command = [column](const char *name, const QString &caption, int top, Picture picture) {
        QPushButton *b = makeButton(column, name, caption, {3, top, 150, 36}, 13, picture);
        b->setFont(tahoma(13, true, 78));
        return b;
    };
    m_saveLedgerButton = command("saveLedgerButton", QStringLiteral("İŞLEMİ KAYDET"), 8, Picture::Save);
    m_openLedgerButton = command("openLedgerButton", QStringLiteral("KAYITTAN AÇ"), 44, Picture::Open);
    m_exportButton = command("exportButton", QStringLiteral("EXCEL'E VERİ AKTAR"), 84, Picture::ExcelOut);
    m_importButton = command("importButton", QStringLiteral("EXCEL'DEN VERİ AL"), 120, Picture::ExcelIn);
    m_printButton = command("printButton", QStringLiteral("YAZDIR"), 160, Picture::Print);
    m_saveRatesButton = command("saveRatesButton", QStringLiteral("ORANLARI SAKLA"), 196, Picture::Rates);
    m_recalculateButton = command("recalculateButton", QStringLiteral("YENİDEN HESAPLA"), 236, Picture::Recalc);
    m_resetButton = command("resetButton", QStringLiteral("SIFIRLA"), 272, Picture::Reset);
    m_sortButton = command("sortButton", QStringLiteral("KAYITLARI SIRALA"), 312, Picture::Sort);
    m_helpButton = makeButton(column, "helpButton", QString(), {50, 424, 50, 50}, 13, Picture::Help);
    m_helpButton->setIconSize(QSize(40, 40));
    auto *note = new QLabel(NetDifferenceNote, column);
    note->setObjectName(QStringLiteral("netDifferenceNote"));
    note->setGeometry(4, 480, 149, 144);
    note->setFont(tahoma(13, false, QFont::Condensed));
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette pal = note->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    note->setPalette(pal);

    // later commands: in place, not yet enabled
    for (QPushButton *b : {m_exportButton, m_importButton, m_printButton, m_helpButton})
        b->setEnabled(false);
}

void MainWindow::buildTitleBar(QWidget *bar)
{
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 2, 0);
    layout->setSpacing(0);
    auto *title = new QLabel(QStringLiteral("KERVIO TABLOSU"), bar);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setFont(tahoma(32, true));
    title->setAlignment(Qt::AlignCenter);
    m_manualButton =
        makeButton(bar, "manualButton", QStringLiteral("KULLANIM KILAVUZU"), {0, 0, 246, 32}, 19, Picture::Manual);
    m_manualButton->setFixedSize(246, 32);
    m_manualButton->setEnabled(false);
    layout->addWidget(title, 1);
    layout->addWidget(m_manualButton);
}

void MainWindow::buildParametersPanel(QWidget *p)
{
    makeLabel(p, QStringLiteral("Firma Adı"), 24, 6, true);
    m_companyNameEdit = makeEdit(p, "companyNameEdit", 104, 4, 425);
    makeLabel(p, QStringLiteral("Hesap Tarihi"), 8, 34, true);
    m_calculationDateEdit = makeDatePicker(p, "calculationDateEdit");
    m_calculationDateEdit->setGeometry(104, 32, 97, 21);
    m_calculationDateEdit->setCalendarPopup(true);
    makeLabel(p, QStringLiteral("Yıldaki Gün"), 24, 60);
    m_daysInYearEdit = makeEdit(p, "daysInYearEdit", 104, 58, 49);
    makeLabel(p, QStringLiteral("Yıllık Faiz"), 210, 34);
    m_yearlyRateEdit = makeEdit(p, "yearlyRateEdit", 272, 32, 65);
    makeLabel(p, QStringLiteral("Aylık Faiz"), 209, 60);
    m_monthlyRateEdit = makeEdit(p, "monthlyRateEdit", 272, 58, 65);
    m_debitWeekendCheck =
        makeCheck(p, "debitWeekendCheck", QStringLiteral("Borç Cumartesi - Pazar Ekle"), {344, 34, 201, 17});
    m_creditWeekendCheck =
        makeCheck(p, "creditWeekendCheck", QStringLiteral("Alacak Cumartesi - Pazar Ekle"), {344, 60, 193, 17});
    makeLabel(p, QStringLiteral("Ek Süre"), 574, 12, true);
    makeLabel(p, QStringLiteral("Borç"), 560, 34);
    m_debitGraceDaysEdit = makeEdit(p, "debitGraceDaysEdit", 600, 32, 49);
    makeLabel(p, QStringLiteral("Alacak"), 548, 60);
    m_creditGraceDaysEdit = makeEdit(p, "creditGraceDaysEdit", 600, 58, 49);

    m_previewNetReportButton =
        makeButton(p, "previewNetReportButton", QString(), {652, 12, 57, 60}, 13, Picture::Preview);
    m_previewNetReportButton->setIconSize(QSize(40, 40));
    m_previewNetReportButton->setToolTip(QStringLiteral("Yazıcı Önizlemeyi Göster"));
    m_mailButton = makeButton(p, "mailButton", QString(), {710, 12, 57, 60}, 13, Picture::Mail);
    m_mailButton->setIconSize(QSize(40, 40));
    m_mailButton->setToolTip(QStringLiteral("Outlook'tan Mail Olarak Gönder"));
    m_updateButton =
        makeButton(p, "updateButton", QStringLiteral("Programı Güncelle"), {771, 24, 150, 36}, 13, Picture::Update);
    for (QPushButton *b : {m_previewNetReportButton, m_mailButton, m_updateButton})
        b->setEnabled(false);

    watchField(m_companyNameEdit, WindowField::CompanyName);
    watchField(m_calculationDateEdit, WindowField::CalculationDate);
    watchField(m_daysInYearEdit, WindowField::DaysInYear);
    watchField(m_yearlyRateEdit, WindowField::YearlyRate);
    watchField(m_monthlyRateEdit, WindowField::MonthlyRate);
    watchField(m_debitGraceDaysEdit, WindowField::DebitGraceDays);
    watchField(m_creditGraceDaysEdit, WindowField::CreditGraceDays);
}

void MainWindow::buildSummaryPanel(QWidget *p)
{
    auto field = [&](Summary::Field f, const char *name, const QString &label, QPoint labelAt, QRect geometry) {
        makeLabel(p, label, labelAt.x(), labelAt.y());
        QLineEdit *e = makeEdit(p, name, geometry.x(), geometry.y(), geometry.width());
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        watchField(e, WindowField::SummaryResult);
        m_summaryEdits[f] = e;
    };
    auto picker = [&](Summary::Picker d, const char *name, const QString &label, QPoint labelAt, QRect geometry) {
        makeLabel(p, label, labelAt.x(), labelAt.y());
        QDateEdit *e = makeDatePicker(p, name);
        e->setGeometry(geometry.x(), geometry.y(), geometry.width(), 21);
        // a result: read like the result fields, not greyed out as disabled
        e->setReadOnly(true);
        e->setButtonSymbols(QAbstractSpinBox::NoButtons);
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        watchField(e, WindowField::AverageDueDate);
        m_averageDueDateEdits[d] = e;
    };
    using S = Summary;
    field(S::DebitTotal, "debitTotalEdit", QStringLiteral("Borç Toplam Tutar"), {13, 4}, {144, 2, 114, 21});
    field(S::CreditTotal, "creditTotalEdit", QStringLiteral("Alacak Toplam Tutar"), {13, 30}, {144, 28, 114, 21});
    field(S::Balance, "balanceEdit", QStringLiteral("Bakiye Tutarı"), {13, 56}, {144, 54, 114, 21});
    field(S::DebitDiff, "debitDifferenceEdit", QStringLiteral("Borç Vade Farkı"), {264, 4}, {376, 2, 114, 21});
    field(S::CreditDiff, "creditDifferenceEdit", QStringLiteral("Alacak Vade Farkı"), {264, 30}, {376, 28, 114, 21});
    field(S::NetDiff, "netDifferenceEdit", QStringLiteral("Net Vade Farkı (*)"), {264, 57}, {376, 54, 114, 21});
    picker(S::OverallDate, "overallAverageDueDateEdit", QStringLiteral("Genel Ortalama Vade"), {13, 82},
           {168, 80, 89, 21});
    field(S::OverallDays, "overallAverageDaysEdit", QStringLiteral("Genel Ortalama Gün"), {264, 82},
          {400, 80, 90, 21});
    picker(S::DebitDate, "debitAverageDueDateEdit", QStringLiteral("Borç Ort.Vade"), {496, 4}, {600, 2, 97, 21});
    field(S::DebitDays, "debitAverageDaysEdit", QStringLiteral("Borç Ortalama Gün"), {496, 30}, {624, 28, 73, 21});
    picker(S::CreditDate, "creditAverageDueDateEdit", QStringLiteral("Alacak Ort.Vade"), {496, 56}, {600, 54, 97, 21});
    field(S::CreditDays, "creditAverageDaysEdit", QStringLiteral("Alacak Ortalama Gün"), {496, 82}, {624, 80, 73, 21});
    buildBalancingRateGroup(p);
}

void MainWindow::buildBalancingRateGroup(QWidget *p)
{
    auto *group = new QGroupBox(QStringLiteral("BAKİYE SIFIRLAMAYA GÖRE FAİZİ BUL"), p);
    group->setObjectName(QStringLiteral("balancingRateGroup"));
    group->setFont(tahoma(12, true, QFont::Condensed));
    group->setGeometry(702, 0, 220, 106);
    m_findRateButton =
        makeButton(group, "findRateButton", QStringLiteral("FAİZ BUL"), {6, 24, 84, 72}, 13, Picture::Find);
    auto result = [&](Summary::Field f, const char *name, const QString &label, int y) {
        QLabel *l = makeLabel(group, label, 96, y + 2);
        l->setFont(tahoma(13));
        l->adjustSize();
        QLineEdit *e = makeEdit(group, name, 146, y, 68);
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        watchField(e, WindowField::BalancingRate);
        m_summaryEdits[f] = e;
    };
    result(Summary::YearlyRateResult, "balancingYearlyRateEdit", QStringLiteral("% Yıllık"), 30);
    result(Summary::MonthlyRateResult, "balancingMonthlyRateEdit", QStringLiteral("% Aylık"), 66);
}

QDateEdit *MainWindow::makeDatePicker(QWidget *parent, const char *name)
{
    auto *d = new QDateEdit(parent);
    d->setObjectName(QLatin1String(name));
    d->setFont(tahoma(13));
    const QChar sep = m_session.regional().date;
    d->setDisplayFormat(QStringLiteral("dd") + sep + QStringLiteral("MM") + sep + QStringLiteral("yyyy"));
    d->setMinimumDate(QDate(100, 1, 1));
    d->setMaximumDate(QDate(9999, 12, 31));
    setBackground(d, Qt::white);
    return d;
}

void MainWindow::watchField(QWidget *field, WindowField kind)
{
    m_fieldKinds.insert(field, kind);
    field->installEventFilter(this);
}

void MainWindow::sizeGridColumns()
{
    // column 0 is the row-number header, 9-12 are hidden
    m_ledgerGrid->verticalHeader()->setFixedWidth(30);
    for (int c = ColTransactionDate; c < LedgerTable::ColumnCount; ++c)
        m_ledgerGrid->setColumnWidth(c, 80);
    m_ledgerGrid->setColumnWidth(ColDays, 40);
    m_ledgerGrid->setColumnWidth(ColDescription, 200);
    for (int c = ColDebitAdat; c <= ColIndex2; ++c)
        m_ledgerGrid->setColumnHidden(c, true);
}

void MainWindow::setTabOrder()
{
    const auto &s = m_summaryEdits;
    const auto &d = m_averageDueDateEdits;
    using S = Summary;
    m_tabChain = {m_companyNameEdit, m_calculationDateEdit, m_daysInYearEdit, m_yearlyRateEdit,
                  m_monthlyRateEdit, m_debitGraceDaysEdit, m_creditGraceDaysEdit, m_debitWeekendCheck,
                  m_creditWeekendCheck, m_updateButton, m_ledgerGrid,
                  s[S::DebitTotal], s[S::CreditTotal], s[S::Balance], s[S::DebitDiff], s[S::CreditDiff], s[S::NetDiff],
                  s[S::OverallDays], s[S::DebitDays], s[S::CreditDays], s[S::YearlyRateResult], s[S::MonthlyRateResult],
                  d[S::OverallDate], d[S::DebitDate], d[S::CreditDate], m_findRateButton,
                  // the picture buttons and the command column come last
                  m_previewNetReportButton, m_mailButton, m_saveLedgerButton, m_openLedgerButton, m_exportButton,
                  m_importButton, m_printButton, m_saveRatesButton, m_recalculateButton, m_resetButton, m_sortButton,
                  m_helpButton, m_manualButton};
}

// --- binding ----------------------------------------------------------------------

void MainWindow::bindCommands()
{
    auto command = [this](QPushButton *button, void (Session::*run)()) {
        connect(button, &QPushButton::clicked, this, [this, run] { act([this, run] { (m_session.*run)(); }); });
    };
    command(m_saveLedgerButton, &Session::saveLedger);
    command(m_openLedgerButton, &Session::openLedger);
    command(m_saveRatesButton, &Session::saveRateSettings);
    command(m_recalculateButton, &Session::recalculateAll);
    command(m_resetButton, &Session::clearLedger);
    command(m_sortButton, &Session::sortByTransactionDate);
    command(m_findRateButton, &Session::findBalancingRate);
    connect(m_ledgerGrid, &LedgerGrid::recalculateRequested, this,
            [this] { act([this] { m_session.recalculateAll(); }); });
    connect(m_ledgerGrid, &LedgerGrid::resetRequested, this, [this] { act([this] { m_session.clearLedger(); }); });
    connect(&m_session, &Session::summaryChanged, this, &MainWindow::showSummary);
    // commands started from other windows (the import) move the cursor too
    connect(&m_session, &Session::summaryChanged, this, [this] {
        if (!m_busy)
            m_ledgerGrid->syncView();
    });
    connect(qApp, &QApplication::focusChanged, this, &MainWindow::onFocusChanged);
}

void MainWindow::bindParameters()
{
    Parameters &params = m_session.params();
    for (auto f : {Parameters::Company, Parameters::DaysInYear, Parameters::YearlyRate, Parameters::MonthlyRate,
                   Parameters::DebitGrace, Parameters::CreditGrace}) {
        // typing sets the parameter, which passes a rate on to the other rate
        connect(parameterEdit(f), &QLineEdit::textEdited, this,
                [this, f](const QString &text) { act([this, f, text] { m_session.params().setText(f, text); }); });
    }
    connect(&params, &Parameters::textChanged, this,
            [this](Parameters::Field f, const QString &text) { showText(parameterEdit(f), text); });
    connect(&params, &Parameters::checksChanged, this, &MainWindow::showParameters);
    connect(&params, &Parameters::calculationDateChanged, this, &MainWindow::showParameters);
    connect(m_debitWeekendCheck, &QCheckBox::toggled, this,
            [this](bool on) { act([this, on] { m_session.params().setDebitWeekend(on); }); });
    connect(m_creditWeekendCheck, &QCheckBox::toggled, this,
            [this](bool on) { act([this, on] { m_session.params().setCreditWeekend(on); }); });
    connect(m_calculationDateEdit, &QDateEdit::dateChanged, this,
            [this](const QDate &d) { act([this, d] { m_session.params().setCalculationDate(d); }); });
}

void MainWindow::startFresh()
{
    setWindowTitle(mainWindowCaption() + versionSuffix());
    m_versionLabel->setText(QStringLiteral("Version") + versionSuffix());
    act([this] { m_session.startFresh(); });
    showParameters();
}

bool MainWindow::act(const std::function<void()> &action)
{
    if (m_busy)
        return false; // a box shown during an action must not start another
    m_busy = true;
    const bool ok = m_session.guarded(action);
    m_busy = false;
    m_ledgerGrid->syncView();
    return ok;
}

void MainWindow::openFile(const QString &path)
{
    act([this, path] { m_session.openLedgerFile(path); });
}

// --- showing the session ----------------------------------------------------------

void MainWindow::showSummary()
{
    const Summary &s = m_session.summary();
    for (int f = 0; f < Summary::FieldCount; ++f)
        showText(m_summaryEdits[size_t(f)], s.text(Summary::Field(f)));
    for (int d = 0; d < Summary::PickerCount; ++d)
        m_averageDueDateEdits[size_t(d)]->setDate(s.date(Summary::Picker(d)));
}

void MainWindow::showParameters()
{
    const Parameters &p = m_session.params();
    for (auto f : {Parameters::Company, Parameters::DaysInYear, Parameters::YearlyRate, Parameters::MonthlyRate,
                   Parameters::DebitGrace, Parameters::CreditGrace})
        showText(parameterEdit(f), p.text(f));
    const QSignalBlocker debit(m_debitWeekendCheck), credit(m_creditWeekendCheck), date(m_calculationDateEdit);
    m_debitWeekendCheck->setChecked(p.debitWeekend());
    m_creditWeekendCheck->setChecked(p.creditWeekend());
    m_calculationDateEdit->setDate(p.calculationDate());
}

QLineEdit *MainWindow::parameterEdit(Parameters::Field f) const
{
    switch (f) {
    case Parameters::Company: return m_companyNameEdit;
    case Parameters::DaysInYear: return m_daysInYearEdit;
    case Parameters::YearlyRate: return m_yearlyRateEdit;
    case Parameters::MonthlyRate: return m_monthlyRateEdit;
    case Parameters::DebitGrace: return m_debitGraceDaysEdit;
    case Parameters::CreditGrace: return m_creditGraceDaysEdit;
    }
    return nullptr;
}

void MainWindow::onFocusChanged(QWidget *old, QWidget *now)
{
    // on a screen smaller than the window, the field the user goes to is scrolled into view
    if (now && m_scrollArea->widget()->isAncestorOf(now))
        m_scrollArea->ensureWidgetVisible(now, 8, 8);
    // The grid's exit recalculates the row it leaves; a box or a menu of
    // another window is no exit.
    if (!old || !now || m_ledgerGrid->syncing() || !m_ledgerGrid->owns(old) || m_ledgerGrid->owns(now))
        return;
    if (now->window() != this)
        return;
    act([this] { m_session.recalculateCurrentRow(); });
}

bool MainWindow::focusNextPrevChild(bool next)
{
    const QWidget *focus = QApplication::focusWidget();
    qsizetype at = -1;
    for (qsizetype i = 0; focus && at < 0 && i < m_tabChain.size(); ++i)
        if (focus == m_tabChain[i] || m_tabChain[i]->isAncestorOf(focus))
            at = i;
    if (at < 0)
        return QMainWindow::focusNextPrevChild(next);
    const qsizetype n = m_tabChain.size();
    for (qsizetype step = 1; step < n; ++step) {
        QWidget *w = m_tabChain[(at + (next ? step : n - step)) % n];
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return true;
}

// --- closing ------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent *e)
{
    bool mayClose = false;
    if (!m_session.confirmOnClose())
        mayClose = true;
    else
        act([this, &mayClose] { mayClose = m_session.mayClose(); });
    // the window goes, and the program with it
    if (mayClose)
        e->accept();
    else
        e->ignore();
}

// --- field events -------------------------------------------------------------------

bool MainWindow::eventFilter(QObject *object, QEvent *event)
{
    const auto kind = m_fieldKinds.constFind(object);
    if (kind == m_fieldKinds.cend())
        return QMainWindow::eventFilter(object, event);
    auto *field = static_cast<QWidget *>(object);
    const FieldRules &rules = fieldRules(*kind);
    switch (event->type()) {
    case QEvent::FocusIn:
        fieldEntered(field, rules);
        break;
    case QEvent::FocusOut:
        fieldLeft(field, rules);
        break;
    case QEvent::KeyPress:
        if (fieldKeyPressed(field, rules, static_cast<QKeyEvent *>(event)))
            return true;
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(object, event);
}

void MainWindow::fieldEntered(QWidget *field, const FieldRules &rules)
{
    if (rules.highlighted)
        setBackground(field, FocusColour);
    m_session.params().focusEntered(rules.rateLink);
}

void MainWindow::fieldLeft(QWidget *field, const FieldRules &rules)
{
    if (rules.highlighted)
        setBackground(field, Qt::white);
    m_session.params().focusLeft(rules.rateLink);
}

bool MainWindow::fieldKeyPressed(QWidget *field, const FieldRules &rules, QKeyEvent *e)
{
    // Tab leaves a date field instead of stepping through day, month and year
    if (qobject_cast<QDateEdit *>(field) && isTab(e)) {
        focusNextPrevChild(e->key() == Qt::Key_Tab && !(e->modifiers() & Qt::ShiftModifier));
        return true;
    }
    qsizetype kept = 0;
    if (const auto *edit = qobject_cast<QLineEdit *>(field))
        kept = edit->text().size() - edit->selectedText().size();
    switch (fieldKey(rules, typedCharacter(e), kept, m_session.regional())) {
    case KeyVerdict::Pass:
        return false;
    case KeyVerdict::Swallow:
        return true;
    case KeyVerdict::MoveFocusOn:
        focusNextChild();
        return true;
    }
    return false;
}

// --- the windows beside this one ---------------------------------------------------

void MainWindow::attachHelp(HelpWindow *helpWindow)
{
    m_helpWindow = helpWindow;
    m_helpButton->setEnabled(helpWindow != nullptr);
    m_manualButton->setEnabled(true);
    connect(m_helpButton, &QPushButton::clicked, this, &MainWindow::showHelp, Qt::UniqueConnection);
    connect(m_manualButton, &QPushButton::clicked, this, &MainWindow::openManual, Qt::UniqueConnection);
}

void MainWindow::showHelp()
{
    if (m_helpWindow)
        act([this] { m_helpWindow->showCalculationHelp(); });
}

void MainWindow::openManual()
{
    // whatever the viewer does is the system's business
    act([] { kervio::openManual(); });
}

void MainWindow::attachUpdate(UpdateProgressWindow *waitingWindow)
{
    m_waitingWindow = waitingWindow;
    m_programUpdate = std::make_unique<ProgramUpdate>(&m_session.dialogs());
    m_programUpdate->setSettingsPath(m_session.settingsPath());
    m_programUpdate->setConfirmOnClose = [this](bool on) { m_session.setConfirmOnClose(on); };
    m_programUpdate->showProgressWindow = [this] {
        if (m_waitingWindow) {
            m_waitingWindow->show();
            m_waitingWindow->raise();
            QApplication::processEvents();
        }
    };
    m_programUpdate->hideProgressWindow = [this] {
        if (m_waitingWindow)
            m_waitingWindow->hide();
    };
    // after the "Güncelleme yapıldı" box, so the box's owner outlives it
    m_programUpdate->closeMainWindow = [this] {
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    };
    m_updateButton->setEnabled(true);
    connect(m_updateButton, &QPushButton::clicked, this, &MainWindow::updateProgram, Qt::UniqueConnection);
}

void MainWindow::updateProgram()
{
    if (m_programUpdate)
        act([this] { m_programUpdate->run(); });
}

void MainWindow::attachReport()
{
    installPreviewWindow(m_report, m_session.dialogs(), this);
    m_printButton->setEnabled(true);
    m_previewNetReportButton->setEnabled(true);
    connect(m_printButton, &QPushButton::clicked, this, &MainWindow::printReport, Qt::UniqueConnection);
    connect(m_previewNetReportButton, &QPushButton::clicked, this, &MainWindow::previewNetReport, Qt::UniqueConnection);
}

void MainWindow::printReport()
{
    act([this] { printSplitReport(m_session.document(), m_report); });
}

void MainWindow::previewNetReport()
{
    act([this] { printNetReport(m_session.document(), m_report); });
}

void MainWindow::attachSpreadsheet(spreadsheet::ImportWindow *importWindow)
{
    m_importWindow = importWindow;
    for (QPushButton *b : {m_exportButton, m_importButton, m_mailButton})
        b->setEnabled(true);
    connect(m_exportButton, &QPushButton::clicked, this, &MainWindow::exportToWorkbook, Qt::UniqueConnection);
    connect(m_importButton, &QPushButton::clicked, this, &MainWindow::showImportWindow, Qt::UniqueConnection);
    connect(m_mailButton, &QPushButton::clicked, this, &MainWindow::mailWorkbook, Qt::UniqueConnection);
}

void MainWindow::exportToWorkbook()
{
    act([this] { exportToSpreadsheet(m_session.document(), m_session.dialogs()); });
}

void MainWindow::showImportWindow()
{
    if (m_importWindow)
        act([this] { m_importWindow->showWithStoredMapping(); });
}

void MainWindow::mailWorkbook()
{
    act([this] { mailFromProgramFolder(m_session.document(), m_session.dialogs()); });
}

} // namespace kervio

namespace kervio {

void MainWindow::attachRecovery(WorkRecovery *recovery)
{
    m_recovery = recovery;
    m_recoveryQuietTimer = new QTimer(this);
    m_recoveryQuietTimer->setSingleShot(true);
    m_recoveryLongestTimer = new QTimer(this);
    m_recoveryLongestTimer->setSingleShot(true);
    m_recoveryLongestTimer->setInterval(WorkRecovery::LongestWaitMs);
    // A recalculation changes thousands of cells: a change only notes its
    // time, and the quiet timer, when it runs out, waits for what is left.
    connect(recovery, &WorkRecovery::workChanged, this, [this] {
        m_lastChange.start();
        if (!m_recoveryQuietTimer->isActive())
            m_recoveryQuietTimer->start(WorkRecovery::QuietMs);
        if (!m_recoveryLongestTimer->isActive())
            m_recoveryLongestTimer->start();
    });
    connect(m_recoveryQuietTimer, &QTimer::timeout, this, [this] {
        const qint64 left = WorkRecovery::QuietMs - m_lastChange.elapsed();
        if (left > 0)
            m_recoveryQuietTimer->start(int(left));
        else
            keepRecoveryCopy();
    });
    connect(m_recoveryLongestTimer, &QTimer::timeout, this, &MainWindow::keepRecoveryCopy);
    // told where the user looks anyway, without a box in the middle of typing
    const auto notKept = [this](const QString &folder) {
        statusBar()->showMessage(QStringLiteral("Kurtarma kopyası yazılamıyor: ") + QDir::toNativeSeparators(folder),
                                 15000);
    };
    connect(recovery, &WorkRecovery::copyNotWritten, this, notKept);
    if (!recovery->isKeeping())
        notKept(recovery->folder());
}

void MainWindow::keepRecoveryCopy()
{
    m_recoveryQuietTimer->stop();
    m_recoveryLongestTimer->stop();
    m_recovery->keepCopy();
}

} // namespace kervio
