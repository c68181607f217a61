#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// Ledger faults for tests, on the station file the default connection has open.
namespace LedgerFaults {

// Another program on the same file: it holds the write lock, an exclusive
// lock, or a read lock (a long read, which lets a write begin but not commit).
class OtherProgram
{
public:
    enum Lock { WriteLock, ExclusiveLock, ReadLock };

    OtherProgram()
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        db.setDatabaseName(QSqlDatabase::database().databaseName());
        db.open();
    }
    ~OtherProgram()
    {
        release();
        QSqlDatabase::database(kName, false).close();
        QSqlDatabase::removeDatabase(kName);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    bool hold(Lock lock)
    {
        QSqlQuery query(QSqlDatabase::database(kName));
        switch (lock) {
        case WriteLock:
            return query.exec(QStringLiteral("begin immediate"));
        case ExclusiveLock:
            return query.exec(QStringLiteral("begin exclusive"));
        case ReadLock:
            return query.exec(QStringLiteral("begin"))
                && query.exec(QStringLiteral("select count(*) from man")) && query.next();
        }
        return false;
    }
    void release() { QSqlQuery(QSqlDatabase::database(kName)).exec(QStringLiteral("rollback")); }

private:
    static inline const QString kName = QStringLiteral("other-program");
};

// Every insert into the four ledger tables and every update of user fails.
inline bool refuseRows(bool refuse)
{
    bool ok = true;
    const char* const triggers[][2] = { { "refuse_record", "insert on record" },
        { "refuse_backcard", "insert on backcard" }, { "refuse_devch", "insert on devch" },
        { "refuse_user", "insert on user" }, { "refuse_user_update", "update on user" } };
    for (const auto& trigger : triggers) {
        const QString name = QLatin1String(trigger[0]);
        ok = QSqlQuery().exec(refuse
                     ? QStringLiteral("create trigger %1 before %2 begin select raise(abort, 'refused'); end")
                           .arg(name, QLatin1String(trigger[1]))
                     : QStringLiteral("drop trigger %1").arg(name))
            && ok;
    }
    return ok;
}

// The default connection reopened as SQLite opens a file it may not write,
// or back as it was; with a short busy wait, as the ledger leaves it.
inline bool reopen(bool readOnly)
{
    QSqlDatabase db = QSqlDatabase::database();
    db.close();
    db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=50")
                                  : QStringLiteral("QSQLITE_BUSY_TIMEOUT=50"));
    return db.open();
}

} // namespace LedgerFaults
