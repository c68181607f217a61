#include "UserStore.h"

#include "RecordIndex.h"
#include "SqlDialect.h"
#include "StoreDetail.h"

#include <QDebug>
#include <QSqlQuery>
#include <QVariant>

namespace {

std::optional<qint64> optionalInteger(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toLongLong();
}

UserRow userFromQuery(const QSqlQuery& query)
{
    UserRow row;
    row.id = query.value(0).toLongLong();
    row.cardnum = cardNumberFromSql(query.value(1));
    row.name = query.value(2).toString();
    row.addr = query.value(3).toString();
    row.phone = query.value(4).toString();
    row.carnum = query.value(5).toString();
    row.date = query.value(6).toString();
    row.manager = query.value(7).toString();
    row.sn = query.value(8).toString();
    row.note = query.value(9).toString();
    row.bindchid = optionalInteger(query.value(10));
    row.bindport = optionalInteger(query.value(11));
    return row;
}

QString userTable()
{
    return SqlDialect::current().table(QStringLiteral("user"));
}

} // namespace

UserLookup findUserByCard(quint32 cardnum)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("select * from %1 where cardnum = :cardnum").arg(userTable())
        + SqlDialect::current().idOrder());
    query.bindValue(QStringLiteral(":cardnum"), sqlCardNumber(cardnum));
    return lookupFirstRow<UserLookup>(query, userFromQuery);
}

LookupStatus findOwnerRow(const UserRow& owner)
{
    return findRowWithValues(userTable(),
        { "cardnum", "name", "addr", "phone", "carnum", "date", "manager", "sn", "note" },
        [&owner](QSqlQuery& query) { bindHolderColumns(query, owner); });
}

bool insertUser(const UserRow& user)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("insert into %1 (id,cardnum,name,addr,phone,carnum,date,manager,sn,note) "
                                 "values (:id,:cardnum,:name,:addr,:phone,:carnum,:date,:manager,:sn,:note)")
                      .arg(userTable()));
    bindHolderColumns(query, user);
    return execWrite(query, "inserted!", "insert false");
}

bool updateUser(qint64 id, const UserRow& user)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("update %1 set cardnum = :cardnum,name = :name,addr = :addr,phone = :phone,"
                                 "carnum = :carnum,date = :date,manager = :manager,sn = :sn,note = :note "
                                 "where id = :id")
                      .arg(userTable()));
    bindHolderColumns(query, user);
    query.bindValue(QStringLiteral(":id"), id);
    if (!execWrite(query, "modfyed!", "modfy false"))
        return false;
    // A holder rewritten in place is found under the new name.
    RecordIndex::rowChanged(QStringLiteral("user"), id);
    return true;
}

OwnerSave saveCardOwner(const UserRow& owner)
{
    const UserLookup existing = findUserByCard(owner.cardnum);
    switch (existing.status) {
    case LookupStatus::Failed:
        return OwnerSave::LookupFailed;
    case LookupStatus::NotFound:
        qDebug() << "cardnum no";
        return insertUser(owner) ? OwnerSave::Inserted : OwnerSave::InsertFailed;
    case LookupStatus::Found:
        break;
    }
    qDebug() << "cardnum haved";
    return updateUser(existing.row.id, owner) ? OwnerSave::Updated : OwnerSave::UpdateFailed;
}

bool setUserBinding(qint64 id, qint64 bindchid, qint64 bindport)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("update %1 set bindchid = :bindchid,bindport = :bindport where id = :id")
                      .arg(userTable()));
    query.bindValue(QStringLiteral(":bindchid"), bindchid);
    query.bindValue(QStringLiteral(":bindport"), bindport);
    query.bindValue(QStringLiteral(":id"), id);
    if (!execWrite(query, "bound!", "bind false"))
        return false;
    // The index's fingerprint of its last row covers the binding too.
    RecordIndex::rowChanged(QStringLiteral("user"), id);
    return true;
}
