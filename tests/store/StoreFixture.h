#pragma once

#include "Database.h"
#include "SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

#ifdef VELOKA_TEST_SERVER
#include "PgTestServer.h"
#include "ServerConnection.h"
#endif

// The station keeps its one connection for the whole run; tests open a fresh
// file per case and must drop the default connection in between.
inline void dropDefaultConnection()
{
    const QString name = QLatin1String(QSqlDatabase::defaultConnection);
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}

inline QStringList columnNames(const QString& table)
{
    QStringList names;
    QSqlQuery query(QStringLiteral("pragma table_info(%1)").arg(table));
    while (query.next())
        names.append(query.value(1).toString());
    return names;
}

inline int rowCount(const QString& table)
{
    QSqlQuery query(QStringLiteral("select count(*) from %1").arg(SqlDialect::current().table(table)));
    return query.next() ? query.value(0).toInt() : -1;
}

// A fresh, prepared ledger per case on the back end the executable was built
// for: a file in a temporary folder, or (VELOKA_TEST_SERVER) a new database
// on the executable's own server, used through the station role.
class StoreLedger
{
public:
    // initTestCase: starts the server of a server build.
    void start()
    {
#ifdef VELOKA_TEST_SERVER
        VELOKA_START_PG_SERVER(m_server);
#endif
    }

    DatabaseStartup open()
    {
#ifdef VELOKA_TEST_SERVER
        m_database = m_server.freshLedger();
        return prepareServerDatabase(m_server.stationSettings(m_database));
#else
        m_dir = std::make_unique<QTemporaryDir>();
        return prepareDatabase(m_dir->filePath(kDatabaseFileName));
#endif
    }

    // Removes tables behind the station's back, as the owner would.
    bool dropTables(const QStringList& tables)
    {
        for (const QString& table : tables) {
            const QString statement = QStringLiteral("drop table ") + SqlDialect::current().table(table);
#ifdef VELOKA_TEST_SERVER
            if (!m_server.runAdmin(m_database, statement))
                return false;
#else
            if (!QSqlQuery().exec(statement))
                return false;
#endif
        }
        return true;
    }

private:
#ifdef VELOKA_TEST_SERVER
    PgTestServer m_server;
    QString m_database;
#else
    std::unique_ptr<QTemporaryDir> m_dir;
#endif
};

// In init(): a fresh, prepared ledger, or the case fails with the reason.
#define VELOKA_OPEN_LEDGER(ledger)                                                                           \
    do {                                                                                                     \
        const DatabaseStartup startup = (ledger).open();                                                     \
        QVERIFY2(startup.opened && !startup.schemaMissing, qPrintable(startup.serverError));                 \
    } while (false)
