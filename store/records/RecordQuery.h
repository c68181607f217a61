#pragma once

#include "Database.h"
#include "IdRuns.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>

class RecordIndex;

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
    static const BrowserTable& man();
};

// A result as the ids of its rows, ascending; the cells are fetched by id
// range as they are shown.
struct RowSet
{
    LookupStatus status = LookupStatus::Failed;
    IdRuns ids;
    bool found() const { return status == LookupStatus::Found; }
};

// The cells of a run of result rows, row by row, left to right.
struct RowCells
{
    int columns = 0;
    QVector<QString> cells;
    int rowCount() const { return columns > 0 ? cells.size() / columns : 0; }
    const QString& text(int row, int column) const { return cells.at(row * columns + column); }
};

// The browsers' statements on the default connection. Typed texts are bound as
// LIKE patterns ("%" and "_" keep matching, ASCII case is ignored) so a quote
// is only a character; rows come in ascending id. With an index of the
// station file the ids come from it; without (the server, or no index) from
// the ledger itself, where the server's own indexes serve the searches.
namespace RecordQuery {

RowSet all(const BrowserTable& table, RecordIndex* index = nullptr);
// What a browser shows as it opens: every row on the station file (through
// the index); on the server, which counts ids only by reading them all, the
// first `rows` of them, read by the key alone, and `complete` false when
// there are more (IdListReader reads all of them meanwhile).
RowSet opening(const BrowserTable& table, RecordIndex* index, int rows, bool& complete);
RowSet byName(const BrowserTable& table, const QString& text, RecordIndex* index = nullptr);
RowSet byPhone(const BrowserTable& table, const QString& text, RecordIndex* index = nullptr);
// Both days whole: from the start of `from` up to the start of the day after `to`.
RowSet byDates(const BrowserTable& table, const QDate& from, const QDate& to, RecordIndex* index = nullptr);

// Rows [row, row + rows) of a result, read by id range, never by offset. A row
// gone from the table since the search gives empty cells. False when a
// statement failed.
bool fetch(const BrowserTable& table, const IdRuns& ids, qint64 row, int rows, RowCells& out);

QString cellText(CellKind kind, const QVariant& value);

} // namespace RecordQuery
