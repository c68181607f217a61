#include "AuditTrail.h"
#include "CardStatement.h"
#include "DeskTotals.h"
#include "RecordIndex.h"
#include "RecordStore.h"
#include "StationClock.h"
#include "StoreFixture.h"
#include "UserStore.h"

#include <QtTest>

namespace {

RechargeRow recharge(quint32 card, const char* date, const char* manager, const char* pay,
    const char* oldBalance, const char* newBalance)
{
    RechargeRow row;
    row.cardnum = card;
    row.date = QLatin1String(date);
    row.manager = QLatin1String(manager);
    row.pay = QLatin1String(pay);
    row.payOld = QLatin1String(oldBalance);
    row.payNew = QLatin1String(newBalance);
    return row;
}

ReturnRow refund(quint32 card, const char* date, const char* manager, const char* pay)
{
    ReturnRow row;
    row.cardnum = card;
    row.date = QLatin1String(date);
    row.manager = QLatin1String(manager);
    row.pay = QLatin1String(pay);
    return row;
}

QDateTime at(const char* text)
{
    return QDateTime::fromString(QLatin1String(text), kRecordTimeFormat);
}

} // namespace

// The desk's sums and card statements, on the file or (server build) on PostgreSQL.
class TestDeskLedger : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_ledger.start(); }
    void init() { VELOKA_OPEN_LEDGER(m_ledger); }
    void cleanup() { dropDefaultConnection(); }

    void totals_sum_exact_fen_per_day_and_operator_within_the_period()
    {
        // 23.59.59 and 00.00.00 fall on either side of the day boundary;
        // the last second of the period counts, the one after does not.
        QVERIFY(insertRechargeRow(recharge(1, "2026-03-01 23.59.59", "ann", "0.10", "0.00", "0.10")));
        QVERIFY(insertRechargeRow(recharge(1, "2026-03-02 00.00.00", "ann", "0.20", "0.10", "0.30")));
        QVERIFY(
            insertRechargeRow(recharge(2, "2026-03-02 08.00.00", "ann", "4294967.29", "0.00", "4294967.29")));
        QVERIFY(insertRechargeRow(recharge(2, "2026-03-02 09.00.00", "bob", "1.05", "0.00", "1.05")));
        QVERIFY(insertRechargeRow(recharge(3, "2026-03-02 09.30.00", "ann", "12,00", "0.00", "12.00")));
        QVERIFY(insertRechargeRow(recharge(4, "2026-03-03 00.00.00", "ann", "5.00", "0.00", "5.00")));
        for (int i = 0; i < 20; ++i) // a run of ids long enough to be summed by its bounds
            QVERIFY(insertRechargeRow(recharge(6, "2026-03-05 10.00.00", "cy", "0.01", "0.00", "0.01")));
#ifndef VELOKA_TEST_SERVER
        // On the file the sums read the period's ids from the side index:
        // rows above are found on the ledger, the rest through the index.
        const std::shared_ptr<RecordIndex> index = RecordIndex::acquire();
        QVERIFY(index);
#endif
        QVERIFY(insertRechargeRow(recharge(5, "2026-02-28 23.59.59", "ann", "7.00", "0.00", "7.00")));
        QVERIFY(insertReturnRow(refund(1, "2026-03-02 10.00.00", "ann", "0.30")));
        QVERIFY(
            insertDevChRow({ 50000, 7, 1, QStringLiteral("bob"), QStringLiteral("2026-03-01 12.00.00") }));
        UserRow user;
        user.cardnum = 9;
        user.date = QStringLiteral("2026-03-02 07.00.00");
        user.manager = QStringLiteral("ann");
        QVERIFY(insertUser(user));

        const DeskTotals all = loadDeskTotals(at("2026-03-01 00.00.00"), at("2026-03-02 23.59.59"));
        QCOMPARE(all.status, LookupStatus::Found);
        QStringList keys;
        for (const DeskTotalsRow& row : all.rows)
            keys << row.day + QLatin1Char('/') + row.manager;
        QCOMPARE(
            keys, QStringList({ "2026-03-01/ann", "2026-03-01/bob", "2026-03-02/ann", "2026-03-02/bob" }));
        const DeskTotalsRow& annFirst = all.rows[0];
        QCOMPARE(annFirst.recharges.count, 1);
        QCOMPARE(annFirst.recharges.fen, 10);
        const DeskTotalsRow& annSecond = all.rows[2];
        QCOMPARE(annSecond.recharges.count, 3); // the malformed one is counted, not summed
        QCOMPARE(annSecond.recharges.fen, 20 + 429496729ll);
        QCOMPARE(annSecond.unreadable, 1);
        QCOMPARE(annSecond.refunds.count, 1);
        QCOMPARE(annSecond.refunds.fen, 30);
        QCOMPARE(annSecond.issued, 1);
        QCOMPARE(annSecond.netCash(), 429496729ll + 20 - 30);
        QCOMPARE(all.rows[1].topUps.fen, 50000);
        QCOMPARE(all.rows[1].netCash(), 0);
        QCOMPARE(all.total().recharges.fen, 10 + 20 + 429496729ll + 105);

        const DeskTotals run = loadDeskTotals(at("2026-03-05 00.00.00"), at("2026-03-05 23.59.59"));
        QCOMPARE(run.rows.size(), 1);
        QCOMPARE(run.total().recharges.count, 20);
        QCOMPARE(run.total().recharges.fen, 20);

        const DeskTotals bob = loadDeskTotals(at("2026-03-01 00.00.00"), at("2026-03-02 23.59.59"), "bob");
        QCOMPARE(bob.rows.size(), 2);
        QCOMPARE(bob.total().recharges.fen, 105);
        QCOMPARE(bob.total().topUps.count, 1);
        QCOMPARE(bob.total().refunds.count, 0);

        // A name typed with a quote is a bound value, never part of the statement.
        QCOMPARE(loadDeskTotals(at("2026-03-01 00.00.00"), at("2026-03-02 23.59.59"), "x' or '1'='1").status,
            LookupStatus::NotFound);
    }

    void statement_orders_the_card_history_and_counts_its_gaps()
    {
        const quint32 card = 4294967295u;
        UserRow user;
        user.cardnum = card;
        user.name = QStringLiteral("张三");
        user.date = QStringLiteral("2026-03-01 08.00.00");
        QVERIFY(insertUser(user));
        QVERIFY(setUserBinding(1, 12, 3));
        // Stored out of time order; the second recharge starts from another balance.
        QVERIFY(insertRechargeRow(recharge(card, "2026-03-01 09.00.00", "ann", "5.00", "10.00", "15.00")));
        QVERIFY(insertRechargeRow(recharge(card, "2026-03-01 08.00.00", "ann", "10.00", "0.00", "10.00")));
        QVERIFY(insertReturnRow(refund(card, "2026-03-02 08.00.00", "bob", "15.00")));
        QVERIFY(insertRechargeRow(recharge(7, "2026-03-01 08.30.00", "ann", "1.00", "0.00", "1.00")));

        const CardHistory history = loadCardHistory(card);
        QCOMPARE(history.status, LookupStatus::Found);
        QCOMPARE(history.holder.row.name, QStringLiteral("张三"));
        QCOMPARE(history.holder.row.bindchid, std::optional<qint64>(12));
        const QVector<StatementEntry>& entries = history.statement.entries();
        QCOMPARE(entries.size(), 4);
        QCOMPARE(entries[0].kind, StatementEntry::Issue);
        QCOMPARE(entries[1].amount, std::optional<qint64>(1000));
        QCOMPARE(entries[2].oldBalance, std::optional<qint64>(1000));
        QCOMPARE(entries[3].kind, StatementEntry::Refund);
        QCOMPARE(history.statement.gapCount(), 0);

        QCOMPARE(loadCardHistory(123).status, LookupStatus::NotFound);
    }

    void statement_lists_each_bind_in_time_order_outside_the_balance_chain()
    {
        const quint32 card = 2000000001u;
        QVERIFY(insertRechargeRow(recharge(card, "2026-03-01 08.00.00", "ann", "10.00", "0.00", "10.00")));
        // After the first binding the balance does not carry over, after the second it does.
        QVERIFY(insertRechargeRow(recharge(card, "2026-03-01 09.00.00", "ann", "2.00", "12.00", "14.00")));
        QVERIFY(insertRechargeRow(recharge(card, "2026-03-01 10.00.00", "ann", "1.00", "14.00", "15.00")));
        StationClock::setTestTime(at("2026-03-01 08.30.00"));
        AuditTrail::record(AuditAction::CardBind, AuditTrail::cardSubject(card), "ok 12/3");
        AuditTrail::record(AuditAction::CardBind, AuditTrail::cardSubject(card), "failed 5 13/2");
        AuditTrail::record(AuditAction::CardBind, AuditTrail::cardSubject(7), "ok 14/1");
        StationClock::advance(3600);
        AuditTrail::record(AuditAction::CardBind, AuditTrail::cardSubject(card), "ok 0/0");
        StationClock::useSystemTime();

        const CardHistory history = loadCardHistory(card);
        QCOMPARE(history.status, LookupStatus::Found);
        QStringList rows;
        for (const StatementEntry& e : history.statement.entries())
            rows << QStringLiteral("%1 %2 %3/%4 %5")
                        .arg(e.date.right(8))
                        .arg(e.kind)
                        .arg(e.post)
                        .arg(e.port)
                        .arg(e.gap);
        QCOMPARE(rows,
            QStringList({ "08.00.00 1 0/0 0", "08.30.00 3 12/3 0", "09.00.00 1 0/0 1", "09.30.00 3 0/0 0",
                "10.00.00 1 0/0 0" }));
        QCOMPARE(history.statement.gapCount(), 1);

        // Without an audit trail (a server set up before it) the money rows stay.
        QVERIFY(m_ledger.dropTables({ QStringLiteral("audit") }));
        const CardHistory moneyOnly = loadCardHistory(card);
        QCOMPARE(moneyOnly.status, LookupStatus::Found);
        QCOMPARE(moneyOnly.statement.entries().size(), 3);
    }

    void gap_is_flagged_where_a_balance_does_not_carry_over()
    {
        const auto entry = [](StatementEntry::Kind kind, const char* date, std::optional<qint64> oldBalance,
                               std::optional<qint64> newBalance) {
            StatementEntry e;
            e.kind = kind;
            e.date = QLatin1String(date);
            e.oldBalance = oldBalance;
            e.newBalance = newBalance;
            return e;
        };
        const CardStatement statement = CardStatement::build({
            entry(StatementEntry::Recharge, "2026-03-01 10.00.00", 500, 900), // spent 100 on a post
            entry(StatementEntry::Recharge, "2026-03-01 09.00.00", 0, 1000),
            entry(StatementEntry::Issue, "2026-03-01 09.00.00", std::nullopt, 0),
            entry(StatementEntry::Recharge, "2026-03-01 11.00.00", 900, std::nullopt), // unreadable text
            entry(StatementEntry::Refund, "2026-03-01 12.00.00", 300, 0), // not compared
            entry(StatementEntry::Recharge, "2026-03-01 13.00.00", 100, 200), // gap
        });
        QVector<bool> gaps;
        QStringList dates;
        for (const StatementEntry& e : statement.entries()) {
            gaps << e.gap;
            dates << e.date.right(8);
        }
        QCOMPARE(
            dates, QStringList({ "09.00.00", "09.00.00", "10.00.00", "11.00.00", "12.00.00", "13.00.00" }));
        QCOMPARE(statement.entries()[0].kind, StatementEntry::Issue);
        QCOMPARE(gaps, QVector<bool>({ false, false, true, false, false, true }));
        QCOMPARE(statement.gapCount(), 2);
    }

private:
    StoreLedger m_ledger;
};

QTEST_GUILESS_MAIN(TestDeskLedger)
#include "test_desk_ledger.moc"
