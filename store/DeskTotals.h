#pragma once

#include "Database.h"

#include <QDateTime>
#include <QString>
#include <QVector>

class RecordIndex;

// The shift totals of the desk: what each operator took and paid out per day,
// summed by the database in exact fen.

struct DeskSum
{
    int count = 0;
    qint64 fen = 0;
};

struct DeskTotalsRow
{
    QString day; // "yyyy-MM-dd", the date part of the stored time stamps
    QString manager;
    DeskSum recharges; // record
    DeskSum refunds; // backcard
    DeskSum topUps; // devch: reader balance bought, not customer cash
    int issued = 0; // user rows whose issue time falls in the period
    // Recharge and refund rows whose money text is not "%d.%02d": counted,
    // left out of the sums.
    int unreadable = 0;

    // The cash the operator hands over: taken for recharges, less refunds paid.
    qint64 netCash() const { return recharges.fen - refunds.fen; }
    void add(const DeskTotalsRow& other);
};

struct DeskTotals
{
    LookupStatus status = LookupStatus::Failed;
    QVector<DeskTotalsRow> rows; // by day, then operator
    DeskTotalsRow total() const;
};

// Rows whose time stamp lies in [from, to], both to the second, of one
// operator (exact name) or of all when manager is empty.
// On the station file the side index names the period's rows; a window
// passes the one it holds, else it is acquired for the call.
DeskTotals loadDeskTotals(const QDateTime& from, const QDateTime& to, const QString& manager = QString(),
    RecordIndex* index = nullptr);
