#include "LedgerWrite.h"

#include "SqlDialect.h"

#include <QDebug>
#include <QSqlError>

LedgerWrite::~LedgerWrite()
{
    cancel();
}

LedgerSecure LedgerWrite::secure(const LedgerEntry& entry)
{
    // On the server, when nothing ran before it, the begin goes with the
    // entry's keyed insert (not with a holder's save or binding, which are
    // looked up first).
    const bool beginWithInsert = !m_delivery && entry.table() != QLatin1String("user");
    return secure(
        entry, [&entry] { return writeLedgerEntry(entry); }, beginWithInsert);
}

LedgerSecure LedgerWrite::secure(const LedgerEntry& entry, const std::function<bool()>& write)
{
    return secure(entry, write, false);
}

void LedgerWrite::deliver()
{
    deliverWaiting();
    // On the station file the write lock is taken by secure(), not held
    // through the caller's look-ups.
    if (SqlDialect::current().isServer())
        begin();
}

void LedgerWrite::deliverWaiting()
{
    cancel();
    // A server that cannot be reached is tried once per operation: each try
    // may wait the connect time-out. With nothing waiting the begin below is
    // the first round trip and the check.
    const int waiting = m_outbox.count();
    if (waiting > 0 && !ensureLedgerConnection()) {
        m_refused = true;
        m_delivery = Outbox::Delivery { 0, waiting, LedgerFault::Other };
        return;
    }
    m_delivery = waiting > 0 ? m_outbox.deliver() : Outbox::Delivery {};
}

bool LedgerWrite::begin()
{
    // A lock held elsewhere that stopped the waiting rows would stop this one too.
    if (!m_begun && !m_refused && m_delivery && m_delivery->fault != LedgerFault::Busy) {
        m_begun = beginLedgerTransaction() == LedgerFault::None;
        m_refused = !m_begun;
    }
    return m_begun;
}

LedgerSecure LedgerWrite::secure(
    const LedgerEntry& entry, const std::function<bool()>& write, bool beginWithInsert)
{
    // Rows that waited go first: the ledger is asked in order.
    if (!m_delivery) {
        if (beginWithInsert && SqlDialect::current().isServer())
            deliverWaiting();
        else
            deliver();
    }
    if (m_open)
        cancel();
    if (!m_begun && (m_refused || m_delivery->fault == LedgerFault::Busy))
        return LedgerSecure::DatabaseUnavailable;
    if (!m_outbox.canAppend()) {
        cancel();
        return LedgerSecure::OutboxUnavailable;
    }
    if (!m_begun && beginWithInsert && SqlDialect::current().isServer()) {
        deferLedgerBegin();
        m_begun = true;
    } else if (!begin()) {
        return LedgerSecure::DatabaseUnavailable;
    }
    if (!write()) {
        cancel();
        return LedgerSecure::DatabaseUnavailable;
    }
    m_entry = entry;
    m_open = true;
    return LedgerSecure::Secured;
}

LedgerKept LedgerWrite::keep()
{
    if (!m_open)
        return LedgerKept::Lost;
    m_open = m_begun = false;
    if (commitLedgerTransaction())
        return LedgerKept::Stored;
    // A commit refused for a lock stored nothing; one that failed otherwise
    // (an error reported while writing) may have gone through, and delivery
    // looks for the entry before writing it.
    const bool uncertain = lastLedgerWriteFault() != LedgerFault::Busy;
    rollbackLedgerTransaction();
    if (m_outbox.append(m_entry, uncertain))
        return LedgerKept::KeptLocally;
    qDebug() << "ledger row lost:" << m_entry.toJson();
    return LedgerKept::Lost;
}

void LedgerWrite::cancel()
{
    if (!m_begun)
        return;
    m_open = m_begun = false;
    rollbackLedgerTransaction();
}

LedgerKept LedgerWrite::record(const LedgerEntry& entry)
{
    const Outbox outbox;
    outbox.deliver();
    bool uncertain = false;
    if (beginLedgerTransaction() == LedgerFault::None) {
        if (writeLedgerEntry(entry)) {
            if (commitLedgerTransaction())
                return LedgerKept::Stored;
            uncertain = lastLedgerWriteFault() != LedgerFault::Busy;
        }
        rollbackLedgerTransaction();
    }
    return outbox.append(entry, uncertain) ? LedgerKept::KeptLocally : LedgerKept::Lost;
}

namespace {

// One row of every kind, written as the operations write them.
QList<LedgerEntry> probes()
{
    UserRow owner;
    owner.name = QStringLiteral("probe");
    return { LedgerEntry::make(RechargeRow()), LedgerEntry::make(ReturnRow()), LedgerEntry::make(DevChRow()),
        LedgerEntry::make(owner), LedgerEntry::make(BindingRow()) };
}

} // namespace

LedgerHealth checkLedger()
{
    LedgerHealth health;
    const LedgerFault begun = beginLedgerTransaction();
    if (begun != LedgerFault::None) {
        health.status = begun == LedgerFault::Busy ? LedgerHealth::Locked
            : begun == LedgerFault::ReadOnly       ? LedgerHealth::ReadOnly
                                                   : LedgerHealth::TableRefused;
        return health;
    }
    for (const LedgerEntry& probe : probes()) {
        noteLedgerWriteError(QSqlError());
        if (writeLedgerEntry(probe))
            continue;
        const LedgerFault fault = lastLedgerWriteFault();
        health.status = fault == LedgerFault::ReadOnly ? LedgerHealth::ReadOnly
            : fault == LedgerFault::Busy               ? LedgerHealth::Locked
                                                       : LedgerHealth::TableRefused;
        health.table = probe.table();
        break;
    }
    rollbackLedgerTransaction();
    if (health.status != LedgerHealth::Writable)
        return health;
    const Outbox outbox;
    if (!outbox.canAppend())
        health.status = LedgerHealth::OutboxUnwritable;
    health.delivery = outbox.deliver();
    return health;
}
