#include "GridModel.h"

#include <QTimer>
#include <algorithm>

GridModel::GridModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void GridModel::setTitles(const QStringList& titles)
{
    beginResetModel();
    m_titles = titles;
    m_pages.clear();
    endResetModel();
}

// Rows go and come by row signals, not a reset: a reset would also drop the
// column widths the browser set.
void GridModel::setRows(IdRuns ids)
{
    if (rowCount() > 0) {
        beginRemoveRows(QModelIndex(), 0, rowCount() - 1);
        m_ids = IdRuns();
        m_start = 0;
        endRemoveRows();
    }
    m_pages.clear();
    m_edited.clear();
    m_start = 0;
    const int rows = int(std::min<qint64>(ids.count(), kWindowRows));
    if (rows == 0) {
        m_ids = std::move(ids);
        return;
    }
    beginInsertRows(QModelIndex(), 0, rows - 1);
    m_ids = std::move(ids);
    endInsertRows();
}

int GridModel::windowRows() const
{
    return int(std::min<qint64>(m_ids.count() - m_start, kWindowRows));
}

void GridModel::setWindowStart(qint64 start)
{
    start = std::max<qint64>(0, std::min<qint64>(start, m_ids.count() - kWindowRows));
    if (start == m_start)
        return;
    // The window keeps its size; only what it shows changes.
    m_start = start;
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), { Qt::DisplayRole });
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    }
}

const GridModel::Page& GridModel::page(qint64 number) const
{
    auto found = m_pages.find(number);
    if (found != m_pages.end() && found->failed && found->read.hasExpired(kRetryMs)) {
        m_pages.erase(found);
        found = m_pages.end();
    }
    if (found == m_pages.end()) {
        if (m_pages.size() >= kCachedPages) {
            auto oldest = std::min_element(
                m_pages.begin(), m_pages.end(), [](const Page& a, const Page& b) { return a.used < b.used; });
            m_pages.erase(oldest);
        }
        Page fresh;
        if (m_table) {
            fresh.failed = !RecordQuery::fetch(*m_table, m_ids, number * kPageRows, kPageRows, fresh.cells);
            fresh.read.start();
            noteRead(!fresh.failed);
        }
        found = m_pages.insert(number, fresh);
    }
    found->used = ++m_uses;
    return *found;
}

// Called while the view paints: what follows from a failure is queued.
void GridModel::noteRead(bool ok) const
{
    auto* self = const_cast<GridModel*>(this);
    if (!ok && !m_failing)
        QMetaObject::invokeMethod(self, &GridModel::readFailed, Qt::QueuedConnection);
    m_failing = !ok;
    if (ok || m_retrying)
        return;
    // The view asks again for what it shows, and so reads the failed pages anew.
    m_retrying = true;
    QTimer::singleShot(kRetryMs + 10, self, [self] {
        self->m_retrying = false;
        if (self->rowCount() > 0)
            emit self->dataChanged(self->index(0, 0),
                self->index(self->rowCount() - 1, self->columnCount() - 1), { Qt::DisplayRole });
    });
}

QString GridModel::text(qint64 row, int column) const
{
    if (row < 0 || row >= m_ids.count() || column < 0 || column >= m_titles.size())
        return QString();
    const auto edited = m_edited.constFind(qMakePair(m_ids.idAt(row), column));
    if (edited != m_edited.constEnd())
        return *edited;
    const RowCells& cells = page(row / kPageRows).cells;
    const int inPage = int(row % kPageRows);
    if (inPage >= cells.rowCount() || column >= cells.columns)
        return QString();
    return cells.text(inPage, column);
}

void GridModel::applyEdits(qint64 row, RowCells& cells) const
{
    if (m_edited.isEmpty())
        return;
    for (int r = 0; r < cells.rowCount(); ++r) {
        const qint64 id = m_ids.idAt(row + r);
        for (int column = 0; column < cells.columns; ++column) {
            const auto edited = m_edited.constFind(qMakePair(id, column));
            if (edited != m_edited.constEnd())
                cells.cells[r * cells.columns + column] = *edited;
        }
    }
}

bool GridModel::readRows(qint64 row, int rows, RowCells& out) const
{
    if (!m_table || !RecordQuery::fetch(*m_table, m_ids, row, rows, out))
        return false;
    applyEdits(row, out);
    return true;
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : windowRows();
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_titles.size();
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return text(m_start + index.row(), index.column());
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const qint64 id = m_ids.idAt(m_start + index.row());
    if (id < 0)
        return false;
    m_edited.insert(qMakePair(id, index.column()), value.toString());
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
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && section >= 0)
        return QString::number(m_start + section + 1);
    return QAbstractTableModel::headerData(section, orientation, role);
}
