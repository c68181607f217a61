#include "ServerConnection.h"

#include "LedgerLock.h"
#include "SqlDialect.h"

#include <QAtomicInt>
#include <QDebug>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

namespace {

QStringList fieldNames(const QSqlRecord& record)
{
    QStringList names;
    for (int i = 0; i < record.count(); ++i)
        names.append(record.fieldName(i));
    return names;
}

QString errorText(const QSqlError& error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("no answer") : text;
}

} // namespace

const QList<LedgerTable>& ledgerTables()
{
    static const QList<LedgerTable> tables {
        { QStringLiteral("man"), { "id", "name", "pwd", "date", "note" } },
        { QStringLiteral("user"),
            { "id", "cardnum", "name", "addr", "phone", "carnum", "date", "manager", "sn", "note", "bindchid",
                "bindport" } },
        { QStringLiteral("record"),
            { "id", "cardnum", "name", "addr", "phone", "carnum", "date", "manager", "pay", "pay_old",
                "pay_new", "sn", "note" } },
        { QStringLiteral("backcard"),
            { "id", "cardnum", "name", "addr", "phone", "carnum", "date", "manager", "pay", "sn", "note" } },
        { QStringLiteral("devch"), { "id", "money", "sn", "ver", "manager", "date" } },
    };
    return tables;
}

QSqlDatabase addServerConnection(const ServerSettings& settings, const QString& connectionName)
{
    // Adding replaces a connection of the same name, and its driver goes.
    if (connectionName == QLatin1String(QSqlDatabase::defaultConnection))
        forgetLedgerStatements();
    QSqlDatabase db
        = QSqlDatabase::addDatabase(SqlDialect::driverName(SqlDialect::Backend::PostgreSQL), connectionName);
    db.setHostName(settings.host);
    db.setPort(settings.port);
    db.setDatabaseName(settings.database);
    db.setUserName(settings.user);
    db.setConnectOptions(settings.connectOptions());
    return db;
}

QStringList missingLedgerTables(const QSqlDatabase& db)
{
    const SqlDialect dialect = SqlDialect::of(db);
    QStringList missing;
    for (const LedgerTable& table : ledgerTables()) {
        QSqlQuery query(db);
        const bool ok
            = query.exec(QStringLiteral("select * from %1 where 1 = 0").arg(dialect.table(table.name)));
        const QStringList names = fieldNames(query.record());
        // A server set up before the outbox keys lacks their column; the
        // set-up script adds it.
        const bool keyMissing = dialect.keysRows() && SqlDialect::keyedTables().contains(table.name)
            && !names.contains(SqlDialect::keyColumn());
        if (!ok || names.mid(0, table.columns.size()) != table.columns || keyMissing)
            missing.append(table.name);
    }
    return missing;
}

bool reopenServerConnection()
{
    QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (!SqlDialect::of(db).isServer())
        return false;
    // The server forgot what this connection prepared.
    forgetLedgerStatements();
    db.close();
    // The operator waits for it with the card on the reader.
    QString options = db.connectOptions();
    options.replace(QRegularExpression(QStringLiteral("connect_timeout=\\d+")),
        QStringLiteral("connect_timeout=%1").arg(kReconnectTimeoutS));
    db.setConnectOptions(options);
    const bool ok = db.open();
    qDebug() << (ok ? "reconnected" : "reconnect false") << db.lastError().text();
    return ok;
}

DatabaseStartup prepareServerDatabase(const ServerSettings& settings)
{
    DatabaseStartup startup;
    QSqlDatabase db = addServerConnection(settings);
    startup.opened = db.open();
    qDebug() << (startup.opened ? "open ok" : "open false") << settings.address();
    if (!startup.opened) {
        startup.serverError = errorText(db.lastError());
        return startup;
    }

    // Creating succeeds only for a role that may: the owner, or a server
    // set up for a single station without separate roles.
    if (!missingLedgerTables(db).isEmpty())
        createTables();
    const QStringList missing = missingLedgerTables(db);
    if (!missing.isEmpty()) {
        startup.schemaMissing = true;
        startup.serverError = missing.join(QLatin1Char(','));
        return startup;
    }
    startup.seedFailed = seedAdministrator() == SeedOutcome::InsertFailed;
    return startup;
}

ServerCheck checkServer(const ServerSettings& settings)
{
    static QAtomicInt counter;
    const QString name = QStringLiteral("veloka_check_%1").arg(counter.fetchAndAddRelaxed(1));
    ServerCheck check;
    {
        QSqlDatabase db = addServerConnection(settings, name);
        if (!db.open()) {
            check.detail = errorText(db.lastError());
        } else {
            const QStringList missing = missingLedgerTables(db);
            check.status
                = missing.isEmpty() ? ServerCheck::Status::Reachable : ServerCheck::Status::SchemaMissing;
            check.detail = missing.join(QLatin1Char(','));
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return check;
}

ServerProbe::ServerProbe(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<ServerCheck>();
}

ServerProbe::~ServerProbe()
{
    if (m_thread)
        m_thread->wait();
}

void ServerProbe::start(const ServerSettings& settings)
{
    if (m_thread)
        return;
    m_thread.reset(QThread::create([this, settings] { m_result = checkServer(settings); }));
    connect(m_thread.get(), &QThread::finished, this, &ServerProbe::threadDone);
    m_thread->start();
}

void ServerProbe::threadDone()
{
    m_thread->wait();
    m_thread.reset();
    emit finished(m_result);
}
