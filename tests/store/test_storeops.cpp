#include "Database.h"
#include "ManStore.h"
#include "RecordStore.h"
#include "StoreFixture.h"
#include "UserStore.h"

#include <QtTest>

namespace {

UserRow owner(quint32 cardnum, const QString& name)
{
    UserRow row;
    row.cardnum = cardnum;
    row.name = name;
    row.addr = QStringLiteral("北街 3 号");
    row.phone = QStringLiteral("13800000000");
    row.carnum = QStringLiteral("A-123");
    row.date = QStringLiteral("2024-05-06 07.08.09");
    row.manager = QStringLiteral("admin");
    row.sn = QStringLiteral("00007");
    row.note = QStringLiteral("备注");
    return row;
}

} // namespace

class TestStoreOps : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_ledger.start(); }
    void init() { VELOKA_OPEN_LEDGER(m_ledger); }
    void cleanup() { dropDefaultConnection(); }

    void largest_card_number_round_trips_unsigned()
    {
        const quint32 top = 4294967295u;
        QVERIFY(insertUser(owner(top, QStringLiteral("max"))));
        const UserLookup found = findUserByCard(top);
        QVERIFY(found.found());
        QCOMPARE(found.row.cardnum, top);

        RechargeRow recharge;
        recharge.cardnum = top;
        QVERIFY(insertRechargeRow(recharge));
        ReturnRow back;
        back.cardnum = top;
        QVERIFY(insertReturnRow(back));
        for (const char* table : { "user", "record", "backcard" }) {
            QSqlQuery query(QStringLiteral("select cardnum from %1")
                                .arg(SqlDialect::current().table(QLatin1String(table))));
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toULongLong(), 4294967295ull);
        }
    }

    void issuing_inserts_then_rewrites_the_row_keeping_its_binding()
    {
        QCOMPARE(saveCardOwner(owner(0x01020304, QStringLiteral("张三"))), OwnerSave::Inserted);
        UserLookup first = findUserByCard(0x01020304);
        QVERIFY(first.found());
        QVERIFY(!first.row.bindchid.has_value());
        QVERIFY(!first.row.bindport.has_value());
        QVERIFY(setUserBinding(first.row.id, 70000, 3));

        UserRow again = owner(0x01020304, QStringLiteral("李四"));
        again.note = QString();
        QCOMPARE(saveCardOwner(again), OwnerSave::Updated);
        QCOMPARE(rowCount(QStringLiteral("user")), 1);
        const UserLookup second = findUserByCard(0x01020304);
        QCOMPARE(second.row.id, first.row.id);
        QCOMPARE(second.row.name, QStringLiteral("李四"));
        QCOMPARE(second.row.addr, QStringLiteral("北街 3 号"));
        QCOMPARE(second.row.date, QStringLiteral("2024-05-06 07.08.09"));
        QCOMPARE(second.row.sn, QStringLiteral("00007"));
        QCOMPARE(second.row.bindchid, std::optional<qint64>(70000));
        QCOMPARE(second.row.bindport, std::optional<qint64>(3));
        QSqlQuery note(QStringLiteral("select note from %1").arg(SqlDialect::current().table("user")));
        QVERIFY(note.next());
        QVERIFY(!note.value(0).isNull()); // untouched line edits store "", not NULL

        QVERIFY(setUserBinding(first.row.id, 0, 0));
        QCOMPARE(findUserByCard(0x01020304).row.bindchid, std::optional<qint64>(0));
    }

    void update_touches_only_the_row_with_that_id()
    {
        QVERIFY(insertUser(owner(1, QStringLiteral("a"))));
        QVERIFY(insertUser(owner(2, QStringLiteral("b"))));
        const qint64 id = findUserByCard(2).row.id;
        QVERIFY(updateUser(id, owner(2, QStringLiteral("b2"))));
        QCOMPARE(findUserByCard(1).row.name, QStringLiteral("a"));
        QCOMPARE(findUserByCard(2).row.name, QStringLiteral("b2"));
    }

    void failed_statements_report_failure()
    {
        QCOMPARE(findUserByCard(5).status, LookupStatus::NotFound);
        QVERIFY(m_ledger.dropTables({ "user", "record" }));
        QCOMPARE(findUserByCard(5).status, LookupStatus::Failed);
        QCOMPARE(saveCardOwner(owner(5, QStringLiteral("x"))), OwnerSave::LookupFailed);
        QVERIFY(!insertUser(owner(5, QStringLiteral("x"))));
        QVERIFY(!insertRechargeRow(RechargeRow()));

        dropDefaultConnection();
        QCOMPARE(findManLike(QStringLiteral("admin")).status, LookupStatus::Failed);
        QVERIFY(!addMan(QStringLiteral("x"), QString()));
    }

    void history_rows_hold_their_fields_with_ids_assigned()
    {
        RechargeRow recharge { 77, "n", "a", "p", "c", "2024-01-02 03.04.05", "op", "12.34", "0.05", "12.39",
            "00012", "note" };
        QVERIFY(insertRechargeRow(recharge));
        QVERIFY(insertRechargeRow(recharge));
        QSqlQuery record(QStringLiteral("select * from record order by id"));
        QVERIFY(record.next());
        QCOMPARE(record.value(0).toInt(), 1);
        const QStringList expected { "77", "n", "a", "p", "c", "2024-01-02 03.04.05", "op", "12.34", "0.05",
            "12.39", "00012", "note" };
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(record.value(i + 1).toString(), expected.at(i));
        QVERIFY(record.next());
        QCOMPARE(record.value(0).toInt(), 2);

        ReturnRow back { 78, "n", "a", "p", "c", "2024-01-02 03.04.06", "op", "10.05", "00012", "rem" };
        QVERIFY(insertReturnRow(back));
        QSqlQuery backcard(QStringLiteral("select * from backcard"));
        QVERIFY(backcard.next());
        const QStringList backExpected { "1", "78", "n", "a", "p", "c", "2024-01-02 03.04.06", "op", "10.05",
            "00012", "rem" };
        for (int i = 0; i < backExpected.size(); ++i)
            QCOMPARE(backcard.value(i).toString(), backExpected.at(i));

        QVERIFY(insertDevChRow(DevChRow { 4294967295u, 7, 3, "op", "2024-01-02 03.04.07" }));
        QSqlQuery devch(QStringLiteral("select money, sn, ver, manager, date from devch"));
        QVERIFY(devch.next());
        QCOMPARE(devch.value(0).toULongLong(), 4294967295ull);
        QCOMPARE(devch.value(1).toInt(), 7);
        QCOMPARE(devch.value(2).toInt(), 3);
        QCOMPARE(devch.value(3).toString(), QStringLiteral("op"));
        QCOMPARE(devch.value(4).toString(), QStringLiteral("2024-01-02 03.04.07"));
    }

    void account_lookup_treats_typed_name_as_like_pattern_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("found"); // empty: no row
        QTest::newRow("exact") << "admin"
                               << "admin";
        QTest::newRow("capitals match") << "ADMIN"
                                        << "admin";
        QTest::newRow("trailing percent") << "adm%"
                                          << "admin";
        QTest::newRow("underscore") << "_dmin"
                                    << "admin";
        QTest::newRow("quote is a character") << "o'neil"
                                              << "o'neil";
        QTest::newRow("injection finds nothing") << "x' or '1'='1" << QString();
        QTest::newRow("unknown") << "nobody" << QString();
        QTest::newRow("chinese name") << "王五"
                                      << "王五";
        QTest::newRow("backslash is a character") << "a\\b"
                                                  << "a\\b";
    }

    void account_lookup_treats_typed_name_as_like_pattern()
    {
        QFETCH(QString, typed);
        QFETCH(QString, found);
        QVERIFY(addMan(QStringLiteral("o'neil"), QStringLiteral("pw")));
        QVERIFY(addMan(QStringLiteral("王五"), QStringLiteral("pw")));
        QVERIFY(addMan(QStringLiteral("a\\b"), QStringLiteral("pw")));
        const ManLookup lookup = findManLike(typed);
        QCOMPARE(lookup.status, found.isEmpty() ? LookupStatus::NotFound : LookupStatus::Found);
        QCOMPARE(lookup.row.name, found);
    }

    void accounts_are_added_changed_and_deleted_by_id()
    {
        const QDateTime when(QDate(2024, 2, 3), QTime(4, 5, 6));
        QVERIFY(addMan(QStringLiteral("clerk"), QString(), when));
        QVERIFY(addMan(QStringLiteral("night"), QStringLiteral("n1"), when));
        QCOMPARE(manNames(), (QStringList { "admin", "clerk", "night" }));
        const ManRow clerk = findManLike(QStringLiteral("clerk")).row;
        QCOMPARE(clerk.pwd, QString());
        QCOMPARE(clerk.date, QStringLiteral("20240203 040506"));
        QCOMPARE(clerk.note, QString());

        QVERIFY(changeMan(clerk.id, QStringLiteral("clerk"), QStringLiteral("s3cret"), when.addSecs(60)));
        const QList<ManRow> men = listMen();
        QCOMPARE(men.size(), 3);
        QCOMPARE(men.at(1).pwd, QStringLiteral("s3cret"));
        QCOMPARE(men.at(1).date, QStringLiteral("20240203 040606"));
        QCOMPARE(men.at(2).pwd, QStringLiteral("n1"));

        QVERIFY(deleteMan(clerk.id));
        QCOMPARE(manNames(), (QStringList { "admin", "night" }));
        // As when another station deleted it after this one looked it up.
        QVERIFY(!changeMan(clerk.id, QStringLiteral("clerk"), QStringLiteral("again")));
        QVERIFY(addMan(QStringLiteral("clerk"), QStringLiteral("x")));
        QVERIFY(findManLike(QStringLiteral("clerk")).row.id > men.at(2).id); // ids are never reused
    }

private:
    StoreLedger m_ledger;
};

QTEST_GUILESS_MAIN(TestStoreOps)
#include "test_storeops.moc"
