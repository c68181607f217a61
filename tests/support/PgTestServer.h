#pragma once

#include "ServerSettings.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

// A real PostgreSQL server of the test executable's own: initdb in a
// temporary folder, pg_ctl on a Unix socket in that folder and no TCP
// listener, set up by scripts/server-setup (owner and station roles, the
// ledger schema) into a template database that each case copies. As root it
// runs as the unprivileged user scripts/setup creates, since the server
// refuses root. Stopped and removed with the object.
class PgTestServer
{
public:
    PgTestServer();
    ~PgTestServer();
    Q_DISABLE_COPY(PgTestServer)

    // initdb, start, set-up. False with error() when any step failed.
    bool start();
    QString error() const { return m_error; }

    // pg_ctl stop with the given mode ("fast", "immediate") and start again
    // on the same data.
    bool stop(const QString& mode = QStringLiteral("fast"));
    bool resume();

    // A new ledger database, a copy of the set-up template; its name.
    QString freshLedger();
    // An empty database owned by the ledger owner, without schema or rights.
    QString emptyDatabase();
    // psql as the superuser on a database; false when a statement failed.
    bool runAdmin(const QString& database, const QString& sql);

    // What a station of the station role uses for that database.
    ServerSettings stationSettings(const QString& database) const;
    QString socketDir() const { return m_dir ? m_dir->path() : QString(); }
    int port() const { return m_port; }

    static QString stationRole() { return QStringLiteral("veloka_station"); }
    static QString ownerRole() { return QStringLiteral("veloka_owner"); }

private:
    bool run(const QString& program, const QStringList& arguments, bool asServerUser,
        const QByteArray& input = QByteArray());
    QString tool(const QString& name) const;
    QStringList pgCtl(const QString& command) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_binDir;
    QString m_serverUser; // empty when the server runs as ourselves
    int m_port = 0;
    int m_databases = 0;
    bool m_running = false;
    QString m_error;
};

// In initTestCase: a server that cannot start fails the test under CI and
// skips it elsewhere, saying why.
#define VELOKA_START_PG_SERVER(server)                                                                       \
    do {                                                                                                     \
        if (!(server).start()) {                                                                             \
            const QByteArray why = "PostgreSQL test server did not start: " + (server).error().toUtf8();     \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                                         \
                QFAIL(why.constData());                                                                      \
            QSKIP(why.constData());                                                                          \
        }                                                                                                    \
    } while (false)
