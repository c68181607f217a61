#pragma once

class QSqlError;
class QSqlQuery;
class QString;

// Why a ledger write could not start or did not go through.
enum class LedgerFault {
    None,
    Busy, // another connection or process holds the write lock
    ReadOnly, // the file, its folder or the connection cannot be written
    Other, // a refused statement: missing table or column, a constraint, a trigger
};

// The write transaction of one money operation on the default connection.
// Begun, it holds the right to write until commit or rollback, so the insert
// made right after it and the commit after the card work do not wait for a
// lock that another program holds.
LedgerFault beginLedgerTransaction();
// On the server the begin may instead wait for the next keyed ledger insert
// and go with it in one round trip (see ServerPipeline); the insert then
// reports what the begin would have. No effect on the station file, where
// the begin takes the write lock and must come first.
void deferLedgerBegin();
bool ledgerBeginDeferred();
// Runs the waiting begin with `statement` and the values bound to `bound`; a
// dropped connection is opened anew once.
bool execWithDeferredBegin(const QString& statement, const QSqlQuery& bound);
// On the server: a round trip on the default connection, which is opened
// anew when the server dropped it. True on the station file.
bool ensureLedgerConnection();
// Runs a prepared read on the default connection. On the server a connection
// it finds dropped is opened anew and the read run again, outside a money
// transaction only and at most once every few seconds (a browser reads again
// at each repaint).
bool execReading(QSqlQuery& query);
inline constexpr int kReadReconnectPauseMs = 5000;
bool commitLedgerTransaction();
void rollbackLedgerTransaction();

// How long beginning waits for a write lock held elsewhere. Short: the operator
// waits for it with the card on the reader.
inline constexpr int kDefaultLedgerLockWaitMs = 1500;
void setLedgerLockWait(int ms);

// A ledger insert on the server, prepared once per connection and kept:
// QPSQL otherwise prepares and frees the statement around every execution, two
// round trips more a row. Null on the station file (the caller prepares its
// own) and when the statement does not prepare.
QSqlQuery* preparedLedgerStatement(const QString& statement);
// Drops the kept statements; their connection is about to close or go.
void forgetLedgerStatements();

// What the store's last failed write statement ran into.
void noteLedgerWriteError(const QSqlError& error);
LedgerFault lastLedgerWriteFault();
