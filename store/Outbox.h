#pragma once

#include "LedgerEntry.h"
#include "LedgerLock.h"

#include <QString>

// Ledger rows that could not be stored after their card or reader had changed
// wait here, one JSON object a line (LedgerEntry::toJson), until the ledger
// takes them. A line is on the disk before the operator is told anything.
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
    // Appends the entry as one line, flushed and synced to the disk; true only then.
    bool append(const LedgerEntry& entry) const;
    // Lines waiting, those that cannot be read included.
    int count() const;

    struct Delivery
    {
        int delivered = 0; // stored now, or found stored already
        int waiting = 0; // lines left in the file
        LedgerFault fault = LedgerFault::None; // why delivery stopped early
    };
    // Stores the waiting entries in file order, each in a write transaction of
    // its own that first looks for it, then rewrites the file without those
    // delivered. Stops at the first entry the ledger refuses; lines that cannot
    // be read are kept and skipped. A crash between a commit and the rewrite
    // leaves an entry that the next delivery finds stored and drops.
    Delivery deliver() const;

private:
    QString m_path;
};
