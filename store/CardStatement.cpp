#include "CardStatement.h"

#include "AuditTrail.h"
#include "LedgerLock.h"
#include "SqlDialect.h"
#include "StoreDetail.h"

#include <QDebug>
#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>
#include <functional>

namespace {

// Rows written with a signed binding hold the card number as a negative value.
void bindCard(QSqlQuery& query, quint32 cardnum)
{
    query.bindValue(QStringLiteral(":unsigned"), sqlCardNumber(cardnum));
    query.bindValue(QStringLiteral(":signed"), qlonglong(qint32(cardnum)));
}

bool loadRows(const QString& table, const QString& columns, quint32 cardnum,
    const std::function<StatementEntry(const QSqlQuery&)>& fromQuery, QVector<StatementEntry>& entries)
{
    QSqlQuery query;
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("select id, date, manager, sn, %1 from %2"
                                 " where cardnum = :unsigned or cardnum = :signed")
                      .arg(columns, table));
    bindCard(query, cardnum);
    if (!execReading(query))
        return false;
    while (query.next()) {
        StatementEntry entry = fromQuery(query);
        entry.id = query.value(0).toLongLong();
        entry.date = query.value(1).toString();
        entry.manager = query.value(2).toString();
        entry.sn = query.value(3).toString();
        entries.append(entry);
    }
    return true;
}

// The card's binds from the audit trail, as statement rows.
bool loadBindings(quint32 cardnum, QVector<StatementEntry>& entries)
{
    QVector<AuditTrail::Bind> binds;
    if (!AuditTrail::cardBinds(cardnum, binds))
        return false;
    for (const AuditTrail::Bind& bind : binds) {
        const AuditRow& row = bind.row;
        StatementEntry entry;
        entry.kind = StatementEntry::Binding;
        entry.id = row.id;
        // Ledger rows carry local time in the same text.
        entry.date = QDateTime::fromSecsSinceEpoch(row.time).toString(kRecordTimeFormat);
        entry.manager = row.manager;
        entry.sn = row.sn;
        entry.post = bind.post;
        entry.port = bind.port;
        entries.append(entry);
    }
    return true;
}

} // namespace

std::optional<qint64> fenFromMoneyText(const QString& text)
{
    static const QRegularExpression kMoney(QStringLiteral("^([0-9]{1,10})[.]([0-9]{2})$"));
    const QRegularExpressionMatch match = kMoney.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toLongLong() * 100 + match.captured(2).toLongLong();
}

CardStatement CardStatement::build(QVector<StatementEntry> entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const StatementEntry& a, const StatementEntry& b) {
        if (a.date != b.date)
            return a.date < b.date;
        if (a.kind != b.kind)
            return a.kind < b.kind;
        return a.id < b.id;
    });
    CardStatement statement;
    std::optional<qint64> previous;
    for (StatementEntry& entry : entries) {
        if (entry.kind == StatementEntry::Binding)
            continue;
        entry.gap = previous && entry.oldBalance && *entry.oldBalance != *previous;
        if (entry.gap)
            ++statement.m_gaps;
        // An unreadable balance breaks the chain: the next row is not compared.
        previous = entry.newBalance;
    }
    statement.m_entries = entries;
    return statement;
}

CardHistory loadCardHistory(quint32 cardnum)
{
    CardHistory history;
    history.holder = findUserByCard(cardnum);
    if (history.holder.status == LookupStatus::Failed)
        return history;

    QVector<StatementEntry> entries;
    if (history.holder.found()) {
        const UserRow& user = history.holder.row;
        StatementEntry issue;
        issue.kind = StatementEntry::Issue;
        issue.id = user.id;
        issue.date = user.date;
        issue.manager = user.manager;
        issue.sn = user.sn;
        issue.newBalance = 0; // a card is issued empty
        entries.append(issue);
    }
    const bool loaded = loadRows(
                            QStringLiteral("record"), QStringLiteral("pay, pay_old, pay_new"), cardnum,
                            [](const QSqlQuery& query) {
                                StatementEntry entry;
                                entry.kind = StatementEntry::Recharge;
                                entry.amount = fenFromMoneyText(query.value(4).toString());
                                entry.oldBalance = fenFromMoneyText(query.value(5).toString());
                                entry.newBalance = fenFromMoneyText(query.value(6).toString());
                                return entry;
                            },
                            entries)
        && loadRows(
            QStringLiteral("backcard"), QStringLiteral("pay"), cardnum,
            [](const QSqlQuery& query) {
                // A return refunds the whole balance and leaves the card empty.
                StatementEntry entry;
                entry.kind = StatementEntry::Refund;
                entry.amount = fenFromMoneyText(query.value(4).toString());
                entry.oldBalance = entry.amount;
                entry.newBalance = 0;
                return entry;
            },
            entries);
    if (!loaded)
        return history;
    // The bindings come from the audit trail; one that cannot be read (a
    // server set up before it had one) leaves them out, not the money rows.
    if (!loadBindings(cardnum, entries))
        qDebug() << "card statement: audit trail not readable, bindings left out";
    history.statement = CardStatement::build(entries);
    history.status = entries.isEmpty() ? LookupStatus::NotFound : LookupStatus::Found;
    return history;
}
