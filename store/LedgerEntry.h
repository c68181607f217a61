#pragma once

#include "Database.h"
#include "RecordStore.h"
#include "UserStore.h"

#include <QJsonObject>
#include <QString>
#include <optional>
#include <variant>

// The binding a bind stores in the user row of its card.
struct BindingRow
{
    quint32 cardnum = 0;
    qint64 bindchid = 0;
    qint64 bindport = 0;
};

// One row a card or reader operation owes the ledger, made with all its values
// before the card or the reader is touched: a recharge, return or reader
// top-up row, the holder an issue saves (a new user row, or the card's row
// rewritten), or a binding. The key names it for good, so that an entry kept in
// the outbox is delivered once however often delivery is tried.
struct LedgerEntry
{
    using Row = std::variant<RechargeRow, ReturnRow, DevChRow, UserRow, BindingRow>;

    QString key;
    Row row;

    // The entry with a fresh key.
    static LedgerEntry make(Row row);
    QString table() const;

    // One outbox line: key, table, what is done ("insert", "save", "bind") and
    // the values under their column names.
    QJsonObject toJson() const;
    static std::optional<LedgerEntry> fromJson(const QJsonObject& object);
};

// Writes the row with the statements its table always uses; a money row on
// the server carries the key, and one whose key is stored already is not
// written again.
bool writeLedgerEntry(const LedgerEntry& entry);

// Whether the ledger holds the entry already. A money row on the server is
// looked for by its key. On the station file the key has no column (the table layouts stay as they are), so
// the row's full column values are compared; a binding counts as held when the card's row carries it (or when
// the card has no row at all, since nothing could carry it).
LookupStatus findLedgerEntry(const LedgerEntry& entry);
