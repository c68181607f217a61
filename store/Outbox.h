#pragma once

#include "LedgerEntry.h"
#include "LedgerLock.h"

#include <QString>

// Ledger rows that could not be stored after their card or reader had changed
// wait here, one JSON object a line (LedgerEntry::toJson, or {"attempted": key}
// after an entry whose commit was tried), until the ledger takes them. A line
// is on the disk before the operator is told anything.
class Outbox
{
public:
    static inline const QString kFileName = QStringLiteral("outbox.jsonl");
    // The station's outbox: kFileName in the working directory, beside config.ini.
    static QString stationPath();
    // Tests keep theirs in a folder of their own.
    static void setStationPath(const QString& path);

    explicit Outbox(const QString& path = stationPath());
    const QString& path() const { return m_path; }

    // Whether an entry could be appended now: the file opens for appending
    // (it is created empty when missing). Asked before a card is touched.
    bool canAppend() const;
    // Appends the entry as one line, flushed and synced to the disk; true only
    // then. attempted: a commit of it failed in a way that may have stored it.
    bool append(const LedgerEntry& entry, bool attempted = false) const;
    // Entries waiting, lines that cannot be read included.
    int count() const;

    struct Delivery
    {
        int delivered = 0; // stored now, or found stored already
        int waiting = 0; // lines left in the file
        LedgerFault fault = LedgerFault::None; // why delivery stopped early
    };
    // Stores the waiting entries in file order, each in a write transaction of
    // its own, then rewrites the file without those delivered. Stops at the
    // first entry the ledger refuses; lines that cannot be read are kept and
    // skipped. An entry's attempt is recorded in the file (an "attempted" line)
    // before its commit: after a crash between a commit and the rewrite, or a
    // commit that failed uncertainly, the entry is looked for before it is
    // written again (findLedgerEntry), so it is stored once.
    Delivery deliver() const;

private:
    QString m_path;
};
