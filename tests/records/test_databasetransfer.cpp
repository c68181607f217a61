#include "AuditTrail.h"
#include "DatabaseBackup.h"
#include "DatabaseImport.h"
#include "DatabaseTransfer.h"
#include "RecordsFixture.h"

#include <QSqlRecord>
#include <functional>
#include <unistd.h>

namespace {

// Builds another station's database file while the station's own connection
// is put aside, then reopens the station.
void buildDatabase(const QString& path, const QString& stationPath, const std::function<void()>& fill)
{
    const QString name = QLatin1String(QSqlDatabase::defaultConnection);
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
    QVERIFY(prepareDatabase(path).opened);
    fill();
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
    QVERIFY(openDatabase(stationPath));
}

void exec(const QString& statement)
{
    QSqlQuery query;
    QVERIFY2(query.exec(statement), qPrintable(statement));
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int attachedDatabases()
{
    QSqlQuery query(QStringLiteral("select count(*) from pragma_database_list"));
    return query.next() ? query.value(0).toInt() : -1;
}

QStringList values(const QString& statement)
{
    QStringList texts;
    QSqlQuery query(statement + QStringLiteral(" order by id"));
    while (query.next()) {
        QStringList row;
        for (int i = 0; i < query.record().count(); ++i)
            row.append(query.value(i).isNull() ? QStringLiteral("NULL") : query.value(i).toString());
        texts.append(row.join(QLatin1Char('|')));
    }
    return texts;
}

DevChRow topUp(quint32 money, const QString& date)
{
    DevChRow row;
    row.money = money;
    row.sn = 7;
    row.ver = 1;
    row.manager = QStringLiteral("admin");
    row.date = date;
    return row;
}

class StopAt : public DatabaseImport::Progress
{
public:
    StopAt(DatabaseImport::Table table, int row)
        : m_table(table)
        , m_row(row)
    {
    }
    void tableStarted(DatabaseImport::Table table, int maximum) override
    {
        m_current = table;
        maxima.append(maximum);
    }
    bool rowReached(int count) override { return !(m_current == m_table && count >= m_row); }

    QList<int> maxima;

private:
    DatabaseImport::Table m_table;
    int m_row;
    DatabaseImport::Table m_current = DatabaseImport::Table::User;
};

} // namespace

class TestDatabaseTransfer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture.open();
        m_station = m_fixture.path(kDatabaseFileName);
    }
    void cleanup()
    {
        if (QSqlDatabase::contains(DatabaseImport::kConnectionName)) {
            QSqlDatabase::database(DatabaseImport::kConnectionName, false).close();
            QSqlDatabase::removeDatabase(DatabaseImport::kConnectionName);
        }
        m_fixture.close();
    }

    void importing_the_own_backup_merges_nothing()
    {
        QVERIFY(insertUser(RecordsFixture::user(1, QStringLiteral("甲"))));
        QVERIFY(insertRechargeRow(RecordsFixture::recharge(1, QStringLiteral("甲"), "2024-01-01 10.00.00")));
        QVERIFY(insertDevChRow(topUp(100, "2024-01-01 11.00.00")));
        QVERIFY(QDir().mkpath(m_fixture.path("backup")));
        const QString backup = DatabaseBackup::targetPath(m_fixture.path("backup"));
        QCOMPARE(DatabaseBackup::copy(m_station, backup), DatabaseBackup::Outcome::Copied);

        DatabaseImport importer;
        QVERIFY(importer.open(backup));
        const DatabaseImport::Result result = importer.merge();
        QCOMPARE(result.outcome, DatabaseImport::Outcome::Merged);
        QCOMPARE(result.merged, 0);
        QCOMPARE(result.skipped, 3);
        QCOMPARE(
            RecordsFixture::count("user") + RecordsFixture::count("record") + RecordsFixture::count("devch"),
            3);
    }

    void rows_present_by_each_tables_rule_are_skipped_and_the_rest_merged()
    {
        QVERIFY(insertUser(RecordsFixture::user(1, QStringLiteral("local"), QStringLiteral("111"))));
        QVERIFY(insertRechargeRow(RecordsFixture::recharge(1, "local", "2024-01-01 10.00.00")));
        ReturnRow back;
        back.cardnum = 2;
        back.date = QStringLiteral("2024-01-02 10.00.00");
        QVERIFY(insertReturnRow(back));
        QVERIFY(insertDevChRow(topUp(100, "2024-01-03 10.00.00")));

        const QString source = m_fixture.path("other.db");
        buildDatabase(source, m_station, [] {
            QVERIFY(insertUser(RecordsFixture::user(1, QStringLiteral("other"), QStringLiteral("999"))));
            QVERIFY(insertUser(RecordsFixture::user(4294967295u, QStringLiteral("bound"))));
            exec("update user set bindchid = 5, bindport = 2");
            QVERIFY(insertRechargeRow(RecordsFixture::recharge(1, "x", "2024-01-01 10.00.00")));
            QVERIFY(insertRechargeRow(RecordsFixture::recharge(1, "x", "2024-01-01 10.00.01")));
            QVERIFY(insertRechargeRow(RecordsFixture::recharge(3, "x", "2024-01-01 10.00.00")));
            QVERIFY(insertRechargeRow(RecordsFixture::recharge(3, "x", "2024'01-01 quote")));
            ReturnRow same;
            same.cardnum = 2;
            same.date = QStringLiteral("2024-01-02 10.00.00");
            QVERIFY(insertReturnRow(same));
            same.date = QStringLiteral("2024-01-02 10.00.01");
            QVERIFY(insertReturnRow(same));
            QVERIFY(insertDevChRow(topUp(999, "2024-01-03 10.00.00")));
            QVERIFY(insertDevChRow(topUp(100, "2024-01-03 10.00.01")));
        });

        DatabaseImport importer;
        QVERIFY(importer.open(source));
        DatabaseImport::Result result = importer.merge();
        QCOMPARE(result.outcome, DatabaseImport::Outcome::Merged);
        QCOMPARE(result.merged, 6);
        QCOMPARE(result.skipped, 4);

        QCOMPARE(values("select cardnum, name, phone, bindchid, bindport from user"),
            QStringList({ "1|local|111|NULL|NULL", "4294967295|bound||NULL|NULL" }));
        QCOMPARE(values("select cardnum, date from record"),
            QStringList({ "1|2024-01-01 10.00.00", "1|2024-01-01 10.00.01", "3|2024-01-01 10.00.00",
                "3|2024'01-01 quote" }));
        QCOMPARE(values("select date from backcard"),
            QStringList({ "2024-01-02 10.00.00", "2024-01-02 10.00.01" }));
        QCOMPARE(values("select money, date from devch"),
            QStringList({ "100|2024-01-03 10.00.00", "100|2024-01-03 10.00.01" }));

        // The merged rows, a quoted time stamp among them, are found the next time.
        QVERIFY(importer.open(source));
        result = importer.merge();
        QCOMPARE(result.outcome, DatabaseImport::Outcome::Merged);
        QCOMPARE(result.merged, 0);
    }

    void a_second_import_reads_the_newly_chosen_file()
    {
        const QString first = m_fixture.path("first.db");
        const QString second = m_fixture.path("second.db");
        buildDatabase(first, m_station, [] { QVERIFY(insertUser(RecordsFixture::user(10, "first"))); });
        buildDatabase(second, m_station, [] { QVERIFY(insertUser(RecordsFixture::user(20, "second"))); });
        DatabaseImport importer;
        QVERIFY(importer.open(first));
        QCOMPARE(importer.merge().merged, 1);
        DatabaseImport later;
        QVERIFY(later.open(second));
        QCOMPARE(later.merge().merged, 1);
        QCOMPARE(values("select name from user"), QStringList({ "first", "second" }));
    }

    void cancel_and_failed_insert_keep_the_rows_merged_before_data()
    {
        QTest::addColumn<bool>("failInsert");
        QTest::addColumn<int>("batchSize");
        QTest::addColumn<int>("kept");
        QTest::newRow("cancel at a batch boundary") << false << 2 << 4;
        QTest::newRow("cancel inside a batch waits for its end") << false << 3 << 6;
        QTest::newRow("refused row starts a batch") << true << 2 << 4;
        QTest::newRow("refused row inside a batch keeps the rows before it") << true << 3 << 4;
        QTest::newRow("refused row in the only batch") << true << 1000 << 4;
    }

    void cancel_and_failed_insert_keep_the_rows_merged_before()
    {
        QFETCH(bool, failInsert);
        QFETCH(int, batchSize);
        QFETCH(int, kept);
        const QString source = m_fixture.path("other.db");
        buildDatabase(source, m_station, [] {
            QVERIFY(insertUser(RecordsFixture::user(1, "u")));
            for (int i = 1; i <= 10; ++i) {
                const QString date = QStringLiteral("2024-02-01 10.00.%1").arg(i, 2, 10, QLatin1Char('0'));
                QVERIFY(insertRechargeRow(RecordsFixture::recharge(1, i == 6 ? "bad" : "ok", date)));
            }
            exec("delete from record where id = 3"); // a gap: the range stays the highest id
        });
        if (failInsert)
            exec("create trigger refuse before insert on record when new.name = 'bad' "
                 "begin select raise(abort, 'refused'); end");

        const QByteArray sourceBefore = fileBytes(source);
        const int attachedBefore = attachedDatabases();

        DatabaseImport importer;
        importer.setBatchSize(batchSize);
        QVERIFY(importer.open(source));
        StopAt progress(failInsert ? DatabaseImport::Table::DevCh : DatabaseImport::Table::Record, 5);
        const DatabaseImport::Result result = importer.merge(&progress);
        QCOMPARE(result.outcome,
            failInsert ? DatabaseImport::Outcome::InsertFailed : DatabaseImport::Outcome::Cancelled);
        QCOMPARE(result.table, DatabaseImport::Table::Record);
        QCOMPARE(progress.maxima, QList<int>({ 1, 10 }));
        QCOMPARE(result.merged, 1 + kept);
        QCOMPARE(attachedDatabases(), attachedBefore);
        QCOMPARE(fileBytes(source), sourceBefore);

        // What was merged is committed: another connection sees it.
        {
            QSqlDatabase reader = addStationConnection(m_station, QStringLiteral("reader"));
            QVERIFY(reader.open());
            QSqlQuery query(reader);
            QVERIFY(query.exec("select (select count(*) from user), (select count(*) from record)"));
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toInt(), 1);
            QCOMPARE(query.value(1).toInt(), kept);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));
    }

    void duplicates_within_the_source_merge_once_in_source_order_data()
    {
        QTest::addColumn<int>("batchSize");
        QTest::newRow("one row per batch") << 1;
        QTest::newRow("duplicates split by a batch boundary") << 2;
        QTest::newRow("all in one batch") << 1000;
    }

    // The first of several source rows with one key wins, whether or not a
    // batch boundary falls between them; rows keep the source's order and the
    // source file (its name needs escaping as a file URI) stays untouched.
    void duplicates_within_the_source_merge_once_in_source_order()
    {
        QFETCH(int, batchSize);
        const QString source = m_fixture.path(QStringLiteral("其他 站#1?%.db"));
        buildDatabase(source, m_station, [] {
            QVERIFY(insertUser(RecordsFixture::user(7, "first")));
            QVERIFY(insertUser(RecordsFixture::user(8, "eight")));
            QVERIFY(insertUser(RecordsFixture::user(7, "second")));
            QVERIFY(insertUser(RecordsFixture::user(4294967295u, "unsigned")));
            exec("insert into user (cardnum, name) values (-1, 'signed')");
            for (const char* name : { "a", "b", "c", "d" })
                QVERIFY(insertRechargeRow(RecordsFixture::recharge(
                    9, name, name[0] < 'c' ? "2024-03-01 10.00.00" : "2024-03-01 10.00.01")));
            QVERIFY(insertDevChRow(topUp(1, "2024-03-02 10.00.00")));
            QVERIFY(insertDevChRow(topUp(2, "2024-03-02 10.00.00")));
            // Ids out of step with the insert order: the merge follows the ids.
            exec("update devch set id = 1000000000 where money = 1");
            QVERIFY(insertDevChRow(topUp(3, "2024-03-02 10.00.01")));
        });
        const QByteArray sourceBefore = fileBytes(source);

        DatabaseImport importer;
        importer.setBatchSize(batchSize);
        QVERIFY(importer.open(source));
        const DatabaseImport::Result result = importer.merge();
        QCOMPARE(result.outcome, DatabaseImport::Outcome::Merged);
        QCOMPARE(result.merged, 3 + 2 + 2);
        QCOMPARE(result.skipped, 2 + 2 + 1);
        QCOMPARE(values("select cardnum, name from user"),
            QStringList({ "7|first", "8|eight", "4294967295|unsigned" }));
        QCOMPARE(values("select name from record"), QStringList({ "a", "c" }));
        QCOMPARE(values("select money from devch"), QStringList({ "2", "3" }));
        QCOMPARE(fileBytes(source), sourceBefore);
    }

    // Older stations bound card numbers signed, so the station may hold a
    // large card as a negative number; the source may too. Both forms are the
    // same card, and merged rows hold it unsigned.
    void card_numbers_stored_signed_count_as_the_same_card()
    {
        exec("insert into user (cardnum, name) values (-2, 'local signed')");
        exec("insert into record (cardnum, name, date) values (-2, 'local', '2024-04-01 10.00.00')");
        const QString source = m_fixture.path("other.db");
        buildDatabase(source, m_station, [] {
            QVERIFY(insertUser(RecordsFixture::user(4294967294u, "same card")));
            exec("insert into user (cardnum, name) values (-3, 'source signed')");
            QVERIFY(insertRechargeRow(RecordsFixture::recharge(4294967294u, "same", "2024-04-01 10.00.00")));
            exec("insert into record (cardnum, name, date) values (-2, 'other time', '2024-04-01 10.00.01')");
        });
        DatabaseImport importer;
        QVERIFY(importer.open(source));
        const DatabaseImport::Result result = importer.merge();
        QCOMPARE(result.outcome, DatabaseImport::Outcome::Merged);
        QCOMPARE(values("select cardnum, name from user"),
            QStringList({ "-2|local signed", "4294967293|source signed" }));
        QCOMPARE(
            values("select cardnum, name from record"), QStringList({ "-2|local", "4294967294|other time" }));

        // With no negative card left among the users, new ones are still told apart.
        exec("delete from user");
        QVERIFY(importer.open(source));
        QCOMPARE(importer.merge().merged, 2);
        QCOMPARE(values("select cardnum, name from user"),
            QStringList({ "4294967294|same card", "4294967293|source signed" }));
    }

    // Cells are read by position and converted as the workflows' bindings
    // do: an absent text is empty, an absent number 0; an amount with a
    // fraction is no amount. An older user table without the bind columns
    // still merges.
    void source_cells_are_read_by_position_and_normalised()
    {
        const QString source = m_fixture.path("old.db");
        {
            QSqlDatabase other = addStationConnection(source, QStringLiteral("old"));
            QVERIFY(other.open());
            QSqlQuery query(other);
            QVERIFY(query.exec("create table user (id integer primary key autoincrement, card INTEGER,"
                               "holder varchar(32), addr varchar(128), phone varchar(32))"));
            QVERIFY(query.exec("insert into user (card, holder, phone) values (5, 'five', NULL)"));
            QVERIFY(query.exec("create table devch (id integer primary key autoincrement, money INTEGER,"
                               "sn INTEGER, ver INTEGER, manager varchar(32), date varchar(32))"));
            QVERIFY(query.exec("insert into devch (money, sn, ver, manager, date) "
                               "values (2.5, NULL, 'x', NULL, 'd1'), (NULL, 3, 4, 'm', NULL)"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));
        DatabaseImport importer;
        QVERIFY(importer.open(source));
        const DatabaseImport::Result result = importer.merge();
        QCOMPARE(result.outcome, DatabaseImport::Outcome::Merged);
        QCOMPARE(result.merged, 2);
        QCOMPARE(result.badMoney, 1);
        QCOMPARE(values("select cardnum, name, addr, phone, carnum, date, note, bindchid from user"),
            QStringList({ "5|five||||||NULL" }));
        QCOMPARE(values("select money, sn, ver, manager, date from devch"), QStringList({ "0|3|4|m|" }));
    }

    void the_walk_reaches_every_row_whatever_the_columns_are_called_data()
    {
        QTest::addColumn<QString>("tail");
        QTest::newRow("text in a rowid column") << ", rowid TEXT default 'z')";
        QTest::newRow("null in a rowid column") << ", rowid TEXT)";
        QTest::newRow("every rowid name taken") << ", _rowid_ TEXT, RowId TEXT default 'x', oid TEXT)";
        QTest::newRow("without rowid") << ", rowid TEXT) without rowid";
    }

    void the_walk_reaches_every_row_whatever_the_columns_are_called()
    {
        QFETCH(QString, tail);
        const QString source = m_fixture.path("shadowed.db");
        {
            QSqlDatabase other = addStationConnection(source, QStringLiteral("shadowed"));
            QVERIFY(other.open());
            QSqlQuery query(other);
            QVERIFY(
                query.exec("create table user (id integer primary key, cardnum INTEGER, name, addr, phone, "
                           "carnum, date, manager, sn, note"
                    + tail));
            QVERIFY(query.exec("insert into user (id, cardnum, name) values (1, 1, 'n1'), (2, 2, 'n2'), "
                               "(3, 3, 'n3')"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("shadowed"));
        DatabaseImport importer;
        importer.setBatchSize(2);
        QVERIFY(importer.open(source));
        const DatabaseImport::Result result = importer.merge();
        QCOMPARE(result.outcome, DatabaseImport::Outcome::Merged);
        QCOMPARE(result.read, 3);
        QCOMPARE(values("select cardnum, name from user"), QStringList({ "1|n1", "2|n2", "3|n3" }));
    }

    // Rows that vanish from the source while it is read are a failure, not a merge.
    void a_source_that_loses_rows_during_the_walk_is_reported_incomplete()
    {
        const QString source = m_fixture.path("shrinking.db");
        buildDatabase(source, m_station, [] {
            for (quint32 card = 1; card <= 3; ++card)
                QVERIFY(insertUser(RecordsFixture::user(card, "u")));
        });
        class Shrink : public StopAt
        {
        public:
            using StopAt::StopAt;
            bool rowReached(int count) override
            {
                if (count == 1) {
                    QSqlDatabase other = addStationConnection(file, QStringLiteral("writer"));
                    if (other.open())
                        QSqlQuery(other).exec("delete from user where cardnum = 3");
                }
                return StopAt::rowReached(count);
            }
            QString file;
        } progress(DatabaseImport::Table::DevCh, 1);
        progress.file = source;
        DatabaseImport importer;
        importer.setBatchSize(1);
        QVERIFY(importer.open(source));
        const DatabaseImport::Result result = importer.merge(&progress);
        QSqlDatabase::removeDatabase(QStringLiteral("writer"));
        QCOMPARE(result.outcome, DatabaseImport::Outcome::Incomplete);
        QCOMPARE(result.held, qint64(3));
        QCOMPARE(result.read, 2);
    }

    // Rows whose card number or amounts are no such thing are left out,
    // counted by reason, and the operator is told.
    void rows_with_values_that_are_not_values_are_skipped_and_reported()
    {
        const QString source = m_fixture.path("hostile.db");
        buildDatabase(source, m_station, [] {
            QVERIFY(insertUser(RecordsFixture::user(5, "good")));
            exec("insert into user (cardnum, name) values (99999999999, 'wide'), ('lots', 'word'), "
                 "(x'05', 'blob'), (NULL, 'none'), (2.5, 'fraction'), (-2147483649, 'below')");
            QVERIFY(insertRechargeRow(RecordsFixture::recharge(5, "good", "2024-06-01 10.00.00")));
            exec("insert into record (cardnum, date, pay, pay_old, pay_new) values "
                 "(5, 'a', 'lots of money', '', ''), (5, 'b', '1.00', 'NaN', ''), (5, 'c', x'31', '', ''), "
                 "(5, 'd', '12.5', '', ''), (5, 'e', '1.00', '', '-1.00'), (5, 'f', '42949672.96', '', ''), "
                 "(99999999999, 'g', '1.00', '', '')");
            exec("insert into backcard (cardnum, date, pay) values (5, 'a', 'NaN'), (5, 'b', '42949672.95')");
            exec("insert into devch (money, date) values ('NaN', 'a'), (-1, 'b'), (4294967295, 'c')");
        });
        FileDialog::setNextFileName(source);
        DatabaseImportPrompt::run(nullptr);
        QCOMPARE(RecordsFixture::messageTexts(),
            QStringList { QStringLiteral("导入数据库成功\n跳过卡号无效的数据 7 条，金额无效的数据 9 条") });
        QCOMPARE(values("select cardnum, name from user"), QStringList({ "5|good" }));
        QCOMPARE(values("select date, pay from record"), QStringList({ "2024-06-01 10.00.00|10.00" }));
        QCOMPARE(values("select date, pay from backcard"), QStringList({ "b|42949672.95" }));
        QCOMPARE(values("select money, date from devch"), QStringList({ "4294967295|c" }));
    }

    void importing_the_live_database_is_refused_untouched_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("same path") << "";
        QTest::newRow("symbolic link") << "symbolic.db";
        QTest::newRow("hard link") << "hard.db";
    }

    void importing_the_live_database_is_refused_untouched()
    {
        QFETCH(QString, link);
        QVERIFY(insertUser(RecordsFixture::user(1, "own")));
        QString chosen = m_station;
        if (link == "symbolic.db")
            QVERIFY(QFile::link(m_station, chosen = m_fixture.path(link)));
        else if (!link.isEmpty())
            QCOMPARE(
                ::link(QFile::encodeName(m_station), QFile::encodeName(chosen = m_fixture.path(link))), 0);
        const QByteArray before = fileBytes(m_station);
        FileDialog::setNextFileName(chosen);
        DatabaseImportPrompt::run(nullptr);
        QCOMPARE(RecordsFixture::messageTexts(), QStringList { "不能导入正在使用的数据库" });
        QCOMPARE(fileBytes(m_station), before);
    }

    void files_that_are_not_databases_do_not_open_and_missing_tables_count_as_empty()
    {
        const QString text = m_fixture.path("notes.db");
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        DatabaseImport importer;
        QVERIFY(!importer.open(text));
        const QString empty = m_fixture.path("empty.db");
        QVERIFY(QFile(empty).open(QIODevice::WriteOnly));
        QVERIFY(!importer.open(empty));
        QCOMPARE(QFileInfo(empty).size(), qint64(0));
        QVERIFY(!importer.open(m_fixture.path("absent.db")));
        QVERIFY(!QFile::exists(m_fixture.path("absent.db")));

        const QString partial = m_fixture.path("partial.db");
        {
            QSqlDatabase other = addStationConnection(partial, QStringLiteral("partial"));
            QVERIFY(other.open());
            QSqlQuery query(other);
            QVERIFY(query.exec("create table devch (id integer primary key autoincrement,money INTEGER,"
                               "sn INTEGER,ver INTEGER,manager varchar(32),date varchar(32))"));
            QVERIFY(
                query.exec("insert into devch (money, sn, ver, manager, date) values (5, 7, 1, 'a', 'd')"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("partial"));
        QVERIFY(importer.open(partial));
        const DatabaseImport::Result result = importer.merge();
        QCOMPARE(result.outcome, DatabaseImport::Outcome::Merged);
        QCOMPARE(result.merged, 1);
    }

    // A file with a damaged table is refused whole, and said to be damaged.
    void a_damaged_file_is_refused_whole()
    {
        const QString source = m_fixture.path("damaged.db");
        qint64 offset = 0;
        int pageSize = 0;
        buildDatabase(source, m_station, [&] {
            QVERIFY(insertUser(RecordsFixture::user(1, "u")));
            QVERIFY(insertRechargeRow(RecordsFixture::recharge(1, "u", "2024-06-01 10.00.00")));
            QSqlQuery query("select rootpage, (select page_size from pragma_page_size) from sqlite_master "
                            "where name = 'record'");
            QVERIFY(query.next());
            pageSize = query.value(1).toInt();
            offset = (query.value(0).toLongLong() - 1) * pageSize;
        });
        QFile file(source);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(offset));
        file.write(QByteArray(pageSize, '\xff'));
        file.close();

        FileDialog::setNextFileName(source);
        DatabaseImportPrompt::run(nullptr);
        QCOMPARE(RecordsFixture::messageTexts(),
            QStringList { "导入数据库未完成：数据库文件已损坏，已读到 0 条数据，已合并 0 条" });
        QCOMPARE(values("select cardnum from user"), QStringList());
    }

    void backup_replaces_only_with_a_complete_copy()
    {
        QVERIFY(QDir().mkpath(m_fixture.path("backup")));
        const QString target = DatabaseBackup::targetPath(m_fixture.path("backup"));
        QCOMPARE(target, m_fixture.path("backup/database.db"));
        QCOMPARE(DatabaseBackup::copy(m_station, target), DatabaseBackup::Outcome::Copied);
        QCOMPARE(QFileInfo(target).size(), QFileInfo(m_station).size());

        QCOMPARE(
            DatabaseBackup::copy(m_fixture.path("gone.db"), target), DatabaseBackup::Outcome::CopyFailed);
        QCOMPARE(QFileInfo(target).size(), QFileInfo(m_station).size());
        QCOMPARE(DatabaseBackup::copy(m_station, m_fixture.path("no/such/database.db")),
            DatabaseBackup::Outcome::CopyFailed);
        QCOMPARE(DatabaseBackup::copy(m_station, DatabaseBackup::targetPath(m_fixture.path(QString()))),
            DatabaseBackup::Outcome::SameFile);
        QVERIFY(QFileInfo(m_station).size() > 0);
        QCOMPARE(QDir(m_fixture.path("backup")).entryList(QDir::Files | QDir::Hidden),
            QStringList { "database.db" });
    }

    // A writer of another connection that has begun rewriting the file in
    // place keeps the backup out: a copy then would hold a torn ledger.
    void backup_is_refused_while_a_writer_rewrites_the_file()
    {
        QVERIFY(QDir().mkpath(m_fixture.path("backup")));
        {
            QSqlDatabase writer = addStationConnection(m_station, QStringLiteral("writer"));
            QVERIFY(writer.open());
            QSqlQuery query(writer);
            // A cache of a few pages makes the writer rewrite the file before commit.
            QVERIFY(query.exec("pragma cache_size = 2") && writer.transaction());
            QVERIFY(
                query.exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000) "
                           "insert into user (cardnum, name) select i, printf('%0200d', i) from n"));
            QCOMPARE(DatabaseBackup::backup(DatabaseBackup::targetPath(m_fixture.path("backup"))),
                DatabaseBackup::Outcome::CopyFailed);
            QVERIFY(writer.rollback());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("writer"));
        QCOMPARE(DatabaseBackup::backup(DatabaseBackup::targetPath(m_fixture.path("backup"))),
            DatabaseBackup::Outcome::Copied);
        QCOMPARE(AuditTrail::page(AuditFilter(), 0, 1).value(0).outcome, AuditTrail::outcome(true, 0));
    }

    void backup_prompt_asks_before_replacing_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("declined") << 0 << QStringList { "数据库已存在，是否覆盖？" } << false;
        QTest::newRow("accepted") << 1 << QStringList { "数据库已存在，是否覆盖？", "备份数据库成功" }
                                  << true;
    }

    void backup_prompt_asks_before_replacing()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, messages);
        QFETCH(bool, replaced);
        QVERIFY(QDir().mkpath(m_fixture.path("backup")));
        QFile old(m_fixture.path("backup/database.db"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old backup");
        old.close();

        FileDialog::setNextFileName(m_fixture.path("backup"));
        MessageBox::setNextAnswer(answer);
        DatabaseBackupPrompt::run(nullptr);
        QCOMPARE(RecordsFixture::messageTexts(), messages);
        QCOMPARE(FileDialog::requests().first().kind, FileDialog::Folder);
        QCOMPARE(FileDialog::requests().first().caption, QStringLiteral("请选择导出数据库的路径..."));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll() != QByteArray("old backup"), replaced);
    }

    void prompts_report_each_outcome_data()
    {
        QTest::addColumn<bool>("import");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("message");
        QTest::newRow("backup without folder") << false << ""
                                               << "未选择文件夹";
        QTest::newRow("backup copy fails") << false << "no/such/folder"
                                           << "备份数据库失败";
        QTest::newRow("import without file") << true << ""
                                             << "未选择文件";
        QTest::newRow("import of a text file") << true << "notes.db"
                                               << "打开数据库失败";
        QTest::newRow("import of a backup") << true << "backup.db"
                                            << "导入数据库成功";
    }

    void prompts_report_each_outcome()
    {
        QFETCH(bool, import);
        QFETCH(QString, chosen);
        QFETCH(QString, message);
        QFile notes(m_fixture.path("notes.db"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write(QByteArray(2048, 'n'));
        notes.close();
        QVERIFY(QFile::copy(m_station, m_fixture.path("backup.db")));

        FileDialog::setNextFileName(chosen.isEmpty() ? QString() : m_fixture.path(chosen));
        if (import)
            DatabaseImportPrompt::run(nullptr);
        else
            DatabaseBackupPrompt::run(nullptr);
        QCOMPARE(RecordsFixture::messageTexts(), QStringList { message });
    }

private:
    RecordsFixture m_fixture;
    QString m_station;
};

QTEST_MAIN(TestDatabaseTransfer)
#include "test_databasetransfer.moc"
