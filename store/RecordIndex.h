#pragma once

#include "IdRuns.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QThread>
#include <memory>

// The browsers' index of a station file, kept beside it in
// <ledger folder>/.veloka-index/<file>.index and never inside the ledger, so
// database.db stays exactly what older stations and the merge expect. Per
// browsed table it holds the runs of ids, a trigram full-text index of name
// and telephone and a b-tree of dates, caught up by id from the ledger. A
// fingerprint of the last indexed row tells a replaced or restored ledger, and
// the index of that table is then built again.
//
// Results are always those of the ledger: rows above what the index has read
// so far are searched on the ledger itself, and text candidates are checked
// with the ledger's own LIKE unless the trigram match is exactly that.
class RecordIndex
{
public:
    ~RecordIndex();
    Q_DISABLE_COPY(RecordIndex)

    // The index of the station file the default connection has open, shared
    // by the windows that hold it; null on the server or when the side file
    // cannot be made (the browsers then read the ledger alone).
    static std::shared_ptr<RecordIndex> acquire();
    static QString indexPath(const QString& ledgerPath);
    // A row of a browsed table changed in place (a holder renamed), maybe
    // inside a ledger transaction: its entries are written again and, until
    // the next opening, the row is judged by the ledger itself, so a change
    // rolled back leaves no trace in the results.
    static void rowChanged(const QString& table, qint64 id);

    // False when the index cannot answer (a statement failed, or the ledger
    // is no longer the one indexed): the ledger is then asked alone.
    bool allIds(const QString& table, IdRuns& out);
    bool search(const QString& table, const QString& column, const QString& text, IdRuns& out);
    // Text bounds, both inclusive.
    bool dates(const QString& table, const QString& from, const QString& to, IdRuns& out);

    // Whether the text index has read every ledger row that was there when
    // it opened; waits up to `ms` for the background reader.
    bool waitUntilCaughtUp(int ms);
    qint64 textIndexed(const QString& table) const;

    // The ledger alone, also used on the server: ids of one table in runs,
    // above `after`; of `column like pattern` and of a date range from `first`.
    static bool ledgerIdRuns(const QSqlDatabase& db, const QString& table, qint64 after, IdRuns& out);
    static bool ledgerLike(const QSqlDatabase& db, const QString& table, const QString& column,
        const QString& pattern, qint64 first, IdRuns& out);
    static bool ledgerDates(const QSqlDatabase& db, const QString& table, const QString& from,
        const QString& to, qint64 first, IdRuns& out);

    // The tables the index serves; devch by its ids and dates, without text.
    static const QStringList& tables();
    static bool hasText(const QString& table);

private:
    RecordIndex(const QString& ledgerPath, const QString& indexPath);
    bool open();

    const QString m_ledgerPath;
    const QString m_indexPath;
    const QString m_connection;
    QThread* m_reader = nullptr;
};
