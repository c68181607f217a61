#include "Database.h"
#include "LedgerFaults.h"
#include "LedgerWrite.h"
#include "StoreFixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

QList<LedgerEntry> oneOfEachKind()
{
    UserRow owner;
    owner.cardnum = 4294967295u;
    owner.name = QStringLiteral("张三");
    owner.date = QStringLiteral("2024-05-06 07.08.09");
    RechargeRow recharge;
    recharge.cardnum = owner.cardnum;
    recharge.name = owner.name;
    recharge.date = owner.date;
    recharge.pay = QStringLiteral("2.00");
    recharge.payOld = QStringLiteral("0.05");
    recharge.payNew = QStringLiteral("2.05");
    ReturnRow back;
    back.cardnum = owner.cardnum;
    back.pay = QStringLiteral("2.05");
    DevChRow devch;
    devch.money = 10005;
    devch.sn = 7;
    devch.ver = 3;
    return { LedgerEntry::make(owner), LedgerEntry::make(BindingRow { owner.cardnum, 70000, 2 }),
        LedgerEntry::make(recharge), LedgerEntry::make(back), LedgerEntry::make(devch) };
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLedger : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(prepareDatabase(m_dir->filePath(kDatabaseFileName)).opened);
        Outbox::setStationPath(m_dir->filePath(Outbox::kFileName));
        setLedgerLockWait(50);
    }
    void cleanup() { dropDefaultConnection(); }

    void outbox_rows_reach_the_ledger_once_also_after_a_crash_before_the_rewrite()
    {
        const Outbox outbox;
        QByteArray crashed; // the file as a crash before its rewrite leaves it
        for (const LedgerEntry& entry : oneOfEachKind()) {
            QVERIFY(outbox.append(entry));
            crashed += "{\"attempted\":\"" + entry.key.toUtf8() + "\"}\n";
        }
        crashed.prepend(contents(outbox.path()));

        for (int round = 0; round < 2; ++round) {
            const Outbox::Delivery delivery = outbox.deliver();
            QCOMPARE(delivery.delivered, 5);
            QCOMPARE(delivery.waiting, 0);
            QCOMPARE(outbox.count(), 0);
            for (const char* table : { "user", "record", "backcard", "devch" })
                QCOMPARE(rowCount(QLatin1String(table)), 1);
            QFile file(outbox.path());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(crashed) == crashed.size());
        }
        const UserLookup user = findUserByCard(4294967295u);
        QCOMPARE(user.row.name, QStringLiteral("张三"));
        QCOMPARE(user.row.bindchid, std::optional<qint64>(70000));
        QSqlQuery record(QStringLiteral("select cardnum, pay_new from record"));
        QVERIFY(record.next());
        QCOMPARE(record.value(0).toULongLong(), 4294967295ull);
        QCOMPARE(record.value(1).toString(), QStringLiteral("2.05"));
    }

    void identical_rows_of_two_operations_are_both_delivered()
    {
        // A card returned twice within one second, its second issue not yet stored.
        const LedgerEntry back = oneOfEachKind().at(3);
        QVERIFY(insertReturnRow(std::get<ReturnRow>(back.row)));
        QVERIFY(Outbox().append(LedgerEntry::make(back.row)));
        QCOMPARE(Outbox().deliver().delivered, 1);
        QCOMPARE(rowCount(QStringLiteral("backcard")), 2);
    }

    void delivery_waits_for_a_lock_and_keeps_lines_it_cannot_read()
    {
        const Outbox outbox;
        {
            QFile file(outbox.path());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("{\"key\":\"cut short");
        }
        QVERIFY(outbox.append(oneOfEachKind().at(2)));
        LedgerFaults::OtherProgram other;
        QVERIFY(other.hold(LedgerFaults::OtherProgram::WriteLock));
        const Outbox::Delivery locked = outbox.deliver();
        QCOMPARE(int(locked.fault), int(LedgerFault::Busy));
        QCOMPARE(locked.waiting, 2);

        other.release();
        const Outbox::Delivery delivered = outbox.deliver();
        QCOMPARE(delivered.delivered, 1);
        QCOMPARE(delivered.waiting, 1);
        QCOMPARE(rowCount(QStringLiteral("record")), 1);
    }

    void start_up_check_names_what_keeps_the_ledger_from_writing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("table");
        QTest::newRow("writable") << "" << int(LedgerHealth::Writable) << "";
        QTest::newRow("write lock elsewhere") << "write lock" << int(LedgerHealth::Locked) << "";
        QTest::newRow("exclusive lock elsewhere") << "exclusive" << int(LedgerHealth::Locked) << "";
        QTest::newRow("read-only file") << "read-only" << int(LedgerHealth::ReadOnly) << "record";
        QTest::newRow("insert refused") << "trigger" << int(LedgerHealth::TableRefused) << "record";
        QTest::newRow("column missing") << "column" << int(LedgerHealth::TableRefused) << "backcard";
        QTest::newRow("outbox folder missing") << "outbox" << int(LedgerHealth::OutboxUnwritable) << "";
    }
    void start_up_check_names_what_keeps_the_ledger_from_writing()
    {
        QFETCH(QString, fault);
        QFETCH(int, status);
        QFETCH(QString, table);
        QVERIFY(Outbox().append(oneOfEachKind().at(4)));
        LedgerFaults::OtherProgram other;
        if (fault == QLatin1String("write lock"))
            QVERIFY(other.hold(LedgerFaults::OtherProgram::WriteLock));
        if (fault == QLatin1String("exclusive"))
            QVERIFY(other.hold(LedgerFaults::OtherProgram::ExclusiveLock));
        if (fault == QLatin1String("read-only"))
            QVERIFY(LedgerFaults::reopen(true));
        if (fault == QLatin1String("trigger"))
            QVERIFY(LedgerFaults::refuseRows(true));
        if (fault == QLatin1String("column")) {
            QVERIFY(QSqlQuery().exec(QStringLiteral("drop table backcard")));
            QVERIFY(QSqlQuery().exec(
                QStringLiteral("create table backcard (id integer primary key, cardnum INTEGER)")));
        }
        if (fault == QLatin1String("outbox"))
            Outbox::setStationPath(m_dir->filePath(QStringLiteral("gone/outbox.jsonl")));

        const LedgerHealth health = checkLedger();
        QCOMPARE(int(health.status), status);
        QCOMPARE(health.table, table);
        other.release();
        // The probe rows were rolled back; a writable ledger took the waiting row.
        for (const char* name : { "user", "record", "backcard" })
            QCOMPARE(rowCount(QLatin1String(name)), 0);
        QCOMPARE(rowCount(QStringLiteral("devch")), status == LedgerHealth::Writable ? 1 : 0);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestLedger)
#include "test_ledger.moc"
