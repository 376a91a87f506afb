#pragma once
#include "shell/session.h"

#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

class QPainter;

namespace kervio {

// A cell's text drawn left (0), right (1) or centred (2) with a 2-pixel inset,
// on the rectangle filled in the painter's brush colour.
void drawCellText(const QString &text, const QRect &rect, QPainter *surface, int alignment, const QFont &font);

class LedgerGrid;

// Paints the cells and makes the cell editor (with the date template on the
// two date columns); the editor's keys go to the grid's handlers.
class LedgerCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit LedgerCellDelegate(LedgerGrid *grid);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    LedgerGrid *m_grid;
};

// The ledger grid over the session's ledger table. The view's column 0 is
// the vertical header (the row numbers); the cursor, the rows and every cell
// live in the session, which also decides what a typed key does.
class LedgerGrid : public QTableView {
    Q_OBJECT
public:
    using Actor = std::function<bool(const std::function<void()> &)>;
    LedgerGrid(Session &session, Actor act, QWidget *parent = nullptr);

    Session &session() { return m_session; }
    QLineEdit *cellEditor() const { return m_editor; }

    // The view follows the session's cursor and opens the editor there.
    void syncView();
    bool owns(const QWidget *w) const;
    bool syncing() const { return m_syncing; }
    // The template of the column's cell editor; empty for none.
    QString editMask(int col) const;
    // the cell text an editor holds (blanks of the date template as spaces)
    QString storedText(const QLineEdit *editor, int col) const;

    // Key events of the grid and of its editor; true when the key was used
    // up.
    bool handleKeyPress(QKeyEvent *e);
    void handleKeyRelease(QKeyEvent *e);

signals:
    void recalculateRequested(); // F3
    void resetRequested();       // F7

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    using QTableView::edit;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;

private:
    friend class LedgerCellDelegate;
    void buildHeaders();
    void buildContextMenu();
    void moveTo(int row, int col);
    // Before the grid's own handling of a key: Up and Down recalculate the
    // row they leave, and the automatic new row.
    void keyGoingDown(const QKeyEvent *e);
    // The cursor keys, Tab and Page keys; true when the key moved the cursor.
    bool moveByKey(const QKeyEvent *e);
    // Left and Right move the caret inside the editor until it stands at
    // the editor's edge.
    bool caretMovesInEditor(const QKeyEvent *e) const;
    void showRegroupedAmount();
    void editorCreated(QLineEdit *editor);
    void settleEditor();
    void onRowHeaderMoved(int logical, int oldVisual, int newVisual);
    bool menuShortcut(QKeyEvent *e);

    Session &m_session;
    Actor m_act;
    LedgerCellDelegate *m_delegate;
    QPointer<QLineEdit> m_editor;
    QMenu *m_contextMenu = nullptr;
    QAction *m_insertRowAction = nullptr;
    QAction *m_deleteRowAction = nullptr;
    QAction *m_recalculateAction = nullptr;
    QAction *m_resetAction = nullptr;
    bool m_syncing = false;
    bool m_newEditor = false;
};

} // namespace kervio
