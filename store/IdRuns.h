#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>
#include <functional>

// The ids of a result in ascending order, held as runs of consecutive ids:
// a table of five million rows without gaps costs one run, a scattered search
// result one run per id at worst. Row numbers are positions in the result.
class IdRuns
{
public:
    struct Run
    {
        qint64 first = 0;
        qint64 last = 0;
        qint64 row = 0; // result row of `first`
    };

    // Ids must come in ascending order; a smaller or equal id is ignored.
    void append(qint64 id) { appendRun(id, id); }
    void appendRun(qint64 first, qint64 last);

    qint64 count() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    qint64 lastId() const { return m_runs.isEmpty() ? 0 : m_runs.constLast().last; }
    const QVector<Run>& runs() const { return m_runs; }

    // -1 outside the result.
    qint64 idAt(qint64 row) const;
    qint64 rowOf(qint64 id) const;
    // The runs that cover rows [row, row + rows), cut to those rows.
    QVector<Run> slice(qint64 row, qint64 rows) const;

    // Splits runs into what one statement each reads: a run of at least
    // `rangeLength` ids as its bounds, shorter ones gathered into lists of up
    // to `perList` ids ("1,4,9", integers of our own, never typed text).
    // Stops at the first callback that returns false, and returns false then.
    static bool visit(const QVector<Run>& runs, qint64 rangeLength, int perList,
        const std::function<bool(qint64 first, qint64 last)>& range,
        const std::function<bool(const QString& ids)>& list);

    qint64 memoryUse() const { return qint64(m_runs.capacity()) * qint64(sizeof(Run)); }

private:
    int runOfRow(qint64 row) const;

    QVector<Run> m_runs;
    qint64 m_count = 0;
};
