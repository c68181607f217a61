#include "Database.h"

#include "ManStore.h"

#include <QDebug>
#include <QSqlQuery>

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

bool runCreate(const char* statement)
{
    QSqlQuery query;
    const bool ok = query.exec(QLatin1String(statement));
    qDebug() << (ok ? "ceate table partition success" : "ceate table partition failed");
    return ok;
}

} // namespace

QSqlDatabase addStationConnection(const QString& fileName, const QString& connectionName)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(fileName);
    db.setUserName(QStringLiteral("root"));
    db.setPassword(QStringLiteral("739251"));
    return db;
}

bool openDatabase(const QString& fileName)
{
    QSqlDatabase db = addStationConnection(fileName);
    const bool ok = db.open();
    qDebug() << (ok ? "open ok" : "open false");
    return ok;
}

bool createTables()
{
    bool ok = runCreate(kCreateMan);
    ok = runCreate(kCreateUser) && ok;
    // Older databases lack the bind columns; on newer ones these fail with a
    // duplicate column, which is expected and ignored.
    QSqlQuery().exec(QLatin1String(kAddBindChid));
    QSqlQuery().exec(QLatin1String(kAddBindPort));
    ok = runCreate(kCreateRecord) && ok;
    ok = runCreate(kCreateBackcard) && ok;
    ok = runCreate(kCreateDevch) && ok;
    return ok;
}

SeedOutcome seedAdministrator(const QDateTime& now)
{
    QSqlQuery query;
    if (query.exec(QStringLiteral("select * from man where name like 'admin'")) && query.next()) {
        qDebug() << "admin haved";
        return SeedOutcome::AdminPresent;
    }
    qDebug() << "admin no";
    if (!insertMan(QStringLiteral("admin"), QString(), QStringLiteral("超级用户"), now)) {
        qDebug() << "insert false";
        return SeedOutcome::InsertFailed;
    }
    qDebug() << "inserted!";
    return SeedOutcome::Inserted;
}

DatabaseStartup prepareDatabase(const QString& fileName)
{
    DatabaseStartup startup;
    startup.opened = openDatabase(fileName);
    createTables();
    startup.seedFailed = seedAdministrator() == SeedOutcome::InsertFailed;
    return startup;
}
