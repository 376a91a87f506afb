#include "ledgergrid.h"
#include "gui/guiapp.h"
#include "shell/typingrules.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace kervio {

namespace {

const QColor HeaderColour(211, 231, 211);
const QColor OddRowColour(249, 255, 225);
const QColor EvenRowColour(223, 235, 255);
constexpr QChar MaskBlank = u'_';

QFont gridFont()
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(12);
    f.setStretch(QFont::SemiCondensed); // nearer Tahoma's widths than the plain substitute
    return f;
}

int alignmentOf(int col)
{
    if (col <= ColDueDate)
        return 2;
    if (col == ColDescription)
        return 0;
    return 1;
}

bool isMenuKey(const QKeyEvent *e)
{
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    return (mods == Qt::ShiftModifier && (e->key() == Qt::Key_Insert || e->key() == Qt::Key_Delete))
        || (mods == Qt::NoModifier && (e->key() == Qt::Key_F3 || e->key() == Qt::Key_F7));
}

// A date template with no digit typed into it yet.
bool isEmptyTemplate(const QLineEdit *editor)
{
    if (editor->inputMask().isEmpty())
        return false;
    const QString t = editor->text();
    return std::none_of(t.begin(), t.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

void drawCellText(const QString &text, const QRect &rect, QPainter *surface, int alignment, const QFont &font)
{
    surface->save();
    surface->setFont(font);
    surface->fillRect(rect, surface->brush().color());
    surface->setClipRect(rect);
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(text);
    int x = rect.left() + 2;
    if (alignment == 1)
        x = rect.right() + 1 - 2 - width;
    else if (alignment == 2)
        x = (rect.left() + rect.right() + 1) / 2 - width / 2;
    surface->drawText(QPoint(x, rect.top() + 2 + fm.ascent()), text);
    surface->restore();
}

// --- delegate ------------------------------------------------------------------

LedgerCellDelegate::LedgerCellDelegate(LedgerGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

void LedgerCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int row = index.row() + 1;
    painter->save();
    painter->setPen(Qt::black);
    painter->setBrush(row % 2 ? OddRowColour : EvenRowColour);
    drawCellText(index.data().toString(), option.rect, painter, alignmentOf(index.column()), gridFont());
    painter->restore();
}

QWidget *LedgerCellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setFont(gridFont());
    editor->setContextMenuPolicy(Qt::NoContextMenu); // the grid's menu instead
    const QString mask = m_grid->editMask(index.column());
    if (!mask.isEmpty())
        editor->setInputMask(mask);
    QPalette pal = editor->palette();
    pal.setColor(QPalette::Base, (index.row() + 1) % 2 ? OddRowColour : EvenRowColour);
    pal.setColor(QPalette::Text, Qt::black);
    editor->setPalette(pal);
    const QPersistentModelIndex where(index);
    LedgerGrid *grid = m_grid;
    // The cell follows the editor at every change, as the grid's cell does.
    QObject::connect(editor, &QLineEdit::textEdited, editor, [grid, editor, where] {
        if (where.isValid())
            grid->session().ledger().setCell(where.row() + 1, where.column(),
                                             grid->storedText(editor, where.column()));
    });
    m_grid->editorCreated(editor);
    return editor;
}

void LedgerCellDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *le = static_cast<QLineEdit *>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (m_grid->storedText(le, index.column()) == text && !le->text().isEmpty())
        return;
    // a cell entered, or changed from outside, shows its text selected
    le->setText(text);
    le->setCursorPosition(0);
    le->selectAll();
}

void LedgerCellDelegate::setModelData(QWidget *, QAbstractItemModel *, const QModelIndex &) const
{
    // the cell already holds every change of the editor
}

void LedgerCellDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &) const
{
    editor->setGeometry(option.rect.adjusted(1, 1, 0, 0));
}

bool LedgerCellDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QLineEdit *>(object);
    if (!editor)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        // the line edit would take Shift+Insert and Shift+Delete for itself
        auto *ke = static_cast<QKeyEvent *>(event);
        if (isMenuKey(ke)) {
            ke->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress:
        return m_grid->handleKeyPress(static_cast<QKeyEvent *>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A click into an empty date template starts at the day, as entering
        // the cell does; typing from where the mouse hit would fill the year.
        if (isEmptyTemplate(editor) && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            if (!editor->hasFocus())
                editor->setFocus(Qt::MouseFocusReason);
            editor->deselect();
            editor->setCursorPosition(0);
            return true;
        }
        return false;
    case QEvent::KeyRelease:
        m_grid->handleKeyRelease(static_cast<QKeyEvent *>(event));
        return false;
    case QEvent::FocusIn: {
        // coming back into the grid enters the cell anew: its text selected
        const Qt::FocusReason why = static_cast<QFocusEvent *>(event)->reason();
        if (why != Qt::MouseFocusReason && why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason) {
            editor->setCursorPosition(0);
            editor->selectAll();
        }
        return false;
    }
    default:
        // the editor stays open when the focus leaves the grid
        return false;
    }
}

// --- grid ------------------------------------------------------------------------

LedgerGrid::LedgerGrid(Session &session, Actor act, QWidget *parent)
    : QTableView(parent), m_session(session), m_act(std::move(act)), m_delegate(new LedgerCellDelegate(this))
{
    setObjectName(QStringLiteral("ledgerGrid"));
    setModel(&session.ledger());
    setItemDelegate(m_delegate);
    setFont(gridFont());
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setTabKeyNavigation(true);
    setFrameShape(QFrame::NoFrame);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: #a8b4a8; background-color: white; }"
                                 "QTableCornerButton::section { background-color: rgb(211,231,211); border: none; }"));
    buildHeaders();
    buildContextMenu();
    // Column 0 is the vertical header; the computed-only columns stay hidden.
    setColumnHidden(ColNumber, true);
    for (int c = ColDebitAdat; c <= ColIndex2; ++c)
        setColumnHidden(c, true);
}

void LedgerGrid::buildHeaders()
{
    QHeaderView *h = horizontalHeader();
    h->setDefaultSectionSize(80);
    h->setMinimumSectionSize(8);
    h->setSectionResizeMode(QHeaderView::Interactive);
    h->setDefaultAlignment(Qt::AlignCenter);
    h->setHighlightSections(false);
    h->setFixedHeight(22);
    QHeaderView *v = verticalHeader();
    v->setSectionResizeMode(QHeaderView::Fixed); // uniform rows keep 100,000 rows cheap
    v->setDefaultSectionSize(20);
    v->setMinimumSectionSize(8);
    v->setDefaultAlignment(Qt::AlignCenter);
    v->setHighlightSections(false);
    v->setSectionsMovable(true); // a row moves by dragging its number
    v->setFixedWidth(30);
    const QString headerStyle = QStringLiteral(
        "QHeaderView::section { background-color: rgb(211,231,211); color: black; border: none;"
        " border-right: 1px solid #9aa89a; border-bottom: 1px solid #9aa89a; padding: 0px; }"
        "QTableCornerButton::section { background-color: rgb(211,231,211); border: none;"
        " border-right: 1px solid #9aa89a; border-bottom: 1px solid #9aa89a; }");
    h->setStyleSheet(headerStyle);
    v->setStyleSheet(headerStyle);
    connect(v, &QHeaderView::sectionMoved, this, &LedgerGrid::onRowHeaderMoved);
}

void LedgerGrid::buildContextMenu()
{
    setContextMenuPolicy(Qt::CustomContextMenu);
    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName(QStringLiteral("ledgerMenu"));
    auto makeItem = [this](const char *name, const QString &caption, const QKeySequence &key) {
        auto *a = new QAction(caption, this);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_contextMenu->addAction(a);
        addAction(a);
        return a;
    };
    m_insertRowAction = makeItem("insertRowAction", QStringLiteral("  Satır Ekle   "), QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    m_deleteRowAction = makeItem("deleteRowAction", QStringLiteral("  Satır Sil   "), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    m_recalculateAction = makeItem("recalculateAction", QStringLiteral("  Yeniden Hesapla"), QKeySequence(Qt::Key_F3));
    m_resetAction = makeItem("resetAction", QStringLiteral("  Sıfırla"), QKeySequence(Qt::Key_F7));
    connect(m_insertRowAction, &QAction::triggered, this, [this] { m_act([this] { m_session.insertRowAbove(); }); });
    connect(m_deleteRowAction, &QAction::triggered, this, [this] { m_act([this] { m_session.deleteCurrentRow(); }); });
    connect(m_recalculateAction, &QAction::triggered, this, &LedgerGrid::recalculateRequested);
    connect(m_resetAction, &QAction::triggered, this, &LedgerGrid::resetRequested);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_contextMenu->popup(viewport()->mapToGlobal(pos)); });
}

bool LedgerGrid::owns(const QWidget *w) const
{
    for (; w; w = w->parentWidget())
        if (w == this)
            return true;
    return false;
}

QString LedgerGrid::editMask(int col) const
{
    if (col != ColTransactionDate && col != ColDueDate)
        return {};
    return dateEditMask(m_session.regional().date, MaskBlank);
}

QString LedgerGrid::storedText(const QLineEdit *editor, int col) const
{
    if (editMask(col).isEmpty())
        return editor->text();
    QString t = editor->displayText();
    t.replace(MaskBlank, u' ');
    return t;
}

void LedgerGrid::editorCreated(QLineEdit *editor)
{
    m_editor = editor;
    m_newEditor = true;
}

void LedgerGrid::settleEditor()
{
    // a cell entered shows its text selected, the caret at its start
    if (m_newEditor && m_editor) {
        m_editor->setCursorPosition(0);
        m_editor->selectAll();
    }
    m_newEditor = false;
}

void LedgerGrid::syncView()
{
    const LedgerTable &L = m_session.ledger();
    const QModelIndex idx = model()->index(L.currentRow() - 1, L.currentColumn());
    if (!idx.isValid())
        return;
    const bool editorThere = m_editor && !m_editor->isHidden() && indexWidget(idx) == m_editor;
    if (currentIndex() == idx && (editorThere || !isVisible())) {
        settleEditor();
        return;
    }
    QWidget *focus = QApplication::focusWidget();
    m_syncing = true;
    if (currentIndex() != idx)
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::NoUpdate);
    else if (!editorThere && isVisible())
        QTableView::edit(idx, QAbstractItemView::AllEditTriggers, nullptr);
    settleEditor();
    // opening the editor takes the focus; a program step must not
    if (focus && !owns(focus) && QApplication::focusWidget() != focus)
        focus->setFocus(Qt::OtherFocusReason);
    m_syncing = false;
}

bool LedgerGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (index != currentIndex())
        return false;
    return QTableView::edit(index, trigger, event);
}

void LedgerGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid())
        return;
    const int row = current.row() + 1, col = current.column();
    const LedgerTable &L = m_session.ledger();
    if (row == L.currentRow() && col == L.currentColumn())
        return;
    m_act([&] { m_session.setCurrentCell(row, col); });
}

void LedgerGrid::moveTo(int row, int col)
{
    // the session refuses the fixed column and row, the computed columns and
    // what lies beyond the grid
    m_session.setCurrentCell(row, col);
}

void LedgerGrid::onRowHeaderMoved(int, int oldVisual, int newVisual)
{
    if (m_syncing)
        return;
    // The header only shows the drag; the row itself moves in the ledger.
    m_syncing = true;
    verticalHeader()->moveSection(newVisual, oldVisual);
    m_syncing = false;
    m_act([&] { m_session.ledger().moveRow(oldVisual + 1, newVisual + 1); });
}

bool LedgerGrid::menuShortcut(QKeyEvent *e)
{
    if (!isMenuKey(e))
        return false;
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ShiftModifier)
        (e->key() == Qt::Key_Insert ? m_insertRowAction : m_deleteRowAction)->trigger();
    else
        (e->key() == Qt::Key_F3 ? m_recalculateAction : m_resetAction)->trigger();
    return true;
}

void LedgerGrid::keyGoingDown(const QKeyEvent *e)
{
    if (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down)
        m_session.recalculateCurrentRow();
    m_session.appendRowIfLastEntryDated();
}

bool LedgerGrid::caretMovesInEditor(const QKeyEvent *e) const
{
    const LedgerTable &L = m_session.ledger();
    const QLineEdit *ed = m_editor;
    if ((e->modifiers() & Qt::ControlModifier) || !ed || ed->isHidden()
        || currentIndex() != model()->index(L.currentRow() - 1, L.currentColumn()))
        return false;
    const int len = ed->displayText().size();
    const int start = ed->hasSelectedText() ? ed->selectionStart() : ed->cursorPosition();
    const int selLen = ed->hasSelectedText() ? int(ed->selectedText().size()) : 0;
    const bool atEdge = e->key() == Qt::Key_Left ? start == 0 && (selLen == 0 || selLen == len) : start + selLen >= len;
    return !atEdge;
}

bool LedgerGrid::moveByKey(const QKeyEvent *e)
{
    const LedgerTable &L = m_session.ledger();
    const int row = L.currentRow(), col = L.currentColumn();
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const int page = std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()) - 1);
    switch (e->key()) {
    case Qt::Key_Up: moveTo(row - 1, col); return true;
    case Qt::Key_Down: moveTo(row + 1, col); return true;
    case Qt::Key_PageUp: moveTo(std::max(1, row - page), col); return true;
    case Qt::Key_PageDown: moveTo(std::min(L.lastRow(), row + page), col); return true;
    case Qt::Key_Tab: moveTo(row, col + 1); return true;
    case Qt::Key_Backtab: moveTo(row, col - 1); return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!ctrl)
            return false;
        moveTo(e->key() == Qt::Key_Home ? 1 : L.lastRow(), col);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (caretMovesInEditor(e))
            return false;
        moveTo(row, e->key() == Qt::Key_Left ? col - 1 : col + 1);
        return true;
    default:
        return false;
    }
}

void LedgerGrid::handleKeyRelease(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right)
        return;
    if ((e->modifiers() & Qt::KeypadModifier)
        && (e->key() == Qt::Key_Period || e->key() == Qt::Key_Comma || e->key() == Qt::Key_Delete))
        return;
    m_act([&] {
        if (m_session.regroupTypedAmount())
            showRegroupedAmount();
    });
}

void LedgerGrid::showRegroupedAmount()
{
    const LedgerTable &L = m_session.ledger();
    const int row = L.currentRow(), col = L.currentColumn();
    if (!m_editor || currentIndex() != model()->index(row - 1, col))
        return;
    const QString &grouped = L.cell(row, col);
    if (m_editor->text() != grouped)
        m_editor->setText(grouped);
    m_editor->deselect();
    m_editor->setCursorPosition(grouped.size());
}

bool LedgerGrid::handleKeyPress(QKeyEvent *e)
{
    if (menuShortcut(e))
        return true;
    bool swallowed = false;
    const bool ran = m_act([&] {
        keyGoingDown(e);
        swallowed = moveByKey(e) || m_session.typeIntoLedger(typedCharacter(e));
    });
    // A key whose action ended in a message or a silent abort does nothing
    // more: the editor and the grid must not handle it a second time.
    return swallowed || !ran;
}

void LedgerGrid::keyPressEvent(QKeyEvent *e)
{
    handleKeyPress(e);
    e->accept();
}

void LedgerGrid::keyReleaseEvent(QKeyEvent *e)
{
    handleKeyRelease(e);
    e->accept();
}

void LedgerGrid::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return;
    }
    const QModelIndex idx = indexAt(e->position().toPoint());
    if (!idx.isValid())
        return;
    const int row = idx.row() + 1, col = idx.column();
    m_act([&] {
        const LedgerTable &L = m_session.ledger();
        if (Document::isSelectableCell(row, col) && (row != L.currentRow() || col != L.currentColumn()))
            m_session.setCurrentCell(row, col);
        else
            m_session.recalculateCurrentRow();
    });
    // a mouse focus reason would clear the selection of the entered cell
    if (m_editor && !m_editor->isHidden() && !m_editor->hasFocus())
        m_editor->setFocus(Qt::OtherFocusReason);
}

void LedgerGrid::focusInEvent(QFocusEvent *e)
{
    QTableView::focusInEvent(e);
    // coming to the grid by Tab goes on into the current cell: the keys must
    // reach its editor (a click finds its cell itself)
    if (m_syncing || (e->reason() != Qt::TabFocusReason && e->reason() != Qt::BacktabFocusReason))
        return;
    syncView();
    if (m_editor && !m_editor->isHidden())
        m_editor->setFocus(e->reason());
}

void LedgerGrid::mouseDoubleClickEvent(QMouseEvent *e)
{
    e->accept();
}

void LedgerGrid::mouseMoveEvent(QMouseEvent *e)
{
    // no drag selection: the cursor moves only through the session
    e->accept();
}

void LedgerGrid::mouseReleaseEvent(QMouseEvent *e)
{
    e->accept();
}

} // namespace kervio
