#include "GridModel.h"
#include "ManStore.h"
#include "PgTestServer.h"
#include "RecordIndex.h"
#include "ServerConnection.h"

#include <QSqlQuery>
#include <QtTest>

// The browsers' queries on a real PostgreSQL server: no side index there, the
// same paging and searches as SQL on the server.
class TestServerRecords : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VELOKA_START_PG_SERVER(m_server); }

    void pages_and_searches_run_on_the_server()
    {
        const DatabaseStartup startup
            = prepareServerDatabase(m_server.stationSettings(m_server.freshLedger()));
        QVERIFY2(startup.opened && !startup.schemaMissing, qPrintable(startup.serverError));
        QVERIFY(!RecordIndex::acquire());
        QVERIFY(QSqlQuery().exec(QStringLiteral("insert into \"user\" (id, cardnum, name, phone) select g, "
                                                "4294967295, 'Holder ' || g, '139' || g "
                                                "from generate_series(1, 300) as g")));

        GridModel model;
        model.setTitles(QVector<QString>(12).toList());
        model.setTable(BrowserTable::user());
        RowSet all = RecordQuery::all(BrowserTable::user());
        QVERIFY(all.found());
        model.setRows(std::move(all.ids));
        QCOMPARE(model.totalRows(), qint64(300));
        for (int row : { 127, 128, 299 })
            QCOMPARE(model.text(row, 0), QString::number(row + 1));
        QCOMPARE(model.text(128, 1), QStringLiteral("4294967295"));
        QCOMPARE(model.text(128, 2), QStringLiteral("Holder 129"));

        // Case ignored as on the file; "_" stays a wildcard.
        const RowSet byName = RecordQuery::byName(BrowserTable::user(), QStringLiteral("HOLDER 29"));
        QCOMPARE(byName.ids.count(), qint64(11));
        QCOMPARE(byName.ids.idAt(0), qint64(29));
        QCOMPARE(RecordQuery::byPhone(BrowserTable::user(), QStringLiteral("1393")).ids.count(), qint64(12));
        QCOMPARE(RecordQuery::byPhone(BrowserTable::user(), QStringLiteral("139_00")).ids.count(), qint64(3));
        QCOMPARE(RecordQuery::byName(BrowserTable::user(), QStringLiteral("nobody")).status,
            LookupStatus::NotFound);

        // The administrator list reads the same way.
        QVERIFY(addMan(QStringLiteral("clerk"), QStringLiteral("7")));
        IdRuns men;
        QVERIFY(manIds(men));
        GridModel accounts;
        accounts.setTitles({ QString(), QString() });
        accounts.setTable(BrowserTable::man());
        accounts.setRows(std::move(men));
        QCOMPARE(accounts.totalRows(), qint64(2));
        QCOMPARE(accounts.text(0, 0), QStringLiteral("admin"));
        QCOMPARE(accounts.text(1, 1), QStringLiteral("7"));
    }

private:
    PgTestServer m_server;
};

QTEST_GUILESS_MAIN(TestServerRecords)
#include "test_server_records.moc"
