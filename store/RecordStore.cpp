#include "RecordStore.h"

#include "StoreDetail.h"

#include <QDebug>
#include <QSqlQuery>

namespace {

bool execLogged(QSqlQuery& query)
{
    const bool ok = query.exec();
    qDebug() << (ok ? "inserted!" : "insert false");
    return ok;
}

} // namespace

bool insertRechargeRow(const RechargeRow& row)
{
    QSqlQuery query;
    query.prepare(QStringLiteral(
        "insert into record (id,cardnum,name,addr,phone,carnum,date,manager,pay,pay_old,pay_new,sn,note) "
        "values (:id,:cardnum,:name,:addr,:phone,:carnum,:date,:manager,:pay,:pay_old,:pay_new,:sn,:note)"));
    bindHolderColumns(query, row);
    query.bindValue(QStringLiteral(":pay"), sqlText(row.pay));
    query.bindValue(QStringLiteral(":pay_old"), sqlText(row.payOld));
    query.bindValue(QStringLiteral(":pay_new"), sqlText(row.payNew));
    return execLogged(query);
}

bool insertReturnRow(const ReturnRow& row)
{
    QSqlQuery query;
    query.prepare(
        QStringLiteral("insert into backcard (id,cardnum,name,addr,phone,carnum,date,manager,pay,sn,note) "
                       "values (:id,:cardnum,:name,:addr,:phone,:carnum,:date,:manager,:pay,:sn,:note)"));
    bindHolderColumns(query, row);
    query.bindValue(QStringLiteral(":pay"), sqlText(row.pay));
    return execLogged(query);
}

bool insertDevChRow(const DevChRow& row)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("insert into devch (id,money,sn,ver,manager,date) "
                                 "values (:id,:money,:sn,:ver,:manager,:date)"));
    query.bindValue(QStringLiteral(":money"), qulonglong(row.money));
    query.bindValue(QStringLiteral(":sn"), qulonglong(row.sn));
    query.bindValue(QStringLiteral(":ver"), qulonglong(row.ver));
    query.bindValue(QStringLiteral(":manager"), sqlText(row.manager));
    query.bindValue(QStringLiteral(":date"), sqlText(row.date));
    return execLogged(query);
}
