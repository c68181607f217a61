#include "LedgerLock.h"

#include "ServerConnection.h"
#include "ServerPipeline.h"
#include "SqlDialect.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <utility>

namespace {

int g_lockWaitMs = kDefaultLedgerLockWaitMs;
LedgerFault g_lastWriteFault = LedgerFault::None;
bool g_beginDeferred = false;
// Between a money row's begin and its commit or rollback.
bool g_ledgerOpen = false;

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

// A statement on a connection the server dropped fails with libpq's own
// error and no SQLSTATE, or with one of class 08 (connection) or 57P
// (server shutting down or starting).
bool connectionLost(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    return code.isEmpty() || code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P"));
}

bool execOrReconnect(QSqlQuery& query, const QString& statement)
{
    if (query.exec(statement))
        return true;
    if (!SqlDialect::current().isServer() || !connectionLost(query.lastError()) || !reopenServerConnection())
        return false;
    query = QSqlQuery();
    return query.exec(statement);
}

// Kept for the default connection's driver they were prepared on.
struct PreparedStatements
{
    const QSqlDriver* driver = nullptr;
    QHash<QString, QSqlQuery> queries;
};

// Cleared when the application object goes, while the driver that made them
// is still loaded: a static destroyed later frees them too late.
PreparedStatements& prepared()
{
    static PreparedStatements statements;
    static const bool cleared = (qAddPostRoutine(forgetLedgerStatements), true);
    Q_UNUSED(cleared)
    return statements;
}

} // namespace

QSqlQuery* preparedLedgerStatement(const QString& statement)
{
    const QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (!SqlDialect::of(db).isServer() || !db.isOpen())
        return nullptr;
    PreparedStatements& kept = prepared();
    if (kept.driver != db.driver()) {
        kept.queries.clear();
        kept.driver = db.driver();
    }
    const auto found = kept.queries.find(statement);
    if (found != kept.queries.end())
        return &found.value();
    QSqlQuery query(db);
    if (!query.prepare(statement))
        return nullptr;
    return &kept.queries.insert(statement, query).value();
}

void forgetLedgerStatements()
{
    forgetPipelineStatements();
    prepared().queries.clear();
    prepared().driver = nullptr;
}

void deferLedgerBegin()
{
    g_beginDeferred = SqlDialect::current().isServer();
}

bool ledgerBeginDeferred()
{
    return g_beginDeferred;
}

bool execWithDeferredBegin(const QString& statement, const QSqlQuery& bound)
{
    g_beginDeferred = false;
    const PipelineStatement row = pipelineStatement(statement, bound);
    QSqlError error;
    if (beginWithStatement(row, error)
        || (connectionLost(error) && reopenServerConnection() && beginWithStatement(row, error))) {
        g_ledgerOpen = true;
        return true;
    }
    qDebug() << "begin with insert:" << error.text();
    noteLedgerWriteError(error);
    return false;
}

bool ensureLedgerConnection()
{
    QSqlQuery query;
    return !SqlDialect::current().isServer() || execOrReconnect(query, QStringLiteral("select 1"));
}

// The only back-end specific statements of a money operation. On the station
// file BEGIN IMMEDIATE takes the write lock at once, after a bounded wait, so
// a lock held by another process fails here and not at the commit, after the
// card changed. The busy wait stays set on the connection for the insert and
// the commit that follow. On the server the begin is the round trip that
// shows the ledger can be written; a dropped connection is opened anew once.
LedgerFault beginLedgerTransaction()
{
    const SqlDialect dialect = SqlDialect::current();
    QSqlQuery query;
    if (!dialect.isServer())
        query.exec(QStringLiteral("pragma busy_timeout = %1").arg(g_lockWaitMs));
    if (execOrReconnect(query, dialect.beginWrite())) {
        g_ledgerOpen = true;
        return LedgerFault::None;
    }
    qDebug() << dialect.beginWrite() << query.lastError().text();
    return faultOf(query.lastError());
}

bool execReading(QSqlQuery& query)
{
    if (query.exec())
        return true;
    QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    static QElapsedTimer lastTry;
    if (g_ledgerOpen || !SqlDialect::of(db).isServer() || query.driver() != db.driver()
        || !connectionLost(query.lastError())
        || (lastTry.isValid() && lastTry.elapsed() < kReadReconnectPauseMs))
        return false;
    lastTry.start();
    const QString statement = query.lastQuery();
    QVariantList values;
    const int bound = query.boundValues().size();
    for (int i = 0; i < bound; ++i)
        values.append(query.boundValue(i));
    const bool forwardOnly = query.isForwardOnly();
    if (!reopenServerConnection())
        return false;
    // What the old connection prepared is gone with it.
    QSqlQuery fresh(db);
    fresh.setForwardOnly(forwardOnly);
    if (!fresh.prepare(statement))
        return false;
    for (int i = 0; i < values.size(); ++i)
        fresh.bindValue(i, values.at(i));
    query = fresh;
    return query.exec();
}

bool commitLedgerTransaction()
{
    g_beginDeferred = false;
    g_ledgerOpen = false;
    if (SqlDialect::current().isServer() && !serverTransactionCommittable()) {
        // Nothing of this row would be committed: it goes to the outbox.
        qDebug() << "commit: the row's transaction is gone";
        noteLedgerWriteError(QSqlError(QStringLiteral("commit"), QStringLiteral("no transaction to commit"),
            QSqlError::TransactionError, QStringLiteral("25P01")));
        return false;
    }
    QSqlQuery query;
    if (query.exec(QStringLiteral("commit")))
        return true;
    qDebug() << "commit:" << query.lastError().text();
    noteLedgerWriteError(query.lastError());
    return false;
}

void rollbackLedgerTransaction()
{
    g_ledgerOpen = false;
    // A begin still waiting was never sent.
    if (std::exchange(g_beginDeferred, false))
        return;
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
