#include "CardBind.h"
#include "CardIssue.h"
#include "CardQuery.h"
#include "CardRecharge.h"
#include "CardReturn.h"
#include "LedgerFaults.h"
#include "ReaderTopUp.h"
#include "UserCardFixture.h"

#include <QFile>
#include <QtTest>

using namespace Fixture;

// Every operation that changes a card or the reader balance and owes the
// ledger a row: the row is secured before the change, and a row whose commit
// fails after the change waits in the outbox.
class TestMoneyLedger : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void operations_refuse_untouched_when_their_row_cannot_be_secured_data();
    void operations_refuse_untouched_when_their_row_cannot_be_secured();
    void row_whose_commit_fails_after_the_change_waits_in_the_outbox_data();
    void row_whose_commit_fails_after_the_change_waits_in_the_outbox();
    void uncertain_recharge_is_recorded_once_a_read_shows_it_credited_data();
    void uncertain_recharge_is_recorded_once_a_read_shows_it_credited();

private:
    struct Run
    {
        bool refused = false; // LedgerUnavailable
        LedgerKept record = LedgerKept::Lost;
    };
    struct State
    {
        QByteArray card;
        quint32 reader = 0;
        int rows = 0;
        bool operator==(const State& o) const
        {
            return card == o.card && reader == o.reader && rows == o.rows;
        }
    };
    void addOperations(const char* fault);
    quint32 prepare(const QString& op);
    Run run(const QString& op);
    State state(quint32 id) const;

    QTemporaryDir m_dir;
    CardReader m_reader;
};

void TestMoneyLedger::initTestCase()
{
    VirtualReader::useTemporaryState();
    Fixture::openDatabase(m_dir);
    setLedgerLockWait(50);
}

void TestMoneyLedger::init()
{
    freshReader();
    clearTables();
    QSqlQuery().exec(QStringLiteral("delete from devch"));
}

quint32 TestMoneyLedger::prepare(const QString& op)
{
    VirtualReader::setBalance(100000);
    VirtualReader::setMode(VirtualReader::ShareMode);
    const quint32 id = op == QLatin1String("issue") ? VirtualReader::addBlankCard() : issuedCard(1005);
    if (op != QLatin1String("issue"))
        insertUser(holder(id, QStringLiteral("Li Lei")));
    VirtualReader::placeCard(id);
    return id;
}

TestMoneyLedger::Run TestMoneyLedger::run(const QString& op)
{
    const UserCardStation s = station(&m_reader, true);
    Run run;
    if (op == QLatin1String("recharge")) {
        const RechargeResult r = CardRecharge(s).recharge(*VirtualReader::cardOnReader(), 5);
        run = { r.outcome == RechargeResult::LedgerUnavailable, r.record };
    } else if (op == QLatin1String("issue")) {
        const IssueResult r = CardIssue(s).issueOnReader(CardOwner { QStringLiteral("Wu"), {}, {}, {}, {} });
        run = { r.outcome == IssueResult::LedgerUnavailable, r.record };
    } else if (op == QLatin1String("return")) {
        const ReturnResult r = CardReturn(s).returnCard();
        run = { r.outcome == ReturnResult::LedgerUnavailable, r.record };
    } else if (op == QLatin1String("bind")) {
        const BindResult r = CardBind(s).bind(12, 3);
        run = { r.outcome == BindResult::LedgerUnavailable, r.record };
    } else {
        const QString path = m_dir.filePath(QStringLiteral("top.chfile"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(VirtualReader::makeChargeFile(700, 7, 1));
        file.close();
        const ReaderTopUp::Result r = ReaderTopUp(&m_reader, s.session).run(path);
        run.refused = r.outcome == ReaderTopUp::Outcome::LedgerUnavailable;
        run.record = r.outcome == ReaderTopUp::Outcome::Done     ? LedgerKept::Stored
            : r.outcome == ReaderTopUp::Outcome::DoneKeptLocally ? LedgerKept::KeptLocally
                                                                 : LedgerKept::Lost;
    }
    return run;
}

// Card blocks, reader balance, and every ledger row (user rows with their binding).
TestMoneyLedger::State TestMoneyLedger::state(quint32 id) const
{
    State s;
    for (int b = 0; b < VirtualReader::BlockCount; ++b)
        s.card += VirtualReader::block(id, b);
    s.reader = VirtualReader::balance();
    QSqlQuery query(QStringLiteral("select (select count(*) from record) + (select count(*) from backcard)"
                                   " + (select count(*) from devch) + (select count(*) from user)"
                                   " + (select count(*) from user where bindchid is not null)"));
    s.rows = query.next() ? query.value(0).toInt() : -1;
    return s;
}

void TestMoneyLedger::addOperations(const char* fault)
{
    for (const char* op : { "recharge", "issue", "return", "bind", "top-up" })
        QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(op), QLatin1String(fault))))
            << op << fault;
}

void TestMoneyLedger::operations_refuse_untouched_when_their_row_cannot_be_secured_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("fault");
    addOperations("write lock elsewhere");
    addOperations("read-only");
    addOperations("insert refused");
    addOperations("outbox unwritable");
}

void TestMoneyLedger::operations_refuse_untouched_when_their_row_cannot_be_secured()
{
    QFETCH(QString, op);
    QFETCH(QString, fault);
    const quint32 id = prepare(op);
    const State before = state(id);

    LedgerFaults::OtherProgram other;
    if (fault == QLatin1String("write lock elsewhere"))
        QVERIFY(other.hold(LedgerFaults::OtherProgram::WriteLock));
    if (fault == QLatin1String("read-only"))
        QVERIFY(LedgerFaults::reopen(true));
    if (fault == QLatin1String("insert refused"))
        QVERIFY(LedgerFaults::refuseRows(true));
    if (fault == QLatin1String("outbox unwritable"))
        Outbox::setStationPath(m_dir.filePath(QStringLiteral("gone/outbox.jsonl")));
    const Run run = this->run(op);
    other.release();
    LedgerFaults::reopen(false);
    LedgerFaults::refuseRows(false);
    Outbox::setStationPath(m_dir.filePath(Outbox::kFileName));

    QVERIFY(run.refused);
    QVERIFY(state(id) == before);
    QCOMPARE(Outbox().count(), 0);
}

void TestMoneyLedger::row_whose_commit_fails_after_the_change_waits_in_the_outbox_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("fault");
    addOperations("outbox");
    addOperations("outbox full");
}

void TestMoneyLedger::row_whose_commit_fails_after_the_change_waits_in_the_outbox()
{
    QFETCH(QString, op);
    QFETCH(QString, fault);
    const bool full = fault == QLatin1String("outbox full");
    const quint32 id = prepare(op);
    const State before = state(id);

    // A long read elsewhere lets the write begin but not commit.
    LedgerFaults::OtherProgram other;
    QVERIFY(other.hold(LedgerFaults::OtherProgram::ReadLock));
    if (full)
        Outbox::setStationPath(QStringLiteral("/dev/full"));
    const Run run = this->run(op);
    other.release();
    Outbox::setStationPath(m_dir.filePath(Outbox::kFileName));

    QVERIFY(!run.refused);
    QCOMPARE(int(run.record), int(full ? LedgerKept::Lost : LedgerKept::KeptLocally));
    const State changed = state(id);
    QVERIFY(changed.card != before.card || changed.reader != before.reader);
    QCOMPARE(changed.rows, before.rows);
    QCOMPARE(Outbox().count(), full ? 0 : 1);

    QCOMPARE(Outbox().deliver().delivered, full ? 0 : 1);
    QCOMPARE(state(id).rows, before.rows + (full ? 0 : 1));
}

void TestMoneyLedger::uncertain_recharge_is_recorded_once_a_read_shows_it_credited_data()
{
    QTest::addColumn<bool>("credited");
    QTest::newRow("answers lost after the write went through") << true;
    QTest::newRow("card taken away before the write") << false;
}

void TestMoneyLedger::uncertain_recharge_is_recorded_once_a_read_shows_it_credited()
{
    QFETCH(bool, credited);
    const quint32 id = prepare(QStringLiteral("recharge"));
    VirtualReader::Fault fault;
    if (credited) {
        // Balance, preamble and the two block reads pass; every frame after runs unanswered.
        fault.kind = VirtualReader::Fault::NoAnswer;
        fault.afterFrames = 4;
        fault.times = -1;
    } else {
        fault.kind = VirtualReader::Fault::RemoveCard;
        fault.command = SimCommand::WriteBlock;
    }
    VirtualReader::armFault(fault);
    const UserCardStation s = station(&m_reader, true);
    const RechargeResult uncertain = CardRecharge(s).recharge(id, 5);
    QCOMPARE(uncertain.outcome, RechargeResult::WriteUncertain);
    VirtualReader::clearFaults();
    VirtualReader::placeCard(id);
    QVERIFY(rows("record", id).isEmpty());

    const std::optional<RechargeResult> settled = CardRecharge(s).settle(uncertain, CardQuery(s).read());
    QCOMPARE(settled.has_value(), credited);
    QCOMPARE(cardBalance(id), credited ? 1505 : 1005);
    QCOMPARE(rows("record", id).size(), credited ? 1 : 0);
    QCOMPARE(VirtualReader::balance(), credited ? 99500u : 100000u);
}

QTEST_GUILESS_MAIN(TestMoneyLedger)
#include "test_money_ledger.moc"
