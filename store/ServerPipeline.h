#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

class QSqlError;
class QSqlQuery;

// QPSQL sends one statement and waits for its answer before the next, so the
// begin of a money row's transaction and its insert would cost two round trips
// to the server. Through libpq's pipeline mode on the default connection's
// own PGconn both go in one. The statement's named placeholders (":name") are
// sent as parameters, never as text of the statement.

// A statement with its placeholders numbered and the values bound to them,
// taken out of the query so that they outlive it (a reconnect frees the
// query kept for the statement).
struct PipelineStatement
{
    QByteArray text;
    QVector<QByteArray> values;
    QVector<bool> nulls;
};
PipelineStatement pipelineStatement(const QString& statement, const QSqlQuery& bound);

// On success the transaction is open with the row inserted; on a failure it
// is rolled back or was never begun, and `error` says why (a dropped
// connection has no SQLSTATE). False also when the connection is not a
// server connection idle outside a transaction.
bool beginWithStatement(const PipelineStatement& statement, QSqlError& error);
// The connection is about to close or go: what was prepared on it goes too.
void forgetPipelineStatements();
// Whether the default server connection holds a transaction that can still
// commit. The server answers a commit outside a transaction (a connection
// opened anew) or after a failed statement as if it had worked. True when the
// default connection is not a server connection.
bool serverTransactionCommittable();
