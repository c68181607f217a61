#include "CardBind.h"
#include "CardIssue.h"
#include "CardQuery.h"
#include "CardRecharge.h"
#include "CardReturn.h"
#include "LedgerFaults.h"
#include "ReaderTopUp.h"
#include "SimState.h"
#include "UserCardFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QtTest>

using namespace Fixture;

// Random issue, recharge, return, bind, query and reader top-up operations
// over a pool of cards, with a reader fault armed at a random frame before
// most of them and a ledger fault before some: the file write-locked or
// exclusively locked by another program, a long read elsewhere that lets the
// commit fail (with or without a full outbox disk), the file read-only, rows
// refused by a trigger, the outbox unwritable. After every operation the card,
// the reader balance and the ledger (database rows and outbox entries) are
// compared with what the operation reported; at the end the outbox is
// delivered and the database must hold every row reported kept, once.
// Bounded by a count and a time budget (VELOKA_SOAK_OPS, VELOKA_SOAK_SECONDS;
// VELOKA_SOAK_SEED repeats a run).
//
// The virtual reader rereads its whole state at every frame, so the pool is
// kept here and only the card in play is laid into the reader.
class TestFaultSoak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reported_outcomes_match_cards_reader_balance_and_ledger();

private:
    enum LedgerFault {
        NoLedgerFault,
        WriteLocked,
        ExclusivelyLocked,
        CommitFails, // a long read elsewhere
        CommitAndOutboxFail, // the same, with the outbox on a full disk
        ReadOnly,
        RowsRefused,
        OutboxUnwritable,
        LedgerFaultCount
    };
    // Rows of the four ledger tables, in the database and waiting in the outbox.
    struct Ledger
    {
        int records = 0;
        int returns = 0;
        int users = 0;
        int devch = 0;
        int waiting = 0; // outbox lines of any kind
        // Users are left out: a re-issue rewrites its row.
        int total() const { return records + returns + devch; }
    };
    struct Snapshot
    {
        SectorKey key {};
        qint64 balance = -1; // what a user-key read accepts; -1 for none
        quint32 reader = 0;
        quint32 cardnum = 0;
        Ledger card; // this card's rows
        Ledger all;
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
        bool refused = false; // LedgerUnavailable: nothing may have changed
        LedgerKept record = LedgerKept::Lost; // where the row of a change went
        bool settled = false; // an uncertain recharge a later read found credited
    };

    Snapshot snapshot(const SimCard& card, quint32 reader) const;
    Ledger ledger(std::optional<quint32> cardnum) const;
    qint64 money(const SimCard& card) const;
    Outcome run(const UserCardStation& station, quint32 id, int serial);
    void settleUncertain(const UserCardStation& station, const RechargeResult& r, Outcome& o);
    void armLedgerFault(LedgerFault fault);
    void clearLedgerFault(LedgerFault fault);
    QString check(const Outcome& o, bool share, const Snapshot& before, const Snapshot& after) const;
    QString checkLedger(
        const Outcome& o, LedgerFault fault, const Snapshot& before, const Snapshot& after) const;

    QTemporaryDir m_dir { QDir(QStringLiteral("/dev/shm")).exists()
            ? QStringLiteral("/dev/shm/veloka-soak-XXXXXX")
            : QDir::tempPath() + QStringLiteral("/veloka-soak-XXXXXX") };
    CardReader m_reader;
    QRandomGenerator m_random;
    QVector<SimCard> m_pool;
    std::optional<LedgerFaults::OtherProgram> m_other;
    quint16 m_chargeVersion = 0;
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
    QSqlQuery().exec(QStringLiteral("delete from devch"));
    // Each locked operation waits this long for the lock.
    setLedgerLockWait(5);
    m_other.emplace();
}

void TestFaultSoak::armLedgerFault(LedgerFault fault)
{
    switch (fault) {
    case WriteLocked:
        m_other->hold(LedgerFaults::OtherProgram::WriteLock);
        break;
    case ExclusivelyLocked:
        m_other->hold(LedgerFaults::OtherProgram::ExclusiveLock);
        break;
    case CommitFails:
        m_other->hold(LedgerFaults::OtherProgram::ReadLock);
        break;
    case CommitAndOutboxFail:
        m_other->hold(LedgerFaults::OtherProgram::ReadLock);
        Outbox::setStationPath(QStringLiteral("/dev/full"));
        break;
    case ReadOnly:
        LedgerFaults::reopen(true);
        break;
    case RowsRefused:
        LedgerFaults::refuseRows(true);
        break;
    case OutboxUnwritable:
        Outbox::setStationPath(m_dir.filePath(QStringLiteral("gone/outbox.jsonl")));
        break;
    case NoLedgerFault:
    case LedgerFaultCount:
        break;
    }
}

void TestFaultSoak::clearLedgerFault(LedgerFault fault)
{
    m_other->release();
    if (fault == ReadOnly)
        LedgerFaults::reopen(false);
    if (fault == RowsRefused)
        LedgerFaults::refuseRows(false);
    Outbox::setStationPath(m_dir.filePath(Outbox::kFileName));
}

TestFaultSoak::Ledger TestFaultSoak::ledger(std::optional<quint32> cardnum) const
{
    Ledger l;
    const auto count = [&cardnum](const char* table) {
        QSqlQuery query;
        query.prepare(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))
            + (cardnum ? QStringLiteral(" where cardnum = :cardnum") : QString()));
        if (cardnum)
            query.bindValue(QStringLiteral(":cardnum"), QVariant(qulonglong(*cardnum)));
        return query.exec() && query.next() ? query.value(0).toInt() : -1000000;
    };
    l.records = count("record");
    l.returns = count("backcard");
    l.users = count("user");
    l.devch = cardnum ? 0 : count("devch");
    QFile file(m_dir.filePath(Outbox::kFileName));
    if (!file.open(QIODevice::ReadOnly))
        return l;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonObject entry = QJsonDocument::fromJson(line).object();
        if (line.trimmed().isEmpty() || entry.contains(QStringLiteral("attempted")))
            continue;
        ++l.waiting;
        const QJsonObject values = entry.value(QStringLiteral("values")).toObject();
        if (cardnum && quint32(values.value(QStringLiteral("cardnum")).toDouble()) != *cardnum)
            continue;
        const QString table = entry.value(QStringLiteral("table")).toString();
        const QString action = entry.value(QStringLiteral("do")).toString();
        l.records += table == QLatin1String("record");
        l.returns += table == QLatin1String("backcard");
        l.users += table == QLatin1String("user") && action == QLatin1String("save");
        l.devch += table == QLatin1String("devch") && !cardnum;
    }
    return l;
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
    s.cardnum = cardNumber(idOf(card));
    s.card = ledger(s.cardnum);
    s.all = ledger(std::nullopt);
    s.blocks = card.blocks.mid(UserSector * 4 * 16, 48);
    return s;
}

TestFaultSoak::Outcome TestFaultSoak::run(const UserCardStation& station, quint32 id, int serial)
{
    Outcome o;
    const int pick = m_random.bounded(100);
    if (pick < 32) {
        o.op = QStringLiteral("recharge");
        const RechargeResult r = CardRecharge(station).recharge(id, 1 + m_random.bounded(60));
        o.outcome = r.outcome;
        o.ok = r.outcome == RechargeResult::Recharged;
        o.amount = r.amount;
        o.moneyMessage = r.deduction == RechargeResult::DeductFailed;
        o.refused = r.outcome == RechargeResult::LedgerUnavailable;
        o.record = r.record;
        if (r.outcome == RechargeResult::WriteUncertain)
            settleUncertain(station, r, o);
    } else if (pick < 50) {
        o.op = QStringLiteral("issue");
        CardOwner owner;
        owner.name = QStringLiteral("Soak %1").arg(serial);
        const IssueResult r = CardIssue(station).issueOnReader(owner);
        o.outcome = r.outcome;
        o.ok = r.outcome == IssueResult::Issued;
        o.refused = r.outcome == IssueResult::LedgerUnavailable;
        o.record = r.record;
    } else if (pick < 68) {
        o.op = QStringLiteral("return");
        const ReturnResult r = CardReturn(station).returnCard();
        o.outcome = r.outcome;
        o.ok = r.outcome == ReturnResult::Returned;
        o.amount = r.amount;
        o.moneyMessage = r.refund == ReturnResult::RefundFailed;
        o.wiped = r.wiped;
        o.refused = r.outcome == ReturnResult::LedgerUnavailable;
        o.record = r.record;
    } else if (pick < 82) {
        o.op = QStringLiteral("bind");
        const quint32 post = m_random.bounded(3) == 0 ? 0 : m_random.bounded(100000);
        const BindResult r = CardBind(station).bind(post, quint8(m_random.bounded(17)));
        o.outcome = r.outcome;
        o.ok = r.outcome == BindResult::Bound || r.outcome == BindResult::Unbound;
        o.binding.bound = post != 0;
        o.binding.post = r.post;
        o.binding.port = r.port;
        o.refused = r.outcome == BindResult::LedgerUnavailable;
        o.record = r.outcome == BindResult::StoreFailed ? LedgerKept::Lost : r.record;
    } else if (pick < 91) {
        o.op = QStringLiteral("top-up");
        const quint32 amount = 1 + m_random.bounded(100000);
        const QString path = m_dir.filePath(QStringLiteral("soak.chfile"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(VirtualReader::makeChargeFile(amount, 7, ++m_chargeVersion));
        file.close();
        using T = ReaderTopUp::Outcome;
        const ReaderTopUp::Result r = ReaderTopUp(station.reader, station.session).run(path);
        o.outcome = int(r.outcome);
        o.ok = r.outcome == T::Done || r.outcome == T::DoneKeptLocally || r.outcome == T::DoneNotRecorded;
        o.amount = amount;
        o.moneyMessage = r.outcome == T::ReaderUncertain;
        o.refused = r.outcome == T::LedgerUnavailable;
        o.record = r.outcome == T::Done       ? LedgerKept::Stored
            : r.outcome == T::DoneKeptLocally ? LedgerKept::KeptLocally
                                              : LedgerKept::Lost;
    } else {
        o.op = QStringLiteral("query");
        o.outcome = CardQuery(station).read().outcome;
        o.ok = o.outcome == CardQueryResult::Read;
    }
    return o;
}

// As the query window does: the card of an uncertain write is read again (here
// at once, with the reader's faults gone) and settled when it shows the money.
void TestFaultSoak::settleUncertain(const UserCardStation& station, const RechargeResult& r, Outcome& o)
{
    SimStore::modify([](SimState& s) {
        s.faults.clear();
        s.unplugged = false;
        s.cardOnReader = s.cards.value(0).uid;
    });
    const std::optional<RechargeResult> settled = CardRecharge(station).settle(r, CardQuery(station).read());
    if (!settled)
        return;
    o.settled = true;
    o.ok = true;
    o.moneyMessage = settled->deduction == RechargeResult::DeductFailed;
    o.record = settled->record;
}

void TestFaultSoak::reported_outcomes_match_cards_reader_balance_and_ledger()
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
    int ledgerFaults = 0, refused = 0, keptLocally = 0, lost = 0, settled = 0;
    qint64 startMoney = 0, movedMoney = 0;
    const Ledger start = ledger(std::nullopt);
    Ledger expected = start; // the rows the operations say they kept
    const auto complain = [&](const QString& text) {
        if (++discrepancies <= 10)
            qWarning("seed %u: %s", seed, qPrintable(text));
    };
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
        const LedgerFault ledgerFault = m_random.bounded(10) < 3
            ? LedgerFault(1 + m_random.bounded(int(LedgerFaultCount) - 1))
            : NoLedgerFault;
        ledgerFaults += ledgerFault != NoLedgerFault;
        quint32 reader = 0;
        SimStore::modify([&](SimState& s) {
            s.cards = { m_pool[index] };
            s.cardOnReader = m_pool[index].uid;
            s.mode = share ? VirtualReader::ShareMode : VirtualReader::SaleMode;
            s.faults = faults;
            s.usedChargeVersions.clear();
            reader = s.balance;
        });
        const Snapshot before = snapshot(m_pool[index], reader);

        armLedgerFault(ledgerFault);
        const Outcome o = run(Fixture::station(&m_reader, share), idOf(m_pool[index]), ops);
        clearLedgerFault(ledgerFault);

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

        QString problem = check(o, share, before, after);
        if (problem.isEmpty())
            problem = checkLedger(o, ledgerFault, before, after);
        if (!problem.isEmpty())
            complain(QStringLiteral("op %1 (%2, outcome %3, fault %4, ledger fault %5): %6")
                         .arg(ops)
                         .arg(o.op)
                         .arg(o.outcome)
                         .arg(faults.isEmpty() ? -1 : int(faults[0].kind))
                         .arg(int(ledgerFault))
                         .arg(problem));
        movedMoney += qMax<qint64>(0, after.balance) - qMax<qint64>(0, before.balance);
        const bool rowDue = o.ok && o.op != QLatin1String("query");
        const int kept = rowDue && o.record != LedgerKept::Lost ? 1 : 0;
        expected.records += o.op == QLatin1String("recharge") ? kept : 0;
        expected.returns += o.op == QLatin1String("return") ? kept : 0;
        expected.devch += o.op == QLatin1String("top-up") ? kept : 0;
        refused += o.refused;
        keptLocally += rowDue && o.record == LedgerKept::KeptLocally;
        lost += rowDue && o.record == LedgerKept::Lost;
        settled += o.settled;
        ++ops;
        o.ok ? ++successes : ++failures;
    }

    // With every fault gone the outbox empties, and the ledger holds each row
    // an operation reported kept exactly once.
    const Outbox::Delivery delivery = Outbox().deliver();
    const Ledger end = ledger(std::nullopt);
    if (delivery.waiting != 0 || end.waiting != 0)
        complain(QStringLiteral("%1 outbox lines left after delivery").arg(end.waiting));
    if (end.records != expected.records || end.returns != expected.returns || end.devch != expected.devch)
        complain(QStringLiteral("ledger holds %1 records, %2 returns, %3 top-ups; reported %4, %5, %6")
                     .arg(end.records)
                     .arg(end.returns)
                     .arg(end.devch)
                     .arg(expected.records)
                     .arg(expected.returns)
                     .arg(expected.devch));

    // Nothing but the card in play may have changed.
    qint64 endMoney = 0;
    for (const SimCard& card : qAsConst(m_pool))
        endMoney += qMax<qint64>(0, money(card));
    if (endMoney != startMoney + movedMoney)
        complain(
            QStringLiteral("money on the cards: %1, expected %2").arg(endMoney).arg(startMoney + movedMoney));
    qInfo("fault soak (seed %u, %.1f s, %d cards): operations %d, faults armed %d, faults injected %d, "
          "ledger faults %d, successes %d, failures %d, refused for the ledger %d, rows kept locally %d, "
          "rows lost and told %d, uncertain recharges settled %d, rows delivered at the end %d, "
          "discrepancies %d",
        seed, clock.elapsed() / 1000.0, m_pool.size(), ops, armed, fired, ledgerFaults, successes, failures,
        refused, keptLocally, lost, settled, delivery.delivered, discrepancies);
    QVERIFY2(ops >= 1000, "too few operations in the time budget");
    QCOMPARE(discrepancies, 0);
}

// What each outcome allows. Money may only appear or vanish where the outcome
// itself says so: an uncertain write, key change or top-up, or a deduction or
// refund reported failed, each shown to the operator with its amount. Rows are
// counted in the database and the outbox together.
QString TestFaultSoak::check(
    const Outcome& o, bool share, const Snapshot& before, const Snapshot& after) const
{
    const qint64 delta = qMax<qint64>(0, after.balance) - qMax<qint64>(0, before.balance);
    const qint64 readerDelta = qint64(after.reader) - qint64(before.reader);
    const bool keyKept = after.key == before.key;
    const bool rowsKept = after.card.records == before.card.records
        && after.card.returns == before.card.returns && after.all.devch == before.all.devch;
    const int rowsAdded = o.ok && o.record != LedgerKept::Lost ? 1 : 0;
    const QString unchanged = after.balance == before.balance && keyKept && readerDelta == 0 && rowsKept
        ? QString()
        : QStringLiteral("failure changed the card (%1 -> %2), the reader (%3) or the rows")
              .arg(before.balance)
              .arg(after.balance)
              .arg(readerDelta);

    if (o.op == QLatin1String("recharge")) {
        if (o.outcome == RechargeResult::WriteUncertain && !o.settled)
            return unchanged.isEmpty()
                ? QString()
                : QStringLiteral("uncertain write left money on the card without a row");
        if (!o.ok)
            return unchanged;
        if (delta != o.amount || after.card.records != before.card.records + rowsAdded)
            return QStringLiteral("recharge of %1 reported, card +%2, rows %3 -> %4")
                .arg(o.amount)
                .arg(delta)
                .arg(before.card.records)
                .arg(after.card.records);
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
        return after.balance == 0 && (after.card.users >= 1 || o.record == LedgerKept::Lost)
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
        if (after.card.returns != before.card.returns + rowsAdded)
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
    if (o.op == QLatin1String("top-up")) {
        const int devch = after.all.devch - before.all.devch;
        if (after.balance != before.balance || !keyKept || after.card.records != before.card.records
            || after.card.returns != before.card.returns)
            return QStringLiteral("top-up changed the card");
        if (o.outcome == int(ReaderTopUp::Outcome::ReaderUncertain))
            return devch == 0 && (readerDelta == 0 || readerDelta == o.amount)
                ? QString()
                : QStringLiteral("uncertain top-up moved %1 with %2 rows").arg(readerDelta).arg(devch);
        if (!o.ok)
            return readerDelta == 0 && devch == 0
                ? QString()
                : QStringLiteral("failed top-up moved the reader or the rows");
        return readerDelta == o.amount && devch == rowsAdded
            ? QString()
            : QStringLiteral("top-up of %1 reported, reader +%2, rows +%3")
                  .arg(o.amount)
                  .arg(readerDelta)
                  .arg(devch);
    }
    return unchanged;
}

// Where the rows went must follow from the ledger fault: a refusal only with a
// fault that keeps the row from being secured (and nothing written then), the
// outbox only after a failed commit, a loss only when the outbox failed too.
QString TestFaultSoak::checkLedger(
    const Outcome& o, LedgerFault fault, const Snapshot& before, const Snapshot& after) const
{
    const bool commitFault = fault == CommitFails || fault == CommitAndOutboxFail;
    if (o.refused)
        return fault != NoLedgerFault && !commitFault && after.all.total() == before.all.total()
                && after.all.waiting == before.all.waiting
            ? QString()
            : QStringLiteral("refused for the ledger without a cause, or rows changed");
    const bool rowDue = o.ok && o.op != QLatin1String("query");
    if (!rowDue)
        return after.all.total() == before.all.total() ? QString()
                                                       : QStringLiteral("rows changed while none was due");
    if (fault != NoLedgerFault && !commitFault)
        return QStringLiteral("went ahead although its row could not be secured");
    const bool addsRow = o.op == QLatin1String("recharge") || o.op == QLatin1String("return")
        || o.op == QLatin1String("top-up");
    const int added = addsRow && o.record != LedgerKept::Lost ? 1 : 0;
    if (after.all.total() != before.all.total() + added)
        return QStringLiteral("ledger rows %1 -> %2").arg(before.all.total()).arg(after.all.total());
    switch (o.record) {
    case LedgerKept::Lost:
        return fault == CommitAndOutboxFail ? QString() : QStringLiteral("row lost without a cause");
    case LedgerKept::KeptLocally:
        return fault == CommitFails && after.all.waiting == before.all.waiting + 1
            ? QString()
            : QStringLiteral("row kept locally without a cause, or not in the outbox");
    case LedgerKept::Stored:
        break;
    }
    if (commitFault)
        return QStringLiteral("stored although the commit could not succeed");
    if (o.op == QLatin1String("bind")) {
        const UserLookup holder = findUserByCard(after.cardnum);
        if (holder.row.bindchid != qint64(o.binding.post) || holder.row.bindport != qint64(o.binding.port))
            return QStringLiteral("binding reported stored but the user row says otherwise");
    }
    return QString();
}

QTEST_GUILESS_MAIN(TestFaultSoak)
#include "test_fault_soak.moc"
