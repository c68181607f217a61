#include "LedgerLock.h"

#include "SqlDialect.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

namespace {

int g_lockWaitMs = kDefaultLedgerLockWaitMs;
LedgerFault g_lastWriteFault = LedgerFault::None;

// The file's SQLite result codes (an extended code carries its primary one in
// the low byte; CANTOPEN at a write is the journal that cannot be created
// beside the file), or the server's SQLSTATE.
LedgerFault faultOf(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    if (SqlDialect::current().isServer()) {
        if (code == QLatin1String("25006"))
            return LedgerFault::ReadOnly;
        return code == QLatin1String("55P03") || code == QLatin1String("40P01") ? LedgerFault::Busy
                                                                                : LedgerFault::Other;
    }
    switch (code.toInt() & 0xFF) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return LedgerFault::Busy;
    case 8: // SQLITE_READONLY
    case 14: // SQLITE_CANTOPEN
        return LedgerFault::ReadOnly;
    default:
        return LedgerFault::Other;
    }
}

} // namespace

// The only back-end specific statements of a money operation. On the station
// file BEGIN IMMEDIATE takes the write lock at once, after a bounded wait, so
// a lock held by another process fails here and not at the commit, after the
// card changed. The busy wait stays set on the connection for the insert and
// the commit that follow.
LedgerFault beginLedgerTransaction()
{
    const SqlDialect dialect = SqlDialect::current();
    QSqlQuery query;
    if (!dialect.isServer())
        query.exec(QStringLiteral("pragma busy_timeout = %1").arg(g_lockWaitMs));
    if (query.exec(dialect.beginWrite()))
        return LedgerFault::None;
    qDebug() << dialect.beginWrite() << query.lastError().text();
    return faultOf(query.lastError());
}

bool commitLedgerTransaction()
{
    QSqlQuery query;
    if (query.exec(QStringLiteral("commit")))
        return true;
    qDebug() << "commit:" << query.lastError().text();
    noteLedgerWriteError(query.lastError());
    return false;
}

void rollbackLedgerTransaction()
{
    QSqlQuery query;
    if (!query.exec(QStringLiteral("rollback")))
        qDebug() << "rollback:" << query.lastError().text();
}

void setLedgerLockWait(int ms)
{
    g_lockWaitMs = qMax(ms, 0);
}

void noteLedgerWriteError(const QSqlError& error)
{
    g_lastWriteFault = faultOf(error);
}

LedgerFault lastLedgerWriteFault()
{
    return g_lastWriteFault;
}
