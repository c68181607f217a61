#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

class QSqlError;

// QPSQL sends one statement and waits for its answer before the next, so the
// begin of a money row's transaction and its insert would cost two round trips
// to the server. Through libpq's pipeline mode on the default connection's
// own PGconn both go in one. The statement's named placeholders (":name") are
// sent as parameters with the values of `values` (keyed ":name", as
// QSqlQuery::boundValues gives them), never as text of the
// statement. On success the transaction is open with the row inserted; on a
// failure it is rolled back or was never begun, and `error` says why (a
// dropped connection has no SQLSTATE). False also when the connection is not
// a server connection idle outside a transaction.
bool beginWithStatement(const QString& statement, const QMap<QString, QVariant>& values, QSqlError& error);
// The connection is about to close or go: what was prepared on it goes too.
void forgetPipelineStatements();
