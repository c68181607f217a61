#pragma once

#include "LedgerEntry.h"
#include "LedgerLock.h"
#include "Outbox.h"

#include <QString>
#include <functional>
#include <optional>

// Whether a money operation may touch its card or reader.
enum class LedgerSecure {
    Secured, // its row is written in an open write transaction and the outbox can take it
    DatabaseUnavailable, // locked elsewhere, read-only, or the row was refused
    OutboxUnavailable, // the fallback for a failed commit is not there
};

// Where the row of an operation whose card or reader changed ended up.
enum class LedgerKept {
    Stored, // committed to the ledger
    KeptLocally, // the commit failed; the row waits in the outbox
    Lost, // neither took it: the operator must note it by hand
};

// The ledger side of one money operation. Its row is secured before the card
// or the reader is touched and kept once it changed:
//
//   LedgerWrite ledger;
//   if (ledger.secure(entry) != LedgerSecure::Secured)  refuse, nothing touched
//   ... the card or the reader ...
//   changed:   ledger.keep()
//   unchanged: ledger.cancel(), or just leave the scope
class LedgerWrite
{
public:
    LedgerWrite() = default;
    ~LedgerWrite();
    LedgerWrite(const LedgerWrite&) = delete;
    LedgerWrite& operator=(const LedgerWrite&) = delete;

    // Delivers what waits in the outbox, so that rows and look-ups made next
    // see the ledger complete. Done by secure() when not called before. On
    // the server it also begins the write transaction: that round trip shows
    // the server can be reached (a dropped connection is opened anew) before
    // the look-ups, which then run inside it.
    void deliver();
    // Delivers first (unless deliver() was called), checks that the outbox
    // can take one more line, begins the write transaction and writes the
    // entry in it. Without deliver() before, the server gets the begin of a
    // recharge, refund or top-up row with its insert, in one round trip.
    LedgerSecure secure(const LedgerEntry& entry);
    // The same with a write of the caller's own that stores the entry's row
    // (false: refused).
    LedgerSecure secure(const LedgerEntry& entry, const std::function<bool()>& write);
    // The card or the reader changed: commit, or else keep the row in the outbox.
    LedgerKept keep();
    // The card or the reader kept its old value: the row goes.
    void cancel();

    // The row of a change found to have happened already: into the ledger,
    // or else the outbox.
    static LedgerKept record(const LedgerEntry& entry);

private:
    void deliverWaiting();
    bool begin();
    LedgerSecure secure(const LedgerEntry& entry, const std::function<bool()>& write, bool beginWithInsert);

    Outbox m_outbox;
    std::optional<Outbox::Delivery> m_delivery;
    LedgerEntry m_entry;
    bool m_begun = false; // the write transaction is open
    bool m_open = false; // and holds the entry's row
    bool m_refused = false; // a begin failed: the ledger is not tried again in this operation
};

// The start-up check: whether a money operation could write its rows now.
struct LedgerHealth
{
    enum Status {
        Writable,
        Locked, // another program holds the write lock
        ReadOnly, // the file or its folder cannot be written
        TableRefused, // a ledger table refused its row: missing columns or a constraint
        OutboxUnwritable, // the ledger is fine, but its fallback cannot be written
    };
    Status status = Writable;
    QString table; // TableRefused: which table
    Outbox::Delivery delivery; // of the rows that waited, when writable
};

// Writes one row of each kind into every ledger table inside a write
// transaction that is rolled back, so that every insert and update a money
// operation makes is tried; then delivers what waits in the outbox.
LedgerHealth checkLedger();
