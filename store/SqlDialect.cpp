#include "SqlDialect.h"

#include "ServerSchema.h"

namespace {

const char* const kCreateMan = "create table if not exists man (id integer primary key autoincrement,"
                               "name varchar(32),pwd varchar(32),date varchar(32),note varchar(64))";
const char* const kCreateUser
    = "create table if not exists user (id integer primary key autoincrement,cardnum INTEGER,"
      "name varchar(32),addr varchar(128),phone varchar(32),carnum varchar(32),date varchar(32),"
      "manager varchar(32),sn varchar(32),note varchar(128))";
const char* const kAddBindChid = "alter table 'user' add  'bindchid' integer";
const char* const kAddBindPort = "alter table 'user' add  'bindport' integer";
const char* const kCreateRecord
    = "create table if not exists record (id integer primary key autoincrement,cardnum INTEGER,"
      "name varchar(32),addr varchar(128),phone varchar(32),carnum varchar(32),date varchar(32),"
      "manager varchar(32),pay varchar(32),pay_old varchar(32),pay_new varchar(32),sn varchar(32),"
      "note varchar(128))";
const char* const kCreateBackcard
    = "create table if not exists backcard (id integer primary key autoincrement,cardnum INTEGER,"
      "name varchar(32),addr varchar(128),phone varchar(32),carnum varchar(32),date varchar(32),"
      "manager varchar(32),pay varchar(32),sn varchar(32),note varchar(128))";
const char* const kCreateDevch = "create table if not exists devch (id integer primary key autoincrement,"
                                 "money INTEGER,sn INTEGER,ver INTEGER,manager varchar(32),date varchar(32))";
// The audit trail beside the ledger; time in seconds since 1970 UTC, so that
// stations in any time zone compare alike.
const char* const kCreateAudit = "create table if not exists audit (id integer primary key autoincrement,"
                                 "time INTEGER,manager varchar(32),sn varchar(32),action varchar(32),"
                                 "subject varchar(64),outcome varchar(64))";
const char* const kAuditSubjectIndex = "create index if not exists audit_subject on audit (subject, action)";
const char* const kAuditTimeIndex = "create index if not exists audit_time on audit (time)";

} // namespace

SqlDialect SqlDialect::of(const QSqlDatabase& db)
{
    return SqlDialect(
        db.driverName() == driverName(Backend::PostgreSQL) ? Backend::PostgreSQL : Backend::SQLite);
}

SqlDialect SqlDialect::current()
{
    return of(QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false));
}

QString SqlDialect::driverName(Backend backend)
{
    return backend == Backend::PostgreSQL ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
}

QString SqlDialect::table(const QString& name) const
{
    if (isServer() && name == QLatin1String("user"))
        return QStringLiteral("\"user\"");
    return name;
}

QString SqlDialect::like(const QString& column, const QString& pattern) const
{
    if (isServer())
        return column + QStringLiteral(" ilike ") + pattern + QStringLiteral(" escape ''");
    return column + QStringLiteral(" like ") + pattern;
}

QString SqlDialect::idOrder() const
{
    return isServer() ? QStringLiteral(" order by id") : QString();
}

QString SqlDialect::moneyFen(const QString& column) const
{
    // Ten integer digits at most: the cast can then not overflow on the server.
    const QString wellFormed = isServer()
        ? QStringLiteral("%1 ~ '^[0-9]{1,10}[.][0-9]{2}$'").arg(column)
        : QStringLiteral("%1 glob '[0-9]*.[0-9][0-9]' and length(%1) <= 13"
                         " and substr(%1, 1, length(%1) - 3) not glob '*[^0-9]*'")
              .arg(column);
    return QStringLiteral("(case when %1 then cast(replace(%2, '.', '') as bigint) end)")
        .arg(wellFormed, column);
}

QString SqlDialect::beginWrite() const
{
    return isServer() ? QStringLiteral("begin") : QStringLiteral("begin immediate");
}

QString SqlDialect::beginSnapshot() const
{
    return isServer() ? QStringLiteral("begin transaction isolation level repeatable read, read only")
                      : QStringLiteral("begin");
}

QString SqlDialect::serializeImport() const
{
    // A transaction-level lock: commit or rollback ends it, a station that
    // crashes loses it with its connection.
    return isServer() ? QStringLiteral("select pg_advisory_xact_lock(hashtext('veloka import'))") : QString();
}

const QStringList& SqlDialect::keyedTables()
{
    static const QStringList tables { QStringLiteral("record"), QStringLiteral("backcard"),
        QStringLiteral("devch") };
    return tables;
}

QString SqlDialect::keyColumnList() const
{
    return keysRows() ? QStringLiteral(",entry_key") : QString();
}

QString SqlDialect::keyValueList() const
{
    return keysRows() ? QStringLiteral(",:entry_key") : QString();
}

QString SqlDialect::onKeyConflict() const
{
    return keysRows() ? QStringLiteral(" on conflict (entry_key) do nothing") : QString();
}

QVector<SqlDialect::SchemaStep> SqlDialect::schemaSteps() const
{
    if (isServer())
        return { { QString::fromUtf8(kServerSchema), true } };
    return { { QLatin1String(kCreateMan), true }, { QLatin1String(kCreateUser), true },
        { QLatin1String(kAddBindChid), false }, { QLatin1String(kAddBindPort), false },
        { QLatin1String(kCreateRecord), true }, { QLatin1String(kCreateBackcard), true },
        { QLatin1String(kCreateDevch), true }, { QLatin1String(kCreateAudit), false },
        { QLatin1String(kAuditSubjectIndex), false }, { QLatin1String(kAuditTimeIndex), false } };
}
