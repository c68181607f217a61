#include "RecordStore.h"

#include "SqlDialect.h"
#include "StoreDetail.h"

#include <QSqlQuery>
#include <functional>

namespace {

bool execLogged(QSqlQuery& query)
{
    return execWrite(query, "inserted!", "insert false");
}

// "insert into table (columns) values (values)" with the key where the back
// end keeps one.
bool insertKeyed(const QString& table, const QString& columns, const QString& values, const QString& key,
    const std::function<void(QSqlQuery&)>& bind)
{
    const SqlDialect dialect = SqlDialect::current();
    const QString statement = QStringLiteral("insert into %1 (%2%3) values (%4%5)%6")
                                  .arg(table, columns, dialect.keyColumnList(), values,
                                      dialect.keyValueList(), dialect.onKeyConflict());
    QSqlQuery own;
    QSqlQuery* query = preparedLedgerStatement(statement);
    if (!query) {
        own.prepare(statement);
        query = &own;
    }
    bind(*query);
    if (dialect.keysRows())
        query->bindValue(QStringLiteral(":entry_key"), key.isEmpty() ? QVariant(QVariant::String) : key);
    if (ledgerBeginDeferred())
        return execWithDeferredBegin(statement, *query);
    return execLogged(*query);
}

void bindRechargeRow(QSqlQuery& query, const RechargeRow& row)
{
    bindHolderColumns(query, row);
    query.bindValue(QStringLiteral(":pay"), sqlText(row.pay));
    query.bindValue(QStringLiteral(":pay_old"), sqlText(row.payOld));
    query.bindValue(QStringLiteral(":pay_new"), sqlText(row.payNew));
}

void bindReturnRow(QSqlQuery& query, const ReturnRow& row)
{
    bindHolderColumns(query, row);
    query.bindValue(QStringLiteral(":pay"), sqlText(row.pay));
}

void bindDevChRow(QSqlQuery& query, const DevChRow& row)
{
    query.bindValue(QStringLiteral(":money"), qulonglong(row.money));
    query.bindValue(QStringLiteral(":sn"), qulonglong(row.sn));
    query.bindValue(QStringLiteral(":ver"), qulonglong(row.ver));
    query.bindValue(QStringLiteral(":manager"), sqlText(row.manager));
    query.bindValue(QStringLiteral(":date"), sqlText(row.date));
}

} // namespace

bool insertRechargeRow(const RechargeRow& row, const QString& key)
{
    return insertKeyed(QStringLiteral("record"),
        QStringLiteral("id,cardnum,name,addr,phone,carnum,date,manager,pay,pay_old,pay_new,sn,note"),
        QStringLiteral(
            ":id,:cardnum,:name,:addr,:phone,:carnum,:date,:manager,:pay,:pay_old,:pay_new,:sn,:note"),
        key, [&row](QSqlQuery& query) { bindRechargeRow(query, row); });
}

bool insertReturnRow(const ReturnRow& row, const QString& key)
{
    return insertKeyed(QStringLiteral("backcard"),
        QStringLiteral("id,cardnum,name,addr,phone,carnum,date,manager,pay,sn,note"),
        QStringLiteral(":id,:cardnum,:name,:addr,:phone,:carnum,:date,:manager,:pay,:sn,:note"), key,
        [&row](QSqlQuery& query) { bindReturnRow(query, row); });
}

bool insertDevChRow(const DevChRow& row, const QString& key)
{
    return insertKeyed(QStringLiteral("devch"), QStringLiteral("id,money,sn,ver,manager,date"),
        QStringLiteral(":id,:money,:sn,:ver,:manager,:date"), key,
        [&row](QSqlQuery& query) { bindDevChRow(query, row); });
}

LookupStatus findRechargeRow(const RechargeRow& row)
{
    return findRowWithValues(QStringLiteral("record"),
        { "cardnum", "name", "addr", "phone", "carnum", "date", "manager", "pay", "pay_old", "pay_new", "sn",
            "note" },
        [&row](QSqlQuery& query) { bindRechargeRow(query, row); });
}

LookupStatus findReturnRow(const ReturnRow& row)
{
    return findRowWithValues(QStringLiteral("backcard"),
        { "cardnum", "name", "addr", "phone", "carnum", "date", "manager", "pay", "sn", "note" },
        [&row](QSqlQuery& query) { bindReturnRow(query, row); });
}

LookupStatus findDevChRow(const DevChRow& row)
{
    return findRowWithValues(QStringLiteral("devch"), { "money", "sn", "ver", "manager", "date" },
        [&row](QSqlQuery& query) { bindDevChRow(query, row); });
}

LookupStatus findKeyedRow(const QString& table, const QString& key)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("select id from %1 where entry_key = :entry_key").arg(table));
    query.bindValue(QStringLiteral(":entry_key"), key);
    if (!query.exec())
        return LookupStatus::Failed;
    return query.next() ? LookupStatus::Found : LookupStatus::NotFound;
}
