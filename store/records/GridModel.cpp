#include "GridModel.h"

GridModel::GridModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void GridModel::setTitles(const QStringList& titles)
{
    beginResetModel();
    m_titles = titles;
    if (m_grid.columnCount() != titles.size())
        m_grid = TextGrid(titles.size());
    endResetModel();
}

// Rows go and come by row signals, not a reset: a reset would also drop the
// column widths the browser set.
void GridModel::setGrid(TextGrid grid)
{
    if (m_grid.rowCount() > 0) {
        beginRemoveRows(QModelIndex(), 0, m_grid.rowCount() - 1);
        m_grid = TextGrid(m_grid.columnCount());
        endRemoveRows();
    }
    if (grid.rowCount() == 0) {
        m_grid = std::move(grid);
        return;
    }
    beginInsertRows(QModelIndex(), 0, grid.rowCount() - 1);
    m_grid = std::move(grid);
    endInsertRows();
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_grid.rowCount();
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_titles.size();
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return m_grid.text(index.row(), index.column());
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    m_grid.setText(index.row(), index.column(), value.toString());
    emit dataChanged(index, index, { Qt::DisplayRole, Qt::EditRole });
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_titles.size())
        return m_titles.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
