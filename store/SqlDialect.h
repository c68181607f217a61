#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

// The statements and fragments that differ between the station's own SQLite
// file and a shared PostgreSQL server. Every other statement of store/ is
// written once and runs on both.
class SqlDialect
{
public:
    enum class Backend { SQLite, PostgreSQL };

    explicit SqlDialect(Backend backend)
        : m_backend(backend)
    {
    }
    // Chosen by the connection's driver.
    static SqlDialect of(const QSqlDatabase& db);
    // The default connection, which every store statement uses.
    static SqlDialect current();
    static QString driverName(Backend backend);

    Backend backend() const { return m_backend; }
    bool isServer() const { return m_backend == Backend::PostgreSQL; }

    // A ledger table's name as a statement must write it: "user" is a
    // reserved word on the server.
    QString table(const QString& name) const;
    // "column like pattern" with SQLite's rules on both: case-insensitive, and
    // no escape character ("%" and "_" are always wildcards, "\" is plain).
    QString like(const QString& column, const QString& pattern) const;
    // Appended to a select whose rows must come in ascending id: the file
    // returns them so by itself, the server only when asked (an updated row
    // moves to the end of its table there).
    QString idOrder() const;
    // The fen of a money text column ("12.34" is 1234) as an exact integer,
    // NULL where the text is not digits, a point and two digits (older or
    // imported rows), so sums skip it and count() tells how many were skipped.
    QString moneyFen(const QString& column) const;
    // Opens a write transaction that holds the right to write until commit:
    // SQLite takes its write lock at once, the server needs no table lock for
    // inserts of new rows.
    QString beginWrite() const;
    // Opens a transaction whose reads all see the ledger as it was at its
    // first: on the file a deferred transaction holds its read lock from the
    // first read on, the server needs repeatable read.
    QString beginSnapshot() const;
    // Run inside an import's transaction: on the server it waits for any
    // other station's import to end, so that two imports of one file do not
    // both find its rows missing. Empty on the file, whose write lock does that.
    QString serializeImport() const;

    // The server keeps the outbox key of each money row (record, backcard,
    // devch) in a column of its own, unique, so that delivering an entry twice
    // stores it once; the station file has no such column and compares values.
    bool keysRows() const { return isServer(); }
    static QString keyColumn() { return QStringLiteral("entry_key"); }
    static const QStringList& keyedTables();
    // Appended to an insert's column list, its value list, and the statement.
    QString keyColumnList() const;
    QString keyValueList() const;
    QString onKeyConflict() const;

    // What creates or upgrades the ledger tables, in order: on the station
    // file the five create statements with the user table's two column
    // additions after its own (which fail, unexamined, where the column is
    // there already), then the audit table and its indexes (unexamined: the
    // ledger works without them); on the server its schema script as one
    // statement text.
    struct SchemaStep
    {
        QString statement;
        bool examined; // a create statement: its outcome is logged and counts
    };
    QVector<SchemaStep> schemaSteps() const;

private:
    Backend m_backend;
};
