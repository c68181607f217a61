#pragma once

#include "Database.h"
#include "LedgerLock.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <initializer_list>

// Text columns get empty text, never NULL, even from a null QString (an
// untouched line edit), so searches and comparisons see "".
inline QVariant sqlText(const QString& text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

// Card numbers are unsigned 32-bit; bound as such they never turn negative.
inline QVariant sqlCardNumber(quint32 cardnum)
{
    return QVariant(qulonglong(cardnum));
}
// Rows written with a signed binding hold negative numbers; both read back alike.
inline quint32 cardNumberFromSql(const QVariant& value)
{
    return quint32(value.toLongLong());
}

// Card number, holder texts, time, operator and reader: the columns the user,
// recharge and return tables share, bound by name.
template<typename Row>
void bindHolderColumns(QSqlQuery& query, const Row& row)
{
    query.bindValue(QStringLiteral(":cardnum"), sqlCardNumber(row.cardnum));
    query.bindValue(QStringLiteral(":name"), sqlText(row.name));
    query.bindValue(QStringLiteral(":addr"), sqlText(row.addr));
    query.bindValue(QStringLiteral(":phone"), sqlText(row.phone));
    query.bindValue(QStringLiteral(":carnum"), sqlText(row.carnum));
    query.bindValue(QStringLiteral(":date"), sqlText(row.date));
    query.bindValue(QStringLiteral(":manager"), sqlText(row.manager));
    query.bindValue(QStringLiteral(":sn"), sqlText(row.sn));
    query.bindValue(QStringLiteral(":note"), sqlText(row.note));
}

// Runs a write statement and logs its outcome with the station's debug lines
// ("inserted!"/"insert false" and the like); a failure is kept for the ledger
// checks, which tell a read-only file from a refused statement.
inline bool execWrite(QSqlQuery& query, const char* done, const char* failed)
{
    const bool ok = query.exec();
    qDebug() << (ok ? done : failed);
    if (!ok)
        noteLedgerWriteError(query.lastError());
    return ok;
}

// Whether the table holds a row whose named columns all equal the values
// bindValues(query) binds to ":column".
template<typename BindValues>
LookupStatus findRowWithValues(
    const QString& table, std::initializer_list<const char*> columns, BindValues bindValues)
{
    QStringList terms;
    for (const char* column : columns)
        terms << QStringLiteral("%1 = :%1").arg(QLatin1String(column));
    QSqlQuery query;
    query.prepare(
        QStringLiteral("select id from %1 where %2 limit 1").arg(table, terms.join(QLatin1String(" and "))));
    bindValues(query);
    if (!query.exec())
        return LookupStatus::Failed;
    return query.next() ? LookupStatus::Found : LookupStatus::NotFound;
}

// Runs a prepared query for one row: Found with the first row, NotFound, or
// the lookup's default Failed when the query does not run.
template<typename Lookup, typename FromQuery>
Lookup lookupFirstRow(QSqlQuery& query, FromQuery fromQuery)
{
    Lookup lookup;
    if (!query.exec())
        return lookup;
    if (query.next()) {
        lookup.status = LookupStatus::Found;
        lookup.row = fromQuery(query);
    } else {
        lookup.status = LookupStatus::NotFound;
    }
    return lookup;
}
