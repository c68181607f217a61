#pragma once

#include "Database.h"
#include "TextGrid.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>

// How a browser turns the stored value at one position of "select *" into the
// text of a cell.
enum class CellKind {
    SignedNumber, // id: signed decimal
    CardNumber, // 32-bit unsigned decimal, whatever sign it was stored with
    Text, // stored text unchanged; NULL gives an empty cell
    Money, // devch money in fen: "12.34元"
    Serial, // devch sn: five digits with leading zeros
};

struct ShownColumn
{
    int source; // position in the query row
    CellKind kind;
};

// A browsed table and its columns in on-screen order.
struct BrowserTable
{
    QString name;
    QVector<ShownColumn> columns;

    static const BrowserTable& user();
    static const BrowserTable& record();
    static const BrowserTable& backCard();
    static const BrowserTable& devCh();
};

struct GridResult
{
    LookupStatus status = LookupStatus::Failed;
    TextGrid grid;
    bool found() const { return status == LookupStatus::Found; }
};

// The browsers' statements on the default connection. Typed texts are bound as
// LIKE patterns ("%" and "_" keep matching, ASCII case is ignored) so a quote
// is only a character; rows come in ascending id as the table holds them.
namespace RecordQuery {

GridResult all(const BrowserTable& table);
GridResult byName(const BrowserTable& table, const QString& text);
GridResult byPhone(const BrowserTable& table, const QString& text);
// Both days whole: from the start of `from` up to the start of the day after `to`.
GridResult byDates(const BrowserTable& table, const QDate& from, const QDate& to);

QString cellText(CellKind kind, const QVariant& value);

} // namespace RecordQuery
