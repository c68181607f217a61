#include "CardBind.h"
#include "CardIssue.h"
#include "CardQuery.h"
#include "CardRecharge.h"
#include "CardReturn.h"
#include "SimState.h"
#include "UserCardFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QtTest>

using namespace Fixture;

// Random issue, recharge, return, bind and query operations over a pool of
// cards, with a fault armed at a random frame before most of them. After
// every operation the card, the database rows and the reader balance are
// compared with what the operation reported. Bounded by a count and a time
// budget (VELOKA_SOAK_OPS, VELOKA_SOAK_SECONDS; VELOKA_SOAK_SEED repeats a run).
//
// The virtual reader rereads its whole state at every frame, so the pool is
// kept here and only the card in play is laid into the reader.
class TestFaultSoak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reported_outcomes_match_cards_rows_and_reader_balance();

private:
    struct Snapshot
    {
        SectorKey key {};
        qint64 balance = -1; // what a user-key read accepts; -1 for none
        quint32 reader = 0;
        int records = 0;
        int returns = 0;
        int users = 0;
        QByteArray blocks; // blocks 0 to 2 of the user sector
    };
    struct Outcome
    {
        QString op;
        int outcome = 0;
        bool ok = false;
        quint32 amount = 0; // fen the operation says it moved
        bool moneyMessage = false; // the operator was told of a deduction or refund that failed
        bool wiped = false;
        Binding binding; // bind: what was written
    };

    Snapshot snapshot(const SimCard& card, quint32 reader) const;
    qint64 money(const SimCard& card) const;
    Outcome run(const UserCardStation& station, quint32 id, int serial);
    QString check(const Outcome& o, bool share, const Snapshot& before, const Snapshot& after) const;

    QTemporaryDir m_dir { QDir(QStringLiteral("/dev/shm")).exists()
            ? QStringLiteral("/dev/shm/veloka-soak-XXXXXX")
            : QDir::tempPath() + QStringLiteral("/veloka-soak-XXXXXX") };
    CardReader m_reader;
    QRandomGenerator m_random;
    QVector<SimCard> m_pool;
};

namespace {

quint32 idOf(const SimCard& card)
{
    return readLe32(reinterpret_cast<const quint8*>(card.uid.constData()));
}

QByteArray blockOf(const SimCard& card, int block)
{
    return card.blocks.mid(block * 16, 16);
}

int envInt(const char* name, int fallback)
{
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariableIntValue(name) : fallback;
}

} // namespace

void TestFaultSoak::initTestCase()
{
    // The workflows' debug lines would exhaust the test log's message budget.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    // Each frame rewrites the reader's state file: kept in memory when possible.
    VirtualReader::useStateFile(m_dir.filePath(QStringLiteral("virtual-reader.json")));
    freshReader();
    Fixture::openDatabase(m_dir);
    clearTables();
}

qint64 TestFaultSoak::money(const SimCard& card) const
{
    if (blockOf(card, UserSector * 4 + 3).left(6) != keyBytes(BuiltinKeys::DefaultUser))
        return -1;
    const CardImageCheck check = checkCardImage(
        blockOf(card, UserSector * 4 + 2), blockOf(card, UserSector * 4 + 1), idOf(card), 0xFFFFFFFFu);
    return check.outcome == CardImageCheck::Accepted ? qint64(check.image.balance) : -1;
}

TestFaultSoak::Snapshot TestFaultSoak::snapshot(const SimCard& card, quint32 reader) const
{
    Snapshot s;
    const QByteArray trailer = blockOf(card, UserSector * 4 + 3);
    for (int i = 0; i < 6; ++i)
        s.key[size_t(i)] = quint8(trailer.at(i));
    s.balance = money(card);
    s.reader = reader;
    const quint32 id = idOf(card);
    s.records = rows("record", id).size();
    s.returns = rows("backcard", id).size();
    s.users = rows("user", id).size();
    s.blocks = card.blocks.mid(UserSector * 4 * 16, 48);
    return s;
}

TestFaultSoak::Outcome TestFaultSoak::run(const UserCardStation& station, quint32 id, int serial)
{
    Outcome o;
    const int pick = m_random.bounded(100);
    if (pick < 35) {
        o.op = QStringLiteral("recharge");
        const RechargeResult r = CardRecharge(station).recharge(id, 1 + m_random.bounded(60));
        o.outcome = r.outcome;
        o.ok = r.outcome == RechargeResult::Recharged;
        o.amount = r.amount;
        o.moneyMessage = r.deduction == RechargeResult::DeductFailed;
    } else if (pick < 55) {
        o.op = QStringLiteral("issue");
        CardOwner owner;
        owner.name = QStringLiteral("Soak %1").arg(serial);
        const IssueResult r = CardIssue(station).issueOnReader(owner);
        o.outcome = r.outcome;
        o.ok = r.outcome == IssueResult::Issued;
    } else if (pick < 75) {
        o.op = QStringLiteral("return");
        const ReturnResult r = CardReturn(station).returnCard();
        o.outcome = r.outcome;
        o.ok = r.outcome == ReturnResult::Returned;
        o.amount = r.amount;
        o.moneyMessage = r.refund == ReturnResult::RefundFailed;
        o.wiped = r.wiped;
    } else if (pick < 90) {
        o.op = QStringLiteral("bind");
        const quint32 post = m_random.bounded(3) == 0 ? 0 : m_random.bounded(100000);
        const BindResult r = CardBind(station).bind(post, quint8(m_random.bounded(17)));
        o.outcome = r.outcome;
        o.ok = r.outcome == BindResult::Bound || r.outcome == BindResult::Unbound;
        o.binding.bound = post != 0;
        o.binding.post = r.post;
        o.binding.port = r.port;
    } else {
        o.op = QStringLiteral("query");
        o.outcome = CardQuery(station).read().outcome;
        o.ok = o.outcome == CardQueryResult::Read;
    }
    return o;
}

void TestFaultSoak::reported_outcomes_match_cards_rows_and_reader_balance()
{
    const quint32 seed
        = quint32(envInt("VELOKA_SOAK_SEED", int(QDateTime::currentMSecsSinceEpoch() & 0x7FFFFFFF)));
    const int maxOps = envInt("VELOKA_SOAK_OPS", 5000);
    const int seconds = envInt("VELOKA_SOAK_SECONDS", 40);
    m_random.seed(seed);

    // A third each of blank, issued (with a holder) and returned cards.
    VirtualReader::setBalance(50000000);
    for (int i = 0; i < 60; ++i) {
        quint32 id = 0;
        if (i % 3 == 1) {
            id = issuedCard(m_random.bounded(Limit));
            QVERIFY(insertUser(holder(id, QStringLiteral("Holder %1").arg(i))));
        } else {
            id = VirtualReader::addBlankCard();
            if (i % 3 == 2)
                setSectorKey(id, UserSector, BuiltinKeys::SpareCard);
        }
    }
    SimStore::modify([&](SimState& s) {
        m_pool = s.cards.toVector();
        s.cards.clear();
    });

    int ops = 0, armed = 0, fired = 0, successes = 0, failures = 0, discrepancies = 0;
    qint64 startMoney = 0, movedMoney = 0;
    for (const SimCard& card : qAsConst(m_pool))
        startMoney += qMax<qint64>(0, money(card));
    QElapsedTimer clock;
    clock.start();
    while (ops < maxOps && clock.elapsed() < seconds * 1000) {
        const int index = m_random.bounded(m_pool.size());
        const bool share = m_random.bounded(2) == 1;
        QList<VirtualReader::Fault> faults;
        if (m_random.bounded(10) < 7) {
            VirtualReader::Fault fault;
            const VirtualReader::Fault::Kind kinds[] = { VirtualReader::Fault::NoAnswer,
                VirtualReader::Fault::CorruptChecksum, VirtualReader::Fault::RemoveCard,
                VirtualReader::Fault::LostWrite, VirtualReader::Fault::Unplug };
            fault.kind = kinds[m_random.bounded(5)];
            fault.afterFrames = m_random.bounded(12);
            // Up to three frames in a row, so that retried writes can fail throughout.
            fault.times = 1 + m_random.bounded(3);
            if (fault.kind == VirtualReader::Fault::LostWrite) {
                // Counted over block writes, so the lost write lands on one.
                fault.command = SimCommand::WriteBlock;
                fault.afterFrames = m_random.bounded(8);
            }
            faults.append(fault);
            ++armed;
        }
        quint32 reader = 0;
        SimStore::modify([&](SimState& s) {
            s.cards = { m_pool[index] };
            s.cardOnReader = m_pool[index].uid;
            s.mode = share ? VirtualReader::ShareMode : VirtualReader::SaleMode;
            s.faults = faults;
            reader = s.balance;
        });
        const Snapshot before = snapshot(m_pool[index], reader);

        const Outcome o = run(Fixture::station(&m_reader, share), idOf(m_pool[index]), ops);

        bool injected = false;
        SimStore::modify([&](SimState& s) {
            m_pool[index] = s.cards.value(0);
            // A fault that hit at least one frame is gone or has fewer hits left.
            injected = !faults.isEmpty() && (s.faults.isEmpty() || s.faults[0].times < faults[0].times);
            s.faults.clear();
            s.unplugged = false;
            s.cards.clear();
            s.cardOnReader.clear();
            reader = s.balance;
        });
        if (injected)
            ++fired;
        const Snapshot after = snapshot(m_pool[index], reader);

        const QString problem = check(o, share, before, after);
        if (!problem.isEmpty() && ++discrepancies <= 10)
            qWarning("op %d (%s, outcome %d, fault %d, seed %u): %s", ops, qPrintable(o.op), o.outcome,
                faults.isEmpty() ? -1 : int(faults[0].kind), seed, qPrintable(problem));
        movedMoney += qMax<qint64>(0, after.balance) - qMax<qint64>(0, before.balance);
        ++ops;
        o.ok ? ++successes : ++failures;
    }

    // Nothing but the card in play may have changed.
    qint64 endMoney = 0;
    for (const SimCard& card : qAsConst(m_pool))
        endMoney += qMax<qint64>(0, money(card));
    if (endMoney != startMoney + movedMoney) {
        ++discrepancies;
        qWarning("money on the cards: %lld, expected %lld", endMoney, startMoney + movedMoney);
    }
    qInfo("fault soak (seed %u, %.1f s, %d cards): operations %d, faults armed %d, faults injected %d, "
          "successes %d, failures %d, discrepancies %d",
        seed, clock.elapsed() / 1000.0, m_pool.size(), ops, armed, fired, successes, failures, discrepancies);
    QVERIFY2(ops >= 1000, "too few operations in the time budget");
    QCOMPARE(discrepancies, 0);
}

// What each outcome allows. Money may only appear or vanish where the outcome
// itself says so: an uncertain write or key change, or a deduction or refund
// reported failed, each shown to the operator with its amount.
QString TestFaultSoak::check(
    const Outcome& o, bool share, const Snapshot& before, const Snapshot& after) const
{
    const qint64 delta = qMax<qint64>(0, after.balance) - qMax<qint64>(0, before.balance);
    const qint64 readerDelta = qint64(after.reader) - qint64(before.reader);
    const bool keyKept = after.key == before.key;
    const bool rowsKept = after.records == before.records && after.returns == before.returns;
    const QString unchanged = after.balance == before.balance && keyKept && readerDelta == 0 && rowsKept
        ? QString()
        : QStringLiteral("failure changed the card (%1 -> %2), the reader (%3) or the rows")
              .arg(before.balance)
              .arg(after.balance)
              .arg(readerDelta);

    if (o.op == QLatin1String("recharge")) {
        if (o.outcome == RechargeResult::WriteUncertain)
            return keyKept && readerDelta == 0 && rowsKept && (delta == 0 || delta == o.amount)
                ? QString()
                : QStringLiteral("uncertain write moved more than the card");
        if (!o.ok)
            return unchanged;
        if (delta != o.amount || after.records != before.records + 1)
            return QStringLiteral("recharge of %1 reported, card +%2, rows %3 -> %4")
                .arg(o.amount)
                .arg(delta)
                .arg(before.records)
                .arg(after.records);
        const qint64 expected = share ? -qint64(o.amount) : 0;
        return readerDelta == expected || (o.moneyMessage && readerDelta == 0)
            ? QString()
            : QStringLiteral("reader moved by %1, expected %2").arg(readerDelta).arg(expected);
    }
    if (o.op == QLatin1String("issue")) {
        if (readerDelta != 0 || !rowsKept)
            return QStringLiteral("issue wrote history rows or moved the reader");
        if (!o.ok)
            return before.balance >= 0 && (after.balance != before.balance || !keyKept)
                ? QStringLiteral("failed issue changed a user card")
                : QString();
        if (before.balance > 0)
            return QStringLiteral("issue wiped %1 fen").arg(before.balance);
        return after.balance == 0 && after.users >= 1
            ? QString()
            : QStringLiteral("issued card unreadable or unregistered");
    }
    if (o.op == QLatin1String("return")) {
        if (o.outcome == ReturnResult::KeyChangeUncertain)
            return readerDelta == 0 && rowsKept && (after.balance == before.balance || after.balance < 0)
                ? QString()
                : QStringLiteral("uncertain return moved money");
        if (!o.ok)
            return unchanged;
        if (before.balance < 0 || o.amount != before.balance || after.balance >= 0
            || !(after.key == BuiltinKeys::SpareCard))
            return QStringLiteral("return of %1 reported, card %2 -> %3")
                .arg(o.amount)
                .arg(before.balance)
                .arg(after.balance);
        if (after.returns != before.returns + 1)
            return QStringLiteral("no backcard row");
        if (o.wiped && after.blocks != QByteArray(48, '\0'))
            return QStringLiteral("wipe reported but the blocks hold data");
        const qint64 expected = share ? qint64(o.amount) : 0;
        return readerDelta == expected || (o.moneyMessage && readerDelta == 0)
            ? QString()
            : QStringLiteral("reader moved by %1, expected %2").arg(readerDelta).arg(expected);
    }
    if (o.op == QLatin1String("bind")) {
        if (after.balance != before.balance || readerDelta != 0 || !rowsKept || !keyKept)
            return QStringLiteral("bind moved money");
        if (!o.ok)
            return QString();
        const Binding b = readBinding(after.blocks.left(16));
        return b.bound == o.binding.bound
                && (!b.bound || (b.post == o.binding.post && b.port == o.binding.port))
            ? QString()
            : QStringLiteral("bind reported but the card says otherwise");
    }
    return unchanged;
}

QTEST_GUILESS_MAIN(TestFaultSoak)
#include "test_fault_soak.moc"
