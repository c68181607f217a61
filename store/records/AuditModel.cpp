#include "AuditModel.h"

#include <QDateTime>
#include <cstdlib>

AuditModel::AuditModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void AuditModel::setTitles(const QStringList& titles)
{
    m_titles = titles;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void AuditModel::setShownNames(const QHash<QString, QString>& names)
{
    beginResetModel();
    m_names = names;
    endResetModel();
}

void AuditModel::setFilter(const AuditFilter& filter)
{
    beginResetModel();
    m_filter = filter;
    m_pages.clear();
    m_rows = AuditTrail::count(filter);
    endResetModel();
}

int AuditModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int AuditModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const AuditRow* AuditModel::rowAt(int row) const
{
    const int page = row / kPageRows;
    auto found = m_pages.constFind(page);
    if (found == m_pages.constEnd()) {
        // Reading on from the page above goes by id, which the index finds at
        // once; a jump counts its way to the position.
        const auto above = m_pages.constFind(page - 1);
        QVector<AuditRow> rows = above != m_pages.constEnd() && !above->isEmpty()
            ? AuditTrail::page(m_filter, above->last().id, kPageRows)
            : AuditTrail::pageAt(m_filter, page * kPageRows, kPageRows);
        ++m_pagesRead;
        if (m_pages.size() >= kHeldPages) {
            // The page farthest from this one goes.
            int farthest = m_pages.constBegin().key();
            for (auto it = m_pages.constBegin(); it != m_pages.constEnd(); ++it)
                if (std::abs(it.key() - page) > std::abs(farthest - page))
                    farthest = it.key();
            m_pages.remove(farthest);
        }
        found = m_pages.insert(page, rows);
    }
    const int offset = row % kPageRows;
    return offset < found->size() ? &found->at(offset) : nullptr;
}

QString AuditModel::shown(const QString& stored) const
{
    const auto whole = m_names.constFind(stored);
    if (whole != m_names.constEnd())
        return *whole;
    // "ok 12.34", "failed 3 packet 7": the leading word is a stored name, the rest figures.
    const int space = stored.indexOf(QLatin1Char(' '));
    if (space < 0)
        return stored;
    const auto head = m_names.constFind(stored.left(space));
    return head == m_names.constEnd() ? stored : *head + stored.mid(space);
}

QVariant AuditModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows)
        return QVariant();
    const AuditRow* row = rowAt(index.row());
    if (!row)
        return QVariant();
    switch (index.column()) {
    case Time:
        return QDateTime::fromSecsSinceEpoch(row->time).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    case Manager:
        return row->manager;
    case Station:
        return row->sn;
    case Action:
        return shown(row->action);
    case Subject:
        return row->subject;
    case Outcome:
        return shown(row->outcome);
    default:
        return QVariant();
    }
}

QVariant AuditModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_titles.size())
        return m_titles.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
