#include "Database.h"

#include "ManStore.h"
#include "SqlDialect.h"

#include <QDebug>
#include <QSqlQuery>

namespace {

bool runCreate(const QString& statement)
{
    QSqlQuery query;
    const bool ok = query.exec(statement);
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
    bool ok = true;
    for (const SqlDialect::SchemaStep& step : SqlDialect::current().schemaSteps()) {
        if (step.examined)
            ok = runCreate(step.statement) && ok;
        else
            QSqlQuery().exec(step.statement);
    }
    return ok;
}

SeedOutcome seedAdministrator(const QDateTime& now)
{
    QSqlQuery query;
    if (query.exec(QStringLiteral("select * from man where ") + SqlDialect::current().like("name", "'admin'"))
        && query.next()) {
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
