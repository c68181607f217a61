#pragma once

#include "UserStore.h"

#include <QString>
#include <QVector>
#include <optional>

// Everything the ledger holds about one card, in time order, with the places
// where the balance does not carry over from one row to the next.

struct StatementEntry
{
    // A binding moves no money: it has no amount or balances and is not part
    // of the balance chain.
    enum Kind { Issue, Recharge, Refund, Binding };

    Kind kind = Recharge;
    qint64 id = 0; // row id in its table
    QString date; // kRecordTimeFormat
    QString manager;
    QString sn;
    std::optional<qint64> amount; // fen; none for an issue or an unreadable money text
    std::optional<qint64> oldBalance; // none: not recorded (issue) or unreadable
    std::optional<qint64> newBalance;
    quint32 post = 0; // Binding: the post bound to, 0 when unbound
    quint32 port = 0;
    // The old balance differs from the previous row's new balance: money moved
    // outside this ledger, or a row is missing.
    bool gap = false;
};

class CardStatement
{
public:
    // Puts the rows in time order (an issue before a recharge of the same
    // second, then by table and id) and flags the gaps.
    static CardStatement build(QVector<StatementEntry> entries);

    const QVector<StatementEntry>& entries() const { return m_entries; }
    int gapCount() const { return m_gaps; }

private:
    QVector<StatementEntry> m_entries;
    int m_gaps = 0;
};

struct CardHistory
{
    LookupStatus status = LookupStatus::Failed; // NotFound: no row of any kind
    UserLookup holder; // the user row: holder data and current binding
    CardStatement statement;
};

// The issue (user row), recharges (record), refunds (backcard) and bindings
// (the audit trail's successful binds) of a card. The user table keeps only
// the latest issue and the current binding.
CardHistory loadCardHistory(quint32 cardnum);

// "12.34" to 1234; none unless digits, a point and two digits.
std::optional<qint64> fenFromMoneyText(const QString& text);
