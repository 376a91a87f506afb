#include "staginggrid.h"
#include "celltext.h"
#include "workbookreader.h"

#include <algorithm>

namespace kervio {

StagingGrid::StagingGrid(QObject *parent) : QAbstractTableModel(parent) {}

void StagingGrid::setGridSize(int rows, int cols)
{
    rows = std::max(rows, 1);
    cols = std::max(cols, 1);
    if (rows == m_rows && cols == m_cols)
        return;
    beginResetModel();
    m_rows = rows;
    m_cols = cols;
    if (int(m_cells.size()) > rows)
        m_cells.resize(size_t(rows));
    for (auto &r : m_cells)
        if (int(r.size()) > cols)
            r.resize(size_t(cols));
    endResetModel();
}

QString StagingGrid::cell(int x, int y) const
{
    if (y < 0 || x < 0 || y >= int(m_cells.size()))
        return {};
    const auto &r = m_cells[size_t(y)];
    return x < int(r.size()) ? r[size_t(x)] : QString();
}

void StagingGrid::setCell(int x, int y, const QString &text)
{
    if (x < 0 || y < 0 || x >= m_cols || y >= m_rows)
        return;
    if (y >= int(m_cells.size())) {
        if (text.isEmpty())
            return;
        m_cells.resize(size_t(y) + 1);
    }
    auto &r = m_cells[size_t(y)];
    if (x >= int(r.size())) {
        if (text.isEmpty())
            return;
        r.resize(size_t(x) + 1);
    }
    if (r[size_t(x)] == text)
        return;
    r[size_t(x)] = text;
    const QModelIndex i = index(y, x);
    emit dataChanged(i, i);
}

void StagingGrid::clearBelowHeader()
{
    beginResetModel();
    if (m_cells.size() > 1)
        m_cells.resize(1);
    endResetModel();
}

void StagingGrid::numberRowsAndColumns()
{
    beginResetModel();
    m_cells.resize(std::max<size_t>(m_cells.size(), size_t(m_rows)));
    for (int y = 1; y < m_rows; ++y) {
        auto &r = m_cells[size_t(y)];
        if (r.empty())
            r.resize(1);
        r[0] = QString::number(y);
    }
    auto &head = m_cells[0];
    head.resize(std::max<size_t>(head.size(), size_t(m_cols)));
    for (int x = 1; x < m_cols; ++x)
        head[size_t(x)] = QString::number(x);
    head[0] = QStringLiteral("Sa/Sü");
    endResetModel();
}

QModelIndex StagingGrid::indexAfterEnter(const QModelIndex &current) const
{
    if (!current.isValid())
        return {};
    int row = current.row(), col = current.column() + 1;
    if (col >= m_cols) {
        col = 1;
        if (row + 1 < m_rows)
            ++row;
    }
    return index(row, col);
}

int StagingGrid::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int StagingGrid::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant StagingGrid::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return cell(index.column(), index.row());
    return {};
}

bool StagingGrid::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() == 0 || index.column() == 0)
        return false;
    setCell(index.column(), index.row(), value.toString());
    return true;
}

Qt::ItemFlags StagingGrid::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.row() == 0 || index.column() == 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void stageWorkbook(StagingGrid &grid, const QString &path, const Regional &reg)
{
    stageSheet(grid, readWorkbook(path, reg, StagingGrid::MaxSheetRows), reg);
}

void stageSheet(StagingGrid &grid, const WorkbookSheet &sheet, const Regional &reg)
{
    // One more row and column than used: an empty last row and column, and
    // at least 2 x 2 cells for an empty sheet.
    const int rows = std::min(std::max(sheet.rows, 1) + 1, StagingGrid::MaxSheetRows);
    const int columns = std::max(sheet.columns, 1) + 1;
    grid.setGridSize(rows + 1, columns + 1);
    int lastRow = 0;
    try {
        for (const PlacedCell &p : sheet.cells) {
            if (p.row >= rows)
                break;
            if (p.row + 1 != lastRow) {
                if (lastRow > 0)
                    grid.setGridRowCount(std::max(grid.gridRowCount(), lastRow + 2));
                lastRow = p.row + 1;
            }
            grid.setCell(p.col + 1, p.row + 1, workbookCellText(p.cell, reg));
        }
    } catch (...) {
        // rows before the failing one were complete
        if (lastRow > 1)
            grid.setGridRowCount(lastRow + 1);
        throw;
    }
    grid.setGridRowCount(rows + 2);
}

} // namespace kervio
