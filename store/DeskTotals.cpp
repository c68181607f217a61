#include "DeskTotals.h"

#include "IdRuns.h"
#include "LedgerLock.h"
#include "RecordIndex.h"
#include "SqlDialect.h"

#include <QMap>
#include <QPair>
#include <QSqlQuery>
#include <QVariant>

namespace {

using DayOperator = QPair<QString, QString>;

struct TableSums
{
    const char* table;
    const char* money; // money column; empty for a table without money
    bool moneyText; // the column holds "%d.%02d" text, not fen
    DeskSum DeskTotalsRow::*sum; // null: only counted (issued cards)
};

// Runs of the period shorter than this are summed with others by "id in".
constexpr qint64 kRangeRunLength = 16;
constexpr int kIdsPerStatement = 500;

void addGroups(QSqlQuery& query, const TableSums& tableSums, QMap<DayOperator, DeskTotalsRow>& rows)
{
    while (query.next()) {
        const DayOperator key(query.value(0).toString(), query.value(1).toString());
        DeskTotalsRow& row = rows[key];
        row.day = key.first;
        row.manager = key.second;
        const int count = query.value(2).toInt();
        if (!tableSums.sum) {
            row.issued += count;
            continue;
        }
        DeskSum& sum = row.*tableSums.sum;
        sum.count += count;
        // The server sums bigint as numeric, which arrives as text.
        sum.fen += query.value(3).toLongLong();
        row.unreadable += count - query.value(4).toInt();
    }
}

// Grouped statements per table: the day is the first ten characters of the
// "yyyy-MM-dd hh.mm.ss" stamp, which also compares in time order as text. On
// the station file the ledger has no date index, so the side index names the
// ids of the period and the sums read those rows by id; the date condition
// stays, so a row changed since it was indexed is judged by the ledger.
bool addTable(const TableSums& tableSums, const QString& from, const QString& to, const QString& manager,
    RecordIndex* index, QMap<DayOperator, DeskTotalsRow>& rows)
{
    const SqlDialect dialect = SqlDialect::current();
    QString fen = QStringLiteral("0");
    if (tableSums.money)
        fen = tableSums.moneyText ? dialect.moneyFen(QLatin1String(tableSums.money))
                                  : QLatin1String(tableSums.money);
    QString statement
        = QStringLiteral("select substr(date, 1, 10), manager, count(*), sum(%1), count(%1) from %2"
                         " where date >= :from and date <= :to")
              .arg(fen, dialect.table(QLatin1String(tableSums.table)));
    if (!manager.isEmpty())
        statement += QStringLiteral(" and manager = :manager");
    const QString groups = QStringLiteral(" group by substr(date, 1, 10), manager");

    const auto run = [&](QSqlQuery& query) {
        query.bindValue(QStringLiteral(":from"), from);
        query.bindValue(QStringLiteral(":to"), to);
        if (!manager.isEmpty())
            query.bindValue(QStringLiteral(":manager"), manager);
        if (!execReading(query))
            return false;
        addGroups(query, tableSums, rows);
        return true;
    };

    const QString table = QLatin1String(tableSums.table);
    IdRuns ids;
    if (!index || !index->dates(table, from, to, ids)) {
        QSqlQuery query;
        query.setForwardOnly(true);
        query.prepare(statement + groups);
        return run(query);
    }
    QSqlQuery range;
    range.setForwardOnly(true);
    range.prepare(statement + QStringLiteral(" and id between :first and :last") + groups);
    return IdRuns::visit(
        ids.runs(), kRangeRunLength, kIdsPerStatement,
        [&](qint64 first, qint64 last) {
            range.bindValue(QStringLiteral(":first"), first);
            range.bindValue(QStringLiteral(":last"), last);
            return run(range);
        },
        [&](const QString& list) {
            QSqlQuery query;
            query.setForwardOnly(true);
            query.prepare(statement + QStringLiteral(" and id in (%1)").arg(list) + groups);
            return run(query);
        });
}

} // namespace

void DeskTotalsRow::add(const DeskTotalsRow& other)
{
    recharges.count += other.recharges.count;
    recharges.fen += other.recharges.fen;
    refunds.count += other.refunds.count;
    refunds.fen += other.refunds.fen;
    topUps.count += other.topUps.count;
    topUps.fen += other.topUps.fen;
    issued += other.issued;
    unreadable += other.unreadable;
}

DeskTotalsRow DeskTotals::total() const
{
    DeskTotalsRow sum;
    for (const DeskTotalsRow& row : rows)
        sum.add(row);
    return sum;
}

DeskTotals loadDeskTotals(
    const QDateTime& from, const QDateTime& to, const QString& manager, RecordIndex* index)
{
    static const TableSums kTables[] = {
        { "record", "pay", true, &DeskTotalsRow::recharges },
        { "backcard", "pay", true, &DeskTotalsRow::refunds },
        { "devch", "money", false, &DeskTotalsRow::topUps },
        { "user", nullptr, false, nullptr },
    };
    const QString fromText = from.toString(kRecordTimeFormat);
    const QString toText = to.toString(kRecordTimeFormat);
    DeskTotals totals;
    QMap<DayOperator, DeskTotalsRow> rows;
    std::shared_ptr<RecordIndex> acquired;
    if (!index) {
        acquired = RecordIndex::acquire();
        index = acquired.get();
    }
    for (const TableSums& tableSums : kTables) {
        if (!addTable(tableSums, fromText, toText, manager, index, rows))
            return totals;
    }
    totals.rows = rows.values().toVector();
    totals.status = totals.rows.isEmpty() ? LookupStatus::NotFound : LookupStatus::Found;
    return totals;
}
