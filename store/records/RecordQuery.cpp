#include "RecordQuery.h"

#include "CardCrypto.h"
#include "LedgerLock.h"
#include "RecordIndex.h"
#include "SqlDialect.h"
#include "StoreDetail.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <limits>

namespace {

// Runs shorter than this are read with others by "id in (...)".
constexpr qint64 kRangeRunLength = 16;
constexpr int kIdsPerStatement = 500;
constexpr qint64 kNoBound = std::numeric_limits<qint64>::min();

QVector<ShownColumn> inOrder(int count)
{
    QVector<ShownColumn> columns;
    for (int source = 0; source < count; ++source)
        columns.append({ source,
            source == 0       ? CellKind::SignedNumber
                : source == 1 ? CellKind::CardNumber
                              : CellKind::Text });
    return columns;
}

QString tableName(const QSqlDatabase& db, const QString& table)
{
    return SqlDialect::of(db).table(table);
}

// Asks the index, and the ledger alone when there is none or it cannot answer.
template<typename FromIndex, typename FromLedger>
RowSet collect(RecordIndex* index, FromIndex fromIndex, FromLedger fromLedger)
{
    RowSet result;
    if (!index || !fromIndex(*index, result.ids)) {
        result.ids = IdRuns();
        if (!fromLedger(QSqlDatabase::database(), result.ids))
            return result;
    }
    result.status = result.ids.isEmpty() ? LookupStatus::NotFound : LookupStatus::Found;
    return result;
}

QString likePattern(const QString& text)
{
    return QLatin1Char('%') + text + QLatin1Char('%');
}

RowSet likeSearch(const BrowserTable& table, const QString& column, const QString& text, RecordIndex* index)
{
    return collect(
        index,
        [&](RecordIndex& indexed, IdRuns& ids) { return indexed.search(table.name, column, text, ids); },
        [&](const QSqlDatabase& db, IdRuns& ids) {
            return RecordIndex::ledgerLike(db, table.name, column, likePattern(text), kNoBound, ids);
        });
}

void readRow(const BrowserTable& table, const QSqlQuery& query, QString* cells)
{
    for (const ShownColumn& column : table.columns)
        *cells++ = RecordQuery::cellText(column.kind, query.value(column.source));
}

} // namespace

const BrowserTable& BrowserTable::user()
{
    // The two bind columns, last in the table, are shown after the plate number.
    static const BrowserTable table { QStringLiteral("user"),
        { { 0, CellKind::SignedNumber }, { 1, CellKind::CardNumber }, { 2, CellKind::Text },
            { 3, CellKind::Text }, { 4, CellKind::Text }, { 5, CellKind::Text }, { 10, CellKind::Text },
            { 11, CellKind::Text }, { 6, CellKind::Text }, { 7, CellKind::Text }, { 8, CellKind::Text },
            { 9, CellKind::Text } } };
    return table;
}

const BrowserTable& BrowserTable::record()
{
    static const BrowserTable table { QStringLiteral("record"), inOrder(13) };
    return table;
}

const BrowserTable& BrowserTable::backCard()
{
    static const BrowserTable table { QStringLiteral("backcard"), inOrder(11) };
    return table;
}

const BrowserTable& BrowserTable::devCh()
{
    static const BrowserTable table { QStringLiteral("devch"),
        { { 1, CellKind::Money }, { 2, CellKind::Serial }, { 3, CellKind::SignedNumber },
            { 4, CellKind::Text }, { 5, CellKind::Text } } };
    return table;
}

// The administrator list: name and password.
const BrowserTable& BrowserTable::man()
{
    static const BrowserTable table { QStringLiteral("man"),
        { { 1, CellKind::Text }, { 2, CellKind::Text } } };
    return table;
}

namespace RecordQuery {

QString cellText(CellKind kind, const QVariant& value)
{
    switch (kind) {
    case CellKind::SignedNumber:
        return value.isNull() ? QString() : QString::number(value.toLongLong());
    case CellKind::CardNumber:
        return value.isNull() ? QString() : QString::number(cardNumberFromSql(value));
    case CellKind::Money:
        return moneyText(quint32(value.toLongLong())) + QStringLiteral("元");
    case CellKind::Serial:
        return QString::asprintf("%05d", int(value.toLongLong()));
    case CellKind::Text:
        break;
    }
    return value.toString();
}

RowSet all(const BrowserTable& table, RecordIndex* index)
{
    return collect(
        index, [&](RecordIndex& indexed, IdRuns& ids) { return indexed.allIds(table.name, ids); },
        [&](const QSqlDatabase& db, IdRuns& ids) {
            return RecordIndex::ledgerIdRuns(db, table.name, kNoBound, ids);
        });
}

RowSet opening(const BrowserTable& table, RecordIndex* index, int rows, bool& complete)
{
    const QSqlDatabase db = QSqlDatabase::database();
    complete = true;
    if (index || !SqlDialect::of(db).isServer())
        return all(table, index);
    RowSet result;
    complete = false;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("select id from %1 order by id limit :rows").arg(tableName(db, table.name)));
    query.bindValue(QStringLiteral(":rows"), rows + 1);
    if (!execReading(query))
        return result;
    int read = 0;
    while (query.next() && read < rows) {
        result.ids.append(query.value(0).toLongLong());
        ++read;
    }
    complete = !query.isValid();
    result.status = result.ids.isEmpty() ? LookupStatus::NotFound : LookupStatus::Found;
    return result;
}

RowSet byName(const BrowserTable& table, const QString& text, RecordIndex* index)
{
    return likeSearch(table, QStringLiteral("name"), text, index);
}

RowSet byPhone(const BrowserTable& table, const QString& text, RecordIndex* index)
{
    return likeSearch(table, QStringLiteral("phone"), text, index);
}

RowSet byDates(const BrowserTable& table, const QDate& from, const QDate& to, RecordIndex* index)
{
    const QString fromText = from.toString(QStringLiteral("yyyy-MM-dd"));
    const QString toText = to.addDays(1).toString(QStringLiteral("yyyy-MM-dd"));
    return collect(
        index,
        [&](RecordIndex& indexed, IdRuns& ids) { return indexed.dates(table.name, fromText, toText, ids); },
        [&](const QSqlDatabase& db, IdRuns& ids) {
            return RecordIndex::ledgerDates(db, table.name, fromText, toText, kNoBound, ids);
        });
}

bool fetch(const BrowserTable& table, const IdRuns& ids, qint64 row, int rows, RowCells& out)
{
    const QSqlDatabase db = QSqlDatabase::database();
    const QString name = tableName(db, table.name);
    const int columns = table.columns.size();
    out.columns = columns;
    out.cells
        = QVector<QString>(int(std::max<qint64>(0, std::min<qint64>(rows, ids.count() - row))) * columns);
    const QVector<IdRuns::Run> runs = ids.slice(row, rows);

    const auto readInto = [&](QSqlQuery& query) {
        query.setForwardOnly(true);
        if (!execReading(query))
            return false;
        while (query.next()) {
            const qint64 at = ids.rowOf(query.value(0).toLongLong()) - row;
            if (at >= 0 && at < out.rowCount())
                readRow(table, query, out.cells.data() + at * columns);
        }
        return true;
    };

    return IdRuns::visit(
        runs, kRangeRunLength, kIdsPerStatement,
        [&](qint64 first, qint64 last) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("select * from %1 where id between :first and :last").arg(name));
            query.bindValue(QStringLiteral(":first"), first);
            query.bindValue(QStringLiteral(":last"), last);
            return readInto(query);
        },
        [&](const QString& list) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("select * from %1 where id in (%2)").arg(name, list));
            return readInto(query);
        });
}

} // namespace RecordQuery
