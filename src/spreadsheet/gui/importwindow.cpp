#include "importwindow.h"
#include "gui/guiapp.h"
#include "gui/icons.h"
#include "gui/widgetdialogs.h"
#include "core/appinfo.h"
#include "shell/session.h"

#include <QAbstractItemDelegate>
#include <QCheckBox>
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

// Where each mapping field sits in the top panel, and its object name.
struct FieldPlace {
    const char16_t *key;
    const char *objectName;
    QPoint label;
    QRect field;
};

const FieldPlace FieldPlaces[] = {
    {u"vade", "dueDateColumnEdit", {9, 5}, {128, 3, 41, 24}},
    {u"islem", "transactionDateColumnEdit", {9, 30}, {128, 28, 41, 24}},
    {u"aciklama", "descriptionColumnEdit", {25, 55}, {128, 53, 41, 24}},
    {u"borc", "debitColumnEdit", {193, 30}, {280, 28, 41, 24}},
    {u"alacak", "creditColumnEdit", {183, 55}, {280, 53, 41, 24}},
    {u"basla", "firstRowEdit", {335, 30}, {408, 28, 41, 24}},
    {u"bitir", "lastRowEdit", {335, 55}, {408, 53, 41, 24}},
    {u"vadeCheck", "dueDateIsTransactionDateCheck", {}, {176, 3, 273, 24}},
};

const FieldPlace &placeOf(const ImportMappingKey &key)
{
    for (const FieldPlace &p : FieldPlaces)
        if (QStringView(p.key) == QStringView(key.key))
            return p;
    Q_UNREACHABLE();
}

bool isEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

ImportWindow::ImportWindow(Session &session, QWidget *parent)
    : QWidget(parent, Qt::Window), m_session(session), m_import(session.document(), session.dialogs())
{
    setObjectName(QStringLiteral("importWindow"));
    setWindowTitle(QString::fromUtf8(InitialCaption));
    setFont(tahoma(11));
    resize(1024, 700);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildMappingPanel());
    layout->addWidget(buildStagingGrid(), 1);
    layout->addWidget(buildStatusBar());

    connect(m_openWorkbookButton, &QPushButton::clicked, this, &ImportWindow::openWorkbook);
    connect(m_transferButton, &QPushButton::clicked, this, &ImportWindow::transferToLedger);
    connect(m_newFileButton, &QPushButton::clicked, this, &ImportWindow::clearStaging);
    connect(m_helpButton, &QPushButton::clicked, this, &ImportWindow::helpRequested);
}

QWidget *ImportWindow::buildMappingPanel()
{
    auto *top = new QWidget(this);
    top->setFixedHeight(81);
    auto *digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), this);
    const ImportMapping defaults = ImportMapping::formDefaults();
    const auto &keys = importMappingKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        const ImportMappingKey &key = keys[i];
        const FieldPlace &place = placeOf(key);
        const QString meaning = QString::fromUtf8(key.meaning);
        QWidget *field;
        if (key.kind == ImportMappingKey::Kind::Check) {
            field = new QCheckBox(meaning, top);
        } else {
            auto *label = new QLabel(meaning, top);
            label->setFont(tahoma(13));
            label->move(place.label.x(), place.label.y() + 4);
            label->adjustSize();
            auto *edit = new QLineEdit(top);
            edit->setMaxLength(key.maxDigits());
            edit->setValidator(digits);
            edit->installEventFilter(this);
            field = edit;
        }
        field->setObjectName(QString::fromLatin1(place.objectName));
        field->setFont(tahoma(13));
        field->setGeometry(place.field);
        m_mappingFields[i] = field;
    }
    showMapping(defaults);

    auto button = [&](const char *name, const QString &text, QRect geometry) {
        auto *b = new QPushButton(text, top);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(tahoma(16, true));
        b->setGeometry(geometry);
        return b;
    };
    m_openWorkbookButton = button("openWorkbookButton", QStringLiteral("Excel Dosyası Aç"), {462, 4, 179, 34});
    m_transferButton = button("transferButton", QStringLiteral("Vade Farkına Aktar"), {462, 40, 179, 34});
    m_newFileButton = button("newFileButton", QStringLiteral("Yeni Dosya"), {648, 4, 121, 66});
    m_helpButton = button("helpButton", QString(), {781, 12, 50, 50});
    m_helpButton->setIcon(pictureIcon(Picture::Help, 40));
    m_helpButton->setIconSize(QSize(40, 40));
    m_helpButton->setEnabled(false); // enabled once the help window is there

    QList<QWidget *> tabOrder(m_mappingFields.begin(), m_mappingFields.end());
    tabOrder << m_openWorkbookButton << m_transferButton << m_newFileButton;
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    return top;
}

QTableView *ImportWindow::buildStagingGrid()
{
    m_stagingGrid = new QTableView(this);
    m_stagingGrid->setObjectName(QStringLiteral("stagingGrid"));
    m_stagingGrid->setModel(&m_import.staging());
    m_stagingGrid->horizontalHeader()->hide();
    m_stagingGrid->verticalHeader()->hide();
    m_stagingGrid->horizontalHeader()->setDefaultSectionSize(80);
    m_stagingGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_stagingGrid->verticalHeader()->setDefaultSectionSize(24);
    m_stagingGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_stagingGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_stagingGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                   | QAbstractItemView::AnyKeyPressed);
    m_stagingGrid->setTabKeyNavigation(true);
    m_stagingGrid->setStyleSheet(QStringLiteral("QTableView { gridline-color: #c0c0c0; }"));
    m_stagingGrid->installEventFilter(this);
    connect(m_stagingGrid->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget *, QAbstractItemDelegate::EndEditHint hint) {
                // Enter in a cell editor commits it and walks on
                if (hint == QAbstractItemDelegate::SubmitModelCache)
                    QTimer::singleShot(0, this, [this] { moveToNextCell(); });
            });
    m_stagingGrid->setCurrentIndex(staging().index(1, 1));
    return m_stagingGrid;
}

QWidget *ImportWindow::buildStatusBar()
{
    auto *status = new QStatusBar(this);
    status->setFixedHeight(22);
    status->setSizeGripEnabled(false);
    auto *notice = new QLabel(applicationTitle() + QStringLiteral(" - Vade Farkı Hesaplama"), status);
    notice->setObjectName(QStringLiteral("noticeLabel"));
    notice->setFixedWidth(350);
    m_versionLabel = new QLabel(status);
    m_versionLabel->setObjectName(QStringLiteral("versionLabel"));
    status->addWidget(notice);
    status->addWidget(m_versionLabel, 1);
    return status;
}

void ImportWindow::setHelpAvailable(bool available)
{
    m_helpButton->setEnabled(available);
}

void ImportWindow::showWithStoredMapping()
{
    showMaximized();
    raise();
    activateWindow();
    m_session.guarded([&] { loadImportMapping(); });
    m_versionLabel->setText(QStringLiteral("Version") + versionSuffix());
}

void ImportWindow::loadImportMapping()
{
    showMapping(readImportMapping(m_session.settingsPath()));
}

void ImportWindow::showMapping(const ImportMapping &mapping)
{
    const auto &keys = importMappingKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (auto *edit = qobject_cast<QLineEdit *>(m_mappingFields[i]))
            showText(edit, keys[i].value(mapping));
        else
            static_cast<QCheckBox *>(m_mappingFields[i])->setChecked(mapping.dueDateIsTransactionDate);
    }
}

ImportMapping ImportWindow::mapping() const
{
    ImportMapping mapping;
    const auto &keys = importMappingKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (auto *edit = qobject_cast<QLineEdit *>(m_mappingFields[i]))
            keys[i].setValue(mapping, edit->text());
        else
            mapping.dueDateIsTransactionDate = static_cast<QCheckBox *>(m_mappingFields[i])->isChecked();
    }
    return mapping;
}

void ImportWindow::openWorkbook()
{
    const DialogOwner owner(this);
    const QString path = m_import.askForWorkbook();
    comeToFront();
    if (path.isEmpty())
        return;
    QString fullPath;
    if (m_session.guarded([&] { fullPath = m_import.openWorkbook(path); }))
        showStagedWorkbook(fullPath);
    comeToFront();
}

void ImportWindow::showStagedWorkbook(const QString &fullPath)
{
    setWindowTitle(QStringLiteral("Kavrel Kervio  - Excel Dosya Aktarma - ") + fullPath + QStringLiteral(" - Dosyası Aktarıldı"));
    QHeaderView *h = m_stagingGrid->horizontalHeader();
    h->setDefaultSectionSize(80);
    for (int c = 1; c < staging().gridColumnCount(); ++c)
        h->resizeSection(c, 80);
    h->resizeSection(0, 30);
    m_session.dialogs().message(QStringLiteral("Tablo aktarıldı!"));
}

void ImportWindow::comeToFront()
{
    // a closing dialog hands the activation back as the window manager likes
    if (!isVisible())
        return;
    raise();
    activateWindow();
}

void ImportWindow::clearStaging()
{
    m_import.clearStaging();
}

void ImportWindow::transferToLedger()
{
    const DialogOwner owner(this);
    bool done = false;
    const bool ran = m_session.guarded(
        [&] { done = m_import.transferAndSaveMapping(mapping(), m_session.settingsPath()); });
    if (ran && done)
        hide();
    else
        comeToFront();
}

void ImportWindow::moveToNextCell()
{
    const QModelIndex next = staging().indexAfterEnter(m_stagingGrid->currentIndex());
    if (next.isValid())
        m_stagingGrid->setCurrentIndex(next);
}

bool ImportWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (watched == m_stagingGrid) {
        if (!isEnter(key))
            return false;
        // an open cell editor gets its keys itself
        moveToNextCell();
        return true;
    }
    if (qobject_cast<QLineEdit *>(watched)) {
        switch (mappingFieldKeyAction(key->key(), key->text())) {
        case MappingKeyAction::Accept:
            return false;
        case MappingKeyAction::NextField:
            focusNextChild();
            return true;
        case MappingKeyAction::Discard:
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kervio::spreadsheet
