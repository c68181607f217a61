#include "IdRuns.h"

#include <QStringList>
#include <algorithm>

void IdRuns::appendRun(qint64 first, qint64 last)
{
    if (!m_runs.isEmpty())
        first = std::max(first, m_runs.constLast().last + 1);
    if (last < first)
        return;
    if (!m_runs.isEmpty() && m_runs.constLast().last + 1 == first)
        m_runs.last().last = last;
    else
        m_runs.append({ first, last, m_count });
    m_count += last - first + 1;
}

int IdRuns::runOfRow(qint64 row) const
{
    const auto after = std::upper_bound(
        m_runs.cbegin(), m_runs.cend(), row, [](qint64 value, const Run& run) { return value < run.row; });
    return int(after - m_runs.cbegin()) - 1;
}

qint64 IdRuns::idAt(qint64 row) const
{
    if (row < 0 || row >= m_count)
        return -1;
    const Run& run = m_runs.at(runOfRow(row));
    return run.first + (row - run.row);
}

qint64 IdRuns::rowOf(qint64 id) const
{
    const auto after = std::upper_bound(
        m_runs.cbegin(), m_runs.cend(), id, [](qint64 value, const Run& run) { return value < run.first; });
    if (after == m_runs.cbegin())
        return -1;
    const Run& run = *(after - 1);
    return id <= run.last ? run.row + (id - run.first) : -1;
}

QVector<IdRuns::Run> IdRuns::slice(qint64 row, qint64 rows) const
{
    QVector<Run> cut;
    const qint64 end = std::min(row + rows, m_count);
    if (row < 0 || row >= end)
        return cut;
    for (int index = runOfRow(row); index < m_runs.size() && m_runs.at(index).row < end; ++index) {
        const Run& run = m_runs.at(index);
        const qint64 from = std::max(row, run.row);
        const qint64 to = std::min(end, run.row + (run.last - run.first + 1));
        cut.append({ run.first + (from - run.row), run.first + (to - 1 - run.row), from });
    }
    return cut;
}

bool IdRuns::visit(const QVector<Run>& runs, qint64 rangeLength, int perList,
    const std::function<bool(qint64, qint64)>& range, const std::function<bool(const QString&)>& list)
{
    QStringList scattered;
    const auto flush = [&]() {
        if (scattered.isEmpty())
            return true;
        const QString ids = scattered.join(QLatin1Char(','));
        scattered.clear();
        return list(ids);
    };
    for (const Run& run : runs) {
        if (run.last - run.first + 1 >= rangeLength) {
            if (!range(run.first, run.last))
                return false;
            continue;
        }
        for (qint64 id = run.first; id <= run.last; ++id)
            scattered.append(QString::number(id));
        if (scattered.size() >= perList && !flush())
            return false;
    }
    return flush();
}
