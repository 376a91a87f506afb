#include "kervio2.h"
#include "gui/guiapp.h"
#include "gui/icons.h"
#include "core/errors.h"
#include "core/appinfo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollArea>
#include <QVBoxLayout>

#include "report/gui/reportpreviewdialog.h"
#include "spreadsheet/exchange.h"
#include "spreadsheet/gui/importwindow.h"
#include "update/programupdate.h"
#include "update/gui/updateprogresswindow.h"
#include "update/gui/helpwindow.h"

#include <QApplication>

namespace kervio {

namespace {

const QColor WindowColour(192, 220, 192);
// The typing limit of a field; a program step may set a longer text, which
// QLineEdit::maxLength would cut.
const char *const LengthLimit = "kervioLengthLimit";
const QColor FocusColour(255, 255, 0);
const int DesignWidth = 1081, DesignHeight = 649, StatusBarHeight = 22;


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

} // namespace

QString Tkervio2F::Label57Text()
{
    return QStringLiteral("(*) Net Vade Farkı (-) tutar veriyorsa hesap vade farkından alacaklıdır. Yani alacağının "
                          "ortalama vadesi borcunun ortalama vadesinden  daha erkendir. Hesabına vade farkı alacak "
                          "olarak geçilmelidir.");
}

Tkervio2F::Tkervio2F(Session &session, QWidget *parent) : QMainWindow(parent), m_session(session)
{
    setObjectName(QStringLiteral("kervio2F"));
    setWindowTitle(MainCaption());
    resize(DesignWidth, DesignHeight);
    setFont(tahoma(11));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, WindowColour);
    setPalette(pal);
    setAutoFillBackground(true);

    // The content keeps the design size; on a smaller screen it scrolls, on a
    // larger one it stretches (the grid takes the room).
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("content"));
    content->setMinimumSize(DesignWidth, DesignHeight - StatusBarHeight);
    auto *outer = new QHBoxLayout(content);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto *left = panel(content, "Panel2");
    left->setFixedWidth(156);
    buildLeftColumn(left);
    outer->addWidget(left);

    auto *right = new QWidget(content);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    auto *title = panel(right, "Panel3");
    title->setFixedHeight(34);
    buildTitleBar(title);
    auto *params = panel(right, "Panel4");
    params->setFixedHeight(86);
    buildParametersPanel(params);
    StringGrid3 = new LedgerGrid(m_session, [this](const std::function<void()> &a) { return act(a); }, right);
    auto *summary = panel(right, "Panel5");
    summary->setFixedHeight(111);
    buildSummaryPanel(summary);
    rightLayout->addWidget(title);
    rightLayout->addWidget(params);
    rightLayout->addWidget(StringGrid3, 1); // the grid takes the room that resizing gives
    rightLayout->addWidget(summary);
    outer->addWidget(right, 1);

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setObjectName(QStringLiteral("scrollArea"));
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFocusPolicy(Qt::NoFocus);
    m_scrollArea->setWidget(content);
    setCentralWidget(m_scrollArea);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(StatusBarHeight);
    StatusBar1->setSizeGripEnabled(false);
    statusPanels[0] = new QLabel(QStringLiteral("Kavrel Yazılım - Cari Hesap Vade Farkı Hesaplama"), StatusBar1);
    statusPanels[0]->setFixedWidth(350);
    statusPanels[1] = new QLabel(StatusBar1);
    statusPanels[1]->setMinimumWidth(50);
    StatusBar1->addWidget(statusPanels[0]);
    StatusBar1->addWidget(statusPanels[1], 1);
    setStatusBar(StatusBar1);

    bindSession();
    setTabOrders();
    FormCreate();
    // the window opens on the first control of its tab order, not on a command
    firmaadiEdit->setFocus(Qt::OtherFocusReason);
}

void Tkervio2F::buildLeftColumn(QWidget *column)
{
    const int w = 150, x = 3;
    column->setStyleSheet(QStringLiteral("QPushButton { padding: 1px; }"));
    BitBtn45 = makeButton(column, "BitBtn45", QStringLiteral("İŞLEMİ KAYDET"), {x, 8, w, 36}, 13, Picture::Save);
    BitBtn46 = makeButton(column, "BitBtn46", QStringLiteral("KAYITTAN AÇ"), {x, 44, w, 36}, 13, Picture::Open);
    BitBtn26 = makeButton(column, "BitBtn26", QStringLiteral("EXCEL'E VERİ AKTAR"), {x, 84, w, 36}, 13, Picture::ExcelOut);
    BitBtn23 = makeButton(column, "BitBtn23", QStringLiteral("EXCEL'DEN VERİ AL"), {x, 120, w, 36}, 13, Picture::ExcelIn);
    BitBtn28 = makeButton(column, "BitBtn28", QStringLiteral("YAZDIR"), {x, 160, w, 36}, 13, Picture::Print);
    BitBtn31 = makeButton(column, "BitBtn31", QStringLiteral("ORANLARI SAKLA"), {x, 196, w, 36}, 13, Picture::Rates);
    BitBtn1 = makeButton(column, "BitBtn1", QStringLiteral("YENİDEN HESAPLA"), {x, 236, w, 36}, 13, Picture::Recalc);
    BitBtn4 = makeButton(column, "BitBtn4", QStringLiteral("SIFIRLA"), {x, 272, w, 36}, 13, Picture::Reset);
    BitBtn2 = makeButton(column, "BitBtn2", QStringLiteral("KAYITLARI SIRALA"), {x, 312, w, 36}, 13, Picture::Sort);
    tfXPButton2 = makeButton(column, "tfXPButton2", QString(), {50, 424, 50, 50}, 13, Picture::Help);
    tfXPButton2->setIconSize(QSize(40, 40));
    for (QPushButton *b : {BitBtn45, BitBtn46, BitBtn26, BitBtn23, BitBtn28, BitBtn31, BitBtn1, BitBtn4, BitBtn2})
        b->setFont(tahoma(13, true, 78));
    Label57 = new QLabel(Label57Text(), column);
    Label57->setObjectName(QStringLiteral("Label57"));
    Label57->setGeometry(4, 480, 149, 144);
    Label57->setFont(tahoma(13, false, QFont::Condensed));
    Label57->setWordWrap(true);
    Label57->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette pal = Label57->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    Label57->setPalette(pal);

    // later commands: in place, not yet enabled
    for (QPushButton *b : {BitBtn26, BitBtn23, BitBtn28, tfXPButton2})
        b->setEnabled(false);

    connect(BitBtn45, &QPushButton::clicked, this, [this] { act([this] { m_session.saveLedger(); }); });
    connect(BitBtn46, &QPushButton::clicked, this, [this] { act([this] { m_session.openLedger(); }); });
    connect(BitBtn31, &QPushButton::clicked, this, [this] { act([this] { m_session.saveRateSettings(); }); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { act([this] { m_session.recalculateAll(); }); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { act([this] { m_session.clearLedger(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { act([this] { m_session.sortByTransactionDate(); }); });
}

void Tkervio2F::buildTitleBar(QWidget *bar)
{
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 2, 0);
    layout->setSpacing(0);
    Label1 = new QLabel(QStringLiteral("KERVIO TABLOSU"), bar);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(tahoma(32, true));
    Label1->setAlignment(Qt::AlignCenter);
    JvXPButton2 = makeButton(bar, "JvXPButton2", QStringLiteral("KULLANIM KILAVUZU"), {0, 0, 246, 32}, 19, Picture::Manual);
    JvXPButton2->setFixedSize(246, 32);
    JvXPButton2->setEnabled(false);
    layout->addWidget(Label1, 1);
    layout->addWidget(JvXPButton2);
}

void Tkervio2F::buildParametersPanel(QWidget *p)
{
    makeLabel(p, QStringLiteral("Firma Adı"), 24, 6, true);
    firmaadiEdit = makeEdit(p, "firmaadiEdit", 104, 4, 425);
    makeLabel(p, QStringLiteral("Hesap Tarihi"), 8, 34, true);
    DateTimePicker61 = makeDatePicker(p, QStringLiteral("DateTimePicker61"));
    DateTimePicker61->setGeometry(104, 32, 97, 21);
    DateTimePicker61->setCalendarPopup(true);
    makeLabel(p, QStringLiteral("Yıldaki Gün"), 24, 60);
    yildakigunEdit = makeEdit(p, "yildakigunEdit", 104, 58, 49);
    yildakigunEdit->setProperty(LengthLimit, 3);
    makeLabel(p, QStringLiteral("Yıllık Faiz"), 210, 34);
    yillikfaizEdit = makeEdit(p, "yillikfaizEdit", 272, 32, 65);
    yillikfaizEdit->setProperty(LengthLimit, 8);
    makeLabel(p, QStringLiteral("Aylık Faiz"), 209, 60);
    aylikfaizEdit = makeEdit(p, "aylikfaizEdit", 272, 58, 65);
    aylikfaizEdit->setProperty(LengthLimit, 8);
    CheckBox8 = new QCheckBox(QStringLiteral("Borç Cumartesi - Pazar Ekle"), p);
    CheckBox8->setObjectName(QStringLiteral("CheckBox8"));
    CheckBox8->setFont(tahoma(13));
    CheckBox8->setGeometry(344, 34, 201, 17);
    CheckBox9 = new QCheckBox(QStringLiteral("Alacak Cumartesi - Pazar Ekle"), p);
    CheckBox9->setObjectName(QStringLiteral("CheckBox9"));
    CheckBox9->setFont(tahoma(13));
    CheckBox9->setGeometry(344, 60, 193, 17);
    makeLabel(p, QStringLiteral("Ek Süre"), 574, 12, true);
    makeLabel(p, QStringLiteral("Borç"), 560, 34);
    borceksureEdit = makeEdit(p, "borceksureEdit", 600, 32, 49);
    borceksureEdit->setProperty(LengthLimit, 4);
    makeLabel(p, QStringLiteral("Alacak"), 548, 60);
    alacakeksureEdit = makeEdit(p, "alacakeksureEdit", 600, 58, 49);
    alacakeksureEdit->setProperty(LengthLimit, 4);

    YazdirButton = makeButton(p, "YazdirButton", QString(), {652, 12, 57, 60}, 13, Picture::Preview);
    YazdirButton->setIconSize(QSize(40, 40));
    YazdirButton->setToolTip(QStringLiteral("Yazıcı Önizlemeyi Göster"));
    mailgonder = makeButton(p, "mailgonder", QString(), {710, 12, 57, 60}, 13, Picture::Mail);
    mailgonder->setIconSize(QSize(40, 40));
    mailgonder->setToolTip(QStringLiteral("Outlook'tan Mail Olarak Gönder"));
    BitBtn3 = makeButton(p, "BitBtn3", QStringLiteral("Programı Güncelle"), {771, 24, 150, 36}, 13, Picture::Update);
    for (QPushButton *b : {YazdirButton, mailgonder, BitBtn3})
        b->setEnabled(false);

    for (QLineEdit *e : {firmaadiEdit, yildakigunEdit, yillikfaizEdit, aylikfaizEdit, borceksureEdit, alacakeksureEdit})
        e->installEventFilter(this);
}

void Tkervio2F::buildSummaryPanel(QWidget *p)
{
    auto field = [&](const char *name, const QString &label, QPoint labelAt, QRect geometry) {
        makeLabel(p, label, labelAt.x(), labelAt.y());
        QLineEdit *e = makeEdit(p, name, geometry.x(), geometry.y(), geometry.width());
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        e->installEventFilter(this);
        return e;
    };
    auto picker = [&](const QString &name, const QString &label, QPoint labelAt, QRect geometry) {
        makeLabel(p, label, labelAt.x(), labelAt.y());
        QDateEdit *d = makeDatePicker(p, name);
        d->setGeometry(geometry.x(), geometry.y(), geometry.width(), 21);
        // a result: read like the result fields, not greyed out as disabled
        d->setReadOnly(true);
        d->setButtonSymbols(QAbstractSpinBox::NoButtons);
        d->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return d;
    };
    borctoplamEdit = field("borctoplamEdit", QStringLiteral("Borç Toplam Tutar"), {13, 4}, {144, 2, 114, 21});
    alacaktoplamtutarEdit = field("alacaktoplamtutarEdit", QStringLiteral("Alacak Toplam Tutar"), {13, 30}, {144, 28, 114, 21});
    bakiyetutarEdit = field("bakiyetutarEdit", QStringLiteral("Bakiye Tutarı"), {13, 56}, {144, 54, 114, 21});
    borckervioEdit = field("borckervioEdit", QStringLiteral("Borç Vade Farkı"), {264, 4}, {376, 2, 114, 21});
    alacakkervioEdit = field("alacakkervioEdit", QStringLiteral("Alacak Vade Farkı"), {264, 30}, {376, 28, 114, 21});
    netkervioEdit = field("netkervioEdit", QStringLiteral("Net Vade Farkı (*)"), {264, 57}, {376, 54, 114, 21});
    DateTimePicker4 = picker(QStringLiteral("DateTimePicker4"), QStringLiteral("Genel Ortalama Vade"), {13, 82}, {168, 80, 89, 21});
    genelortgunEdit = field("genelortgunEdit", QStringLiteral("Genel Ortalama Gün"), {264, 82}, {400, 80, 90, 21});
    DateTimePicker76 = picker(QStringLiteral("DateTimePicker76"), QStringLiteral("Borç Ort.Vade"), {496, 4}, {600, 2, 97, 21});
    borcortgunEdit = field("borcortgunEdit", QStringLiteral("Borç Ortalama Gün"), {496, 30}, {624, 28, 73, 21});
    DateTimePicker3 = picker(QStringLiteral("DateTimePicker3"), QStringLiteral("Alacak Ort.Vade"), {496, 56}, {600, 54, 97, 21});
    alacakortEdit = field("alacakortEdit", QStringLiteral("Alacak Ortalama Gün"), {496, 82}, {624, 80, 73, 21});
    m_summaryEdits = {borctoplamEdit, alacaktoplamtutarEdit, bakiyetutarEdit, borckervioEdit, alacakkervioEdit,
                      netkervioEdit, genelortgunEdit, borcortgunEdit, alacakortEdit};

    auto *group = new QGroupBox(QStringLiteral("BAKİYE SIFIRLAMAYA GÖRE FAİZİ BUL"), p);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setFont(tahoma(12, true, QFont::Condensed));
    group->setGeometry(702, 0, 220, 106);
    BitBtn19 = makeButton(group, "BitBtn19", QStringLiteral("FAİZ BUL"), {6, 24, 84, 72}, 13, Picture::Find);
    connect(BitBtn19, &QPushButton::clicked, this, [this] { act([this] { m_session.findBalancingRate(); }); });
    auto result = [&](const char *name, const QString &label, int y) {
        QLabel *l = makeLabel(group, label, 96, y + 2);
        l->setFont(tahoma(13));
        l->adjustSize();
        QLineEdit *e = makeEdit(group, name, 146, y, 68);
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        e->installEventFilter(this);
        return e;
    };
    yillikfaizneolurEdit = result("yillikfaizneolurEdit", QStringLiteral("% Yıllık"), 30);
    aylikfaizneolurEdit = result("aylikfaizneolurEdit", QStringLiteral("% Aylık"), 66);
}

QDateEdit *Tkervio2F::makeDatePicker(QWidget *parent, const QString &name)
{
    auto *d = new QDateEdit(parent);
    d->setObjectName(name);
    d->setFont(tahoma(13));
    const QChar sep = m_session.regional().date;
    d->setDisplayFormat(QStringLiteral("dd") + sep + QStringLiteral("MM") + sep + QStringLiteral("yyyy"));
    d->setMinimumDate(QDate(100, 1, 1));
    d->setMaximumDate(QDate(9999, 12, 31));
    setBackground(d, Qt::white);
    d->installEventFilter(this);
    return d;
}

QLineEdit *Tkervio2F::paramEdit(Parameters::Field f) const
{
    switch (f) {
    case Parameters::Company: return firmaadiEdit;
    case Parameters::DaysInYear: return yildakigunEdit;
    case Parameters::YearlyRate: return yillikfaizEdit;
    case Parameters::MonthlyRate: return aylikfaizEdit;
    case Parameters::DebitGrace: return borceksureEdit;
    case Parameters::CreditGrace: return alacakeksureEdit;
    }
    return nullptr;
}

void Tkervio2F::bindSession()
{
    Parameters &params = m_session.params();
    for (auto f : {Parameters::Company, Parameters::DaysInYear, Parameters::YearlyRate, Parameters::MonthlyRate,
                   Parameters::DebitGrace, Parameters::CreditGrace}) {
        // typing sets the parameter, which passes a rate on to the other rate
        // (yillikfaizEditChange, aylikfaizEditChange)
        connect(paramEdit(f), &QLineEdit::textEdited, this,
                [this, f](const QString &text) { act([this, f, text] { m_session.params().setText(f, text); }); });
    }
    connect(&params, &Parameters::textChanged, this,
            [this](Parameters::Field f, const QString &text) { showText(paramEdit(f), text); });
    connect(&params, &Parameters::checksChanged, this, [this] { refreshParameters(); });
    connect(&params, &Parameters::calculationDateChanged, this, [this] { refreshParameters(); });
    connect(CheckBox8, &QCheckBox::toggled, this,
            [this](bool on) { act([this, on] { m_session.params().setDebitWeekend(on); }); });
    connect(CheckBox9, &QCheckBox::toggled, this,
            [this](bool on) { act([this, on] { m_session.params().setCreditWeekend(on); }); });
    connect(DateTimePicker61, &QDateEdit::dateChanged, this,
            [this](const QDate &d) { act([this, d] { m_session.params().setCalculationDate(d); }); });
    connect(&m_session, &Session::summaryChanged, this, &Tkervio2F::refreshSummary);
    // commands started from other windows (the import) move the cursor too
    connect(&m_session, &Session::summaryChanged, this, [this] {
        if (!m_busy)
            StringGrid3->syncView();
    });
    connect(StringGrid3, &LedgerGrid::recalculateRequested, this, [this] { act([this] { m_session.recalculateAll(); }); });
    connect(StringGrid3, &LedgerGrid::resetRequested, this, [this] { act([this] { m_session.clearLedger(); }); });
    connect(qApp, &QApplication::focusChanged, this, &Tkervio2F::onFocusChanged);
}

void Tkervio2F::setTabOrders()
{
    m_tabChain = {firmaadiEdit,          DateTimePicker61,     yildakigunEdit,   yillikfaizEdit,  aylikfaizEdit,
                  borceksureEdit,        alacakeksureEdit,     CheckBox8,        CheckBox9,       BitBtn3,
                  StringGrid3,
                  borctoplamEdit,        alacaktoplamtutarEdit, bakiyetutarEdit, borckervioEdit,  alacakkervioEdit,
                  netkervioEdit,         genelortgunEdit,      borcortgunEdit,   alacakortEdit,   yillikfaizneolurEdit,
                  aylikfaizneolurEdit,   DateTimePicker4,      DateTimePicker76, DateTimePicker3, BitBtn19,
                  // the picture buttons and the command column come last
                  YazdirButton,          mailgonder,           BitBtn45,         BitBtn46,        BitBtn26,
                  BitBtn23,              BitBtn28,             BitBtn31,         BitBtn1,         BitBtn4,
                  BitBtn2,               tfXPButton2,          JvXPButton2};
}

bool Tkervio2F::focusNextPrevChild(bool next)
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

void Tkervio2F::FormCreate()
{
    // 1. the short date format: the pickers show day, month, four-digit year
    // 2. caption, 3. status panel
    setWindowTitle(MainCaption() + VersionText());
    statusPanels[1]->setText(QStringLiteral("Version") + VersionText());
    act([this] {
        // 4. the calculation date and the average due dates: today
        const QDate today = QDate::currentDate();
        m_session.params().setCalculationDate(today);
        for (auto p : {Summary::OverallDate, Summary::DebitDate, Summary::CreditDate})
            m_session.summary().setDate(p, today);
    });
    // 5. column widths; column 0 is the row-number header, 9-12 are hidden
    StringGrid3->verticalHeader()->setFixedWidth(30);
    for (int c = ColTransactionDate; c < LedgerTable::ColumnCount; ++c)
        StringGrid3->setColumnWidth(c, 80);
    StringGrid3->setColumnWidth(ColDays, 40);
    StringGrid3->setColumnWidth(ColDescription, 200);
    for (int c = ColDebitAdat; c <= ColIndex2; ++c)
        StringGrid3->setColumnHidden(c, true);
    act([this] {
        LedgerTable &L = m_session.ledger();
        L.renumber(); // 6.
        const QStringList header = LedgerTable::headerTexts();
        for (int c = 0; c < LedgerTable::ColumnCount; ++c) // 7.
            L.setCell(0, c, header[c]);
    });
    act([this] { m_session.loadRateSettings(); }); // 8.
    refreshParameters();
    m_session.setConfirmOnClose(true); // 9.
}

bool Tkervio2F::act(const std::function<void()> &action)
{
    if (m_busy)
        return false; // a box shown during an action must not start another
    m_busy = true;
    const bool ok = m_session.guarded(action);
    m_busy = false;
    StringGrid3->syncView();
    return ok;
}

void Tkervio2F::openFile(const QString &path)
{
    act([this, path] { m_session.openLedgerFile(path); });
}

void Tkervio2F::refreshSummary()
{
    const Summary &s = m_session.summary();
    for (int f = 0; f < int(m_summaryEdits.size()); ++f)
        showText(m_summaryEdits[size_t(f)], s.text(Summary::Field(f)));
    showText(yillikfaizneolurEdit, s.text(Summary::YearlyRateResult));
    showText(aylikfaizneolurEdit, s.text(Summary::MonthlyRateResult));
    DateTimePicker4->setDate(s.date(Summary::OverallDate));
    DateTimePicker76->setDate(s.date(Summary::DebitDate));
    DateTimePicker3->setDate(s.date(Summary::CreditDate));
}

void Tkervio2F::refreshParameters()
{
    const Parameters &p = m_session.params();
    for (auto f : {Parameters::Company, Parameters::DaysInYear, Parameters::YearlyRate, Parameters::MonthlyRate,
                   Parameters::DebitGrace, Parameters::CreditGrace})
        showText(paramEdit(f), p.text(f));
    const QSignalBlocker b8(CheckBox8), b9(CheckBox9), bd(DateTimePicker61);
    CheckBox8->setChecked(p.debitWeekend());
    CheckBox9->setChecked(p.creditWeekend());
    DateTimePicker61->setDate(p.calculationDate());
}

void Tkervio2F::onFocusChanged(QWidget *old, QWidget *now)
{
    // on a screen smaller than the window, the field the user goes to is scrolled into view
    if (now && m_scrollArea->widget()->isAncestorOf(now))
        m_scrollArea->ensureWidgetVisible(now, 8, 8);
    // The grid's exit recalculates the row it leaves; a box or a menu of
    // another window is no exit.
    if (!old || !now || StringGrid3->syncing() || !StringGrid3->owns(old) || StringGrid3->owns(now))
        return;
    if (now->window() != this)
        return;
    act([this] { m_session.recalculateCurrentRow(); });
}

// --- closing ------------------------------------------------------------------

bool Tkervio2F::FormCloseQuery()
{
    if (!m_session.confirmOnClose())
        return true;
    bool canClose = false;
    act([this, &canClose] {
        canClose = m_session.dialogs().question(MainCaption(), QStringLiteral("Programı kapatmak istediğinize eminmisiniz?"),
                                                Dialogs::Icon::Question, Dialogs::Buttons::YesNoCancel)
            == Dialogs::Answer::Yes;
    });
    return canClose;
}

void Tkervio2F::closeEvent(QCloseEvent *e)
{
    if (FormCloseQuery())
        e->accept(); // FormClose: the window goes, and the program with it
    else
        e->ignore();
}

// --- field events -------------------------------------------------------------

bool Tkervio2F::eventFilter(QObject *object, QEvent *event)
{
    if (auto *picker = qobject_cast<QDateEdit *>(object)) {
        if (event->type() == QEvent::KeyPress && datePickerKeyPress(picker, static_cast<QKeyEvent *>(event)))
            return true;
        return QMainWindow::eventFilter(object, event);
    }
    auto *edit = qobject_cast<QLineEdit *>(object);
    if (!edit)
        return QMainWindow::eventFilter(object, event);
    const bool plain = edit == firmaadiEdit || edit == yildakigunEdit || edit == borceksureEdit || edit == alacakeksureEdit;
    const bool summaryField = std::find(m_summaryEdits.begin(), m_summaryEdits.end(), edit) != m_summaryEdits.end();
    switch (event->type()) {
    case QEvent::FocusIn:
        if (plain)
            firmaadiEditEnter(edit);
        else if (edit == yillikfaizEdit || summaryField)
            yillikfaizEditEnter(edit);
        else if (edit == aylikfaizEdit)
            aylikfaizEditEnter();
        break;
    case QEvent::FocusOut:
        if (plain)
            firmaadiEditExit(edit);
        else if (edit == yillikfaizEdit || summaryField)
            yillikfaizEditExit(edit);
        else if (edit == aylikfaizEdit)
            aylikfaizEditExit();
        break;
    case QEvent::KeyPress: {
        auto *ke = static_cast<QKeyEvent *>(event);
        const int limit = edit->property(LengthLimit).toInt();
        if (limit > 0 && !ke->text().isEmpty() && ke->text().at(0).isPrint()
            && edit->text().size() - edit->selectedText().size() >= limit)
            return true;
        if (edit == yildakigunEdit || edit == borceksureEdit || edit == alacakeksureEdit)
            return yildakigunEditKeyPress(ke);
        if (edit == yillikfaizEdit || edit == aylikfaizEdit)
            return yillikfaizEditKeyPress(ke);
        if (edit == firmaadiEdit || summaryField || edit == yillikfaizneolurEdit || edit == aylikfaizneolurEdit)
            return FormKeyPress(ke);
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(object, event);
}

namespace {
bool isEnter(const QKeyEvent *e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}
// A key that types a character (the field's key-press event sees only these).
bool typesCharacter(const QKeyEvent *e)
{
    if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab || e->key() == Qt::Key_Delete)
        return false;
    return !e->text().isEmpty();
}
} // namespace

bool Tkervio2F::FormKeyPress(QKeyEvent *e)
{
    if (!isEnter(e))
        return false;
    focusNextChild();
    return true;
}

bool Tkervio2F::datePickerKeyPress(QDateEdit *picker, QKeyEvent *e)
{
    // Tab leaves the picker instead of stepping through day, month and year
    if ((e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)
        && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        focusNextPrevChild(e->key() == Qt::Key_Tab && !(e->modifiers() & Qt::ShiftModifier));
        return true;
    }
    // the average due dates are fields of the summary panel
    if (picker != DateTimePicker61)
        return FormKeyPress(e);
    return false;
}

bool Tkervio2F::yildakigunEditKeyPress(QKeyEvent *e)
{
    if (isEnter(e)) {
        focusNextChild();
        return true;
    }
    if (!typesCharacter(e) || e->key() == Qt::Key_Backspace)
        return false;
    const QChar c = e->text().at(0);
    return !(c >= u'0' && c <= u'9');
}

bool Tkervio2F::yillikfaizEditKeyPress(QKeyEvent *e)
{
    if (isEnter(e) || !typesCharacter(e) || e->key() == Qt::Key_Backspace)
        return false;
    const QChar c = e->text().at(0);
    return !((c >= u'0' && c <= u'9') || c == m_session.regional().decimal);
}

void Tkervio2F::firmaadiEditEnter(QLineEdit *edit)
{
    setBackground(edit, FocusColour);
}

void Tkervio2F::firmaadiEditExit(QLineEdit *edit)
{
    setBackground(edit, Qt::white);
}

void Tkervio2F::yillikfaizEditEnter(QLineEdit *edit)
{
    setBackground(edit, FocusColour);
    m_session.params().yillikfaizEditEnter();
}

void Tkervio2F::yillikfaizEditExit(QLineEdit *edit)
{
    setBackground(edit, Qt::white);
    m_session.params().yillikfaizEditExit();
}

void Tkervio2F::aylikfaizEditEnter()
{
    setBackground(aylikfaizEdit, FocusColour);
    m_session.params().aylikfaizEditEnter();
}

void Tkervio2F::aylikfaizEditExit()
{
    setBackground(aylikfaizEdit, Qt::white);
    m_session.params().aylikfaizEditExit();
}

} // namespace kervio

namespace kervio {

Tkervio2F::~Tkervio2F()
{
    // QWidget's destructor still moves the focus; the slot must not run on a
    // window that is no longer a Tkervio2F.
    disconnect(qApp, nullptr, this, nullptr);
}

void Tkervio2F::attachHelp(HelpWindow *yardimF)
{
    m_yardimF = yardimF;
    tfXPButton2->setEnabled(yardimF != nullptr);
    JvXPButton2->setEnabled(true);
    connect(tfXPButton2, &QPushButton::clicked, this, &Tkervio2F::tfXPButton2Click, Qt::UniqueConnection);
    connect(JvXPButton2, &QPushButton::clicked, this, &Tkervio2F::JvXPButton2Click, Qt::UniqueConnection);
}

void Tkervio2F::tfXPButton2Click()
{
    if (m_yardimF)
        act([this] { m_yardimF->showCalculationHelp(); });
}

void Tkervio2F::JvXPButton2Click()
{
    // whatever the viewer does is the system's business
    act([] { openManual(); });
}

void Tkervio2F::attachUpdate(UpdateProgressWindow *form2)
{
    m_form2 = form2;
    m_guncelleme = std::make_unique<ProgramUpdate>(&m_session.dialogs());
    m_guncelleme->setSettingsPath(m_session.settingsPath());
    m_guncelleme->setConfirmOnClose = [this](bool on) { m_session.setConfirmOnClose(on); };
    m_guncelleme->showProgressWindow = [this] {
        if (m_form2) {
            m_form2->show();
            m_form2->raise();
            QApplication::processEvents();
        }
    };
    m_guncelleme->hideProgressWindow = [this] {
        if (m_form2)
            m_form2->hide();
    };
    // after the "Güncelleme yapıldı" box, so the box's owner outlives it
    m_guncelleme->closeMainWindow = [this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); };
    BitBtn3->setEnabled(true);
    connect(BitBtn3, &QPushButton::clicked, this, &Tkervio2F::BitBtn3Click, Qt::UniqueConnection);
}

void Tkervio2F::attachReport()
{
    installPreviewWindow(m_report, m_session.dialogs(), this);
    BitBtn28->setEnabled(true);
    YazdirButton->setEnabled(true);
    connect(BitBtn28, &QPushButton::clicked, this, &Tkervio2F::BitBtn28Click, Qt::UniqueConnection);
    connect(YazdirButton, &QPushButton::clicked, this, &Tkervio2F::YazdirButtonClick, Qt::UniqueConnection);
}

void Tkervio2F::BitBtn28Click()
{
    act([this] { printSplitReport(m_session.document(), m_report); });
}

void Tkervio2F::YazdirButtonClick()
{
    act([this] { printNetReport(m_session.document(), m_report); });
}

void Tkervio2F::attachSpreadsheet(spreadsheet::ImportWindow *aktarexcelF)
{
    m_aktarexcelF = aktarexcelF;
    for (QPushButton *b : {BitBtn26, BitBtn23, mailgonder})
        b->setEnabled(true);
    connect(BitBtn26, &QPushButton::clicked, this, &Tkervio2F::BitBtn26Click, Qt::UniqueConnection);
    connect(BitBtn23, &QPushButton::clicked, this, &Tkervio2F::BitBtn23Click, Qt::UniqueConnection);
    connect(mailgonder, &QPushButton::clicked, this, &Tkervio2F::mailgonderClick, Qt::UniqueConnection);
    if (aktarexcelF && m_yardimF) {
        aktarexcelF->setHelpAvailable(true);
        connect(aktarexcelF, &spreadsheet::ImportWindow::helpRequested, this,
                [this] { act([this] { m_yardimF->showImportHelp(); }); });
    }
}

void Tkervio2F::BitBtn26Click()
{
    act([this] { exportToSpreadsheet(m_session.document(), m_session.dialogs()); });
}

void Tkervio2F::BitBtn23Click()
{
    if (m_aktarexcelF)
        act([this] { m_aktarexcelF->showWithStoredMapping(); });
}

void Tkervio2F::mailgonderClick()
{
    act([this] { mailFromProgramFolder(m_session.document(), m_session.dialogs()); });
}

void Tkervio2F::BitBtn3Click()
{
    if (m_guncelleme)
        act([this] { m_guncelleme->run(); });
}

} // namespace kervio
