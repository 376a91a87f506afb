#include "aktarexcel.h"
#include "gui/guiapp.h"
#include "gui/icons.h"
#include "gui/widgetdialogs.h"
#include "core/errors.h"
#include "core/appinfo.h"
#include "shell/session.h"
#include "spreadsheet/transfer.h"

#include <QAbstractItemDelegate>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace kervio::spreadsheet {

namespace {

const char *const InitialCaption = "Kavrel Kervio Excel'den Veri Aktarma";


} // namespace

TaktarexcelF::TaktarexcelF(Session &session, QWidget *parent) : QWidget(parent, Qt::Window), m_session(session)
{
    setObjectName(QStringLiteral("aktarexcelF"));
    setWindowTitle(QString::fromUtf8(InitialCaption));
    setFont(tahoma(11));
    resize(1024, 700);

    auto *top = new QWidget(this);
    top->setFixedHeight(81);

    auto label = [&](const char *text, int x, int y) {
        auto *l = new QLabel(QString::fromUtf8(text), top);
        l->setFont(tahoma(13));
        l->move(x, y + 4);
        l->adjustSize();
        return l;
    };
    auto *digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), this);
    auto edit = [&](const char *name, const char *text, QPoint labelPos, QRect geometry, int limit, const char *def) {
        label(text, labelPos.x(), labelPos.y());
        auto *e = new QLineEdit(QString::fromLatin1(def), top);
        e->setObjectName(QString::fromLatin1(name));
        e->setFont(tahoma(13));
        e->setGeometry(geometry.x(), geometry.y(), geometry.width(), 24);
        e->setMaxLength(limit);
        e->setValidator(digits);
        e->installEventFilter(this);
        return e;
    };
    // in tab order
    JvDotNetEdit19 = edit("JvDotNetEdit19", "Vade Tarihi Sütunu", {9, 5}, {128, 3, 41, 24}, 2, "1");
    JvDotNetEdit3 = edit("JvDotNetEdit3", "İşlem Tarihi Sütunu", {9, 30}, {128, 28, 41, 24}, 2, "2");
    JvDotNetEdit4 = edit("JvDotNetEdit4", "Açıklama Sütunu", {25, 55}, {128, 53, 41, 24}, 2, "3");
    JvDotNetEdit1 = edit("JvDotNetEdit1", "Borç Sütunu", {193, 30}, {280, 28, 41, 24}, 2, "4");
    JvDotNetEdit2 = edit("JvDotNetEdit2", "Alacak Sütunu", {183, 55}, {280, 53, 41, 24}, 2, "5");
    JvDotNetEdit20 = edit("JvDotNetEdit20", "Baş. Satır", {335, 30}, {408, 28, 41, 24}, 5, "3");
    JvDotNetEdit21 = edit("JvDotNetEdit21", "Bitiş Satır", {335, 55}, {408, 53, 41, 24}, 5, "10");

    CheckBox1 = new QCheckBox(QStringLiteral("Vade Tarihi Aynı Zamanda İşlem Tarihi"), top);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setFont(tahoma(13));
    CheckBox1->setGeometry(176, 3, 273, 24);

    auto button = [&](const char *name, const QString &text, QRect geometry) {
        auto *b = new QPushButton(text, top);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(tahoma(16, true));
        b->setGeometry(geometry);
        return b;
    };
    JvXPButton1 = button("JvXPButton1", QStringLiteral("Excel Dosyası Aç"), {462, 4, 179, 34});
    JvXPButton2 = button("JvXPButton2", QStringLiteral("Vade Farkına Aktar"), {462, 40, 179, 34});
    JvXPButton7 = button("JvXPButton7", QStringLiteral("Yeni Dosya"), {648, 4, 121, 66});
    tfXPButton2 = button("tfXPButton2", QString(), {781, 12, 50, 50});
    tfXPButton2->setIcon(pictureIcon(Picture::Help, 40));
    tfXPButton2->setIconSize(QSize(40, 40));
    tfXPButton2->setEnabled(false); // enabled once the help window is there

    setTabOrder(JvDotNetEdit19, JvDotNetEdit3);
    setTabOrder(JvDotNetEdit3, JvDotNetEdit4);
    setTabOrder(JvDotNetEdit4, JvDotNetEdit1);
    setTabOrder(JvDotNetEdit1, JvDotNetEdit2);
    setTabOrder(JvDotNetEdit2, JvDotNetEdit20);
    setTabOrder(JvDotNetEdit20, JvDotNetEdit21);
    setTabOrder(JvDotNetEdit21, CheckBox1);
    setTabOrder(CheckBox1, JvXPButton1);
    setTabOrder(JvXPButton1, JvXPButton2);
    setTabOrder(JvXPButton2, JvXPButton7);

    StringGrid1 = new QTableView(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(&m_grid);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setDefaultSectionSize(80);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid1->verticalHeader()->setDefaultSectionSize(24);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                 | QAbstractItemView::AnyKeyPressed);
    StringGrid1->setTabKeyNavigation(true);
    StringGrid1->setStyleSheet(QStringLiteral("QTableView { gridline-color: #c0c0c0; }"));
    StringGrid1->installEventFilter(this);
    connect(StringGrid1->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget *, QAbstractItemDelegate::EndEditHint hint) {
                // Enter in a cell editor commits it and walks on
                if (hint == QAbstractItemDelegate::SubmitModelCache)
                    QTimer::singleShot(0, this, [this] { moveToNextCell(); });
            });
    StringGrid1->setCurrentIndex(m_grid.index(1, 1));

    auto *status = new QStatusBar(this);
    status->setFixedHeight(22);
    status->setSizeGripEnabled(false);
    statusPanel0 = new QLabel(applicationTitle() + QStringLiteral(" - Vade Farkı Hesaplama"), status);
    statusPanel0->setFixedWidth(350);
    statusPanel1 = new QLabel(status);
    status->addWidget(statusPanel0);
    status->addWidget(statusPanel1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(StringGrid1, 1);
    layout->addWidget(status);

    connect(JvXPButton1, &QPushButton::clicked, this, &TaktarexcelF::JvXPButton1Click);
    connect(JvXPButton2, &QPushButton::clicked, this, &TaktarexcelF::JvXPButton2Click);
    connect(JvXPButton7, &QPushButton::clicked, this, &TaktarexcelF::JvXPButton7Click);
}

void TaktarexcelF::BitBtn23Click()
{
    showMaximized();
    raise();
    activateWindow();
    m_session.guarded([&] { hafizadanoku(); });
    statusPanel1->setText(QStringLiteral("Version") + versionSuffix());
}

void TaktarexcelF::hafizadanoku()
{
    const ExcelAyarSettings s = readExcelAyar(m_session.settingsPath());
    showText(JvDotNetEdit19, s.vade);
    showText(JvDotNetEdit3, s.islem);
    showText(JvDotNetEdit4, s.aciklama);
    showText(JvDotNetEdit1, s.borc);
    showText(JvDotNetEdit2, s.alacak);
    showText(JvDotNetEdit20, s.basla);
    showText(JvDotNetEdit21, s.bitir);
    CheckBox1->setChecked(s.vadeCheck);
}

ExcelAyarSettings TaktarexcelF::mapping() const
{
    ExcelAyarSettings s;
    s.vade = JvDotNetEdit19->text();
    s.islem = JvDotNetEdit3->text();
    s.aciklama = JvDotNetEdit4->text();
    s.borc = JvDotNetEdit1->text();
    s.alacak = JvDotNetEdit2->text();
    s.basla = JvDotNetEdit20->text();
    s.bitir = JvDotNetEdit21->text();
    s.vadeCheck = CheckBox1->isChecked();
    return s;
}

void TaktarexcelF::hafizayayaz()
{
    writeExcelAyar(m_session.settingsPath(), mapping());
}

void TaktarexcelF::JvXPButton1Click()
{
    const DialogOwner owner(this);
    FileDialogRequest request;
    request.filter = QStringLiteral("Excel Dosyaları (*.xls *.xlsx *.csv *.ods);;"
                                 "2000-2003 Excel Dosyaları (*.xls);;"
                                 "2007 -2010 Excel Dosyaları (*.xlsx);;"
                                 "CSV Dosyaları (*.csv);;"
                                 "OpenDocument Hesap Tabloları (*.ods)");
    request.initialDir = QDir::homePath();
    const QString path = m_session.dialogs().openFileName(request);
    comeToFront();
    if (path.isEmpty())
        return;
    openWorkbook(path);
}

void TaktarexcelF::comeToFront()
{
    // a closing dialog hands the activation back as the window manager likes
    if (!isVisible())
        return;
    raise();
    activateWindow();
}

bool TaktarexcelF::openWorkbook(const QString &path)
{
    m_grid.clearBelowHeader();
    const QString full = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (!m_session.guarded([&] { Xls_To_StringGrid(m_grid, full, m_session.regional()); })) {
        comeToFront();
        return false;
    }
    setWindowTitle(QStringLiteral("Kavrel Kervio  - Excel Dosya Aktarma - ") + full + QStringLiteral(" - Dosyası Aktarıldı"));
    m_grid.numberRowsAndColumns();
    applyReadLayout();
    m_session.dialogs().message(QStringLiteral("Tablo aktarıldı!"));
    comeToFront();
    return true;
}

void TaktarexcelF::applyReadLayout()
{
    QHeaderView *h = StringGrid1->horizontalHeader();
    h->setDefaultSectionSize(80);
    for (int c = 1; c < m_grid.gridColumnCount(); ++c)
        h->resizeSection(c, 80);
    h->resizeSection(0, 30);
}

void TaktarexcelF::JvXPButton7Click()
{
    m_grid.clearBelowHeader();
}

void TaktarexcelF::JvXPButton2Click()
{
    const DialogOwner owner(this);
    bool done = false;
    const bool ran = m_session.guarded([&] {
        done = transferAndStoreMapping(m_grid, mapping(), m_session.document(), m_session.dialogs(),
                                       m_session.settingsPath());
    });
    if (ran && done)
        hide();
    else
        comeToFront();
}

void TaktarexcelF::moveToNextCell()
{
    const QModelIndex cur = StringGrid1->currentIndex();
    if (!cur.isValid())
        return;
    int row = cur.row(), col = cur.column() + 1;
    if (col >= m_grid.gridColumnCount()) {
        col = 1;
        if (row + 1 < m_grid.gridRowCount())
            ++row;
    }
    StringGrid1->setCurrentIndex(m_grid.index(row, col));
}

bool TaktarexcelF::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == StringGrid1) {
        if (enter) { // an open cell editor gets its keys itself
            moveToNextCell();
            return true;
        }
        return false;
    }
    if (qobject_cast<QLineEdit *>(watched)) {
        // digits, Backspace and Enter only; Enter goes on to the next field
        if (enter) {
            focusNextChild();
            return true;
        }
        if (key->key() == Qt::Key_Backspace)
            return false;
        const QString t = key->text();
        if (t.size() == 1 && t[0] >= u'0' && t[0] <= u'9')
            return false;
        // navigation keys (Tab, arrows) keep working
        if (t.isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return key->key() != Qt::Key_Delete ? false : true;
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kervio::spreadsheet
