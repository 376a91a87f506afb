#pragma once
#include "ledger/regional.h"
#include "workbookreader.h"

#include <QAbstractTableModel>
#include <QString>
#include <vector>

namespace kervio {

// The import window's staging grid: cells (column x, row y) as
// texts, row 0 and column 0 fixed (numbers and "Sa/Sü"). Rows store only up
// to their last non-empty cell, so a stray far-out cell costs little.
class StagingGrid : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int MaxSheetRows = 6500;

    explicit StagingGrid(QObject *parent = nullptr);

    int gridRowCount() const { return m_rows; }
    int gridColumnCount() const { return m_cols; }
    void setGridSize(int rows, int cols);
    void setGridRowCount(int rows) { setGridSize(rows, m_cols); }

    // Grid coordinates: column x, row y; outside the grid reads as empty.
    QString cell(int x, int y) const;
    void setCell(int x, int y, const QString &text);

    // Empties every cell below row 0, column 0 included.
    void clearBelowHeader();
    // Row 0 gets the column numbers, column 0 the row numbers, (0,0) "Sa/Sü".
    void numberRowsAndColumns();

    // Where Enter in a cell leads: the next column of the row; from the last
    // column to column 1 of the next row, or of the same row at the end.
    QModelIndex indexAfterEnter(const QModelIndex &current) const;

    // QAbstractItemModel: the whole grid, the fixed row and column included.
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    int m_rows = 101;
    int m_cols = 3;
    std::vector<std::vector<QString>> m_cells; // [row][column]
};

// Reads the first worksheet of a workbook into the grid: the used extent
// plus one empty row and column, at most 6,500 sheet rows, every cell as
// text. A file that cannot be read raises before the grid changes; on an
// error value the grid keeps what was copied so far and the error is raised.
void stageWorkbook(StagingGrid &grid, const QString &path, const Regional &reg);
// The same with a sheet already read.
void stageSheet(StagingGrid &grid, const WorkbookSheet &sheet, const Regional &reg);

} // namespace kervio
