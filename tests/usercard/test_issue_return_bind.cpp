#include "AuditTrail.h"
#include "CardBind.h"
#include "CardIssue.h"
#include "CardQuery.h"
#include "CardRecharge.h"
#include "CardReturn.h"
#include "UserCardFixture.h"

#include <QtTest>

using namespace Fixture;

class TestIssueReturnBind : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void issue_tries_spare_then_transport_key_data();
    void issue_tries_spare_then_transport_key();
    void issue_keeps_money_on_a_card_when_the_user_key_is_builtin_data();
    void issue_keeps_money_on_a_card_when_the_user_key_is_builtin();
    void issue_button_needs_a_name_and_a_card();
    void reissue_rewrites_the_holder_and_keeps_the_binding();
    void continuous_issue_registers_every_card_without_a_name();
    void issue_confirms_the_key_change_by_reading_back();
    void malformed_user_key_refuses_issue_return_and_bind();

    void return_refunds_the_whole_balance_data();
    void return_refunds_the_whole_balance();
    void return_of_an_unregistered_card_is_still_recorded();
    void return_in_share_mode_gives_the_money_to_the_reader_data();
    void return_in_share_mode_gives_the_money_to_the_reader();
    void return_confirms_which_key_the_card_carries_data();
    void return_confirms_which_key_the_card_carries();
    void setting_card_return_is_judged_by_sector_two_data();
    void setting_card_return_is_judged_by_sector_two();

    void bind_writes_the_block_and_the_user_row_data();
    void bind_writes_the_block_and_the_user_row();
    void bind_refusals();

    void card_writes_leave_one_audit_row_each();
    void lost_audit_table_never_stops_a_recharge();

private:
    QTemporaryDir m_dir;
    CardReader m_reader;
};

void TestIssueReturnBind::initTestCase()
{
    VirtualReader::useTemporaryState();
    Fixture::openDatabase(m_dir);
}

void TestIssueReturnBind::init()
{
    freshReader();
    clearTables();
}

void TestIssueReturnBind::issue_tries_spare_then_transport_key_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("keyUsed");
    QTest::newRow("factory fresh") << "blank" << int(IssueResult::Issued) << int(IssueResult::TransportKey);
    QTest::newRow("returned") << "returned" << int(IssueResult::Issued) << int(IssueResult::SpareCardKey);
    QTest::newRow("issued, not returned") << "issued" << int(IssueResult::Failed) << int(IssueResult::NoKey);
}

void TestIssueReturnBind::issue_tries_spare_then_transport_key()
{
    QFETCH(QString, card);
    QFETCH(int, outcome);
    QFETCH(int, keyUsed);
    quint32 id = 0;
    if (card == "blank") {
        id = VirtualReader::addBlankCard();
    } else if (card == "returned") {
        id = VirtualReader::addBlankCard();
        setSectorKey(id, UserSector, BuiltinKeys::SpareCard);
    } else {
        id = issuedCard(2500);
    }
    VirtualReader::placeCard(id);
    CardOwner owner;
    owner.name = QStringLiteral("Zhang San");
    owner.phone = QStringLiteral("139");

    const IssueResult r = CardIssue(station(&m_reader)).issueOnReader(owner);
    QCOMPARE(int(r.outcome), outcome);
    QCOMPARE(int(r.keyUsed), keyUsed);
    QCOMPARE(r.id, id);
    const QVector<QSqlRecord> users = rows("user", id);
    if (outcome == IssueResult::Issued) {
        QCOMPARE(r.ownerSave, OwnerSave::Inserted);
        QVERIFY(sectorKeyA(id, UserSector) == BuiltinKeys::DefaultUser);
        QCOMPARE(cardBalance(id), 0);
        QCOMPARE(users.size(), 1);
        QCOMPARE(users[0].value("name").toString(), owner.name);
        QCOMPARE(users[0].value("phone").toString(), owner.phone);
        QCOMPARE(users[0].value("sn").toString(), QStringLiteral("00007"));
    } else {
        QCOMPARE(cardBalance(id), 2500);
        QVERIFY(users.isEmpty());
    }
}

void TestIssueReturnBind::issue_keeps_money_on_a_card_when_the_user_key_is_builtin_data()
{
    QTest::addColumn<QString>("userKey");
    QTest::addColumn<quint32>("balance");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<qint64>("after");
    const QString transport = keyToHex(BuiltinKeys::Transport);
    const QString spare = keyToHex(BuiltinKeys::SpareCard);
    QTest::newRow("transport key, money") << transport << 2500u << int(IssueResult::Failed) << qint64(2500);
    QTest::newRow("spare-card key, money") << spare << 2500u << int(IssueResult::Failed) << qint64(2500);
    QTest::newRow("transport key, empty card") << transport << 0u << int(IssueResult::Issued) << qint64(0);
}

void TestIssueReturnBind::issue_keeps_money_on_a_card_when_the_user_key_is_builtin()
{
    QFETCH(QString, userKey);
    QFETCH(quint32, balance);
    QFETCH(int, outcome);
    QFETCH(qint64, after);
    UserCardStation s = station(&m_reader);
    s.config.usr_key = userKey;
    SectorKey key {};
    QVERIFY(s.userKey(key));
    const quint32 id = issuedCard(balance);
    setSectorKey(id, UserSector, key);
    VirtualReader::placeCard(id);

    const IssueResult r = CardIssue(s).issueCard(id, CardOwner());
    QCOMPARE(int(r.outcome), outcome);
    QCOMPARE(cardBalance(id), after);
}

void TestIssueReturnBind::issue_button_needs_a_name_and_a_card()
{
    CardIssue issue(station(&m_reader));
    QCOMPARE(issue.issueOnReader(CardOwner()).outcome, IssueResult::NameMissing);
    CardOwner owner;
    owner.name = QStringLiteral("Wang Wu");
    const IssueResult r = issue.issueOnReader(owner);
    QCOMPARE(r.outcome, IssueResult::NoCard);
    QVERIFY(r.code != 0);
}

void TestIssueReturnBind::reissue_rewrites_the_holder_and_keeps_the_binding()
{
    const quint32 id = VirtualReader::addBlankCard();
    setSectorKey(id, UserSector, BuiltinKeys::SpareCard);
    UserRow old = holder(id, QStringLiteral("Old Owner"));
    QVERIFY(insertUser(old));
    QVERIFY(setUserBinding(findUserByCard(cardNumber(id)).row.id, 9, 2));
    VirtualReader::placeCard(id);
    CardOwner owner;
    owner.name = QStringLiteral("New Owner");

    const IssueResult r = CardIssue(station(&m_reader)).issueOnReader(owner);
    QCOMPARE(r.ownerSave, OwnerSave::Updated);
    const QVector<QSqlRecord> users = rows("user", id);
    QCOMPARE(users.size(), 1);
    QCOMPARE(users[0].value("name").toString(), owner.name);
    QCOMPARE(users[0].value("addr").toString(), QString(""));
    QCOMPARE(users[0].value("bindchid").toInt(), 9);
    QCOMPARE(users[0].value("bindport").toInt(), 2);
}

void TestIssueReturnBind::continuous_issue_registers_every_card_without_a_name()
{
    CardIssue issue(station(&m_reader));
    for (int i = 0; i < 3; ++i) {
        const quint32 id = VirtualReader::addBlankCard();
        VirtualReader::placeCard(id);
        QCOMPARE(issue.issueCard(id, CardOwner()).outcome, IssueResult::Issued);
        const QVector<QSqlRecord> users = rows("user", id);
        QCOMPARE(users.size(), 1);
        QCOMPARE(users[0].value("name").toString(), QString(""));
    }
}

void TestIssueReturnBind::issue_confirms_the_key_change_by_reading_back()
{
    const quint32 id = VirtualReader::addBlankCard();
    VirtualReader::placeCard(id);
    // Block writes before the trailer: three refused tries with the spare-card
    // key, then blocks 2 and 1 with the transport key.
    VirtualReader::armNoAnswer(5, SimCommand::WriteBlock);
    const IssueResult r = CardIssue(station(&m_reader)).issueCard(id, CardOwner());
    QCOMPARE(r.outcome, IssueResult::Issued);
    QVERIFY(sectorKeyA(id, UserSector) == BuiltinKeys::DefaultUser);
    QCOMPARE(rows("user", id).size(), 1);

    // A trailer write that answers success without sticking is no issue.
    const quint32 other = VirtualReader::addBlankCard();
    VirtualReader::placeCard(other);
    VirtualReader::armLostWrite(UserSector * 4 + 3, 1);
    QCOMPARE(CardIssue(station(&m_reader)).issueCard(other, CardOwner()).outcome, IssueResult::Failed);
    QVERIFY(rows("user", other).isEmpty());
}

void TestIssueReturnBind::malformed_user_key_refuses_issue_return_and_bind()
{
    UserCardStation s = station(&m_reader);
    s.config.usr_key = QStringLiteral("FFFFFFFFFF");
    const quint32 blank = VirtualReader::addBlankCard();
    VirtualReader::placeCard(blank);
    VirtualReader::resetCounters();
    CardOwner owner;
    owner.name = QStringLiteral("Zhao Liu");
    QCOMPARE(CardIssue(s).issueOnReader(owner).outcome, IssueResult::BadUserKey);
    QCOMPARE(CardIssue(s).issueCard(blank, owner).outcome, IssueResult::BadUserKey);
    QCOMPARE(CardReturn(s).returnCard().outcome, ReturnResult::BadUserKey);
    QCOMPARE(CardBind(s).bind(5, 1).outcome, BindResult::BadUserKey);
    QCOMPARE(VirtualReader::counters().reportsWritten, 0);
    QVERIFY(sectorKeyA(blank, UserSector) == BuiltinKeys::Transport);
}

void TestIssueReturnBind::return_refunds_the_whole_balance_data()
{
    QTest::addColumn<quint32>("balance");
    QTest::addColumn<QString>("pay");
    QTest::newRow("10.05") << 1005u << "10.05";
    QTest::newRow("0.07") << 7u << "0.07";
}

void TestIssueReturnBind::return_refunds_the_whole_balance()
{
    QFETCH(quint32, balance);
    QFETCH(QString, pay);
    const quint32 id = issuedCard(balance);
    VirtualReader::setBlock(id, UserSector * 4, makeBindBlock(3, 1));
    QVERIFY(insertUser(holder(id, QStringLiteral("Li Si"))));
    VirtualReader::placeCard(id);

    const ReturnResult r = CardReturn(station(&m_reader)).returnCard();
    QCOMPARE(r.outcome, ReturnResult::Returned);
    QCOMPARE(moneyText(r.amount), pay);
    QCOMPARE(r.refund, ReturnResult::NoRefund);
    QVERIFY(r.record == LedgerKept::Stored && r.holderFound && r.wiped);
    QVERIFY(sectorKeyA(id, UserSector) == BuiltinKeys::SpareCard);
    QCOMPARE(userBlocks(id), QByteArray(48, '\0'));
    const QVector<QSqlRecord> back = rows("backcard", id);
    QCOMPARE(back.size(), 1);
    QCOMPARE(back[0].value("pay").toString(), pay);
    QCOMPARE(back[0].value("name").toString(), QStringLiteral("Li Si"));
    QCOMPARE(rows("user", id).size(), 1);
}

void TestIssueReturnBind::return_of_an_unregistered_card_is_still_recorded()
{
    const quint32 id = issuedCard(300);
    VirtualReader::placeCard(id);
    const ReturnResult r = CardReturn(station(&m_reader)).returnCard();
    QCOMPARE(r.outcome, ReturnResult::Returned);
    QVERIFY(!r.holderFound);
    const QVector<QSqlRecord> back = rows("backcard", id);
    QCOMPARE(back.size(), 1);
    QCOMPARE(back[0].value("name").toString(), QString(""));
    QCOMPARE(back[0].value("pay").toString(), QStringLiteral("3.00"));
}

void TestIssueReturnBind::return_in_share_mode_gives_the_money_to_the_reader_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("refund");
    QTest::addColumn<quint32>("readerAfter");
    QTest::newRow("refunded") << "" << int(ReturnResult::Refunded) << 1450u;
    QTest::newRow("refused by the reader") << "status" << int(ReturnResult::RefundFailed) << 1000u;
    QTest::newRow("booked, answer lost") << "noanswer" << int(ReturnResult::Refunded) << 1450u;
}

void TestIssueReturnBind::return_in_share_mode_gives_the_money_to_the_reader()
{
    QFETCH(QString, fault);
    QFETCH(int, refund);
    QFETCH(quint32, readerAfter);
    VirtualReader::setMode(VirtualReader::ShareMode);
    VirtualReader::setBalance(1000);
    const quint32 id = issuedCard(450);
    VirtualReader::placeCard(id);
    if (fault == "status")
        VirtualReader::armStatus(SimStatus::BadRecord, SimCommand::RefundDevRemain);
    else if (fault == "noanswer")
        VirtualReader::armNoAnswer(0, SimCommand::RefundDevRemain);

    const ReturnResult r = CardReturn(station(&m_reader, true)).returnCard();
    QCOMPARE(r.outcome, ReturnResult::Returned);
    QCOMPARE(int(r.refund), refund);
    QCOMPARE(r.amount, 450u);
    QCOMPARE(VirtualReader::balance(), readerAfter);
    QCOMPARE(rows("backcard", id).size(), 1);
}

void TestIssueReturnBind::return_confirms_which_key_the_card_carries_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("outcome");
    QTest::newRow("trailer written, answer lost") << "noanswer" << int(ReturnResult::Returned);
    QTest::newRow("trailer refused") << "status" << int(ReturnResult::KeyChangeFailed);
    QTest::newRow("trailer write did not stick") << "lost" << int(ReturnResult::KeyChangeFailed);
    QTest::newRow("card taken away") << "removed" << int(ReturnResult::KeyChangeUncertain);
}

void TestIssueReturnBind::return_confirms_which_key_the_card_carries()
{
    QFETCH(QString, fault);
    QFETCH(int, outcome);
    const quint32 id = issuedCard(800);
    VirtualReader::placeCard(id);
    if (fault == "noanswer") {
        VirtualReader::armNoAnswer(0, SimCommand::WriteBlock);
    } else if (fault == "status") {
        VirtualReader::armStatus(SimStatus::WriteRefused, SimCommand::WriteBlock);
    } else if (fault == "lost") {
        VirtualReader::armLostWrite(UserSector * 4 + 3, 1);
    } else {
        VirtualReader::Fault f;
        f.kind = VirtualReader::Fault::RemoveCard;
        f.command = SimCommand::WriteBlock;
        VirtualReader::armFault(f);
    }

    const ReturnResult r = CardReturn(station(&m_reader)).returnCard();
    QCOMPARE(int(r.outcome), outcome);
    QCOMPARE(rows("backcard", id).size(), outcome == ReturnResult::Returned ? 1 : 0);
    if (outcome == ReturnResult::KeyChangeFailed) {
        QVERIFY(sectorKeyA(id, UserSector) == BuiltinKeys::DefaultUser);
        QCOMPARE(cardBalance(id), 800);
    }
}

void TestIssueReturnBind::setting_card_return_is_judged_by_sector_two_data()
{
    QTest::addColumn<int>("failingSector");
    QTest::addColumn<int>("outcome");
    QTest::newRow("all sectors change") << -1 << int(ReturnResult::SettingCardReturned);
    QTest::newRow("sector 0 refuses") << 0 << int(ReturnResult::SettingCardReturned);
    QTest::newRow("sector 1 refuses") << 1 << int(ReturnResult::SettingCardReturned);
    QTest::newRow("sector 2 refuses") << 2 << int(ReturnResult::SettingCardFailed);
}

void TestIssueReturnBind::setting_card_return_is_judged_by_sector_two()
{
    QFETCH(int, failingSector);
    QFETCH(int, outcome);
    const quint32 id = VirtualReader::addBlankCard();
    for (quint8 sector = 0; sector <= 2; ++sector)
        setSectorKey(id, sector, BuiltinKeys::SettingCard);
    VirtualReader::placeCard(id);
    if (failingSector >= 0)
        VirtualReader::armStatus(SimStatus::WriteRefused, SimCommand::WriteBlock, failingSector);

    const ReturnResult r = CardReturn(station(&m_reader)).returnCard();
    QCOMPARE(int(r.outcome), outcome);
    for (int sector = 0; sector <= 2; ++sector) {
        const SectorKey expected
            = sector == failingSector ? BuiltinKeys::SettingCard : BuiltinKeys::SpareCard;
        QVERIFY(sectorKeyA(id, quint8(sector)) == expected);
    }

    // A card that opens with neither key is refused as a wrong password.
    const quint32 foreign = VirtualReader::addBlankCard();
    setSectorKey(foreign, UserSector, BuiltinKeys::SpareCard);
    setSectorKey(foreign, 1, BuiltinKeys::SpareCard);
    VirtualReader::placeCard(foreign);
    QCOMPARE(CardReturn(station(&m_reader)).returnCard().outcome, ReturnResult::WrongKey);
}

void TestIssueReturnBind::bind_writes_the_block_and_the_user_row_data()
{
    QTest::addColumn<quint32>("post");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("devType");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<quint32>("shownPost");
    QTest::addColumn<int>("storedPort");
    QTest::newRow("unbind writes zeros") << 0u << 5 << 0 << int(BindResult::Unbound) << 0u << 0;
    QTest::newRow("bike shows low 16 bits") << 70000u << 3 << 0 << int(BindResult::Bound) << 4464u << 3;
    QTest::newRow("car shows the whole number")
        << 70000u << 16 << 1 << int(BindResult::Bound) << 70000u << 16;
}

void TestIssueReturnBind::bind_writes_the_block_and_the_user_row()
{
    QFETCH(quint32, post);
    QFETCH(int, port);
    QFETCH(int, devType);
    QFETCH(int, outcome);
    QFETCH(quint32, shownPost);
    QFETCH(int, storedPort);
    const quint32 id = issuedCard(100);
    VirtualReader::setBlock(id, UserSector * 4, makeBindBlock(77, 7));
    QVERIFY(insertUser(holder(id, QStringLiteral("Sun Qi"))));
    VirtualReader::placeCard(id);
    UserCardStation s = station(&m_reader);
    s.config.dev_type = devType;

    const BindResult r = CardBind(s).bind(post, quint8(port));
    QCOMPARE(int(r.outcome), outcome);
    const QSqlRecord user = rows("user", id).value(0);
    QCOMPARE(user.value("bindchid").toLongLong(), qint64(post));
    QCOMPARE(user.value("bindport").toInt(), storedPort);
    if (post == 0)
        QCOMPARE(VirtualReader::block(id, UserSector * 4), QByteArray(16, '\0'));

    const CardQueryResult read = CardQuery(s).read();
    QCOMPARE(read.binding.bound, post != 0);
    if (post != 0) {
        QCOMPARE(devType == 0 ? quint32(read.binding.post16) : read.binding.post, shownPost);
        QCOMPARE(int(read.binding.port), storedPort);
    }
}

void TestIssueReturnBind::bind_refusals()
{
    UserCardStation zero = station(&m_reader);
    zero.config.usr_sect = 0;
    VirtualReader::resetCounters();
    QCOMPARE(CardBind(zero).bind(1, 0).outcome, BindResult::SectorZero);
    QCOMPARE(VirtualReader::counters().reportsWritten, 0);

    QCOMPARE(CardBind(station(&m_reader)).bind(1, 0).outcome, BindResult::ReadFailed);

    // Unregistered: the card is bound all the same, the operator is told.
    const quint32 id = issuedCard(100);
    VirtualReader::placeCard(id);
    QCOMPARE(CardBind(station(&m_reader)).bind(12, 2).outcome, BindResult::NotRegistered);
    QVERIFY(readBinding(VirtualReader::block(id, UserSector * 4)).bound);

    VirtualReader::armStatus(SimStatus::WriteRefused, SimCommand::WriteBlock);
    QCOMPARE(CardBind(station(&m_reader)).bind(13, 2).outcome, BindResult::WriteFailed);
    QCOMPARE(readBinding(VirtualReader::block(id, UserSector * 4)).post, 12u);
    VirtualReader::armLostWrite(UserSector * 4, 1);
    QCOMPARE(CardBind(station(&m_reader)).bind(14, 2).outcome, BindResult::WriteFailed);
    QCOMPARE(readBinding(VirtualReader::block(id, UserSector * 4)).post, 12u);

    // Another card laid on before the write: the binding of the card read is not recorded.
    QVERIFY(insertUser(holder(id, QStringLiteral("Zhou Ba"))));
    VirtualReader::swapCardAfterFrames(0, issuedCard(100), SimCommand::WriteBlock);
    QCOMPARE(CardBind(station(&m_reader)).bind(15, 2).outcome, BindResult::WriteFailed);
    QCOMPARE(rows("user", id).value(0).value("bindchid").toInt(), 0);
}

void TestIssueReturnBind::card_writes_leave_one_audit_row_each()
{
    QSqlQuery().exec(QStringLiteral("delete from audit"));
    AuditTrail::setOperator(QStringLiteral("admin"));
    const UserCardStation s = station(&m_reader);
    const quint32 id = VirtualReader::addBlankCard();
    VirtualReader::placeCard(id);
    QCOMPARE(
        CardIssue(s).issueCard(id, { QStringLiteral("Li"), {}, {}, {}, {} }).outcome, IssueResult::Issued);
    QCOMPARE(CardRecharge(s).recharge(id, 10).outcome, RechargeResult::Recharged);
    QCOMPARE(CardBind(s).bind(3, 1).outcome, BindResult::Bound);
    QCOMPARE(CardReturn(s).returnCard().outcome, ReturnResult::Returned);
    VirtualReader::removeCard();
    QCOMPARE(CardReturn(s).returnCard().outcome, ReturnResult::WrongKey);

    QStringList trail;
    for (const AuditRow& row : AuditTrail::page(AuditFilter(), 0, 10))
        trail.prepend(row.action + QLatin1Char(':') + row.subject + QLatin1Char(':') + row.outcome);
    const QString card = QString::number(cardNumber(id));
    QCOMPARE(trail,
        QStringList({ "card issue:" + card + ":ok", "card recharge:" + card + ":ok 10.00",
            "card bind:" + card + ":ok 3/1", "card return:" + card + ":ok 10.00",
            QStringLiteral("card return:0:failed %1 0.00").arg(int(ReturnResult::WrongKey)) }));
}

void TestIssueReturnBind::lost_audit_table_never_stops_a_recharge()
{
    const quint32 id = issuedCard(500);
    VirtualReader::placeCard(id);
    QVERIFY(QSqlQuery().exec(QStringLiteral("alter table audit rename to audit_away")));
    const RechargeResult result = CardRecharge(station(&m_reader)).recharge(id, 5);
    QVERIFY(QSqlQuery().exec(QStringLiteral("alter table audit_away rename to audit")));
    QCOMPARE(result.outcome, RechargeResult::Recharged);
    QCOMPARE(result.record, LedgerKept::Stored);
    QCOMPARE(cardBalance(id), 1000);
    QCOMPARE(rows(QStringLiteral("record"), id).size(), 1);
}

QTEST_GUILESS_MAIN(TestIssueReturnBind)
#include "test_issue_return_bind.moc"
