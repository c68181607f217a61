#pragma once

#include "Database.h"
#include "ServerSettings.h"

#include <QMetaType>
#include <QObject>
#include <QSqlDatabase>
#include <QStringList>
#include <memory>

class QThread;

// The columns every back end's ledger tables start with, in "select *" order.
// The server may add columns of its own after them.
struct LedgerTable
{
    QString name;
    QStringList columns;
};
const QList<LedgerTable>& ledgerTables();

// Registers a PostgreSQL connection with these settings (the default
// connection unless named) without opening it.
QSqlDatabase addServerConnection(const ServerSettings& settings,
    const QString& connectionName = QLatin1String(QSqlDatabase::defaultConnection));

// The ledger tables that are missing on this open connection, or lack one of
// their columns.
QStringList missingLedgerTables(const QSqlDatabase& db);

// The login window's start-up step on the server: open the default
// connection, create what is missing of the schema when this role may (the
// station role may not: the set-up script does it), check it, seed "admin".
DatabaseStartup prepareServerDatabase(const ServerSettings& settings);

// The server dropped the default connection (QPSQL never reconnects by
// itself): closes it and opens it again with the same settings, waiting at
// most kReconnectTimeoutS. False on the station file.
inline constexpr int kReconnectTimeoutS = 2; // libpq's shortest
bool reopenServerConnection();

struct ServerCheck
{
    enum class Status { Reachable, Unreachable, SchemaMissing };
    Status status = Status::Unreachable;
    QString detail; // libpq's words, or the missing tables; diagnostics, not translated
};
Q_DECLARE_METATYPE(ServerCheck)

// Opens a connection of its own, looks for the ledger tables and closes it
// again. Blocks up to the connect time-out; safe on any thread.
ServerCheck checkServer(const ServerSettings& settings);

// checkServer on a worker thread, so that a window never freezes while a
// server does not answer.
class ServerProbe : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(ServerProbe)

public:
    explicit ServerProbe(QObject* parent = nullptr);
    // Waits for a check still running (at most the connect time-out).
    ~ServerProbe() override;

    // Ignored while a check runs.
    void start(const ServerSettings& settings);
    bool isRunning() const { return m_thread != nullptr; }

signals:
    void finished(const ServerCheck& check);

private:
    void threadDone();

    std::unique_ptr<QThread> m_thread;
    ServerCheck m_result;
};
