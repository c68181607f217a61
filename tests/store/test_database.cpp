#include "Database.h"
#include "StoreFixture.h"

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

QStringList g_log;

void captureLog(QtMsgType, const QMessageLogContext&, const QString& text)
{
    g_log.append(text);
}

QStringList schemaDump()
{
    QStringList lines;
    QSqlQuery query(QStringLiteral("select name, sql from sqlite_master order by name"));
    while (query.next())
        lines.append(query.value(0).toString() + QLatin1Char('|') + query.value(1).toString());
    return lines;
}

QStringList manDump()
{
    QStringList lines;
    QSqlQuery query(QStringLiteral("select id, name, pwd, date, note from man order by id"));
    while (query.next()) {
        QStringList cells;
        for (int i = 0; i < 5; ++i)
            cells.append(query.value(i).toString());
        lines.append(cells.join(QLatin1Char('|')));
    }
    return lines;
}

const QStringList kUserColumns { "id", "cardnum", "name", "addr", "phone", "carnum", "date", "manager", "sn",
    "note", "bindchid", "bindport" };

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        g_log.clear();
    }
    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        dropDefaultConnection();
    }

    void first_start_creates_five_tables_and_seeds_admin()
    {
        qInstallMessageHandler(captureLog);
        const DatabaseStartup startup = prepareDatabase(dbPath());
        qInstallMessageHandler(nullptr);
        QVERIFY(startup.opened);
        QVERIFY(!startup.seedFailed);
        QVERIFY(QFile::exists(dbPath()));

        const QStringList tables = QSqlDatabase::database().tables();
        for (const char* table : { "man", "user", "record", "backcard", "devch" })
            QVERIFY2(tables.contains(QLatin1String(table)), table);
        QCOMPARE(columnNames(QStringLiteral("user")), kUserColumns);
        QCOMPARE(columnNames(QStringLiteral("record")).size(), 13);
        QCOMPARE(columnNames(QStringLiteral("backcard")).size(), 11);
        QCOMPARE(columnNames(QStringLiteral("devch")).size(), 6);

        QSqlQuery query(QStringLiteral("select name, pwd, date, note from man"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("admin"));
        QVERIFY(!query.value(1).isNull());
        QCOMPARE(query.value(1).toString(), QString());
        QVERIFY(QDateTime::fromString(query.value(2).toString(), kManTimeFormat).isValid());
        QCOMPARE(query.value(3).toString(), QStringLiteral("超级用户"));
        QVERIFY(!query.next());

        const QString ok = QStringLiteral("ceate table partition success");
        QCOMPARE(g_log, (QStringList { "open ok", ok, ok, ok, ok, ok, "admin no", "inserted!" }));
    }

    void second_start_changes_nothing()
    {
        QVERIFY(prepareDatabase(dbPath()).opened);
        const QStringList schema = schemaDump();
        const QStringList men = manDump();
        dropDefaultConnection();

        qInstallMessageHandler(captureLog);
        const DatabaseStartup again = prepareDatabase(dbPath());
        qInstallMessageHandler(nullptr);
        QVERIFY(again.opened);
        QVERIFY(!again.seedFailed);
        QCOMPARE(schemaDump(), schema);
        QCOMPARE(manDump(), men);
        QVERIFY(g_log.contains(QStringLiteral("admin haved")));
        QVERIFY(!g_log.contains(QStringLiteral("ceate table partition failed")));
    }

    void database_without_bind_columns_gains_them_and_keeps_rows()
    {
        {
            QSqlDatabase old = addStationConnection(dbPath(), QStringLiteral("old"));
            QVERIFY(old.open());
            QSqlQuery query(old);
            QVERIFY(query.exec(QStringLiteral(
                "create table user (id integer primary key autoincrement,cardnum INTEGER,name varchar(32),"
                "addr varchar(128),phone varchar(32),carnum varchar(32),date varchar(32),manager varchar(32),"
                "sn varchar(32),note varchar(128))")));
            QVERIFY(query.exec(
                QStringLiteral("insert into user (cardnum, name, note) values (42, '老王', 'n1')")));
            QVERIFY(
                query.exec(QStringLiteral("insert into user (cardnum, name, note) values (43, 'Li', 'n2')")));
            old.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));

        QVERIFY(prepareDatabase(dbPath()).opened);
        QCOMPARE(columnNames(QStringLiteral("user")), kUserColumns);
        QSqlQuery query(
            QStringLiteral("select cardnum, name, note, bindchid, bindport from user order by id"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toUInt(), 42u);
        QCOMPARE(query.value(1).toString(), QStringLiteral("老王"));
        QCOMPARE(query.value(2).toString(), QStringLiteral("n1"));
        QVERIFY(query.value(3).isNull());
        QVERIFY(query.value(4).isNull());
        QVERIFY(query.next());
        QCOMPARE(query.value(1).toString(), QStringLiteral("Li"));
        QVERIFY(!query.next());
    }

    void seeding_depends_on_existing_accounts_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<bool>("seeded");
        QTest::newRow("Admin counts as admin") << QStringList { "Admin" } << false;
        QTest::newRow("ADMIN counts as admin") << QStringList { "clerk", "ADMIN" } << false;
        QTest::newRow("longer name does not count") << QStringList { "administrator" } << true;
        QTest::newRow("every account deleted") << QStringList {} << true;
    }

    void seeding_depends_on_existing_accounts()
    {
        QFETCH(QStringList, existing);
        QFETCH(bool, seeded);
        QVERIFY(prepareDatabase(dbPath()).opened);
        QVERIFY(QSqlQuery().exec(QStringLiteral("delete from man")));
        for (const QString& name : existing) {
            QSqlQuery insert;
            insert.prepare(QStringLiteral("insert into man (name, pwd) values (?, 'x')"));
            insert.addBindValue(name);
            QVERIFY(insert.exec());
        }
        dropDefaultConnection();

        QVERIFY(!prepareDatabase(dbPath()).seedFailed);
        QCOMPARE(rowCount(QStringLiteral("man")), existing.size() + (seeded ? 1 : 0));
        QSqlQuery query(QStringLiteral("select count(*) from man where name = 'admin'"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), seeded ? 1 : 0);
    }

    void unopenable_file_is_reported()
    {
        const DatabaseStartup startup
            = prepareDatabase(m_dir->filePath(QStringLiteral("missing/dir/database.db")));
        QVERIFY(!startup.opened);
        QVERIFY(startup.seedFailed);
    }

    void lock_released_while_waiting_lets_the_start_go_on()
    {
        {
            QSqlDatabase holder = addStationConnection(dbPath(), QStringLiteral("holder"));
            QVERIFY(holder.open());
            QSqlQuery lock(holder);
            QVERIFY(lock.exec(QStringLiteral("create table other (x)")));
            QVERIFY(lock.exec(QStringLiteral("begin exclusive")));
            int waits = 0;
            const DatabaseStartup startup = prepareDatabase(dbPath(), [&] {
                if (++waits == 2)
                    QSqlQuery(holder).exec(QStringLiteral("rollback"));
            });
            QVERIFY(startup.opened);
            QVERIFY(!startup.inUse);
            QCOMPARE(waits, 2);
            QCOMPARE(rowCount(QStringLiteral("man")), 1);
            holder.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    }

private:
    QString dbPath() const { return m_dir->filePath(kDatabaseFileName); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
