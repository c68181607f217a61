#include "RecordQuery.h"

#include "CardCrypto.h"
#include "StoreDetail.h"

#include <QSqlQuery>
#include <QVariant>

namespace {

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

GridResult runGrid(const BrowserTable& table, QSqlQuery& query)
{
    GridResult result;
    query.setForwardOnly(true);
    if (!query.exec())
        return result;
    result.grid = TextGrid(table.columns.size());
    while (query.next()) {
        for (const ShownColumn& column : table.columns)
            result.grid.appendCell(RecordQuery::cellText(column.kind, query.value(column.source)));
    }
    result.status = result.grid.rowCount() > 0 ? LookupStatus::Found : LookupStatus::NotFound;
    return result;
}

GridResult likeSearch(const BrowserTable& table, const QString& column, const QString& text)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("select * from %1 where %2 like :pattern").arg(table.name, column));
    query.bindValue(QStringLiteral(":pattern"), QString(QLatin1Char('%') + text + QLatin1Char('%')));
    return runGrid(table, query);
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

GridResult all(const BrowserTable& table)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("select * from %1").arg(table.name));
    return runGrid(table, query);
}

GridResult byName(const BrowserTable& table, const QString& text)
{
    return likeSearch(table, QStringLiteral("name"), text);
}

GridResult byPhone(const BrowserTable& table, const QString& text)
{
    return likeSearch(table, QStringLiteral("phone"), text);
}

GridResult byDates(const BrowserTable& table, const QDate& from, const QDate& to)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("select * from %1 where date>=:from and date<=:to").arg(table.name));
    query.bindValue(QStringLiteral(":from"), from.toString(QStringLiteral("yyyy-MM-dd")));
    query.bindValue(QStringLiteral(":to"), to.addDays(1).toString(QStringLiteral("yyyy-MM-dd")));
    return runGrid(table, query);
}

} // namespace RecordQuery
