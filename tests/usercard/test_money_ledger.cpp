#include "CardBind.h"
#include "CardIssue.h"
#include "CardRecharge.h"
#include "CardReturn.h"
#include "LedgerFaults.h"
#include "ReaderTopUp.h"
#include "UserCardFixture.h"

#include <QFile>
#include <QtTest>

using namespace Fixture;

// Every operation that changes a card or the reader balance and owes the
// ledger a row secures it before the change: when it cannot, nothing changes.
// (Rows whose commit fails after the change are the fault soak's.)
class TestMoneyLedger : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void operations_refuse_untouched_when_their_row_cannot_be_secured_data();
    void operations_refuse_untouched_when_their_row_cannot_be_secured();

private:
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
    // True when the operation was refused for the ledger.
    bool refused(const QString& op);
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

bool TestMoneyLedger::refused(const QString& op)
{
    const UserCardStation s = station(&m_reader, true);
    if (op == QLatin1String("recharge"))
        return CardRecharge(s).recharge(*VirtualReader::cardOnReader(), 5).outcome
            == RechargeResult::LedgerUnavailable;
    if (op == QLatin1String("issue"))
        return CardIssue(s).issueOnReader(CardOwner { QStringLiteral("Wu"), {}, {}, {}, {} }).outcome
            == IssueResult::LedgerUnavailable;
    if (op == QLatin1String("return"))
        return CardReturn(s).returnCard().outcome == ReturnResult::LedgerUnavailable;
    if (op == QLatin1String("bind"))
        return CardBind(s).bind(12, 3).outcome == BindResult::LedgerUnavailable;
    const QString path = m_dir.filePath(QStringLiteral("top.chfile"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(VirtualReader::makeChargeFile(700, 7, 1));
    file.close();
    return ReaderTopUp(&m_reader, s.session).run(path).outcome == ReaderTopUp::Outcome::LedgerUnavailable;
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
    const bool wasRefused = refused(op);
    other.release();
    LedgerFaults::reopen(false);
    LedgerFaults::refuseRows(false);
    Outbox::setStationPath(m_dir.filePath(Outbox::kFileName));

    QVERIFY(wasRefused);
    QVERIFY(state(id) == before);
    QCOMPARE(Outbox().count(), 0);
}

QTEST_GUILESS_MAIN(TestMoneyLedger)
#include "test_money_ledger.moc"
