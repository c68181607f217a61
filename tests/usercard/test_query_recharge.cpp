#include "CardQuery.h"
#include "CardRecharge.h"
#include "CardWatch.h"
#include "UserCardFixture.h"

#include <QtTest>

using namespace Fixture;

class TestQueryRecharge : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void read_shows_balance_binding_and_holder_data();
    void read_shows_balance_binding_and_holder();
    void read_refuses_cards_whose_image_fails_data();
    void read_refuses_cards_whose_image_fails();
    void malformed_user_key_refuses_before_any_frame_data();
    void malformed_user_key_refuses_before_any_frame();

    void recharge_respects_the_limit_data();
    void recharge_respects_the_limit();
    void recharge_of_a_swapped_card_writes_nothing();
    void card_swapped_during_the_write_keeps_both_balances_data();
    void card_swapped_during_the_write_keeps_both_balances();
    void recharge_with_damaged_main_copy_rewrites_both_blocks();
    void recharge_row_carries_holder_and_money_texts();
    void recharge_confirms_a_write_whose_backup_copy_did_not_stick();
    void recharge_reports_failure_only_when_the_card_kept_its_balance_data();
    void recharge_reports_failure_only_when_the_card_kept_its_balance();

    void share_mode_refuses_before_the_card_is_touched_data();
    void share_mode_refuses_before_the_card_is_touched();
    void share_mode_deducts_the_amount_from_the_reader();
    void share_mode_failed_deduction_keeps_card_and_row_data();
    void share_mode_failed_deduction_keeps_card_and_row();

    void watch_reports_each_new_card_once();

private:
    QTemporaryDir m_dir;
    CardReader m_reader;
};

void TestQueryRecharge::initTestCase()
{
    VirtualReader::useTemporaryState();
    Fixture::openDatabase(m_dir);
}

void TestQueryRecharge::init()
{
    freshReader();
    clearTables();
}

void TestQueryRecharge::read_shows_balance_binding_and_holder_data()
{
    QTest::addColumn<quint32>("balance");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("registered");
    QTest::newRow("6543.21 registered") << 654321u << "6543.21" << true;
    QTest::newRow("0.05 unregistered") << 5u << "0.05" << false;
}

void TestQueryRecharge::read_shows_balance_binding_and_holder()
{
    QFETCH(quint32, balance);
    QFETCH(QString, shown);
    QFETCH(bool, registered);
    UserCardStation s = station(&m_reader);
    s.config.limit_money = 1000000;
    const quint32 id = issuedCard(balance);
    VirtualReader::setBlock(id, UserSector * 4, makeBindBlock(12, 4));
    if (registered)
        QVERIFY(insertUser(holder(id, QStringLiteral("Li Lei"))));
    VirtualReader::placeCard(id);

    const CardQueryResult r = CardQuery(s).read();
    QCOMPARE(r.outcome, CardQueryResult::Read);
    QCOMPARE(r.id, id);
    QCOMPARE(moneyText(r.balance), shown);
    QVERIFY(r.binding.bound);
    QCOMPARE(r.binding.post, 12u);
    QCOMPARE(int(r.binding.port), 4);
    QCOMPARE(r.holder.found(), registered);
    if (registered)
        QCOMPARE(r.holder.row.name, QStringLiteral("Li Lei"));
}

void TestQueryRecharge::read_refuses_cards_whose_image_fails_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<int>("outcome");
    QTest::newRow("no card") << "none" << int(CardQueryResult::ReadFailed);
    QTest::newRow("foreign key") << "blank" << int(CardQueryResult::ReadFailed);
    QTest::newRow("both copies damaged") << "damaged" << int(CardQueryResult::InvalidCard);
    QTest::newRow("copied from another card") << "copied" << int(CardQueryResult::IdMismatch);
    QTest::newRow("one fen above the limit") << "above" << int(CardQueryResult::BalanceInvalid);
    QTest::newRow("exactly the limit") << "limit" << int(CardQueryResult::Read);
}

void TestQueryRecharge::read_refuses_cards_whose_image_fails()
{
    QFETCH(QString, card);
    QFETCH(int, outcome);
    quint32 id = 0;
    if (card == "blank") {
        id = VirtualReader::addBlankCard();
    } else if (card == "damaged") {
        id = issuedCard(100);
        VirtualReader::setBlock(id, UserSector * 4 + 1, QByteArray(16, '\x5A'));
        VirtualReader::setBlock(id, UserSector * 4 + 2, QByteArray(16, '\x5A'));
    } else if (card == "copied") {
        const quint32 original = issuedCard(100);
        id = issuedCard(100);
        for (int b = 1; b <= 2; ++b)
            VirtualReader::setBlock(
                id, UserSector * 4 + b, VirtualReader::block(original, UserSector * 4 + b));
    } else if (card == "above") {
        id = issuedCard(Limit + 1);
    } else if (card == "limit") {
        id = issuedCard(Limit);
    }
    if (id)
        VirtualReader::placeCard(id);

    const CardQueryResult r = CardQuery(station(&m_reader)).read();
    QCOMPARE(int(r.outcome), outcome);
    // An image refusal still names the card in hand; a failed read does not.
    QCOMPARE(r.idRead(), outcome != CardQueryResult::ReadFailed);
    if (r.idRead())
        QCOMPARE(r.id, id);
}

void TestQueryRecharge::malformed_user_key_refuses_before_any_frame_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("empty") << "";
    QTest::newRow("ten digits") << "7E31C94A0D";
    QTest::newRow("eleven digits") << "7E31C94A0D5";
    QTest::newRow("fourteen digits") << "7E31C94A0D5800";
    QTest::newRow("not hexadecimal") << "7E31C94A0DZZ";
}

void TestQueryRecharge::malformed_user_key_refuses_before_any_frame()
{
    QFETCH(QString, key);
    UserCardStation s = station(&m_reader, true);
    s.config.usr_key = key;
    VirtualReader::setBalance(100000);
    const quint32 id = issuedCard(100);
    VirtualReader::placeCard(id);
    VirtualReader::resetCounters();

    QCOMPARE(CardQuery(s).read().outcome, CardQueryResult::BadUserKey);
    const RechargeResult r = CardRecharge(s).recharge(id, 1);
    QCOMPARE(r.outcome, RechargeResult::BadUserKey);
    QVERIFY(!r.consumesRead());
    QCOMPARE(VirtualReader::counters().reportsWritten, 0);
    QCOMPARE(cardBalance(id), 100);
}

void TestQueryRecharge::recharge_respects_the_limit_data()
{
    QTest::addColumn<qint32>("limit");
    QTest::addColumn<quint32>("before");
    QTest::addColumn<quint32>("yuan");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<quint32>("after");
    const qint32 limit = qint32(Limit);
    QTest::newRow("reaches 50050") << limit << 49950u << 1u << int(RechargeResult::OverLimit) << 49950u;
    QTest::newRow("reaches 50000") << limit << 49900u << 1u << int(RechargeResult::Recharged) << 50000u;
    // 42949673 yuan is 2^32 + 4 fen: wrapped, it would pass as 4 fen.
    QTest::newRow("fen beyond 32 bits")
        << limit << 100u << 42949673u << int(RechargeResult::OverLimit) << 100u;
    QTest::newRow("negative limit") << -1 << 0u << 1u << int(RechargeResult::OverLimit) << 0u;
}

void TestQueryRecharge::recharge_respects_the_limit()
{
    QFETCH(qint32, limit);
    QFETCH(quint32, before);
    QFETCH(quint32, yuan);
    QFETCH(int, outcome);
    QFETCH(quint32, after);
    const quint32 id = issuedCard(before);
    VirtualReader::placeCard(id);
    UserCardStation s = station(&m_reader);
    s.config.limit_money = limit;
    const RechargeResult r = CardRecharge(s).recharge(id, yuan);
    QCOMPARE(int(r.outcome), outcome);
    QVERIFY(r.consumesRead());
    QCOMPARE(cardBalance(id), qint64(after));
    QCOMPARE(rows("record", id).size(), outcome == RechargeResult::Recharged ? 1 : 0);
}

void TestQueryRecharge::recharge_of_a_swapped_card_writes_nothing()
{
    const quint32 first = issuedCard(100);
    const quint32 second = issuedCard(100);
    VirtualReader::placeCard(first);
    const CardQueryResult read = CardQuery(station(&m_reader)).read();
    QCOMPARE(read.outcome, CardQueryResult::Read);
    VirtualReader::placeCard(second);
    const QByteArray blocks = userBlocks(second);

    const RechargeResult r = CardRecharge(station(&m_reader)).recharge(read.id, 5);
    QCOMPARE(r.outcome, RechargeResult::WrongCard);
    QCOMPARE(userBlocks(second), blocks);
    QVERIFY(rows("record", second).isEmpty());
}

void TestQueryRecharge::card_swapped_during_the_write_keeps_both_balances_data()
{
    QTest::addColumn<int>("writesBefore");
    QTest::addColumn<qint64>("firstAfter");
    QTest::newRow("before the main copy") << 0 << qint64(1000);
    QTest::newRow("before the backup copy") << 1 << qint64(1500);
}

// The write frame goes to whatever card lies on the reader: the second card
// must keep its own image, and the first card's money is settled by its next read.
void TestQueryRecharge::card_swapped_during_the_write_keeps_both_balances()
{
    QFETCH(int, writesBefore);
    QFETCH(qint64, firstAfter);
    const quint32 first = issuedCard(1000);
    const quint32 second = issuedCard(2000);
    const QByteArray secondBlocks = userBlocks(second);
    VirtualReader::placeCard(first);
    VirtualReader::swapCardAfterFrames(writesBefore, second, SimCommand::WriteBlock);

    const UserCardStation s = station(&m_reader);
    const RechargeResult r = CardRecharge(s).recharge(first, 5);
    QCOMPARE(r.outcome, RechargeResult::WriteUncertain);
    QCOMPARE(userBlocks(second), secondBlocks);
    QCOMPARE(cardBalance(first), firstAfter);
    QVERIFY(rows("record", first).isEmpty());

    VirtualReader::placeCard(first);
    const std::optional<RechargeResult> settled = CardRecharge(s).settle(r, CardQuery(s).read());
    QCOMPARE(settled.has_value(), firstAfter == 1500);
    QCOMPARE(rows("record", first).size(), settled ? 1 : 0);
}

void TestQueryRecharge::recharge_with_damaged_main_copy_rewrites_both_blocks()
{
    const quint32 id = issuedCard(1200);
    VirtualReader::setBlock(id, UserSector * 4 + 2, QByteArray(16, '\x33'));
    VirtualReader::placeCard(id);
    QCOMPARE(CardQuery(station(&m_reader)).read().balance, 1200u);

    const RechargeResult r = CardRecharge(station(&m_reader)).recharge(id, 3);
    QCOMPARE(r.outcome, RechargeResult::Recharged);
    QCOMPARE(r.newBalance, 1500u);
    const QByteArray block1 = VirtualReader::block(id, UserSector * 4 + 1);
    QCOMPARE(VirtualReader::block(id, UserSector * 4 + 2), block1);
    QCOMPARE(checkCardImage(block1, block1, id, Limit).image.balance, 1500u);
}

void TestQueryRecharge::recharge_row_carries_holder_and_money_texts()
{
    const quint32 known = issuedCard(5);
    const quint32 unknown = issuedCard(1005);
    QVERIFY(insertUser(holder(known, QStringLiteral("Han Meimei"))));
    for (quint32 id : { known, unknown }) {
        VirtualReader::placeCard(id);
        QCOMPARE(CardRecharge(station(&m_reader)).recharge(id, 2).record, LedgerKept::Stored);
    }

    const QSqlRecord k = rows("record", known).value(0);
    QCOMPARE(k.value("name").toString(), QStringLiteral("Han Meimei"));
    QCOMPARE(k.value("carnum").toString(), QStringLiteral("A12345"));
    QCOMPARE(k.value("note").toString(), QStringLiteral("vip"));
    QCOMPARE(k.value("pay").toString(), QStringLiteral("2.00"));
    QCOMPARE(k.value("pay_old").toString(), QStringLiteral("0.05"));
    QCOMPARE(k.value("pay_new").toString(), QStringLiteral("2.05"));
    QCOMPARE(k.value("manager").toString(), QStringLiteral("admin"));
    QCOMPARE(k.value("sn").toString(), QStringLiteral("00007"));
    QVERIFY(QDateTime::fromString(k.value("date").toString(), kRecordTimeFormat).isValid());

    const QSqlRecord u = rows("record", unknown).value(0);
    QCOMPARE(u.value("name").toString(), QString(""));
    QCOMPARE(u.value("pay_new").toString(), QStringLiteral("12.05"));
}

void TestQueryRecharge::recharge_confirms_a_write_whose_backup_copy_did_not_stick()
{
    // Block 2 takes the new image, block 1 refuses it three times: the card
    // reads with the new balance, so the recharge stands and is recorded.
    const quint32 id = issuedCard(100);
    VirtualReader::placeCard(id);
    VirtualReader::armLostWrite(UserSector * 4 + 1, -1);
    const RechargeResult r = CardRecharge(station(&m_reader)).recharge(id, 1);
    QCOMPARE(r.outcome, RechargeResult::Recharged);
    QCOMPARE(cardBalance(id), 200);
    QCOMPARE(rows("record", id).size(), 1);
}

void TestQueryRecharge::recharge_reports_failure_only_when_the_card_kept_its_balance_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<qint64>("balance"); // on the card afterwards
    QTest::newRow("main copy never sticks") << "lost" << int(RechargeResult::WriteFailed) << qint64(100);
    QTest::newRow("card taken away at the write")
        << "removed" << int(RechargeResult::WriteUncertain) << qint64(100);
    QTest::newRow("answers lost after the write went through")
        << "silent" << int(RechargeResult::WriteUncertain) << qint64(200);
}

void TestQueryRecharge::recharge_reports_failure_only_when_the_card_kept_its_balance()
{
    QFETCH(QString, fault);
    QFETCH(int, outcome);
    QFETCH(qint64, balance);
    const quint32 id = issuedCard(100);
    VirtualReader::placeCard(id);
    if (fault == "lost") {
        VirtualReader::armLostWrite(UserSector * 4 + 2, -1);
    } else {
        VirtualReader::Fault f;
        f.kind = fault == "removed" ? VirtualReader::Fault::RemoveCard : VirtualReader::Fault::NoAnswer;
        // Silent: the preamble and the two block reads pass, every frame after runs unanswered.
        f.command = fault == "removed" ? int(SimCommand::WriteBlock) : -1;
        f.afterFrames = fault == "removed" ? 0 : 3;
        f.times = fault == "removed" ? 1 : -1;
        VirtualReader::armFault(f);
    }
    const RechargeResult r = CardRecharge(station(&m_reader)).recharge(id, 1);
    QCOMPARE(int(r.outcome), outcome);
    QCOMPARE(cardBalance(id), balance);
    QVERIFY(rows("record", id).isEmpty());

    // The next read tells whether the uncertain write credited the card; then its row is due.
    VirtualReader::clearFaults();
    VirtualReader::placeCard(id);
    const std::optional<RechargeResult> settled
        = CardRecharge(station(&m_reader)).settle(r, CardQuery(station(&m_reader)).read());
    QCOMPARE(settled.has_value(), balance == 200);
    QCOMPARE(rows("record", id).size(), balance == 200 ? 1 : 0);
}

void TestQueryRecharge::share_mode_refuses_before_the_card_is_touched_data()
{
    QTest::addColumn<quint32>("readerBalance");
    QTest::addColumn<bool>("remainAnswers");
    QTest::addColumn<int>("outcome");
    QTest::newRow("one fen short") << 499u << true << int(RechargeResult::ReaderBalanceShort);
    QTest::newRow("balance unreadable") << 100000u << false << int(RechargeResult::ReaderBalanceUnread);
}

void TestQueryRecharge::share_mode_refuses_before_the_card_is_touched()
{
    QFETCH(quint32, readerBalance);
    QFETCH(bool, remainAnswers);
    QFETCH(int, outcome);
    VirtualReader::setBalance(readerBalance);
    const quint32 id = issuedCard(100);
    VirtualReader::placeCard(id);
    if (!remainAnswers)
        VirtualReader::armNoAnswer(0, SimCommand::ReadDevRemain);
    VirtualReader::resetCounters();

    const RechargeResult r = CardRecharge(station(&m_reader, true)).recharge(id, 5);
    QCOMPARE(int(r.outcome), outcome);
    QVERIFY(!r.consumesRead());
    QCOMPARE(VirtualReader::counters().reportsWritten, 1); // readDevRemain alone
    QCOMPARE(cardBalance(id), 100);
    QCOMPARE(VirtualReader::balance(), readerBalance);
}

void TestQueryRecharge::share_mode_deducts_the_amount_from_the_reader()
{
    VirtualReader::setBalance(500);
    const quint32 id = issuedCard(100);
    VirtualReader::placeCard(id);
    const RechargeResult r = CardRecharge(station(&m_reader, true)).recharge(id, 5);
    QCOMPARE(r.outcome, RechargeResult::Recharged);
    QCOMPARE(r.deduction, RechargeResult::Deducted);
    QCOMPARE(VirtualReader::balance(), 0u);
    QCOMPARE(cardBalance(id), 600);
}

void TestQueryRecharge::share_mode_failed_deduction_keeps_card_and_row_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("deduction");
    QTest::addColumn<quint32>("readerAfter");
    QTest::newRow("refused by the reader") << "status" << int(RechargeResult::DeductFailed) << 1000u;
    QTest::newRow("booked, answer lost") << "noanswer" << int(RechargeResult::Deducted) << 700u;
}

void TestQueryRecharge::share_mode_failed_deduction_keeps_card_and_row()
{
    QFETCH(QString, fault);
    QFETCH(int, deduction);
    QFETCH(quint32, readerAfter);
    VirtualReader::setBalance(1000);
    const quint32 id = issuedCard(100);
    VirtualReader::placeCard(id);
    if (fault == "status")
        VirtualReader::armStatus(SimStatus::BadRecord, SimCommand::DeductDevRemain);
    else
        VirtualReader::armNoAnswer(0, SimCommand::DeductDevRemain);

    const RechargeResult r = CardRecharge(station(&m_reader, true)).recharge(id, 3);
    QCOMPARE(r.outcome, RechargeResult::Recharged);
    QCOMPARE(int(r.deduction), deduction);
    QCOMPARE(r.amount, 300u);
    QCOMPARE(cardBalance(id), 400);
    QCOMPARE(VirtualReader::balance(), readerAfter);
    QCOMPARE(rows("record", id).size(), 1);
}

void TestQueryRecharge::watch_reports_each_new_card_once()
{
    const quint32 first = issuedCard(0);
    const quint32 second = issuedCard(0);
    CardWatch watch(&m_reader);
    QVERIFY(!watch.newCard());
    VirtualReader::placeCard(first);
    QCOMPARE(watch.newCard(), std::optional<quint32>(first));
    QVERIFY(!watch.newCard());
    VirtualReader::removeCard();
    QVERIFY(!watch.newCard());
    VirtualReader::placeCard(first);
    QVERIFY(!watch.newCard());
    VirtualReader::placeCard(second);
    QCOMPARE(watch.newCard(), std::optional<quint32>(second));
}

QTEST_GUILESS_MAIN(TestQueryRecharge)
#include "test_query_recharge.moc"
