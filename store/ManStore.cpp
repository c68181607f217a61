#include "ManStore.h"

#include "AuditTrail.h"
#include "RecordIndex.h"
#include "SqlDialect.h"
#include "StoreDetail.h"

#include <QSqlQuery>
#include <QVariant>
#include <limits>

namespace {

ManRow manFromQuery(const QSqlQuery& query)
{
    ManRow row;
    row.id = query.value(0).toLongLong();
    row.name = query.value(1).toString();
    row.pwd = query.value(2).toString();
    row.date = query.value(3).toString();
    row.note = query.value(4).toString();
    return row;
}

} // namespace

ManLookup findManLike(const QString& pattern)
{
    QSqlQuery query;
    const SqlDialect dialect = SqlDialect::current();
    query.prepare(
        QStringLiteral("select * from man where ") + dialect.like("name", ":name") + dialect.idOrder());
    query.bindValue(QStringLiteral(":name"), pattern);
    return lookupFirstRow<ManLookup>(query, manFromQuery);
}

QList<ManRow> listMen()
{
    QList<ManRow> rows;
    QSqlQuery query;
    if (!query.exec(QStringLiteral("select * from man") + SqlDialect::current().idOrder()))
        return rows;
    while (query.next())
        rows.append(manFromQuery(query));
    return rows;
}

bool manIds(IdRuns& out)
{
    out = IdRuns();
    return RecordIndex::ledgerIdRuns(
        QSqlDatabase::database(), QStringLiteral("man"), std::numeric_limits<qint64>::min(), out);
}

QStringList manNames()
{
    QStringList names;
    for (const ManRow& row : listMen())
        names.append(row.name);
    return names;
}

bool insertMan(const QString& name, const QString& pwd, const QString& note, const QDateTime& now)
{
    QSqlQuery query;
    query.prepare(QStringLiteral(
        "insert into man (id, name, pwd, date, note) values (:id, :name, :pwd, :date, :note)"));
    query.bindValue(QStringLiteral(":name"), sqlText(name));
    query.bindValue(QStringLiteral(":pwd"), sqlText(pwd));
    query.bindValue(QStringLiteral(":date"), now.toString(kManTimeFormat));
    query.bindValue(QStringLiteral(":note"), sqlText(note));
    return query.exec();
}

bool addMan(const QString& name, const QString& pwd, const QDateTime& now)
{
    const bool ok = insertMan(name, pwd, QString(), now);
    AuditTrail::record(AuditAction::AdminAdd, name, AuditTrail::outcome(ok));
    return ok;
}

bool changeMan(qint64 id, const QString& name, const QString& pwd, const QDateTime& now)
{
    QSqlQuery query;
    query.prepare(
        QStringLiteral("update man set name = :name,pwd = :pwd,date = :date,note = :note where id = :id"));
    query.bindValue(QStringLiteral(":name"), sqlText(name));
    query.bindValue(QStringLiteral(":pwd"), sqlText(pwd));
    query.bindValue(QStringLiteral(":date"), now.toString(kManTimeFormat));
    query.bindValue(QStringLiteral(":note"), QStringLiteral(""));
    query.bindValue(QStringLiteral(":id"), id);
    // An account another station deleted since the look-up changes nothing.
    const bool ok = query.exec() && query.numRowsAffected() > 0;
    AuditTrail::record(AuditAction::AdminChange, name, AuditTrail::outcome(ok));
    return ok;
}

bool deleteMan(qint64 id)
{
    // The trail names the account, which is gone afterwards.
    QSqlQuery lookup;
    lookup.prepare(QStringLiteral("select name from man where id = :id"));
    lookup.bindValue(QStringLiteral(":id"), id);
    const QString name = lookup.exec() && lookup.next() ? lookup.value(0).toString() : QString::number(id);

    QSqlQuery query;
    query.prepare(QStringLiteral("delete from man where id = :id"));
    query.bindValue(QStringLiteral(":id"), id);
    const bool ok = query.exec();
    AuditTrail::record(AuditAction::AdminDelete, name, AuditTrail::outcome(ok));
    return ok;
}
