#include "Database.h"
#include "DatabaseImport.h"
#include "LedgerWrite.h"
#include "ManStore.h"
#include "PgTestServer.h"
#include "ServerConnection.h"
#include "SqlDialect.h"
#include "StationCommand.h"
#include "StoreFixture.h"
#include "UserStore.h"

#include <QProcess>
#include <QSignalSpy>
#include <QSqlError>
#include <QtTest>
#include <functional>

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
        QTest::newRow("add an audit row") << "insert into audit (time, action) values (1, 'login')" << true;
        QTest::newRow("read the audit") << "select * from audit" << true;
        QTest::newRow("change an audit row") << "update audit set outcome = 'ok'" << false;
        QTest::newRow("delete an audit row") << "delete from audit" << false;
        QTest::newRow("empty the audit") << "truncate audit" << false;
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
            allowed && statement.startsWith(QLatin1String("insert into record")) ? 2 : 1);
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

    // With the server away a recharge is refused before its card is touched
    // and owes nothing; once it is back the dropped connection is opened anew.
    // A recharge secured before a crash and kept after it waits in the outbox
    // with an uncertain commit: delivered once, and delivering the same file
    // again (a crash before the outbox was rewritten) adds nothing. A commit
    // that would commit nothing is kept locally too.
    void server_crash_refuses_then_keeps_and_delivers_once()
    {
        QTemporaryDir dir;
        Outbox::setStationPath(dir.filePath(Outbox::kFileName));
        QVERIFY(prepareServerDatabase(m_server.stationSettings(m_server.freshLedger())).opened);
        RechargeRow row;
        row.cardnum = 7;
        row.pay = QStringLiteral("5.00");
        QVERIFY(m_server.stop(QStringLiteral("immediate")));
        LedgerWrite refused;
        QCOMPARE(refused.secure(LedgerEntry::make(row)), LedgerSecure::DatabaseUnavailable);
        const Outbox outbox;
        QCOMPARE(outbox.count(), 0);
        QVERIFY(m_server.resume());

        LedgerWrite held;
        QCOMPARE(held.secure(LedgerEntry::make(row)), LedgerSecure::Secured);
        QVERIFY(m_server.stop(QStringLiteral("immediate")));
        QVERIFY(m_server.resume());
        QCOMPARE(held.keep(), LedgerKept::KeptLocally);
        const QString copy = dir.filePath(QStringLiteral("copy"));
        QVERIFY(QFile::copy(outbox.path(), copy));
        QCOMPARE(outbox.deliver().delivered, 1);
        QVERIFY(QFile::remove(outbox.path()) && QFile::copy(copy, outbox.path()));
        QCOMPARE(outbox.deliver().delivered, 1);
        QCOMPARE(outbox.count(), 0);
        QCOMPARE(rowCount(QStringLiteral("record")), 1);

        // The server answers a commit with nothing to commit as if it had
        // worked: after a failed statement, or on a connection opened anew.
        for (const auto& lose : std::initializer_list<std::function<void()>> {
                 [] { QVERIFY(!QSqlQuery().exec(QStringLiteral("select * from no_such_table"))); },
                 [] { QVERIFY(reopenServerConnection()); } }) {
            LedgerWrite write;
            QCOMPARE(write.secure(LedgerEntry::make(row)), LedgerSecure::Secured);
            lose();
            QCOMPARE(write.keep(), LedgerKept::KeptLocally);
        }
        outbox.deliver();
        QCOMPARE(outbox.count(), 0);
        QCOMPARE(rowCount(QStringLiteral("record")), 3);
        Outbox::setStationPath(Outbox::kFileName);
    }

    // A row's begin and insert go in one pipeline: its texts arrive as they
    // were bound, a cancel leaves nothing, and a refused insert leaves the
    // connection usable for the next operation.
    void begin_and_insert_in_one_round_trip()
    {
        QTemporaryDir dir;
        Outbox::setStationPath(dir.filePath(Outbox::kFileName));
        const QString database = m_server.freshLedger();
        QVERIFY(prepareServerDatabase(m_server.stationSettings(database)).opened);
        RechargeRow row;
        row.cardnum = 4294967295u;
        row.name = QStringLiteral("O'Neil \\ :name ::text 张三");
        row.pay = QStringLiteral("5.00");
        {
            LedgerWrite cancelled;
            QCOMPARE(cancelled.secure(LedgerEntry::make(row)), LedgerSecure::Secured);
        }
        QCOMPARE(rowCount(QStringLiteral("record")), 0);
        LedgerWrite kept;
        QCOMPARE(kept.secure(LedgerEntry::make(row)), LedgerSecure::Secured);
        QCOMPARE(kept.keep(), LedgerKept::Stored);
        QSqlQuery stored(QStringLiteral("select cardnum, name, pay, note from record"));
        QVERIFY(stored.next());
        QCOMPARE(stored.value(0).toLongLong(), 4294967295ll);
        QCOMPARE(stored.value(1).toString(), row.name);
        QCOMPARE(stored.value(2).toString(), row.pay);
        QVERIFY(!stored.next());

        QVERIFY(m_server.runAdmin(
            database, QStringLiteral("revoke insert on record from %1").arg(PgTestServer::stationRole())));
        LedgerWrite refused;
        QCOMPARE(refused.secure(LedgerEntry::make(row)), LedgerSecure::DatabaseUnavailable);
        LedgerWrite next;
        QCOMPARE(next.secure(LedgerEntry::make(DevChRow { 100, 1, 1, QStringLiteral("ann"), QString() })),
            LedgerSecure::Secured);
        QCOMPARE(next.keep(), LedgerKept::Stored);
        QCOMPARE(rowCount(QStringLiteral("devch")), 1);
        Outbox::setStationPath(Outbox::kFileName);
    }

    // Station processes recharging against one server at once, the second run
    // across a crash of the server: every recharge that reached its card is
    // stored exactly once, under an id and key of its own, with its station's
    // reader serial.
    void stations_recharge_at_once_data()
    {
        QTest::addColumn<int>("stations");
        QTest::addColumn<bool>("crash");
        QTest::newRow("two stations") << 2 << false;
        QTest::newRow("two stations, server crashes") << 2 << true;
    }

    void stations_recharge_at_once()
    {
        QFETCH(int, stations);
        QFETCH(bool, crash);
        const int count = 60;
        const QString database = m_server.freshLedger();
        QTemporaryDir dir;
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int i = 0; i < stations; ++i) {
            const QString folder = dir.filePath(QString::number(i));
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(saveServerSettings(
                m_server.stationSettings(database), folder + QStringLiteral("/server.ini")));
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setWorkingDirectory(folder);
            runs.back()->start(QStringLiteral(VELOKA_LEDGER_STATION),
                { QString::number(count), QStringLiteral("SN%1").arg(i), QStringLiteral("--hold-ms"),
                    QStringLiteral("20") });
        }
        QVERIFY(prepareServerDatabase(m_server.stationSettings(database)).opened);
        if (crash) {
            // In the middle of the run: once every station stored a row.
            QTRY_VERIFY_WITH_TIMEOUT(
                [stations] {
                    QSqlQuery started(QStringLiteral("select count(distinct sn) from record"));
                    return started.next() && started.value(0).toInt() == stations;
                }(),
                30000);
            QVERIFY(m_server.stop(QStringLiteral("immediate")));
            QTest::qWait(200);
            QVERIFY(m_server.resume());
            dropDefaultConnection();
            QVERIFY(prepareServerDatabase(m_server.stationSettings(database)).opened);
        }
        int changed = 0;
        for (int i = 0; i < stations; ++i) {
            QProcess& run = *runs.at(size_t(i));
            QVERIFY(run.state() == QProcess::NotRunning || run.waitForFinished(180000));
            const QString summary = QString::fromUtf8(run.readAllStandardOutput()).trimmed();
            const QByteArray log = run.readAllStandardError();
            QVERIFY2(run.exitCode() == 0, log.constData());
            const QRegularExpressionMatch m = QRegularExpression(
                QStringLiteral("stored=(\\d+) kept=(\\d+) lost=0 refused=(\\d+) waiting=0"))
                                                  .match(summary);
            QVERIFY2(m.hasMatch(), qPrintable(summary + QLatin1Char('\n') + log.right(3000)));
            const int reached = m.captured(1).toInt() + m.captured(2).toInt();
            QCOMPARE(reached + m.captured(3).toInt(), count);
            if (!crash)
                QCOMPARE(reached, count);
            QSqlQuery rows;
            QVERIFY(rows.exec(QStringLiteral("select count(*) from record where sn = 'SN%1'").arg(i)));
            QVERIFY(rows.next());
            QCOMPARE(rows.value(0).toInt(), reached);
            changed += reached;
        }
        QSqlQuery distinct(
            QStringLiteral("select count(distinct id), count(distinct entry_key), count(*) from record"));
        QVERIFY(distinct.next());
        QCOMPARE(distinct.value(0).toInt(), changed);
        QCOMPARE(distinct.value(1).toInt(), changed);
        QCOMPARE(distinct.value(2).toInt(), changed);
    }

    // An existing station joins by importing its file with the skip rules, and
    // the server leaves as a station file with every row and the file layout.
    void station_joins_by_import_and_leaves_by_snapshot()
    {
        const QString database = m_server.freshLedger();
        QVERIFY(m_server.runAdmin(database,
            QStringLiteral("insert into \"user\" (cardnum, name) values (1, 'held');"
                           "insert into record (cardnum, date, pay) values (1, 'd1', '1.00');"
                           "insert into devch (money, date) values (100, 'd1');")));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("station.db"));
        QVERIFY(writeStationFile(file,
            { "insert into user (cardnum, name) values (1, 'other'), (4294967295, 'big')",
                "insert into record (cardnum, date, pay) values (1, 'd1', '9.00'), (1, 'd2', '2.00'),"
                " (3, 'd3', '3.00'), (3, 'd3', '4.00'), (null, null, null), (99999999999, 'd4', '1.00'),"
                " (5, 'd5', 'lots')",
                "insert into backcard (cardnum, date, pay) values (1, 'd1', '1.00')",
                "insert into devch (money, date) values (5, 'd1'), (7, 'd2')" }));

        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        QVERIFY(saveServerSettings(m_server.stationSettings(database), kServerSettingsFileName));
        const int imported = StationCommand().run({ "Veloka", "--import", file });
        const int exported = StationCommand().run({ "Veloka", "--export-snapshot", "snapshot.db" });
        QDir::setCurrent(previous);
        QCOMPARE(imported, 0);
        QCOMPARE(exported, 0);

        {
            QSqlQuery rows;
            QVERIFY(rows.exec(
                QStringLiteral("select string_agg(concat(cardnum, ':', pay), ' ' order by id) from record")));
            QVERIFY(rows.next());
            QCOMPARE(rows.value(0).toString(), QStringLiteral("1:1.00 1:2.00 3:3.00"));
            QCOMPARE(rowCount(QStringLiteral("user")), 2);
            QCOMPARE(rowCount(QStringLiteral("backcard")), 1);
            QCOMPARE(rowCount(QStringLiteral("devch")), 2);
            QVERIFY(
                rows.exec(QStringLiteral("select cardnum from \"user\" where name = 'big'")) && rows.next());
            QCOMPARE(rows.value(0).toLongLong(), 4294967295LL);
        }

        dropDefaultConnection();
        QVERIFY(openDatabase(dir.filePath(QStringLiteral("snapshot.db"))));
        for (const LedgerTable& table : ledgerTables())
            QCOMPARE(columnNames(table.name), table.columns);
        QSqlQuery snapshot;
        QVERIFY(snapshot.exec(
            QStringLiteral("select group_concat(id || ':' || cardnum || ':' || pay, ' ') from record")));
        QVERIFY(snapshot.next());
        QCOMPARE(snapshot.value(0).toString(), QStringLiteral("1:1:1.00 2:1:2.00 3:3:3.00"));
        QCOMPARE(rowCount(QStringLiteral("man")), 1);
        QCOMPARE(rowCount(QStringLiteral("user")), 2);
    }

    // Two stations that both looked a name or a card up and found it free:
    // the second add is refused instead of stored as a twin.
    void second_account_or_holder_of_one_name_or_card_is_refused()
    {
        const QString database = m_server.freshLedger();
        QVERIFY(prepareServerDatabase(m_server.stationSettings(database)).opened);
        QCOMPARE(findManLike(QStringLiteral("bob")).status, LookupStatus::NotFound);
        QCOMPARE(findUserByCard(7).status, LookupStatus::NotFound);
        QVERIFY(m_server.runAdmin(database,
            QStringLiteral(
                "insert into man (name) values ('Bob'); insert into \"user\" (cardnum) values (7);")));

        QVERIFY(!addMan(QStringLiteral("bob"), QString()));
        UserRow holder;
        holder.cardnum = 7;
        QVERIFY(!insertUser(holder));
        QSqlQuery count(QStringLiteral("select (select count(*) from man where lower(name) = 'bob'),"
                                       " (select count(*) from \"user\" where cardnum = 7)"));
        QVERIFY(count.next());
        QCOMPARE(count.value(0).toInt(), 1);
        QCOMPARE(count.value(1).toInt(), 1);
        // A holder saved again is the one row rewritten.
        QCOMPARE(saveCardOwner(holder), OwnerSave::Updated);
    }

    // An import waits for another station's import of the same file, then
    // finds its rows held instead of merging them a second time.
    void import_waits_for_another_import()
    {
        const QString database = m_server.freshLedger();
        const ServerSettings settings = m_server.stationSettings(database);
        QVERIFY(prepareServerDatabase(settings).opened);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("station.db"));
        QVERIFY(
            writeStationFile(file, { "insert into record (cardnum, date, pay) values (1, 'd1', '1.00')" }));
        {
            QSqlDatabase other = addServerConnection(settings, QStringLiteral("other"));
            QVERIFY(other.open() && other.transaction());
            QSqlQuery importing(other);
            QVERIFY(importing.exec(SqlDialect::of(other).serializeImport()));
            QVERIFY(importing.exec(
                QStringLiteral("insert into record (cardnum, date, pay) values (1, 'd1', '1.00')")));

            QVERIFY(QSqlQuery().exec(QStringLiteral("set lock_timeout = 200")));
            DatabaseImport import;
            QVERIFY(import.open(file));
            QCOMPARE(import.merge().outcome, DatabaseImport::Outcome::InsertFailed);
            QVERIFY(other.commit());
            const DatabaseImport::Result again = import.merge();
            QCOMPARE(again.outcome, DatabaseImport::Outcome::Merged);
            QCOMPARE(again.skipped, 1);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        QCOMPARE(rowCount(QStringLiteral("record")), 1);
    }

private:
    // A station file of the station's own layout holding these rows.
    static bool writeStationFile(const QString& file, std::initializer_list<const char*> statements)
    {
        bool ok = true;
        {
            QSqlDatabase source = addStationConnection(file, QStringLiteral("source"));
            ok = source.open();
            for (const SqlDialect::SchemaStep& step : SqlDialect(SqlDialect::Backend::SQLite).schemaSteps())
                QSqlQuery(source).exec(step.statement);
            QSqlQuery fill(source);
            for (const char* statement : statements) {
                if (ok && !fill.exec(QLatin1String(statement))) {
                    qWarning() << fill.lastError().text();
                    ok = false;
                }
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("source"));
        return ok;
    }

    PgTestServer m_server;
};

QTEST_GUILESS_MAIN(TestServerLedger)
#include "test_server_ledger.moc"
