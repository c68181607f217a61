#include "RecordStore.h"

#include "StoreDetail.h"

#include <QSqlQuery>

namespace {

bool execLogged(QSqlQuery& query)
{
    return execWrite(query, "inserted!", "insert false");
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

bool insertRechargeRow(const RechargeRow& row)
{
    QSqlQuery query;
    query.prepare(QStringLiteral(
        "insert into record (id,cardnum,name,addr,phone,carnum,date,manager,pay,pay_old,pay_new,sn,note) "
        "values (:id,:cardnum,:name,:addr,:phone,:carnum,:date,:manager,:pay,:pay_old,:pay_new,:sn,:note)"));
    bindRechargeRow(query, row);
    return execLogged(query);
}

bool insertReturnRow(const ReturnRow& row)
{
    QSqlQuery query;
    query.prepare(
        QStringLiteral("insert into backcard (id,cardnum,name,addr,phone,carnum,date,manager,pay,sn,note) "
                       "values (:id,:cardnum,:name,:addr,:phone,:carnum,:date,:manager,:pay,:sn,:note)"));
    bindReturnRow(query, row);
    return execLogged(query);
}

bool insertDevChRow(const DevChRow& row)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("insert into devch (id,money,sn,ver,manager,date) "
                                 "values (:id,:money,:sn,:ver,:manager,:date)"));
    bindDevChRow(query, row);
    return execLogged(query);
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
