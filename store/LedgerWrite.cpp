#include "LedgerWrite.h"

#include <QDebug>
#include <QSqlError>

LedgerWrite::~LedgerWrite()
{
    cancel();
}

LedgerSecure LedgerWrite::secure(const LedgerEntry& entry)
{
    return secure(entry, [&entry] { return writeLedgerEntry(entry); });
}

void LedgerWrite::deliver()
{
    // Look-ups made before the write need a live connection as much as the
    // write. A server that cannot be reached is tried once per operation: each
    // try may wait the connect time-out.
    m_reachable = ensureLedgerConnection();
    if (m_reachable)
        m_delivery = m_outbox.deliver();
    else
        m_delivery = Outbox::Delivery { 0, m_outbox.count(), LedgerFault::Other };
}

LedgerSecure LedgerWrite::secure(const LedgerEntry& entry, const std::function<bool()>& write)
{
    cancel();
    // Rows that waited go first: the ledger is asked in order, and a lock held
    // elsewhere that stopped them would stop this one too.
    if (!m_delivery)
        deliver();
    if (!m_reachable || m_delivery->fault == LedgerFault::Busy)
        return LedgerSecure::DatabaseUnavailable;
    if (!m_outbox.canAppend())
        return LedgerSecure::OutboxUnavailable;
    if (beginLedgerTransaction() != LedgerFault::None)
        return LedgerSecure::DatabaseUnavailable;
    if (!write()) {
        rollbackLedgerTransaction();
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
    m_open = false;
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
    if (!m_open)
        return;
    m_open = false;
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
