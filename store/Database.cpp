#include "Database.h"

#include "ManStore.h"
#include "SqlDialect.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <sys/stat.h>

namespace {

int g_openWaitMs = kDefaultDatabaseOpenWaitMs;
// One step of the wait: short, so the waiting notice stays painted.
constexpr int kOpenWaitStepMs = 200;

enum class FileCheck { Usable, NotUsable, Busy };

// Opening does not read the file; this does, so random bytes or a lock held
// elsewhere show here and not at the first statement that needs the file.
FileCheck readCheck()
{
    QSqlQuery query;
    if (query.exec(QStringLiteral("select count(*) from sqlite_master")) && query.next())
        return FileCheck::Usable;
    qDebug() << "database check:" << query.lastError().text();
    const int code = query.lastError().nativeErrorCode().toInt() & 0xFF;
    return code == 5 || code == 6 ? FileCheck::Busy : FileCheck::NotUsable; // SQLITE_BUSY, SQLITE_LOCKED
}

FileCheck checkOpenedFile(const std::function<void()>& whileWaiting)
{
    QSqlQuery pragma;
    const int previousTimeout = pragma.exec(QStringLiteral("pragma busy_timeout")) && pragma.next()
        ? pragma.value(0).toInt()
        : 5000; // the driver's own
    pragma.exec(QStringLiteral("pragma busy_timeout = %1").arg(kOpenWaitStepMs));
    QElapsedTimer waited;
    waited.start();
    FileCheck check = readCheck();
    while (check == FileCheck::Busy && waited.elapsed() < g_openWaitMs) {
        if (whileWaiting)
            whileWaiting();
        check = readCheck();
    }
    pragma.exec(QStringLiteral("pragma busy_timeout = %1").arg(previousTimeout));
    return check;
}

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

bool isSameFile(const QString& first, const QString& second)
{
    struct stat a;
    struct stat b;
    return ::stat(QFile::encodeName(first).constData(), &a) == 0
        && ::stat(QFile::encodeName(second).constData(), &b) == 0 && a.st_dev == b.st_dev
        && a.st_ino == b.st_ino;
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

void setDatabaseOpenWait(int ms)
{
    g_openWaitMs = qMax(ms, 0);
}

DatabaseStartup prepareDatabase(const QString& fileName, const std::function<void()>& whileWaiting)
{
    DatabaseStartup startup;
    startup.opened = openDatabase(fileName);
    if (startup.opened) {
        const FileCheck check = checkOpenedFile(whileWaiting);
        if (check != FileCheck::Usable) {
            // Every later statement would fail, each after its own wait on a lock.
            QSqlDatabase::database().close();
            startup.opened = false;
            startup.inUse = check == FileCheck::Busy;
            return startup;
        }
    }
    createTables();
    startup.seedFailed = seedAdministrator() == SeedOutcome::InsertFailed;
    return startup;
}
