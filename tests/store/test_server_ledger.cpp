#include "Database.h"
#include "PgTestServer.h"
#include "ServerConnection.h"
#include "SqlDialect.h"
#include "StoreFixture.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QtTest>

// The ledger on a real PostgreSQL server: the schema the set-up script and
// the station create, the station role's rights, and a server that is away.
class TestServerLedger : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VELOKA_START_PG_SERVER(m_server); }
    void cleanup() { dropDefaultConnection(); }

    void station_finds_the_set_up_schema_and_seeds_admin_once()
    {
        const ServerSettings settings = m_server.stationSettings(m_server.freshLedger());
        DatabaseStartup startup = prepareServerDatabase(settings);
        QVERIFY2(
            startup.opened && !startup.schemaMissing && !startup.seedFailed, qPrintable(startup.serverError));
        QVERIFY(missingLedgerTables(QSqlDatabase::database()).isEmpty());
        QSqlQuery man(QStringLiteral("select id, name, pwd, date, note from man"));
        QVERIFY(man.next());
        QCOMPARE(man.value(0).toLongLong(), 1);
        QCOMPARE(man.value(1).toString(), QStringLiteral("admin"));
        QCOMPARE(man.value(2).toString(), QString());
        QVERIFY(QDateTime::fromString(man.value(3).toString(), kManTimeFormat).isValid());
        QCOMPARE(man.value(4).toString(), QStringLiteral("超级用户"));
        QVERIFY(!man.next());
        QCOMPARE(checkServer(settings).status, ServerCheck::Status::Reachable);

        dropDefaultConnection();
        startup = prepareServerDatabase(settings);
        QVERIFY(startup.opened && !startup.seedFailed);
        QCOMPARE(rowCount(QStringLiteral("man")), 1);
    }

    void a_role_that_may_create_builds_the_schema_itself()
    {
        ServerSettings settings = m_server.stationSettings(m_server.emptyDatabase());
        settings.user = QStringLiteral("postgres");
        const DatabaseStartup startup = prepareServerDatabase(settings);
        QVERIFY2(startup.opened && !startup.schemaMissing, qPrintable(startup.serverError));
        QCOMPARE(rowCount(QStringLiteral("man")), 1);
        QVERIFY(QSqlQuery().exec(QStringLiteral("insert into devch (id, money) values (NULL, 5)")));
        QCOMPARE(rowCount(QStringLiteral("devch")), 1);
    }

    void station_role_without_schema_is_told_so()
    {
        const ServerSettings settings = m_server.stationSettings(m_server.emptyDatabase());
        const DatabaseStartup startup = prepareServerDatabase(settings);
        QVERIFY(startup.opened);
        QVERIFY(startup.schemaMissing);
        QCOMPARE(startup.serverError, QStringLiteral("man,user,record,backcard,devch"));
        QCOMPARE(checkServer(settings).status, ServerCheck::Status::SchemaMissing);
    }

    void station_role_rights_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("add a recharge")
            << "insert into record (id, cardnum, pay) values (NULL, 1, '1.00')" << true;
        QTest::newRow("rebind a holder") << "update \"user\" set bindchid = 3, bindport = 1" << true;
        QTest::newRow("change an account") << "update man set pwd = 'x' where name = 'admin'" << true;
        QTest::newRow("delete an account") << "delete from man where name = 'nobody'" << true;
        QTest::newRow("delete a recharge") << "delete from record" << false;
        QTest::newRow("change a recharge") << "update record set pay = '999.00'" << false;
        QTest::newRow("delete a refund") << "delete from backcard" << false;
        QTest::newRow("change a refund") << "update backcard set pay = '0.00'" << false;
        QTest::newRow("change a reader top-up") << "update devch set money = 0" << false;
        QTest::newRow("delete a holder") << "delete from \"user\"" << false;
        QTest::newRow("renumber a holder") << "update \"user\" set id = id + 100" << false;
        QTest::newRow("empty the recharges") << "truncate record" << false;
        QTest::newRow("drop the recharges") << "drop table record" << false;
        QTest::newRow("alter the recharges") << "alter table record add column x int" << false;
        QTest::newRow("create a table") << "create table x (a int)" << false;
    }

    void station_role_rights()
    {
        QFETCH(QString, statement);
        QFETCH(bool, allowed);
        const QString database = m_server.freshLedger();
        QVERIFY(m_server.runAdmin(database,
            QStringLiteral("insert into record (cardnum, pay) values (1, '5.00');"
                           "insert into backcard (cardnum, pay) values (1, '5.00');"
                           "insert into devch (money) values (500);"
                           "insert into \"user\" (cardnum, name) values (1, 'a');")));
        QVERIFY(prepareServerDatabase(m_server.stationSettings(database)).opened);
        QSqlQuery query;
        QCOMPARE(query.exec(statement), allowed);
        if (!allowed)
            QVERIFY2(query.lastError().text().contains(QLatin1String("denied"))
                    || query.lastError().text().contains(QLatin1String("owner")),
                qPrintable(query.lastError().text()));
        QCOMPARE(rowCount(QStringLiteral("record")),
            allowed && statement.startsWith(QLatin1String("insert")) ? 2 : 1);
    }

    void absent_server_is_reported_without_hanging()
    {
        ServerSettings settings = m_server.stationSettings(QStringLiteral("veloka"));
        settings.port = m_server.port() + 1; // no socket of that number in the folder
        QElapsedTimer clock;
        clock.start();
        const DatabaseStartup startup = prepareServerDatabase(settings);
        QVERIFY(!startup.opened);
        QVERIFY(!startup.serverError.isEmpty());
        QCOMPARE(rowCount(QStringLiteral("man")), -1);

        ServerProbe probe;
        QSignalSpy done(&probe, &ServerProbe::finished);
        probe.start(settings);
        QVERIFY(probe.isRunning());
        QVERIFY(done.wait(10000));
        QCOMPARE(done.first().first().value<ServerCheck>().status, ServerCheck::Status::Unreachable);
        QVERIFY(!probe.isRunning());
        QVERIFY(clock.elapsed() < 10000);
    }

private:
    PgTestServer m_server;
};

QTEST_GUILESS_MAIN(TestServerLedger)
#include "test_server_ledger.moc"
